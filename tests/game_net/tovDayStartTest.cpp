#include "NetScreensFixture.h"

#include "tovAppServices.h"
#include "tovDayStartIFace.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"
#include "tovSoundFacade.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"

#include "Font.h"
#include "HeadlessAudioOutput.h"
#include "KeyNumbers.h"
#include "SoundManager.h"
#include "TestFiles.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace
{

constexpr int32_t kDayStart = 19;

class tovDayStartTest : public NetScreensTest
{
protected:
    // A network copy on the start of the day, its start pressed and one frame drawn.
    void PressStartOfANetworkDay()
    {
        NetTakeLeftGame();
        SetNetworkLaunch(true);
        SwitchTo(8);
        SwitchTo(kDayStart);
        Frame();
        ClickAt(160, 440);
        Frame();
    }
};

// Back returns to the opener; only where that is the main menu in a network game before its
// first day (the player would stand there still seated) does it ask first, and No stays.
TEST_F(tovDayStartTest, BackReturnsToTheOpener)
{
    struct Row
    {
        bool network;
        int32_t opener;
        bool asks;
    };
    for (const Row& row : {Row{false, 8, false}, Row{false, 4, false}, Row{true, 4, false}, Row{true, 8, true}})
    {
        SCOPED_TRACE(testing::Message() << "network " << row.network << ", from " << row.opener);
        m_net.m_open = row.network;
        SwitchTo(row.opener);
        SwitchTo(kDayStart);
        Frame();
        ClickAt(60, 450);
        Frame();
        EXPECT_EQ(Current(), row.asks ? kDayStart : row.opener);
        ASSERT_EQ(IsMessageBoxRaised(), row.asks);
        if (!row.asks)
            continue;
        EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), kLeaveNetworkQuestion);
        m_input.SetKey(plat::kKeyEscape, true);
        Frame();
        m_input.SetKey(plat::kKeyEscape, false);
        Frame();
        EXPECT_FALSE(IsMessageBoxRaised());
        EXPECT_EQ(Current(), kDayStart) << "No stays";
        EXPECT_TRUE(m_net.m_open);
    }
}

// Without the network switch the start never waits, even with players still out.
TEST_F(tovDayStartTest, StartsAtOnceWithoutTheNetworkSwitch)
{
    m_session->SetMode(tovGameSession::kPractice);
    SwitchTo(8);
    SwitchTo(kDayStart);
    Frame();
    ClickAt(160, 440);
    Frame();
    EXPECT_EQ(Current(), 2);
    EXPECT_TRUE(m_net.m_localPhases.empty());
}

// In a network launch the banner shows every frame until every player reached the start of
// the day, then this player enters that phase and fishing begins.
TEST_F(tovDayStartTest, NetworkStartWaitsForEveryPlayer)
{
    SetNetworkLaunch(true);
    SwitchTo(8);
    SwitchTo(kDayStart);
    Frame();
    tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
    ClickAt(160, 440);
    ASSERT_TRUE(screen->IsStartRequested());
    for (int frame = 0; frame < 4; ++frame)
    {
        Frame();
        EXPECT_EQ(Current(), kDayStart);
        EXPECT_TRUE(screen->IsWaiting());
        EXPECT_TRUE(screen->KeepsEscape());
    }
    EXPECT_TRUE(golden::MatchesGoldenImage("net_day_start_waiting.png", Shown()));
    m_net.m_reachedPhase = 2;
    Frame();
    Frame();
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(m_net.m_localPhases, std::vector<int32_t>{2});
}

