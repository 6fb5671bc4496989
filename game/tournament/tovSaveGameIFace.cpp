#include "tovSaveGameIFace.h"

#include "ButtonObj.h"
#include "FileHelpers.h"
#include "KeyNumbers.h"
#include "WindowMessage.h"
#include "qrxKeyMapper.h"
#include "qrxTextEditor.h"
#include "tovInstallSettings.h"
#include "tovMessageBox.h"
#include "tovSaveGame.h"

namespace
{
tovSaveGameIFace* g_instance = nullptr;
constexpr uint32_t kGroup = 19;
} // namespace

tovSaveGameIFace::tovSaveGameIFace() : tovSaveListIFace(kGroup, 624, 625, 5)
{
    g_instance = this;
}

tovSaveGameIFace::~tovSaveGameIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovSaveGameIFace* tovSaveGameIFace::GetInstance()
{
    return g_instance;
}

void tovSaveGameIFace::Enter(int32_t previousId)
{
    tovSaveListIFace::Enter(previousId);
    m_nameField = std::make_unique<qrxTextEditor>(m_font.get(), plat::MakeColorRef(255, 255, 255), 146, 30);
    m_nameField->m_maxLength = kMaxName;
    m_nameField->m_hook = this;
    m_nameField->SetFocus();
}

void tovSaveGameIFace::Leave(int32_t ownId)
{
    m_nameField.reset();
    tovSaveListIFace::Leave(ownId);
}

void tovSaveGameIFace::Exit(int32_t nextId)
{
    if (m_nameField)
        m_nameField->KillFocus();
    tovSaveListIFace::Exit(nextId);
}

int32_t tovSaveGameIFace::Update(float now, float elapsed)
{
    if (!IsMessageBoxRaised())
    {
        PickUnderPointer();
        if (qrxKeyMapper::GetKeysActive() && WasKeyPressed(plat::kKeyDelete))
            AskDelete();
    }
    DrawList();
    if (m_nameField && CanDraw())
        m_nameField->Draw();
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}

bool tovSaveGameIFace::OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t)
{
    if (message != plat::kMsgKeyDown || IsMessageBoxRaised())
        return false;
    switch (wParam)
    {
    case plat::kVkTab:
    case plat::kVkDown:
        PickNext();
        return true;
    case plat::kVkUp:
        PickPrevious();
        return true;
    case plat::kVkReturn:
        if (ButtonObj* button = GetButton(kAction))
            button->Click();
        return true;
    default:
        return false;
    }
}

void tovSaveGameIFace::OnPicked()
{
    if (m_nameField && GetPicked() < GetCount())
        m_nameField->SetText(GetNames()[static_cast<size_t>(GetPicked())].c_str());
}

void tovSaveGameIFace::OnAction()
{
    const std::string name = m_nameField ? m_nameField->GetText() : std::string();
    if (name.empty())
    {
        ShowMessage(kMessageOk, nullptr, 0, "Cannot save - no file name.");
        return;
    }
    m_path = SaveFilePath((name + ".wsv").c_str());
    // The path buffer holds 260 characters: a longer name is refused, not cut.
    if (m_path.size() > kMaxPath)
    {
        m_path.clear();
        ShowMessage(kMessageOk, nullptr, 0, "Error saving file.");
        return;
    }
    if (FileExists(m_path.c_str()))
    {
        const std::string question = "Overwrite game " + name + "?";
        ShowMessage(kMessageTwoAnswers, &ConfirmOverwrite, reinterpret_cast<uintptr_t>(this), question.c_str());
        return;
    }
    SaveTo(m_path);
}

bool tovSaveGameIFace::ConfirmOverwrite(int32_t answer, uintptr_t argument)
{
    auto* self = reinterpret_cast<tovSaveGameIFace*>(argument);
    if (answer == 0)
        self->SaveTo(self->m_path);
    return true;
}

void tovSaveGameIFace::SaveTo(const std::string& path)
{
    if (tovSaveGame::SaveToFile(path))
        m_nextScreen = tovAppServices::kMainMenuId;
    else
        ShowMessage(kMessageOk, nullptr, 0, "Error saving file.");
}
