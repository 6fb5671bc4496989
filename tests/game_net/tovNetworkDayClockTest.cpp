// The day's clock through the pages of a day: a network day runs on whatever page a player is
// on, for every player, until the day is over; a player alone stops it off the lake. A new day's
// clock starts on the lake, not during the waits before it.
#include "NetScreensFixture.h"
#include "tovChurnApp.h"
#include "tovGameClock.h"
#include "tovGameSession.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

class tovNetworkDayClockTest : public NetScreensTest
{
protected:
    void AddMoreScreens() override
    {
        NetScreensTest::AddMoreScreens();
        m_app->AddInterface(new tovChurnApp, 2);
        m_app->AddInterface(new StandInScreen, 12);
    }
    // Game seconds the clock moves in one real second.
    double OneSecond()
    {
        const double before = TheGameClock().GetGameTime();
        m_clock.AdvanceMs(1000);
        TheGameClock().Update();
        return TheGameClock().GetGameTime() - before;
    }
};

TEST_F(tovNetworkDayClockTest, ANetworkDayRunsOnEveryPageAndANewDayWaitsForTheLake)
{
    for (const bool network : {false, true})
    {
        SCOPED_TRACE(network ? "network game" : "alone");
        m_net.m_open = network;
        m_session->SetDay(1, false);
        TheGameClock().Restart(0); // 48 game seconds a second
        EXPECT_EQ(OneSecond(), 0.0) << "before the lake";
        SwitchTo(2);
        EXPECT_EQ(OneSecond(), 48.0) << "on the lake";
        SwitchTo(12);
        EXPECT_EQ(OneSecond(), network ? 48.0 : 0.0) << "on the travel map";
        SwitchTo(2);
        SwitchTo(8);
        EXPECT_EQ(OneSecond(), network ? 48.0 : 0.0) << "on the main menu";
        SwitchTo(2);
        m_session->SetDayOver();
        EXPECT_EQ(OneSecond(), 0.0) << "once the day is over";
        SwitchTo(8);
        m_session->NextDay();
        EXPECT_EQ(OneSecond(), 0.0) << "between the days";
        EXPECT_EQ(TheGameClock().GetGameTime(), 0.0);
    }
}

// A day set while the last one's clock runs on the lake (the host's next day, or the game select's
// own day 0 in a network session) stands still until its lake.
TEST_F(tovNetworkDayClockTest, ADaySetWhileTheClockRunsStandsUntilItsLake)
{
    m_net.m_open = true;
    const struct
    {
        const char* what;
        std::function<void()> set;
    } rows[] = {{"the session's day", [this] { m_session->SetDay(2, false); }},
                {"its own day", [this] { m_session->SetOwnDay(0); }}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        SwitchTo(2);
        ASSERT_GT(OneSecond(), 0.0) << "the clock runs on the lake";
        row.set();
        EXPECT_FALSE(TheGameClock().IsRunning());
        EXPECT_EQ(OneSecond(), 0.0);
        SwitchTo(8);
    }
}

} // namespace