// The host's own start waits, its banner up, until every other player stands at its start;
// only then does the host enter the start's phase, which begins the day on every copy.
TEST_F(tovDayStartTest, TheHostBeginsOnceEveryPlayerStandsAtItsStart)
{
    SetNetworkLaunch(true);
    m_net.m_host = true;
    // The host's parameters are its own: in effect at once.
    m_net.m_reachedPhase = 2;
    m_net.m_everyoneAtStart = false;
    m_net.m_names = {"Angler", "Casey", "Drew", "", ""};
    m_net.m_notAtStart = {1, 2};
    SwitchTo(8);
    SwitchTo(kDayStart);
    Frame();
    EXPECT_TRUE(m_services.m_posted.empty()) << "no wait before Start";
    ClickAt(160, 440);
    tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
    for (int frame = 0; frame < 3; ++frame)
    {
        Frame();
        EXPECT_EQ(Current(), kDayStart);
        EXPECT_TRUE(screen->IsWaiting());
    }
    EXPECT_TRUE(m_net.m_localPhases.empty()) << "the host's phase would begin the day for the others";
    // Whom it waits for, on the frame it changes: a player's arrival, a rename.
    EXPECT_EQ(screen->GetShownWaitingLine(), "Waiting for: Casey, Drew");
    m_net.m_notAtStart = {2};
    Frame();
    EXPECT_EQ(screen->GetShownWaitingLine(), "Waiting for: Drew");
    m_net.m_names[2] = "Drew 2";
    Frame();
    EXPECT_EQ(screen->GetShownWaitingLine(), "Waiting for: Drew 2");
    EXPECT_TRUE(m_services.m_posted.empty()) << "a posted line would stand stale";
    m_net.m_notAtStart = {};
    m_net.m_everyoneAtStart = true;
    Frame();
    Frame();
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(m_net.m_localPhases, std::vector<int32_t>{2});
}

// The host's waiting line is drawn in the start's band on every frame of its wait, the same back
// from a look at the help picture, and on no frame after the wait: not on the frame that begins
// the day. A seat without a name is numbered as players count, from 1.
TEST_F(tovDayStartTest, TheHostsWaitingLineStandsOnEveryFrameOfTheWaitOnly)
{
    SetNetworkLaunch(true);
    m_net.m_host = true;
    m_net.m_reachedPhase = 2;
    m_net.m_everyoneAtStart = false;
    m_net.m_names = {"Angler", "Casey", "", "", ""};
    m_net.m_notAtStart = {1, 3};
    SwitchTo(8);
    SwitchTo(kDayStart);
    Frame();
    tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
    const plat::Rect band = tovDayStartIFace::kPostedTextBand;
    // The band as the picture shows it without a line (this application draws no posted lines).
    const auto shownBand = [&]
    {
        const golden::RgbImage shown = Shown();
        const size_t stride = size_t(shown.width) * 3;
        return std::vector<uint8_t>(shown.rgb.begin() + std::ptrdiff_t(stride * size_t(band.top)),
                                    shown.rgb.begin() + std::ptrdiff_t(stride * size_t(band.bottom)));
    };
    const std::vector<uint8_t> bare = shownBand();
    ClickAt(160, 440);
    for (int look = 0; look < 2; ++look)
    {
        SCOPED_TRACE(look == 0 ? "waiting" : "back from the help picture");
        for (int frame = 0; frame < 3; ++frame)
        {
            Frame();
            ASSERT_TRUE(screen->IsWaiting());
            EXPECT_EQ(screen->GetShownWaitingLine(), "Waiting for: Casey, player 4");
            EXPECT_NE(shownBand(), bare) << "frame " << frame;
        }
        SwitchTo(22);
        Frame();
        SwitchTo(kDayStart);
    }
    EXPECT_TRUE(m_services.m_posted.empty());
    m_net.m_notAtStart = {};
    m_net.m_everyoneAtStart = true;
    Frame();
    EXPECT_FALSE(screen->IsWaiting());
    EXPECT_EQ(screen->GetShownWaitingLine(), "");
    EXPECT_EQ(shownBand(), bare) << "drawn after the wait";
    EXPECT_EQ(Current(), 2);
}

