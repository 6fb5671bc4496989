#include "tovDayStartIFace.h"

#include "ButtonObj.h"
#include "Font.h"
#include "qrxFloatingText.h"
#include "tovAppServices.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovNetPhases.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovWaitingBanner.h"
#include "tovWeighInIFace.h"

#include <cstdio>
#include <string>

namespace
{

tovDayStartIFace* g_dayStart = nullptr;

constexpr uint32_t kGroup = 29;
constexpr uint32_t kBackground = 7000;
constexpr uint32_t kBackSound = 6188;
constexpr uint32_t kStartSound = 6183;
constexpr uint32_t kLakeAnnouncement = 17;
constexpr int32_t kFishingScreen = 2;
constexpr int32_t kMainMenuScreen = 8;
constexpr int32_t kHelpScreen = 22;
constexpr int32_t kCutTextX = 170;
constexpr int32_t kCutTextY = 400;

} // namespace

tovDayStartIFace::tovDayStartIFace() : m_font(plat::Font::Create("Arial", 28, 700))
{
    g_dayStart = this;
}

tovDayStartIFace::~tovDayStartIFace()
{
    if (g_dayStart == this)
        g_dayStart = nullptr;
}

tovDayStartIFace* tovDayStartIFace::GetInstance()
{
    return g_dayStart;
}

void tovDayStartIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovDayStartIFace::Enter(int32_t previousId)
{
    // Back from the help picture this start opened (a look aside, during which the host counts
    // this copy as standing here), not a new arrival.
    const bool lookedAside = previousId == kHelpScreen && m_nextScreen == kHelpScreen;
    if (previousId != m_nextScreen)
        m_returnScreen = previousId;
    m_nextScreen = 0;
    const tovGameSession* session = TheGameSession();
    m_cutWait = IsNetworkLaunch() && IsNetworkGame() && session != nullptr && session->IsCutFromField();
    m_cutDayBegun = false;
    if (m_cutWait && m_font)
        m_text = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    // A cut player has no day to start and nowhere to go back to.
    if (!m_cutWait)
    {
        AddButton(new tovShellButton(53, 441, 16, 15, kBackSound,
                                     [this]
                                     {
                                         // Counted by a host that has begun: this frame follows it.
                                         if (m_hostWaits && NetGetHostGame() != tovNetworkPlay::HostGame::kNotBegun)
                                             return;
                                         if (m_returnScreen == kMainMenuScreen && NetIsBeforeFirstDay())
                                             AskToLeave();
                                         else
                                             m_nextScreen = m_returnScreen;
                                     }),
                  kBackButton);
        AddButton(new tovShellButton(156, 432, 21, 20, kStartSound,
                                     [this]
                                     {
                                         // Pressed again while it waits: the standings are the day's already.
                                         if (m_startRequested)
                                             return;
                                         ResetStandings();
                                         m_startRequested = true;
                                     }),
                  kStartButton);
    }
    m_background = Picture(kBackground);
    m_banner = tovWaitingBanner::Load();
    ShowAppCursor(true);
    UnloadGroup(kGroup);
    // Deliberately kept back from the help picture (not cleared on every enter): a look aside.
    if (!lookedAside)
    {
        m_startRequested = false;
        m_announced = false;
        m_hostWaits = false;
        m_entryPhase = NetGetLocalPhase();
    }
    m_waitedFor.clear();
    m_toldWaitedFor = false;
    m_waiting = false;
    m_askingLeave = false;
    m_leaveChosen = false;
}

void tovDayStartIFace::Leave(int32_t)
{
    m_background = nullptr;
    m_banner = nullptr;
    m_text.reset();
    ClearButtons();
    if (m_cutWait)
        TheGameClock().SetFlags(TheGameClock().GetFlags() & ~tovGameClockBase::kRunning);
}

void tovDayStartIFace::Exit(int32_t nextId)
{
    ShowAppCursor(false);
    m_nextScreen = nextId;
    if (nextId != kHelpScreen && nextId != kFishingScreen)
        TakeBackStart();
}

void tovDayStartIFace::TakeBackStart()
{
    // The host would count a player that is no longer here.
    if (m_announced && IsNetworkGame())
        NetSetLocalPhase(m_entryPhase);
    m_startRequested = false;
    m_announced = false;
    m_hostWaits = false;
}

int32_t tovDayStartIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    DrawPicture(m_background.Get(), 0, 0);
    DrawButtons();
    m_waiting = false;
    if (m_cutWait && IsNetworkGame())
    {
        m_waiting = true;
        tovWaitingBanner::Draw(m_banner.Get());
        if (m_text)
            m_text->DrawText(kCutTextX, kCutTextY, kCutText, nullptr);
        FollowCutDay();
    }
    else if (m_startRequested && m_nextScreen == 0)
    {
        if (IsNetworkLaunch())
        {
            if (ButtonObj* start = GetButton(kStartButton))
                start->SetSelected(true);
            const NetworkStart start = FollowNetworkStart();
            if (start == NetworkStart::kBegin)
            {
                // The host began while the question was up: the wait it asked about is over.
                if (m_askingLeave && IsMessageBoxRaised())
                    ShowMessageScreen(false);
                m_askingLeave = false;
                if (!m_announced)
                    NetSetLocalPhase(kDayStartPhase);
                StartDay();
            }
            else if (start == NetworkStart::kWait)
            {
                m_waiting = true;
                tovWaitingBanner::Draw(m_banner.Get());
                TellWhomHostWaitsFor();
            }
        }
        else
        {
            StartDay();
        }
    }
    // The box (Escape's question among others) over the banner.
    UpdateMessageScreen(now, elapsed);
    if (m_leaveChosen)
    {
        // The others see this player go as they see one lost; the next frame leads to the menu.
        m_leaveChosen = false;
        m_startRequested = false;
        NetCloseSession();
        NetMarkLeftGame();
    }
    Present();
    return m_nextScreen;
}

