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
#include "tovPostedText.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovWaitingBanner.h"
#include "tovWeighInIFace.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

tovDayStartIFace* g_dayStart = nullptr;

constexpr uint32_t kGroup = 29;
constexpr uint32_t kBackground = 7000;
constexpr uint32_t kBackSound = 6188;
constexpr uint32_t kStartSound = 6183;
constexpr uint32_t kLakeAnnouncement = 17;
constexpr int32_t kFishingScreen = 2;
constexpr int32_t kHelpScreen = tovAppServices::kHelpPictureId;
constexpr int32_t kCutTextX = 170;
constexpr int32_t kCutTextY = 400;

} // namespace

tovDayStartIFace::tovDayStartIFace()
    : m_font(plat::Font::Create("Arial", 28, 700)),
      m_postedFont(plat::Font::Create(tovAppServices::kPostedTextFace, tovAppServices::kPostedTextHeight,
                                      tovAppServices::kPostedTextWeight))
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
                                         GoBack(m_returnScreen);
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
    m_waitingLine.clear();
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
    m_waitingLine.clear();
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
                ShowWhomHostWaitsFor();
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

void tovDayStartIFace::ShowWhomHostWaitsFor()
{
    if (!IsNetworkHost())
        return;
    std::vector<std::string> names;
    for (const int32_t slot : NetSlotsNotAtDayStart())
    {
        char name[64] = {};
        if (!NetGetPlayerName(slot, name, sizeof name) || name[0] == '\0')
            std::snprintf(name, sizeof name, "player %d", static_cast<int>(slot) + 1);
        names.emplace_back(name);
    }
    if (names.empty() || !m_postedFont)
        return;
    m_waitingLine = WaitingLine(*m_postedFont, names, tovPostedText::TextWidth(kPostedTextBand));
    tovPostedText::DrawRows({m_waitingLine}, *m_postedFont, kPostedTextBand);
}

plat::Rect tovDayStartIFace::PostedTextBand() const
{
    plat::Rect band = kPostedTextBand;
    if (!m_waitingLine.empty())
        band.top += tovPostedText::kRow;
    return band;
}

std::string tovDayStartIFace::WaitingLine(const plat::Font& font, const std::vector<std::string>& names, int32_t width)
{
    constexpr const char* kBetween = ", ";
    const auto join = [&](const std::vector<std::string>& parts)
    {
        std::string line = kWaitingForText;
        for (size_t i = 0; i < parts.size(); ++i)
            line += (i == 0 ? "" : kBetween) + parts[i];
        return line;
    };
    const std::string whole = join(names);
    if (names.empty() || font.MeasureText(whole).width <= width)
        return whole;
    // Widths add up (no kerning): what the text around the names leaves is shared out, the
    // narrower names whole, the others cut to an even share of the rest.
    int32_t room = width - font.MeasureText(kWaitingForText).width -
                   static_cast<int32_t>(names.size() - 1) * font.MeasureText(kBetween).width;
    std::vector<int32_t> widths;
    for (const std::string& name : names)
        widths.push_back(font.MeasureText(name).width);
    std::vector<int32_t> narrowFirst = widths;
    std::sort(narrowFirst.begin(), narrowFirst.end());
    int32_t share = room;
    for (size_t i = 0; i < narrowFirst.size(); ++i)
    {
        share = room / static_cast<int32_t>(narrowFirst.size() - i);
        if (narrowFirst[i] > share)
            break;
        room -= narrowFirst[i];
    }
    std::vector<std::string> fitted;
    for (size_t i = 0; i < names.size(); ++i)
        fitted.push_back(widths[i] <= share ? names[i] : qrxFloatingText::FitToWidth(font, names[i], share));
    // A window too narrow for even the cut names: the line itself is cut.
    return qrxFloatingText::FitToWidth(font, join(fitted), width);
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
        // The announcement plays from the lake's pack, which stops it when closed: the pack stays
        // open until the catalogue opens another lake file or closes this one.
        if (index >= 0 && lakes.OpenLakeFile(index))
            PlayEffectSoundFrom(lakes.GetOpenPack(), kLakeAnnouncement);
    }
    // The host closes the door at the first day; it opens again once the tournament is over.
    if (IsNetworkLaunch())
        NetDisableJoining();
    m_nextScreen = kFishingScreen;
    if (session)
        session->StartGame(mode, true);
}
