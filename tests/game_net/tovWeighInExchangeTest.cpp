// The weigh-in's exchange of the day's catches between a host and one other player, by what
// the other player does: goes straight to the results (8), stops in 7 on the way, leaves, is
// lost without a word, or never left its set-up. The host is never held by a player who is gone.

#include "ButtonObj.h"
#include "KeyNumbers.h"
#include "NetSessionPair.h"
#include "ShellScreenFixture.h"
#include "TestWeighInPorts.h"
#include "qrxBaseApp.h"
#include "qrxClock.h"
#include "tovInstallSettings.h"
#include "tovMainMenuIFace.h"
#include "tovNetFacade.h"
#include "tovNetworkPlayGameParams.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"
#include "tovWeighInNet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <tuple>

namespace
{

enum class Other
{
    kTakesResults,
    kStopsInSevenFirst,
    kLeaves,
    kIsLost,
    // Never left its set-up (0), which the weigh-in's waits pass over: it fished no day.
    kStaysInItsSetUp,
};

struct Row
{
    const char* what;
    Other other;
    // What the host's field gets of the other player; empty when it is not in the field.
    std::vector<std::string> players;
    int32_t ounces;
    int32_t fish;
};

// The host's header that carries its catch (from the weigh-in's exchange on) has reached the
// other copy. Its results wait may pass on the parameter record both copies share here, which the
// host's own thread writes: before this, the other copy may still hold the host's fishing header.
bool HostCatchArrives(tovDirectPlay& other)
{
    return WaitUntil([&] { return other.GetPlayerPhase(0) >= tovWeighInNet::kResultsPhase; }, {&other});
}

// Joined and both fishing, the host's session the game's: the host's weigh-in is what the facade
// reaches.
bool BothFishingOnTheHostsSession(SessionPair& pair)
{
    if (!HostAndJoin(pair.h, pair.c) || !BothFishing(pair.h, pair.c))
        return false;
    SetNetworkPlay(&pair.h);
    return true;
}

TEST(tovWeighInExchange, TheHostWaitsForEveryPlayerStillInTheSessionAndTakesTheirCatch)
{
    const Row rows[] = {
        {"goes to 8", Other::kTakesResults, {"Casey"}, 52, 3},
        {"stops in 7, then 8", Other::kStopsInSevenFirst, {"Casey"}, 52, 3},
        {"leaves", Other::kLeaves, {}, 0, 0},
        {"is lost", Other::kIsLost, {}, 0, 0},
        {"stays in its set-up", Other::kStaysInItsSetUp, {}, 0, 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        SessionPair pair;
        tovDirectPlay& c = pair.c;
        ASSERT_TRUE(BothFishingOnTheHostsSession(pair));
        if (row.other == Other::kStaysInItsSetUp)
        {
            c.SetLocalPhase(0);
            ASSERT_TRUE(WaitUntil([&] { return pair.h.GetPlayerPhase(1) == 0; }, {&pair.h, &c}));
        }

        QuitOnStall watchdog;
        bool clientThrough = true;
        std::thread other(
            [&]
            {
                switch (row.other)
                {
                case Other::kTakesResults:
                    c.AddPlayerResults(1, row.ounces, row.fish);
                    clientThrough = c.WaitForPhase(7, 8, 0, 0);
                    break;
                case Other::kStopsInSevenFirst:
                    c.AddPlayerResults(1, row.ounces, row.fish);
                    c.SetLocalPhase(7);
                    clientThrough = c.WaitForPhase(7, 8, 0, 0);
                    break;
                case Other::kLeaves:
                    c.Close();
                    break;
                case Other::kIsLost:
                    pair.net.Kill(c.GetLocalId());
                    break;
                case Other::kStaysInItsSetUp:
                    break;
                }
            });
        const std::vector<tovWeighInNet::Player> players = tovWeighInNet::ExchangeCatches({100, 2});
        other.join();
        watchdog.Finish();
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "the exchange stalled";
        qrxBaseApp::SetQuitFlag(false);
        SetNetworkPlay(nullptr);

        std::vector<std::string> names;
        for (const tovWeighInNet::Player& p : players)
            names.push_back(p.name);
        EXPECT_EQ(names, row.players);
        if (!players.empty())
        {
            EXPECT_EQ(players[0].day.ounces, row.ounces);
            EXPECT_EQ(players[0].day.fish, row.fish);
        }
        if (row.other == Other::kTakesResults || row.other == Other::kStopsInSevenFirst)
        {
            // And the other way round: the host's catch is there when the other's wait ends.
            EXPECT_TRUE(clientThrough);
            ASSERT_TRUE(HostCatchArrives(c));
            int32_t ounces = 0, fish = 0;
            ASSERT_TRUE(c.GetPlayerResults(0, ounces, fish));
            EXPECT_EQ(ounces, 100);
            EXPECT_EQ(fish, 2);
        }
    }
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// Three copies: Casey, a finalist, leaves once the day's results are exchanged (or before it
// brings any), and Drew reads the results only after Casey has gone, as a cut copy that weighs
// late does. Casey's exchanged catch still counts there; a catch never exchanged does not.
// After the final, the next tournament of the session begins without it.
TEST(tovWeighInExchange, AFinalistWhoLeftAfterTheExchangeKeepsItsCatchOnALateCopy)
{
    const struct
    {
        const char* what;
        bool exchanged;
        bool final;
    } rows[] = {{"left after the exchange", true, false},
                {"left before it", false, false},
                {"left after the final's exchange", true, true}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        const bool exchanged = row.exchanged;
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        SessionPair pair;
        NetSessionSide drew(pair.net, "Drew");
        tovDirectPlay& h = pair.h;
        tovDirectPlay& c = pair.c;
        tovDirectPlay& d = *drew.session;
        ASSERT_TRUE(HostAndJoinThree(h, c, d));
        for (tovDirectPlay* s : {&h, &c, &d})
            s->SetLocalPhase(5);
        // Drew has published its catch and waits in the exchange's phase.
        d.AddPlayerResults(2, 0, 0);
        d.SetLocalPhase(tovWeighInNet::kResultsTakenPhase);

        QuitOnStall watchdog;
        std::thread host(
            [&]
            {
                h.AddPlayerResults(0, 64, 1);
                h.WaitForPhase(7, 8, 0, 0);
            });
        std::thread casey(
            [&]
            {
                if (exchanged)
                {
                    c.AddPlayerResults(1, 1500, 2);
                    c.WaitForPhase(7, 8, 0, 0);
                }
                c.Close();
            });
        casey.join();
        host.join();
        // Drew's session has met Casey's leave and freed its seat before Drew reads.
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                d.IsPlayerInPhase(0, 1);
                return !d.IsSlotActive(1);
            },
            {&d}));
        ASSERT_TRUE(HostCatchArrives(d));
        SetNetworkPlay(&d);
        const std::vector<tovWeighInNet::Player> players = tovWeighInNet::ExchangeCatches({});
        watchdog.Finish();
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
        qrxBaseApp::SetQuitFlag(false);
        SetNetworkPlay(nullptr);

        std::vector<std::tuple<std::string, int32_t, int32_t>> seen;
        for (const tovWeighInNet::Player& p : players)
            seen.emplace_back(p.name, p.day.ounces, p.day.fish);
        std::vector<std::tuple<std::string, int32_t, int32_t>> expected{{"Robin", 64, 1}};
        if (exchanged)
            expected.emplace_back("Casey", 1500, 2);
        EXPECT_EQ(seen, expected);
        // Cleared with the day's results: the next day brings nothing of Casey, nor of the host
        // leaving after the day's close. The host's last exchange header may still be on its way
        // to Drew: the day's close, seen by Drew, comes after it.
        h.SetLocalPhase(tovWeighInNet::kClosedPhase);
        ASSERT_TRUE(WaitUntil([&] { return d.GetPlayerPhase(0) == tovWeighInNet::kClosedPhase; }, {&d}));
        if (row.final)
        {
            // The final's close keeps Casey's catch; the next tournament's set-up drops it, or its
            // first day's exchange would list Casey again.
            EXPECT_EQ(d.GetLeftPlayersResults().size(), 1u);
            SetNetworkPlay(&d);
            NetFinishGame();
            NetResetPlayers(0);
            SetNetworkPlay(nullptr);
            EXPECT_TRUE(d.GetLeftPlayersResults().empty()) << "Casey would be a row of the next first day";
            continue;
        }
        d.ClearPlayerResults();
        h.Close();
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                d.IsPlayerInPhase(0, 0);
                return !d.IsSlotActive(0);
            },
            {&d}));
        EXPECT_TRUE(d.GetLeftPlayersResults().empty());
    }
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// Between two days the host goes on only once the other player has left the day's results: the
// phase it closed them in (11) would pass for the next day's weigh-in (7), and a host cut from
// the field, whose day ends at once, would weigh that day in without the others.
TEST(tovWeighInExchange, BetweenTwoDaysTheHostWaitsForEveryPlayerToLeaveTheDay)
{
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    SessionPair pair;
    tovDirectPlay& c = pair.c;
    ASSERT_TRUE(BothFishingOnTheHostsSession(pair));
    pair.h.SetLocalPhase(tovWeighInNet::kClosedPhase);
    c.SetLocalPhase(tovWeighInNet::kClosedPhase);

    QuitOnStall watchdog;
    std::atomic<bool> left{false};
    std::thread other(
        [&]
        {
            // The other player leaves the day only after the host is between the days.
            while (!c.SyncPhase(tovWeighInNet::kBetweenDaysPhase, false) && !qrxBaseApp::GetQuitFlag())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            left = true;
            c.SetLocalPhase(tovWeighInNet::kBetweenDaysPhase);
        });
    EXPECT_TRUE(tovWeighInNet::LeaveDay());
    EXPECT_TRUE(left.load()) << "the host went on while the other player was still in the day's results";
    other.join();
    watchdog.Finish();
    EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "the host's wait stalled";
    qrxBaseApp::SetQuitFlag(false);
    EXPECT_FALSE(pair.h.IsPlayerInPhase(tovWeighInNet::kResultsPhase, 1)) << "nothing left of the day's phases";
    SetNetworkPlay(nullptr);
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// The host's livewell as the weigh-in sees it; no sounds, clips or message box.
using DayPorts = TestWeighInPorts;

// The host's weigh-in over days of a network tournament, with one other player fishing on the
// host's session: the shortest days, `daysSetting` picking how many.
class tovWeighInTwoDays : public ShellScreenTest
{
protected:
    bool StartTournament(int32_t daysSetting)
    {
        SetInstallRoot(testfiles::DataDir());
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        m_pair.emplace();
        // The settings before the session opens: the two sessions share this process's one
        // record of the parameters, which the other's receive thread overwrites with each of
        // the host's messages as it comes, so a message sent before a change would undo it.
        m_pair->h.SetSetting0(0, false);
        m_pair->h.SetSetting1(daysSetting, false);
        if (!BothFishingOnTheHostsSession(*m_pair))
            return false;
        SetNetworkLaunch(true);
        auto owned = std::make_unique<DayPorts>();
        m_ports = owned.get();
        m_screen = std::make_unique<tovWeighInIFace>(std::move(owned));
        TheUserProfile().SetName("Robin", false);
        m_session->SetMode(tovGameSession::kTournament);
        return true;
    }

    void EndTournament()
    {
        m_screen->Leave(10);
        SetNetworkLaunch(false);
        SetNetworkPlay(nullptr);
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        SetInstallRoot("");
        m_screen.reset();
        m_pair.reset();
    }

    std::optional<SessionPair> m_pair;
    DayPorts* m_ports = nullptr;
    std::unique_ptr<tovWeighInIFace> m_screen;
};

// Day 1's catch is published, the results close and the next day's is published: the other
// player hears only that day's catch, not the two days added up.
TEST_F(tovWeighInTwoDays, TheOtherPlayerHearsEachDaysCatchAlone)
{
    // Three days (fields of 20 and 10).
    ASSERT_TRUE(StartTournament(2));
    tovDirectPlay& h = m_pair->h;
    tovDirectPlay& c = m_pair->c;
    DayPorts& ports = *m_ports;
    tovWeighInIFace& screen = *m_screen;

    // The other copy: each day its catch, the host's as heard, and the results closed, its
    // counters cleared before the next day.
    std::array<std::pair<int32_t, int32_t>, 2> heard{};
    // Set once the other copy's next day has begun: its start sets the day of the one game
    // session both copies share here, which the host's must not do before or after.
    std::atomic<bool> nextDayBegun{false};
    QuitOnStall watchdog;
    std::thread other(
        [&]
        {
            for (size_t day = 0; day < heard.size(); ++day)
            {
                c.AddPlayerResults(1, 100, 1);
                c.WaitForPhase(7, 8, 0, 0);
                EXPECT_TRUE(HostCatchArrives(c)) << "day " << day + 1;
                c.GetPlayerResults(0, heard[day].first, heard[day].second);
                if (day + 1 < heard.size())
                {
                    c.WaitForPhase(10, 11, 0, 0);
                    c.ClearPlayerResults();
                    // The next day starts with the host's.
                    c.SetLocalPhase(5);
                    if (!c.SyncPhase(4, false))
                        c.WaitForHostPhase(4);
                    // That wait passed on the record both copies share, which the host's own thread
                    // wrote: the host's fishing header, sent after it, says that yesterday's last
                    // parameters and headers have come too, or one would pass for today's.
                    EXPECT_TRUE(WaitUntil([&] { return c.GetPlayerPhase(0) == 5; }, {&c}));
                    nextDayBegun = true;
                }
            }
        });
    // Day 1: more than any computer angler can bring, so the host goes on.
    ports.m_livewell = {700, 700};
    m_session->SetDay(1, true);
    screen.Prepare(2);
    screen.Enter(2);
    m_clock.AdvanceMs(2000);
    screen.Step(GetTimeMs(), false);
    EXPECT_TRUE(screen.GetCeremony().dayResultsShown);
    screen.Step(GetTimeMs(), true);
    EXPECT_EQ(screen.m_nextScreen, 2);
    // The fishing day between, as the fishing screen starts it; the day's end comes only after
    // the other player is fishing too, not while the last results still close.
    h.SetLocalPhase(5);
    h.SyncPhase(4, true);
    // The other copy may be fishing (5) or already at the next weigh-in (7, 8): either way no
    // longer in yesterday's closing phases, and its day begun.
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            const int32_t phase = h.GetPlayerPhase(1);
            return nextDayBegun.load() && phase >= 5 && phase < 10;
        },
        {&h}));
    ports.m_livewell = {48};
    m_session->SetDay(2, true);
    screen.Enter(2);
    other.join();
    watchdog.Finish();
    EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
    qrxBaseApp::SetQuitFlag(false);
    EndTournament();

    EXPECT_EQ(heard[0], std::make_pair(1400, 2));
    EXPECT_EQ(heard[1], std::make_pair(48, 1));
}

