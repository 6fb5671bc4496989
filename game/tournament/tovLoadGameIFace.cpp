#include "tovLoadGameIFace.h"

#include "ButtonObj.h"
#include "FileHelpers.h"
#include "KeyNumbers.h"
#include "qrxKeyMapper.h"
#include "tovMessageBox.h"
#include "tovSaveGame.h"

namespace
{
tovLoadGameIFace* g_instance = nullptr;
constexpr uint32_t kGroup = 14;
constexpr int32_t kFishingScreen = 2;
} // namespace

tovLoadGameIFace::tovLoadGameIFace() : tovSaveListIFace(kGroup, 440, 441, 7)
{
    g_instance = this;
}

tovLoadGameIFace::~tovLoadGameIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovLoadGameIFace* tovLoadGameIFace::GetInstance()
{
    return g_instance;
}

int32_t tovLoadGameIFace::Update(float now, float elapsed)
{
    if (!IsMessageBoxRaised())
    {
        PickUnderPointer();
        HandleKeys();
    }
    DrawList();
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}

void tovLoadGameIFace::HandleKeys()
{
    if (!qrxKeyMapper::GetKeysActive())
        return;
    if (WasKeyPressed(plat::kKeyTab) || WasKeyPressed(plat::kKeyDown))
        PickNext();
    if (WasKeyPressed(plat::kKeyUp))
        PickPrevious();
    if (WasKeyPressed(plat::kKeyReturn))
        if (ButtonObj* button = GetButton(kAction))
            button->Click();
    if (WasKeyPressed(plat::kKeyDelete))
        AskDelete();
}

void tovLoadGameIFace::OnAction()
{
    const std::string path = PickedPath();
    if (path.empty() || !FileExists(path.c_str()))
    {
        ShowMessage(kMessageOk, nullptr, 0, "Cannot load file.");
        return;
    }
    const tovSaveGame::LoadResult result = tovSaveGame::LoadFromFile(path);
    if (result == tovSaveGame::LoadResult::kOk)
        m_nextScreen = kFishingScreen;
    else if (result == tovSaveGame::LoadResult::kWrongVersion)
        ShowMessage(kMessageOk, &ReportHeaderError, 0, tovSaveGame::LoadMessage(result));
    else
        ShowMessage(kMessageOk, nullptr, 0, tovSaveGame::LoadMessage(result));
}

bool tovLoadGameIFace::ReportHeaderError(int32_t, uintptr_t)
{
    ShowMessage(kMessageOk, nullptr, 0, tovSaveGame::LoadMessage(tovSaveGame::LoadResult::kBadHeader));
    return true;
}
