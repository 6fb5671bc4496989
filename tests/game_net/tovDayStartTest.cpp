#include "NetScreensFixture.h"

#include "tovDayStartIFace.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"

#include "KeyNumbers.h"

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

TEST_F(tovDayStartTest, BackReturnsToTheOpener)
{
    for (int32_t opener : {8, 4})
    {
        SwitchTo(opener);
        SwitchTo(kDayStart);
        Frame();
        ClickAt(60, 450);
        Frame();
        EXPECT_EQ(Current(), opener);
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
    // Escape is the waiting banner's own (the help picture opened over it leaves it so), not before.
    EXPECT_FALSE(screen->KeepsEscape());
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
    SwitchTo(8);
    SwitchTo(kDayStart);
    Frame();
    ClickAt(160, 440);
    tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
    for (int frame = 0; frame < 3; ++frame)
    {
        Frame();
        EXPECT_EQ(Current(), kDayStart);
        EXPECT_TRUE(screen->IsWaiting());
    }
    EXPECT_TRUE(m_net.m_localPhases.empty()) << "the host's phase would begin the day for the others";
    m_net.m_everyoneAtStart = true;
    Frame();
    Frame();
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(m_net.m_localPhases, std::vector<int32_t>{2});
}

// A copy that comes to its start when the host's game is past its first day (and that never saw
// the host before its start, which would have waited for it) is told so and leaves the session
// for the main menu, its day never started. One that saw the host waiting goes on, however far
// the host's day has run since: the day's end takes it to the weigh-in with the others.
TEST_F(tovDayStartTest, ACopyComingAfterTheFirstDayLeavesTheGame)
{
    using Game = tovNetworkPlay::HostGame;
    for (const bool sawHostWaiting : {false, true})
    {
        SCOPED_TRACE(sawHostWaiting);
        m_net.m_open = true;
        m_net.m_localPhases.clear();
        m_net.m_hostGame = sawHostWaiting ? Game::kNotBegun : Game::kPastFirstDay;
        m_services.m_refusals.clear();
        PressStartOfANetworkDay();
        EXPECT_EQ(m_net.m_localPhases, std::vector<int32_t>{2}) << "it said it stands at its start";
        if (sawHostWaiting)
        {
            EXPECT_TRUE(tovDayStartIFace::GetInstance()->IsWaiting());
            m_net.m_hostGame = Game::kPastFirstDay;
            Frame();
            Frame();
        }
        const bool refused = !sawHostWaiting;
        EXPECT_EQ(m_services.m_refusals,
                  refused ? std::vector<std::string>{tovDayStartIFace::kBegunText} : std::vector<std::string>{});
        EXPECT_EQ(m_net.m_open, !refused);
        EXPECT_EQ(NetTakeLeftGame(), refused);
        EXPECT_EQ(Current(), refused ? kDayStart : 2);
        EXPECT_EQ(m_session->GetDay(), refused ? 0 : 1) << "a day is started only on the way to the lake";
    }
}

// Escape while the banner waits asks before leaving, the held Escape answering nothing: Escape
// again says no and the wait goes on, Return says yes, the session is left and the application
// takes the player to the main menu; a host who begins meanwhile takes the question down and
// the day starts.
TEST_F(tovDayStartTest, EscapeWhileWaitingAsksWhetherToLeaveTheGame)
{
    enum class Then
    {
        kNo,
        kYes,
        kHostBegins,
    };
    for (Then then : {Then::kNo, Then::kYes, Then::kHostBegins})
    {
        SCOPED_TRACE(static_cast<int>(then));
        m_net.m_open = true;
        m_net.m_reachedPhase = -1;
        PressStartOfANetworkDay();
        tovDayStartIFace* screen = tovDayStartIFace::GetInstance();
        ASSERT_TRUE(screen->IsWaiting());
        // The application hands Escape over before the frame reads it.
        m_input.SetKey(plat::kKeyEscape, true);
        EXPECT_FALSE(screen->AllowsEscape()) << "the application's Escape stays on the screen";
        Frame();
        m_input.SetKey(plat::kKeyEscape, false);
        Frame();
        ASSERT_TRUE(IsMessageBoxRaised());
        EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), kLeaveNetworkQuestion);
        if (then == Then::kHostBegins)
            m_net.m_reachedPhase = 2;
        else
        {
            const uint8_t key = then == Then::kYes ? plat::kKeyReturn : plat::kKeyEscape;
            m_input.SetKey(key, true);
            Frame();
            m_input.SetKey(key, false);
        }
        Frame();
        Frame();
        EXPECT_FALSE(IsMessageBoxRaised());
        EXPECT_EQ(m_net.m_open, then != Then::kYes);
        EXPECT_EQ(NetTakeLeftGame(), then == Then::kYes);
        EXPECT_EQ(Current(), then == Then::kHostBegins ? 2 : kDayStart);
        EXPECT_EQ(screen->IsWaiting(), then == Then::kNo);
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

} // namespace
