#pragma once
// What the save and load screens share: the saved games of the save folder listed seven rows
// at a time, a row picked with the mouse or the keys, paging, deleting the picked game after a
// question, and the way back to the main menu.
#include "tovShellIFace.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat
{
class Font;
}
class qrxFloatingText;
class qrxRect;

class tovSaveListIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kAction = 1,
        kMainMenu = 2,
        kPageUp = 3,
        kPageDown = 4,
    };
    static constexpr int32_t kRows = 7;
    // The list's entries and the path buffer are 260 characters with their end.
    static constexpr size_t kMaxPath = 259;

    ~tovSaveListIFace() override;

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    // Posted lines stand under the list, above OK.
    plat::Rect PostedTextBand() const override { return {4, 380, 636, 428}; }
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;

    int32_t GetCount() const { return static_cast<int32_t>(m_paths.size()); }
    int32_t GetPicked() const { return m_picked; }
    int32_t GetTop() const { return m_top; }
    const std::vector<std::string>& GetNames() const { return m_names; }

protected:
    // pageStep: how far the page buttons and a step down past the last row move the rows.
    tovSaveListIFace(uint32_t group, uint32_t background, uint32_t panel, int32_t pageStep);

    void BuildFileList();
    void PickNext();
    void PickPrevious();
    // The picked file exists: asks whether to delete it.
    void AskDelete();
    // While button 0 is held, the row under the pointer holding a file becomes the picked one.
    void PickUnderPointer();
    void DrawList();
    // The picked game's full path, or empty.
    std::string PickedPath() const;

    virtual void OnAction() = 0;
    // A row was picked by the player.
    virtual void OnPicked() {}

    std::unique_ptr<plat::Font> m_font;

private:
    static bool ConfirmDelete(int32_t answer, uintptr_t argument);

    uint32_t m_group;
    uint32_t m_backgroundId;
    uint32_t m_panelId;
    int32_t m_pageStep;
    QrPointer<QrImage> m_panel;
    std::array<std::unique_ptr<qrxFloatingText>, kRows> m_rowTexts;
    std::array<std::unique_ptr<qrxRect>, kRows> m_rowOutlines;
    std::vector<std::string> m_paths;
    std::vector<std::string> m_names;
    int32_t m_picked = 0;
    int32_t m_top = 0;
};
