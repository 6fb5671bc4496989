#pragma once
// The player profiles page (screen 5): the ".wuo" files of the Users folder, seven to a page.
// The chosen one becomes the program's profile and leads on to the angler look or the
// tournament set-up; a new profile is typed into three fields (name, home town, home state)
// and starts from the previous profile's program options; a profile is deleted after asking.

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
class qrxTextEditor;

class tovProfileIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kSelect = 1,
        kNew = 2,
        kBack = 3,
        kTournament = 4,
        kCancel = 5,
        kCreate = 6,
        kPageUp = 7,
        kPageDown = 8,
        kDelete = 9,
    };
    enum Field : int32_t
    {
        kNameField,
        kTownField,
        kStateField,
        kFieldCount,
    };
    static constexpr int32_t kRows = 7;

    tovProfileIFace();
    ~tovProfileIFace() override;

    // Scans the Users folder again for the prepared screen; nothing when none is prepared.
    static void RebuildList();
    // A name typed here: 1 to 25 letters, digits and spaces, not spaces only (so never a path
    // or a control character).
    static bool IsValidProfileName(const std::string& name);

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }
    void HandleMouse(QrRender* renderer) override;
    bool OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    // The list without input, presented (the window needs repainting).
    bool OnPaint(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    // The gap between the list's frame and the OK button: the rows stay readable.
    plat::Rect PostedTextBand() const override { return {4, 404, 636, 428}; }

    void CreateProfile();
    void ConfirmDelete();

    // The listed profile names (file names without extension), in list order.
    std::vector<std::string> GetNames() const;
    int32_t GetSelected() const { return m_selected; }
    int32_t GetFirstShown() const { return m_firstShown; }
    bool IsCreateMode() const { return m_createMode; }
    qrxTextEditor* GetField(int32_t field) const;

private:
    void MakeButtons();
    void MakeFields();
    void Scan(const std::string& wanted);
    void UseSelected(int32_t nextScreen, bool sendName);
    void StartCreate();
    void EndCreate();
    void WriteNewProfile(const std::string& name);
    void DeleteSelected();
    void PickRow();
    void NextEntry();
    void DrawScreen(bool withInput);
    void DrawRows();
    void DrawCreatePanel();
    void OpenNetworkSession();
    static bool OnDeleteAnswer(int32_t answer, uintptr_t argument);
    static bool OnReplaceAnswer(int32_t answer, uintptr_t argument);
    static bool OnDamagedAnswer(int32_t answer, uintptr_t argument);

    std::unique_ptr<plat::Font> m_font;
    std::array<std::unique_ptr<qrxTextEditor>, kFieldCount> m_fields;
    std::array<std::unique_ptr<qrxRect>, kFieldCount> m_fieldFrames;
    std::array<std::unique_ptr<qrxRect>, kRows> m_rowFrames;
    std::array<std::unique_ptr<qrxFloatingText>, kRows> m_rowTexts;
    bool m_createMode = false;
    int32_t m_focus = 0;
    // Full paths of the listed files.
    std::vector<std::string> m_entries;
    int32_t m_selected = 0;
    int32_t m_firstShown = 0;
    QrPointer<QrImage> m_panel;
    // The entry a delete question is about, and the name a replace question is about.
    std::string m_pendingPath;
    std::string m_pendingName;
    // A damaged profile chosen from the list waits for the player's answer: where the use
    // button leads, and the profile that was current before, to put back on a no.
    struct DamagedUse
    {
        int32_t nextScreen = 0;
        bool sendName = false;
        std::vector<uint8_t> previousBody;
        std::string previousName;
        std::string question;
    };
    DamagedUse m_damaged;
    bool m_sessionTried = false;
};