// Whatever the names (four as long as a profile takes, the widest letters, a damaged peer's
// longest), the waiting line fits the window at the posted lines' font: each name whole or its
// start cut with "...", in seat order, the short ones whole.
TEST_F(tovDayStartTest, TheHostsWaitingLineFitsTheWindowWhateverTheNames)
{
    const auto font = plat::Font::Create(tovAppServices::kPostedTextFace, tovAppServices::kPostedTextHeight,
                                         tovAppServices::kPostedTextWeight);
    ASSERT_TRUE(font);
    const std::string wide(25, 'W');
    const std::string longest(63, 'M');
    const std::vector<std::string> rows[] = {
        {"Maximilian Wolfgang Moore", "Wilhelmina Wadsworth Mayo", "Bartholomew Quincy Harlow",
         "Genevieve Montgomery Holt"},
        {wide, wide, wide, wide},
        {"Al", longest, "Bo", "Cy"},
        {"Casey", "Wilhelmina Wadsworth Mayo", wide},
    };
    SetNetworkLaunch(true);
    m_net.m_host = true;
    m_net.m_reachedPhase = 2;
    m_net.m_everyoneAtStart = false;
    for (const std::vector<std::string>& names : rows)
    {
        SCOPED_TRACE(names[1]);
        m_net.m_names = {"Angler", "", "", "", ""};
        m_net.m_notAtStart.clear();
        std::string whole = tovDayStartIFace::kWaitingForText;
        for (size_t i = 0; i < names.size(); ++i)
        {
            m_net.m_names[i + 1] = names[i];
            m_net.m_notAtStart.push_back(static_cast<int32_t>(i) + 1);
            whole += (i == 0 ? "" : ", ") + names[i];
        }
        ASSERT_GT(font->MeasureText(whole).width, tovAppServices::kPostedTextWidth) << "a line that needs fitting";
        SwitchTo(8);
        SwitchTo(kDayStart);
        Frame();
        ClickAt(160, 440);
        Frame();
        const std::string line = tovDayStartIFace::GetInstance()->GetShownWaitingLine();
        EXPECT_LE(font->MeasureText(line).width, tovAppServices::kPostedTextWidth) << line;
        ASSERT_TRUE(line.starts_with(tovDayStartIFace::kWaitingForText)) << line;
        std::vector<std::string> shown;
        for (size_t at = std::strlen(tovDayStartIFace::kWaitingForText); at != std::string::npos;)
        {
            const size_t comma = line.find(", ", at);
            shown.push_back(line.substr(at, comma == std::string::npos ? comma : comma - at));
            at = comma == std::string::npos ? comma : comma + 2;
        }
        ASSERT_EQ(shown.size(), names.size()) << line;
        for (size_t i = 0; i < names.size(); ++i)
        {
            if (names[i].size() <= 5)
            {
                EXPECT_EQ(shown[i], names[i]);
            }
            if (shown[i] == names[i])
                continue;
            ASSERT_TRUE(shown[i].ends_with("...") && shown[i].size() > 3) << shown[i];
            EXPECT_TRUE(names[i].starts_with(shown[i].substr(0, shown[i].size() - 3))) << shown[i];
        }
    }
}

// Once the host's game has begun, a copy the host counted follows it into the day and one it
// never counted is refused. A copy that comes when the host's game is past its first day and never
// saw the host before its start (which would have waited for it) is told so and leaves the
// session for the main menu, its day never started. One that saw the host waiting goes on however
// far the host's day has run since, but only in the game it saw waiting: a host that begins its next
// game after a final and fishes it without this copy gives it no place. One that comes while the
// host fishes its first day was at its start when the host began, and fishes that day.
TEST_F(tovDayStartTest, ACopyComingAfterTheFirstDayLeavesTheGame)
{
    using Game = tovNetworkPlay::HostGame;
    struct Row
    {
        Game onArrival;
        Game later;
        // The host's game was a later one then: the host waited for this copy in its last game only.
        bool laterGame;
        bool refused;
    };
    for (const Row& row :
         {Row{Game::kPastFirstDay, Game::kPastFirstDay, false, true},
          Row{Game::kNotBegun, Game::kPastFirstDay, false, false},
          Row{Game::kNotBegun, Game::kPastFirstDay, true, true}, Row{Game::kFirstDay, Game::kFirstDay, false, false}})
    {
        SCOPED_TRACE(testing::Message() << static_cast<int>(row.onArrival) << " then " << static_cast<int>(row.later)
                                        << (row.laterGame ? " of the next game" : ""));
        m_net.m_open = true;
        m_net.m_localPhases.clear();
        m_net.m_hostGame = row.onArrival;
        m_net.m_game = 1;
        // The host's day parameters are in effect once its day has begun.
        m_net.m_reachedPhase = row.onArrival == Game::kFirstDay ? 2 : -1;
        m_services.m_refusals.clear();
        const int32_t dayBefore = m_session->GetDay();
        PressStartOfANetworkDay();
        EXPECT_EQ(m_net.m_localPhases, std::vector<int32_t>{2}) << "it said it stands at its start";
        if (row.onArrival == Game::kNotBegun)
        {
            EXPECT_TRUE(tovDayStartIFace::GetInstance()->IsWaiting());
            m_net.m_hostGame = row.later;
            m_net.m_game = row.laterGame ? 2 : 1;
            Frame();
            Frame();
        }
        EXPECT_EQ(m_services.m_refusals,
                  row.refused ? std::vector<std::string>{tovDayStartIFace::kBegunText} : std::vector<std::string>{});
        EXPECT_EQ(m_net.m_open, !row.refused);
        EXPECT_EQ(NetTakeLeftGame(), row.refused);
        EXPECT_EQ(Current(), row.refused ? kDayStart : 2);
        EXPECT_EQ(m_session->GetDay(), dayBefore + (row.refused ? 0 : 1))
            << "a day is started only on the way to the lake";
    }
}

