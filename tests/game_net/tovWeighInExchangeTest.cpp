// The weigh-in's exchange of the day's catches between a host and one other player, by what
// the other player does: goes straight to the results (8), stops in 7 on the way, leaves, or
// is lost without a word. The host is never held by a player who is gone.

#include "NetSessionPair.h"
#include "qrxBaseApp.h"
#include "tovNetFacade.h"
#include "tovNetworkPlayGameParams.h"
#include "tovWeighInNet.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{

enum class Other
{
    kTakesResults,
    kStopsInSevenFirst,
    kLeaves,
    kIsLost,
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

TEST(tovWeighInExchange, TheHostWaitsForEveryPlayerStillInTheSessionAndTakesTheirCatch)
{
    const Row rows[] = {
        {"goes to 8", Other::kTakesResults, {"Casey"}, 52, 3},
        {"stops in 7, then 8", Other::kStopsInSevenFirst, {"Casey"}, 52, 3},
        {"leaves", Other::kLeaves, {}, 0, 0},
        {"is lost", Other::kIsLost, {}, 0, 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        plat::LoopbackNetwork net;
        NetSessionSide host(net, "Robin");
        NetSessionSide client(net, "Casey");
        tovDirectPlay& h = *host.session;
        tovDirectPlay& c = *client.session;
        ASSERT_TRUE(h.HostSession("Lake day", ""));
        ASSERT_TRUE(c.JoinSession("Lake day"));
        ASSERT_TRUE(
            WaitUntil([&] { return c.GetLocalSlot() == 1 && h.IsSlotActive(1) && c.IsSlotActive(0); }, {&h, &c}));
        // Both fishing: the host's weigh-in is what the facade reaches.
        h.SetLocalPhase(5);
        c.SetLocalPhase(5);
        SetNetworkPlay(&h);

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
                    net.Kill(c.GetLocalId());
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
            int32_t ounces = 0, fish = 0;
            ASSERT_TRUE(c.GetPlayerResults(0, ounces, fish));
            EXPECT_EQ(ounces, 100);
            EXPECT_EQ(fish, 2);
        }
    }
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

} // namespace
