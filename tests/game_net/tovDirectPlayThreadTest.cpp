// The receive thread updates the slot records while the main thread reads them, builds rigs
// and drains its queue: run under ThreadSanitizer too.
#include "NetSessionPair.h"
#include "tovNetMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{

constexpr int32_t kRounds = 150;
// A chat line every so many rounds: no more than a player's share of lines in any second.
constexpr int32_t kChatEvery = 40;
constexpr int32_t kChatLines = (kRounds + kChatEvery - 1) / kChatEvery;
static_assert(kChatLines <= int32_t(tovDirectPlay::kChatLinesPerSecond));

TEST(tovDirectPlayThreads, ReceivePathAndMainThreadShareTheRecords)
{
    SessionPair pair;
    tovDirectPlay& h = pair.h;
    tovDirectPlay& c = pair.c;
    ASSERT_TRUE(HostAndJoin(h, c));

    tovNet::PlayerStateMsg state;
    state.header.senderSlot = 1;
    state.state.m_paintScheme = 0;
    const auto stateBytes = state.Write();
    std::thread sender(
        [&]
        {
            for (int32_t i = 0; i < kRounds; ++i)
            {
                c.SendThrottle(float(i) / kRounds);
                if (i % kChatEvery == 0)
                    c.SendChatText("hello", true, nullptr);
                c.SetLocalPhase(i % 12);
                c.Ping(tovNetworkPlay::kLocalSlot);
            }
        });
    tovPlayerState seen;
    for (int32_t i = 0; i < kRounds; ++i)
    {
        // The host's own receive path runs on its thread; this one feeds it directly too.
        h.HandleMessage({plat::NetMessage::Kind::App, c.GetLocalId(), stateBytes});
        h.ApplyPlayerStates();
        h.DrainMainThreadQueue();
        if (!pair.host.builtRigs.empty())
            h.GetRigPlayerState(pair.host.builtRigs[0].Get(), seen);
        (void)h.GetSlotIds();
        (void)h.GetPlayerPhase(1);
    }
    sender.join();
    // The injected states carry phase 0 and may land after the sender's last phase: one more
    // phase, sent after both loops, is the one that must stand.
    c.SetLocalPhase(7);
    const std::string last = "Casey: hello";
    EXPECT_TRUE(WaitUntil(
        [&] {
            return std::count(pair.host.lines.begin(), pair.host.lines.end(), last) == kChatLines &&
                   h.GetPlayerPhase(1) == 7;
        },
        {&h, &c}))
        << std::count(pair.host.lines.begin(), pair.host.lines.end(), last) << " lines, phase " << h.GetPlayerPhase(1)
        << ", dropped " << h.GetDroppedCount();
    EXPECT_EQ(pair.host.builtRigs.size(), 1u);
    EXPECT_EQ(h.GetDroppedCount(), 0u);
}

// On a client the host's tables seat, move and free slots on the receive thread while the main
// thread clears left players and builds rigs: players come and go, and a stale table now and
// then seats one elsewhere for the next table to move. The stale table and the guest's state
// come in as the game's do, on the client's receive thread, behind the guest's leaving or
// ahead of it.
TEST(tovDirectPlayThreads, TablesReseatWhileTheMainThreadClearsSlots)
{
    SessionPair pair;
    tovDirectPlay& h = pair.h;
    tovDirectPlay& c = pair.c;
    ASSERT_TRUE(HostAndJoin(h, c));

    std::atomic<bool> done{false};
    std::thread guests(
        [&]
        {
            for (int32_t i = 0; i < kRounds / 10; ++i)
            {
                NetSessionSide guest(pair.net, "Guest");
                guest.session->JoinSession("Lake day");
                std::this_thread::yield();
            }
            done = true;
        });
    tovNet::PlayerStateMsg state;
    state.header.senderSlot = 2;
    state.state.m_paintScheme = 0;
    while (!done.load())
    {
        h.DrainMainThreadQueue();
        h.IsPlayerInPhase(4, tovNetworkPlay::kLocalSlot);
        const auto ids = h.GetSlotIds();
        if (ids[2] != 0)
        {
            tovNet::GameParamsMsg stale;
            stale.header.senderSlot = 0;
            stale.ids = {ids[0], ids[1], 0, 0, ids[2]};
            pair.net.DeliverForTest(h.GetLocalId(), c.GetLocalId(), stale.Write());
            pair.net.DeliverForTest(ids[2], c.GetLocalId(), state.Write());
        }
        c.ApplyPlayerStates();
        c.DrainMainThreadQueue();
        (void)c.GetSlotIds();
    }
    guests.join();
    // Every guest has gone: once the host's last table is in, the client holds the two players.
    h.BroadcastGameParams();
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            c.ApplyPlayerStates();
            return c.GetSlotIds() == h.GetSlotIds() && h.GetSlotIds()[2] == 0 && !c.IsSlotActive(4);
        },
        {&h, &c}));
    EXPECT_EQ(c.GetLocalSlot(), 1);
}

// The host numbers a new game while the client's receive thread takes it and the client's main
// thread sends its header: the number and the re-announce cross the threads.
TEST(tovDirectPlayThreads, ANewGamesNumberCrossesTheThreads)
{
    SessionPair pair;
    tovDirectPlay& h = pair.h;
    tovDirectPlay& c = pair.c;
    ASSERT_TRUE(HostAndJoin(h, c));
    std::thread client(
        [&]
        {
            for (int32_t round = 0; round < 20; ++round)
            {
                c.SetLocalPhase(0);
                c.DrainMainThreadQueue();
            }
        });
    for (uint16_t game = 1; game <= 3; ++game)
    {
        ASSERT_TRUE(h.BeginGame());
        EXPECT_EQ(h.GetGameNumber(), game);
    }
    client.join();
    EXPECT_TRUE(WaitUntil([&] { return c.GetGameNumber() == 3; }, {&h, &c}));
}

} // namespace