// After a final the host's next game begins at its set-up, its day with its phase and number. Its
// game select starts its own days over but tells the others no day: paired with the last game's
// closed phase, day 0 read as a game past its first day, and a joiner at its start was refused.
TEST_F(tovDayStartTest, TheHostsGameSelectTellsTheOthersNoDay)
{
    for (const bool network : {true, false})
    {
        SCOPED_TRACE(network ? "in a network game" : "alone");
        m_net.m_open = network;
        m_net.m_host = true;
        m_net.m_days.clear();
        NetFinishGame();
        m_session->SetDay(2, false);
        m_net.m_days.clear();
        SwitchTo(8);
        SwitchTo(1);
        Frame();
        // TOURNAMENT.
        ClickAt(460, 295);
        Frame();
        EXPECT_EQ(Current(), 5);
        EXPECT_EQ(m_session->GetDay(), 0);
        // Alone, the day is kept in the session object for a game hosted later.
        EXPECT_EQ(m_net.m_days, network ? std::vector<int32_t>{} : std::vector<int32_t>{0});
    }
}

// The help picture is a look aside: back from it, the start keeps its request and its one
// announcement (the host counted this copy meanwhile), waits again under its banner, or follows
// the host into the day begun meanwhile. Start pressed again while it waits changes nothing.
TEST_F(tovDayStartTest, BackFromTheHelpPictureTheStartStillWaitsOrFollows)
{
    using Game = tovNetworkPlay::HostGame;
    for (const Game meanwhile : {Game::kNotBegun, Game::kFirstDay, Game::kPastFirstDay})
    {
        SCOPED_TRACE(static_cast<int>(meanwhile));
        SwitchTo(8);
        m_net.m_localPhases.clear();
        m_net.m_hostGame = Game::kNotBegun;
        m_net.m_reachedPhase = -1;
        PressStartOfANetworkDay();
        SwitchTo(22);
        m_net.m_hostGame = meanwhile;
        if (meanwhile != Game::kNotBegun)
            m_net.m_reachedPhase = 2;
        SwitchTo(kDayStart);
        Frame();
        tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
        if (meanwhile == Game::kNotBegun)
        {
            EXPECT_TRUE(screen->IsStartRequested());
            EXPECT_TRUE(screen->IsWaiting());
            // The standings the first press reset are the day's from then on.
            tovWeighInIFace weighIn;
            weighIn.Standings().m_totals[1] = 7;
            ClickAt(160, 440);
            Frame();
            EXPECT_TRUE(screen->IsWaiting());
            EXPECT_EQ(weighIn.Standings().m_totals[1], 7) << "no second reset";
        }
        Frame();
        EXPECT_EQ(m_net.m_localPhases, std::vector<int32_t>{2}) << "announced once, never taken back";
        EXPECT_TRUE(m_services.m_refusals.empty());
        EXPECT_EQ(Current(), meanwhile == Game::kNotBegun ? kDayStart : 2);
    }
}

