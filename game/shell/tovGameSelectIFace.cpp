#include "tovGameSelectIFace.h"

#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"

namespace
{

tovGameSelectIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 7;
constexpr uint32_t kBackground = 200;
constexpr uint32_t kClickSound = 6183;
constexpr uint32_t kToggleSound = 6187;
constexpr uint32_t kSeasonGreyed = 209;
constexpr int32_t kFishingScreen = 2;
constexpr int32_t kProfilesScreen = 5;

} // namespace

tovGameSelectIFace::tovGameSelectIFace()
{
    g_instance = this;
}

tovGameSelectIFace::~tovGameSelectIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovGameSelectIFace* tovGameSelectIFace::GetInstance()
{
    return g_instance;
}

void tovGameSelectIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

tovShellButton* tovGameSelectIFace::AddModeButton(int32_t id, int32_t y, uint32_t normal, uint32_t highlight)
{
    auto* button = new tovShellButton(456, y, normal, highlight, kClickSound, [this, id] { ChooseMode(id); });
    AddButton(button, id);
    return button;
}

void tovGameSelectIFace::Enter(int32_t previousId)
{
    TakeWayBack(previousId);
    m_leaveFirst.Forget();
    AddModeButton(kQuickFish, 191, 201, 202);
    AddModeButton(kPractice, 241, 203, 204);
    AddModeButton(kTournament, 291, 205, 206);
    tovShellButton* season = AddModeButton(kSeason, 341, 207, 208);
    // A season is a player's own: in a network session the set-up would make it a tournament.
    if (IsNetworkGame())
    {
        season->SetDisabledPicture(kSeasonGreyed);
        season->m_disabled = 1;
    }
    for (int32_t id = kNovice; id <= kPro; ++id)
    {
        auto* toggle =
            new tovShellButton(462, 55 + (id - kNovice) * 40, 45, 46, kToggleSound, [this, id] { SelectSkill(id); });
        toggle->SetTogglePictures(45, 46, 47, 48);
        AddButton(toggle, id);
    }
    AddButton(new tovShellButton(53, 441, 16, 15, kClickSound, [this] { GoBack(tovAppServices::kMainMenuId); }), kBack);
    m_background = Picture(kBackground);
    m_nextScreen = 0;
    SelectSkill(m_skillButton);
    ShowAppCursor(true);
    UnloadGroup(kGroup);
}

void tovGameSelectIFace::Leave(int32_t)
{
    m_background = nullptr;
    ClearButtons();
}

void tovGameSelectIFace::Exit(int32_t) {}

int32_t tovGameSelectIFace::Update(float now, float elapsed)
{
    if (CanDraw())
        DrawPicture(m_background.Get(), 0, 0);
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    if (const int32_t mode = m_leaveFirst.TakeChoice(); mode != tovLeaveFirst::kNoChoice)
        StartMode(mode);
    Present();
    return m_nextScreen;
}

void tovGameSelectIFace::SelectSkill(int32_t buttonId)
{
    if (buttonId < kNovice || buttonId > kPro)
        return;
    m_skillButton = buttonId;
    for (int32_t id = kNovice; id <= kPro; ++id)
        if (ButtonObj* button = GetButton(id))
            button->SetSelected(id == buttonId);
    if (tovGameSession* session = TheGameSession())
        session->SetSkillLevel(buttonId - kNovice, false);
}

void tovGameSelectIFace::ChooseMode(int32_t id)
{
    // A new game inside a network game under way would be played in its session: leave it first.
    if (id == kSeason || !m_leaveFirst.Ask(id))
        StartMode(id);
}

void tovGameSelectIFace::StartMode(int32_t id)
{
    tovGameSession* session = TheGameSession();
    if (!session)
        return;
    // Every new game from here starts its days over. In a network session the host's next game
    // begins at its set-up, where its day goes out with its phase and number in one message: told
    // here, the day would pair with the last game's closed phase.
    if (IsNetworkGame())
        session->SetOwnDay(0);
    else
        session->SetDay(0, false);
    switch (id)
    {
    case kQuickFish:
        session->SetMode(tovGameSession::kQuickFish);
        m_nextScreen = kFishingScreen;
        session->StartGame(tovGameSession::kQuickFish, true);
        session->ClearDayRecords();
        break;
    case kPractice:
    case kTournament:
        m_nextScreen = kProfilesScreen;
        session->SetMode(id == kPractice ? tovGameSession::kPractice : tovGameSession::kTournament);
        session->ClearDayRecords();
        break;
    case kSeason:
        m_nextScreen = kProfilesScreen;
        session->SetMode(tovGameSession::kSeason);
        // A season under way keeps its records and goes on at its next lake, whatever its id.
        TheLakeCatalogue().SelectLakeByIndex(session, session->SeasonLakeIndex(TheUserProfile().GetSetting1(false)));
        break;
    default:
        break;
    }
}
