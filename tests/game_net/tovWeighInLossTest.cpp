// A player lost without a word in the weigh-in's exchange of three copies holds nobody: the host
// and the other player exchange their catches, close the day and go on to the next. The waits of
// three sessions on three threads: run under ThreadSanitizer too.
#include "NetSessionPair.h"
#include "tovNetPhases.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace
{

// Drew is lost while the host waits in the exchange's phase for every player, Drew still on the
// lake; or once Drew has taken the results, before the host could publish them taken (Casey
// still on the lake). A catch Drew published still counts on the host.
TEST(tovWeighInLoss, APlayerLostInTheExchangeHoldsNobody)
{
    const struct
    {
        const char* what;
        bool drewTookResults;
        std::vector<std::string> leftWithCatch;
    } rows[] = {{"lost while the host waits for the exchange", false, {}},
                {"lost having taken the results", true, {"Drew"}}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        SessionPair pair;
        NetSessionSide drew(pair.net, "Drew");
        tovDirectPlay& h = pair.h;
        tovDirectPlay& c = pair.c;
        tovDirectPlay& d = *drew.session;
        ASSERT_TRUE(HostAndJoinThree(h, c, d));
        for (tovDirectPlay* s : {&h, &c, &d})
            s->SetLocalPhase(kInDayPhase);
        ASSERT_TRUE(WaitUntil([&] { return h.GetPlayerPhase(1) == kInDayPhase && h.GetPlayerPhase(2) == kInDayPhase; },
                              {&h, &c, &d}));
        if (row.drewTookResults)
        {
            d.AddPlayerResults(2, 300, 1);
            d.SetLocalPhase(kResultsTakenPhase);
            ASSERT_TRUE(WaitUntil([&] { return h.GetPlayerPhase(2) == kResultsTakenPhase; }, {&h, &d}));
        }

        QuitOnStall watchdog;
        // Each side as the weigh-in runs it: the exchange, the results' close, the day left.
        bool caseyThrough = false;
        const auto casey = [&]
        {
            c.AddPlayerResults(1, 52, 3);
            bool through = c.WaitForPhase(kResultsPhase, kResultsTakenPhase, 0, 0) &&
                           c.WaitForPhase(kClosePhase, kClosedPhase, 0, 0);
            while (through && !c.SyncPhase(kBetweenDaysPhase, false))
            {
                through = !qrxBaseApp::GetQuitFlag();
                c.DrainMainThreadQueue();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            c.SetLocalPhase(kBetweenDaysPhase);
            caseyThrough = through;
        };
        std::thread other;
        if (!row.drewTookResults)
            other = std::thread(casey);
        bool hostThrough = false;
        std::thread host(
            [&]
            {
                h.AddPlayerResults(0, 100, 2);
                hostThrough = h.WaitForPhase(kResultsPhase, kResultsTakenPhase, 0, 0) &&
                              h.WaitForPhase(kClosePhase, kClosedPhase, 0, 0);
                h.SetLocalPhase(kBetweenDaysPhase);
                hostThrough = hostThrough && h.WaitForPhase(kBetweenDaysPhase, kBetweenDaysPhase, 0, 0);
            });
        // The host has published the exchange's phase and cannot go on without Drew: Drew is still
        // on the lake, or Casey is while Drew has taken the results.
        EXPECT_TRUE(WaitUntil(
            [&]
            {
                return CopyGameParams().phase == kResultsPhase &&
                       (row.drewTookResults || h.GetPlayerPhase(1) == kResultsTakenPhase);
            },
            {}));
        pair.net.Kill(d.GetLocalId());
        if (row.drewTookResults)
            other = std::thread(casey);
        host.join();
        other.join();
        watchdog.Finish();
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
        qrxBaseApp::SetQuitFlag(false);

        EXPECT_TRUE(hostThrough);
        EXPECT_TRUE(caseyThrough);
        EXPECT_FALSE(h.IsSlotActive(2));
        int32_t ounces = 0, fish = 0;
        EXPECT_TRUE(h.GetPlayerResults(1, ounces, fish));
        EXPECT_EQ(ounces, 52);
        std::vector<std::string> left;
        for (const tovNetworkPlay::LeftResults& one : h.GetLeftPlayersResults())
            left.push_back(one.name);
        EXPECT_EQ(left, row.leftWithCatch);
    }
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

} // namespace
