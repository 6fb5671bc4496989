#pragma once
// The session set-up dialog drawn in the game window: the dialog's controls laid out in dialog
// units (1.5 pixels across, 1.625 down), the framework's text fields for the names and the
// address, and clicks and keys turned into the state machine's events.

#include "qrxScratchImage.h"

#include "Font.h"
#include "Rect.h"

#include <array>
#include <cstdint>
#include <memory>

class qrxTextEditor;
class tovSessionDialog;

class tovSessionDialogView : public qrxScratchImage
{
public:
    enum Field
    {
        kPlayerField,
        kSessionField,
        kAddressField,
        kFieldCount,
    };

    // The dialog's client area sits centred under its title bar.
    static constexpr int32_t kWidth = 370;
    static constexpr int32_t kHeight = 392;
    static constexpr int32_t kTitleHeight = 20;
    static constexpr int32_t kLeft = (640 - kWidth) / 2;
    static constexpr int32_t kTop = (480 - kHeight - kTitleHeight) / 2 + kTitleHeight;

    explicit tovSessionDialogView(tovSessionDialog& dialog);
    ~tovSessionDialogView() override;

    // Hands the fields' texts to the dialog, then draws it and the box over it.
    void Draw();
    // A left click at a window point.
    void OnClick(int32_t x, int32_t y);
    // Tab moves between the fields, Escape asks to exit, Return answers a box or presses the
    // field's button; other keys go to the focused field through the window procedure.
    void OnKey(uint32_t key);

    qrxTextEditor* GetField(Field field) const { return m_fields[field].get(); }
    // A control's rectangle in window pixels, from dialog units.
    static plat::Rect Place(int32_t x, int32_t y, int32_t w, int32_t h);
    bool IsConnectionListOpen() const { return m_listOpen; }

private:
    void SyncFields();
    void DrawBody(plat::Canvas& canvas);
    void DrawBox(plat::Canvas& canvas);
    void DrawButton(plat::Canvas& canvas, const plat::Rect& rect, const char* text, bool enabled);
    void DrawList(plat::Canvas& canvas);
    bool OnBoxClick(int32_t x, int32_t y);
    void Focus(int32_t field);

    tovSessionDialog& m_dialog;
    std::unique_ptr<plat::Font> m_font;
    std::array<std::unique_ptr<qrxTextEditor>, kFieldCount> m_fields;
    std::array<std::string, kFieldCount> m_synced;
    bool m_listOpen = false;
};
