// The receive thread updates the slot records while the main thread reads them, builds rigs
// and drains its queue: run under ThreadSanitizer too.
#include "NetSessionPair.h"
#include "tovNetMessages.h"

#include <gtest/gtest.h>

namespace
{

constexpr int32_t kRounds = 150;

TEST(tovDirectPlayThreads, ReceivePathAndMainThreadShareTheRecords)
{
    plat::LoopbackNetwork net;
    NetSessionSide host(net, "Robin");
    NetSessionSide client(net, "Casey");
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *client.session;
    ASSERT_TRUE(h.HostSession("Lake day", ""));
    ASSERT_TRUE(c.JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil([&] { return c.GetLocalSlot() == 1 && h.IsSlotActive(1); }, {&h, &c}));

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
        if (!host.builtRigs.empty())
            h.GetRigPlayerState(host.builtRigs[0].Get(), seen);
        (void)h.GetSlotIds();
        (void)h.GetPlayerPhase(1);
    }
    sender.join();
    // The injected states carry phase 0 and may land after the sender's last phase: one more
    // phase, sent after both loops, is the one that must stand.
    c.SetLocalPhase(7);
    const std::string last = "Casey: hello";
    EXPECT_TRUE(WaitUntil(
        [&] { return std::count(host.lines.begin(), host.lines.end(), last) == kRounds && h.GetPlayerPhase(1) == 7; },
        {&h, &c}))
        << std::count(host.lines.begin(), host.lines.end(), last) << " lines, phase " << h.GetPlayerPhase(1)
        << ", dropped " << h.GetDroppedCount();
    EXPECT_EQ(host.builtRigs.size(), 1u);
    EXPECT_EQ(h.GetDroppedCount(), 0u);
}

} // namespace