tovDayStartIFace::NetworkStart tovDayStartIFace::FollowNetworkStart()
{
    if (IsNetworkHost())
        return NetIsEveryoneAtDayStart() && NetSyncPhase(kDayStartPhase) ? NetworkStart::kBegin : NetworkStart::kWait;
    if (!IsNetworkGame())
        return NetworkStart::kWait;
    // The host begins the first day once every player stands at its start: this one says it does.
    if (!m_announced)
    {
        NetSetLocalPhase(kDayStartPhase);
        m_announced = true;
    }
    // What this copy saw of the host's last game (its closed final) says nothing of the next one.
    const uint16_t game = NetGetGameNumber();
    if (m_hostWaits && game != m_hostWaitsGame)
        m_hostWaits = false;
    const tovNetworkPlay::HostGame host = NetGetHostGame();
    // Seen at its start before the host began: the host's start waits for this copy.
    if (host == tovNetworkPlay::HostGame::kNotBegun)
    {
        m_hostWaits = true;
        m_hostWaitsGame = game;
    }
    if (host != tovNetworkPlay::HostGame::kPastFirstDay)
        return NetSyncPhase(kDayStartPhase) ? NetworkStart::kBegin : NetworkStart::kWait;
    // A host that waited for this copy may be through its day already: the day's end takes this
    // copy on to the weigh-in with the others.
    if (m_hostWaits)
    {
        NetSyncPhase(kDayStartPhase);
        return NetworkStart::kBegin;
    }
    // Else the others fished without this copy: it has no place in their game.
    m_startRequested = false;
    m_announced = false;
    GetAppServices().ReportSessionRefusal(kBegunText);
    NetCloseSession();
    NetMarkLeftGame();
    return NetworkStart::kRefused;
}

void tovDayStartIFace::TellWhomHostWaitsFor()
{
    if (!IsNetworkHost())
        return;
    std::string names;
    for (const int32_t slot : NetSlotsNotAtDayStart())
    {
        char name[64] = {};
        if (!NetGetPlayerName(slot, name, sizeof name) || name[0] == '\0')
            std::snprintf(name, sizeof name, "player %d", static_cast<int>(slot) + 1);
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    if (m_toldWaitedFor && names == m_waitedFor)
        return;
    m_toldWaitedFor = true;
    m_waitedFor = names;
    if (!names.empty())
        GetAppServices().PostTextToMainWindow((kWaitingForText + names).c_str());
}

void tovDayStartIFace::FollowCutDay()
{
    // A client's day is the host's: its number, its weather and its clock.
    if (m_cutDayBegun || (!IsNetworkHost() && !NetSyncPhase(kDayParamsPhase)))
        return;
    m_cutDayBegun = true;
    NetSetLocalPhase(kInDayPhase);
    TheGameClock().SetFlags(TheGameClock().GetFlags() | tovGameClockBase::kRunning);
}

bool tovDayStartIFace::KeepsEscape() const
{
    // Before the first day the main menu would leave the player seated, the host's start held.
    return IsNetworkGame() && (m_waiting || m_startRequested || NetIsBeforeFirstDay());
}

bool tovDayStartIFace::AllowsEscape()
{
    if (!KeepsEscape())
        return tovShellIFace::AllowsEscape();
    AskToLeave();
    return false;
}

void tovDayStartIFace::AskToLeave()
{
    if (IsMessageBoxRaised())
        return;
    AskToLeaveNetworkGame(&tovDayStartIFace::OnLeaveAnswer, reinterpret_cast<uintptr_t>(this));
    m_askingLeave = IsMessageBoxRaised();
}

bool tovDayStartIFace::OnLeaveAnswer(int32_t answer, uintptr_t argument)
{
    auto* self = reinterpret_cast<tovDayStartIFace*>(argument);
    self->m_askingLeave = false;
    // The first button is yes.
    if (answer == 0)
        self->m_leaveChosen = true;
    return true;
}

void tovDayStartIFace::StartDay()
{
    tovGameSession* session = TheGameSession();
    const int32_t mode = session ? session->GetMode() : tovGameSession::kQuickFish;
    if (mode == tovGameSession::kTournament || mode == tovGameSession::kSeason)
    {
        tovLakeCatalogue& lakes = TheLakeCatalogue();
        const int32_t index = lakes.GetCurrentLakeIndex();
        if (index >= 0 && lakes.OpenLakeFile(index))
        {
            PlayEffectSoundFrom(lakes.GetOpenPack(), kLakeAnnouncement);
            lakes.CloseLakeFile();
        }
    }
    // The host closes the door at the first day; it opens again once the tournament is over.
    if (IsNetworkLaunch())
        NetDisableJoining();
    m_nextScreen = kFishingScreen;
    if (session)
        session->StartGame(mode, true);
}
