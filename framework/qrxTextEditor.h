#pragma once
// A one-line text entry drawn as an overlay (the player's name, a save name). At most one
// editor has the keyboard focus; the game's window procedure hands the focused one its
// character and key-down messages. The caret is always at the end.

#include "qrxFloatingText.h"

#include "ColorRef.h"

#include <cstdint>
#include <string>

class qrxInterface;

class qrxTextEditor : public qrxScratchImage
{
public:
    static constexpr int32_t kNoLimit = -1;

    qrxTextEditor(const plat::Font* font, plat::ColorRef color, int32_t x, int32_t y);
    // Gives up the focus when it has it.
    ~qrxTextEditor() override;

    void SetFocus();
    void KillFocus();
    bool HasFocus() const;
    void SetText(const char* text);
    const std::string& GetText() const { return m_text; }
    // The typeable characters are added (until the maximum length); Backspace and Delete
    // remove the last character. The hook sees every message first.
    void HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // The text at (x, y) and, while focused, the application's caret picture after it.
    bool Draw();

    // Null when no editor has the focus.
    static qrxTextEditor* GetFocusedEditor();
    // The characters typing adds: letters, digits and the space.
    static bool IsTypeable(uintptr_t ch);

    int32_t m_maxLength = kNoLimit;
    // Which characters typing adds; a field for other text (an address) chooses its own.
    bool (*m_typeable)(uintptr_t ch) = &IsTypeable;
    // The owning screen, or null.
    qrxInterface* m_hook = nullptr;

private:
    int32_t m_x;
    int32_t m_y;
    std::string m_text;
    qrxFloatingText m_floatingText;
};
