#include "tovSaveListIFace.h"

#include "FileHelpers.h"
#include "Font.h"
#include "Path.h"
#include "qrxFloatingText.h"
#include "qrxRect.h"
#include "tovInstallSettings.h"
#include "tovMessageBox.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"

#include <algorithm>

namespace
{

constexpr uint32_t kClickSound = 6183;
constexpr uint32_t kMenuSound = 6188;
constexpr int32_t kRowLeft = 146;
constexpr int32_t kRowRight = 494;
constexpr int32_t kRowTop = 125;
constexpr int32_t kRowHeight = 21;
constexpr int32_t kRowPitch = 33;
constexpr int32_t kBackStep = 7;

} // namespace

tovSaveListIFace::tovSaveListIFace(uint32_t group, uint32_t background, uint32_t panel, int32_t pageStep)
    : m_font(plat::Font::Create("Verdana", 18, 400)), m_group(group), m_backgroundId(background), m_panelId(panel),
      m_pageStep(pageStep)
{
}

tovSaveListIFace::~tovSaveListIFace() = default;

void tovSaveListIFace::Prepare(int32_t)
{
    LoadGroup(m_group);
}

void tovSaveListIFace::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    AddButton(new tovShellButton(156, 432, 23, 22, kClickSound, [this] { OnAction(); }), kAction);
    AddButton(new tovShellButton(53, 441, 18, 17, kMenuSound, [this] { m_nextScreen = tovAppServices::kMainMenuId; }),
              kMainMenu);
    AddButton(new tovShellButton(576, 167, 57, 58, kClickSound, [this] { m_top = std::max(0, m_top - m_pageStep); }),
              kPageUp);
    AddButton(new tovShellButton(576, 290, 59, 60, kClickSound,
                                 [this]
                                 {
                                     if (m_top + m_pageStep < GetCount())
                                         m_top += m_pageStep;
                                 }),
              kPageDown);
    m_background = Picture(m_backgroundId);
    m_panel = Picture(m_panelId);
    for (int32_t k = 0; k < kRows; ++k)
    {
        const int32_t top = kRowTop + kRowPitch * k;
        m_rowTexts[static_cast<size_t>(k)] =
            std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
        m_rowOutlines[static_cast<size_t>(k)] =
            std::make_unique<qrxRect>(kRowLeft, top, kRowRight, top + kRowHeight, plat::MakeColorRef(0, 255, 0));
    }
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(m_group);
    const int32_t picked = m_picked;
    const int32_t top = m_top;
    BuildFileList();
    // Back from the help picture the visit goes on: the picked game stays picked.
    if (IsBackFromLook(previousId) && picked < GetCount())
    {
        m_picked = picked;
        m_top = top;
    }
}

void tovSaveListIFace::Leave(int32_t)
{
    m_background = nullptr;
    m_panel = nullptr;
    ClearButtons();
    for (int32_t k = 0; k < kRows; ++k)
    {
        m_rowTexts[static_cast<size_t>(k)].reset();
        m_rowOutlines[static_cast<size_t>(k)].reset();
    }
    m_paths.clear();
    m_names.clear();
}

void tovSaveListIFace::Exit(int32_t)
{
    m_nextScreen = 0;
    ShowAppCursor(false);
}

void tovSaveListIFace::BuildFileList()
{
    m_paths.clear();
    m_names.clear();
    const std::string folder = SaveFilePath("");
    for (const std::string& file : plat::ListFiles(folder, "*.wsv"))
    {
        const std::string path = SaveFilePath(file.c_str());
        // A path the list's entries cannot hold could be neither loaded nor deleted.
        if (path.size() > kMaxPath)
            continue;
        m_paths.push_back(path);
        m_names.push_back(file.substr(0, file.find('.')));
    }
    m_picked = 0;
    m_top = 0;
}

void tovSaveListIFace::PickNext()
{
    if (GetCount() == 0)
        return;
    if (++m_picked >= GetCount())
    {
        m_picked = 0;
        m_top = 0;
    }
    else if (m_picked > m_top + kRows - 1)
        m_top += m_pageStep;
    OnPicked();
}

void tovSaveListIFace::PickPrevious()
{
    if (GetCount() == 0)
        return;
    if (--m_picked < 0)
    {
        m_picked = GetCount() - 1;
        m_top = GetCount() < kRows + 1 ? 0 : GetCount() - kRows;
    }
    else if (m_picked < m_top)
        m_top = std::max(0, m_top - kBackStep);
    OnPicked();
}

std::string tovSaveListIFace::PickedPath() const
{
    if (m_picked < 0 || m_picked >= GetCount())
        return {};
    return m_paths[static_cast<size_t>(m_picked)];
}

void tovSaveListIFace::AskDelete()
{
    const std::string path = PickedPath();
    if (path.empty() || !FileExists(path.c_str()))
        return;
    const std::string question = "Delete game " + m_names[static_cast<size_t>(m_picked)] + "?";
    ShowMessage(kMessageTwoAnswers, &ConfirmDelete, reinterpret_cast<uintptr_t>(this), question.c_str());
}

bool tovSaveListIFace::ConfirmDelete(int32_t answer, uintptr_t argument)
{
    auto* self = reinterpret_cast<tovSaveListIFace*>(argument);
    if (answer == 0)
    {
        RemoveFile(self->PickedPath().c_str());
        self->BuildFileList();
    }
    return true;
}

void tovSaveListIFace::PickUnderPointer()
{
    if (!IsButtonDown(0))
        return;
    const plat::Point p = GetMousePos();
    if (p.x < kRowLeft || p.x >= kRowRight || p.y < kRowTop)
        return;
    const int32_t k = (p.y - kRowTop) / kRowPitch;
    if (k >= kRows || p.y >= kRowTop + kRowPitch * k + kRowHeight || m_top + k >= GetCount())
        return;
    m_picked = m_top + k;
    OnPicked();
}

void tovSaveListIFace::DrawList()
{
    if (!CanDraw())
        return;
    DrawPicture(m_background.Get(), 0, 0);
    if (m_panel)
    {
        int32_t w = 0;
        int32_t h = 0;
        PictureSize(m_panel.Get(), w, h);
        DrawPicture(m_panel.Get(), (640 - w) / 2, kRowTop - 15);
    }
    for (int32_t k = 0; k < kRows && m_top + k < GetCount(); ++k)
    {
        const size_t i = static_cast<size_t>(m_top + k);
        if (m_rowTexts[static_cast<size_t>(k)])
            m_rowTexts[static_cast<size_t>(k)]->DrawText(kRowLeft + 6, kRowTop + kRowPitch * k, m_names[i].c_str(),
                                                         nullptr);
        if (m_top + k == m_picked && m_rowOutlines[static_cast<size_t>(k)])
            m_rowOutlines[static_cast<size_t>(k)]->Draw();
    }
}