// Any other road off a start that announced itself takes the announcement back at once, to the
// phase the copy held on coming (the set-up's before the first day, the last day's close after).
// Back once the host has begun with this copy counted is too late: the copy follows the host.
TEST_F(tovDayStartTest, LeavingAnAnnouncedStartTakesItBack)
{
    struct Row
    {
        const char* road;
        int32_t phaseBefore;
        bool hostBegins;
        std::vector<int32_t> phases;
        int32_t screen;
    };
    const Row rows[] = {
        {"back before the first day", 0, false, {2, 0}, 4},
        {"back on a later day", 3, false, {2, 3}, 4},
        {"back after the host began", 0, true, {2}, 2},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.road);
        m_net.m_localPhases.clear();
        m_net.m_phaseBefore = row.phaseBefore;
        m_net.m_hostGame = tovNetworkPlay::HostGame::kNotBegun;
        m_net.m_reachedPhase = -1;
        SetNetworkLaunch(true);
        SwitchTo(4);
        SwitchTo(kDayStart);
        Frame();
        ClickAt(160, 440);
        Frame();
        ASSERT_TRUE(tovDayStartIFace::GetInstance()->IsWaiting());
        // Its day's parameters not yet in effect here, so that Back comes first.
        if (row.hostBegins)
            m_net.m_hostGame = tovNetworkPlay::HostGame::kFirstDay;
        ClickAt(60, 450);
        Frame();
        m_net.m_reachedPhase = 2;
        Frame();
        EXPECT_EQ(m_net.m_localPhases, row.phases);
        EXPECT_EQ(Current(), row.screen);
    }
}

// Escape at a network game's start before its first day, Start pressed or not, asks before
// leaving (the main menu would leave the player seated), the held Escape answering nothing:
// Escape again says no and the screen stays, Return says yes, the session is left and the
// application takes the player to the main menu; a host who begins meanwhile takes the question
// down and the day starts. A later day's start before Start leaves Escape to the application.
TEST_F(tovDayStartTest, EscapeAtTheStartAsksWhetherToLeaveTheGame)
{
    enum class Then
    {
        kNo,
        kYes,
        kHostBegins,
        kMenu,
    };
    struct Row
    {
        bool pressed;
        Then then;
        int32_t phaseBefore = 0;
    };
    const Row rows[] = {{true, Then::kNo},  {true, Then::kYes},  {true, Then::kHostBegins},
                        {false, Then::kNo}, {false, Then::kYes}, {false, Then::kMenu, 3}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "pressed " << row.pressed << ", then " << static_cast<int>(row.then));
        m_net.m_open = true;
        // Each row is a new game's set-up: the last row's day is not this game's.
        NetResetPlayers(0);
        m_net.m_reachedPhase = -1;
        m_net.m_localPhases.clear();
        m_net.m_phaseBefore = row.phaseBefore;
        if (row.pressed)
            PressStartOfANetworkDay();
        else
        {
            SetNetworkLaunch(true);
            SwitchTo(4);
            SwitchTo(kDayStart);
            Frame();
        }
        tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
        ASSERT_EQ(screen->IsWaiting(), row.pressed);
        EXPECT_EQ(screen->KeepsEscape(), row.then != Then::kMenu) << "the help picture's Escape is Back here";
        if (row.then == Then::kMenu)
        {
            EXPECT_TRUE(screen->AllowsEscape());
            continue;
        }
        // The application hands Escape over before the frame reads it.
        m_input.SetKey(plat::kKeyEscape, true);
        EXPECT_FALSE(screen->AllowsEscape()) << "the application's Escape stays on the screen";
        Frame();
        m_input.SetKey(plat::kKeyEscape, false);
        Frame();
        ASSERT_TRUE(IsMessageBoxRaised());
        EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), kLeaveNetworkQuestion);
        if (row.then == Then::kHostBegins)
            m_net.m_reachedPhase = 2;
        else
        {
            const uint8_t key = row.then == Then::kYes ? plat::kKeyReturn : plat::kKeyEscape;
            m_input.SetKey(key, true);
            Frame();
            m_input.SetKey(key, false);
        }
        Frame();
        Frame();
        EXPECT_FALSE(IsMessageBoxRaised());
        EXPECT_EQ(m_net.m_open, row.then != Then::kYes);
        EXPECT_EQ(NetTakeLeftGame(), row.then == Then::kYes);
        EXPECT_EQ(Current(), row.then == Then::kHostBegins ? 2 : kDayStart);
        EXPECT_EQ(screen->IsWaiting(), row.pressed && row.then == Then::kNo);
    }
}