// Yes to "Leave the network game?" while the first day's results close: the game is over for
// this player. The weigh-in sets up the next day all the same, but the main menu offers no way
// back to it and no save of it.
TEST_F(tovWeighInTwoDays, LeavingWhileTheResultsCloseLeavesNoDayToGoBackTo)
{
    // Two days: day 1 ends on its board, whose click closes the results.
    ASSERT_TRUE(StartTournament(1));
    tovDirectPlay& h = m_pair->h;
    tovDirectPlay& c = m_pair->c;
    DayPorts& ports = *m_ports;
    tovWeighInIFace& screen = *m_screen;
    m_hooks.m_built = true;

    // The other copy takes the results and stays on its board: the closing waits for it.
    QuitOnStall watchdog;
    std::thread other(
        [&]
        {
            c.AddPlayerResults(1, 100, 1);
            c.WaitForPhase(7, 8, 0, 0);
        });
    ports.m_livewell = {700, 700};
    m_session->SetDay(1, true);
    screen.Prepare(2);
    screen.Enter(2);
    other.join();
    m_clock.AdvanceMs(2000);
    screen.Step(GetTimeMs(), false);
    ASSERT_TRUE(screen.GetCeremony().dayResultsShown);
    // Escape in the wait asks, Return says yes.
    m_window.InjectKeyDown(plat::kKeyEscape);
    m_window.InjectKeyDown(plat::kKeyReturn);
    screen.Step(GetTimeMs(), true);
    watchdog.Finish();
    EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "the wait stalled";
    qrxBaseApp::SetQuitFlag(false);
    EXPECT_TRUE(NetTakeLeftGame());
    EXPECT_FALSE(h.IsSessionOpen());
    EndTournament();

    SwitchTo(8);
    Frame();
    for (int32_t id : {tovMainMenuIFace::kReturn, tovMainMenuIFace::kSaveGame})
        EXPECT_EQ(m_app->GetInterface(8)->GetButton(id)->m_disabled, 1) << id;
    ButtonObj* back = m_app->GetInterface(8)->GetButton(tovMainMenuIFace::kReturn);
    ClickAt(back->m_left + 2, back->m_top + 2);
    EXPECT_EQ(Current(), 8);
}

} // namespace