// A player cut from the tournament waits on the start of the day, with the cut's line and no
// buttons. Only once the host's day has begun does it count as in the day, its clock running,
// so that the day's end takes it to the weigh-in with the others; Escape asks whether to leave.
TEST_F(tovDayStartTest, APlayerCutFromTheFieldWaitsOutTheHostsDay)
{
    SetNetworkLaunch(true);
    m_session->SetMode(tovGameSession::kTournament);
    m_session->SetCutFromField(true);
    TheGameClock().SetFlags(0);
    SwitchTo(10);
    SwitchTo(kDayStart);
    m_window.MoveCursor({630, 5});
    Frame();
    Frame();
    tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
    EXPECT_TRUE(screen->IsCutWait());
    EXPECT_TRUE(screen->IsWaiting());
    EXPECT_EQ(screen->GetButton(tovDayStartIFace::kStartButton), nullptr);
    EXPECT_EQ(screen->GetButton(tovDayStartIFace::kBackButton), nullptr);
    EXPECT_TRUE(m_net.m_localPhases.empty()) << "in no day before the host's";
    EXPECT_FALSE(TheGameClock().IsRunning());
    EXPECT_TRUE(golden::MatchesGoldenImage("net_day_start_cut.png", Shown()));

    m_net.m_reachedPhase = 4;
    Frame();
    Frame();
    EXPECT_EQ(m_net.m_localPhases, std::vector<int32_t>{5});
    EXPECT_TRUE(TheGameClock().IsRunning());
    EXPECT_EQ(Current(), kDayStart);
    EXPECT_FALSE(screen->AllowsEscape());
    ASSERT_TRUE(IsMessageBoxRaised());
    EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), kLeaveNetworkQuestion);
    ShowMessageScreen(false);
    SwitchTo(8);
    EXPECT_FALSE(TheGameClock().IsRunning()) << "stopped off the wait";
    m_session->SetCutFromField(false);
}

TEST_F(tovDayStartTest, GoldenBeforeStart)
{
    SwitchTo(8);
    SwitchTo(kDayStart);
    m_window.MoveCursor({630, 5});
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("net_day_start.png", Shown()));
}

// A tournament's or a season's day begins with its lake's announcement, the lake pack's sound 17,
// heard to its end: mixed on a headless output, the day's first second holds a fanfare's worth of
// sound over the click's. A practice day begins without it.
TEST_F(tovDayStartTest, ATournamentOrSeasonDayBeginsWithItsLakesAnnouncement)
{
    SetInstallRoot(testfiles::DataDir());
    TheLakeCatalogue().SelectLake(m_session.get(), 0);
    ASSERT_GE(TheLakeCatalogue().GetCurrentLakeIndex(), 0);
    TheUserProfile().SetEffectSounds(true);
    SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
    SetSoundInitQuestion(nullptr);
    SetSoundWorkerManual(true);
    {
        tovSoundFacade facade;
        ASSERT_EQ(InitSoundManager(nullptr), kSoundOk);
        auto* output = static_cast<plat::HeadlessAudioOutput*>(GetSoundOutput());
        ASSERT_NE(output, nullptr);
        // How many samples of the day's first second are not silent.
        const auto heard = [&](int32_t mode)
        {
            m_session->SetMode(mode);
            SwitchTo(8);
            SwitchTo(kDayStart);
            Frame();
            output->Pull(4410);
            output->TakeSamples();
            ClickAt(160, 440);
            Frame();
            EXPECT_EQ(Current(), 2);
            output->Pull(44100);
            const std::vector<int16_t> samples = output->TakeSamples();
            StopEverySound();
            TheLakeCatalogue().CloseLakeFile();
            return std::count_if(samples.begin(), samples.end(), [](int16_t v) { return v != 0; });
        };
        const auto click = heard(tovGameSession::kPractice);
        // The fanfare: three quarter-second notes at 22,050 samples a second, in both channels.
        for (const int32_t mode : {tovGameSession::kTournament, tovGameSession::kSeason})
            EXPECT_GT(heard(mode), click + 44100) << "mode " << mode;
    }
    SetSoundWorkerManual(false);
    SetSoundOutputFactory(nullptr);
    SetInstallRoot("");
}

} // namespace
