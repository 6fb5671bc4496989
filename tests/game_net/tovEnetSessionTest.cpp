// Two game sessions over UDP on the loopback interface only, with a short peer time-out so a
// silent player is given up within seconds.
#include "EnetSession.h"
#include "NetSessionPair.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

constexpr int32_t kShortTimeoutMs = 1200;

struct EnetSide
{
    plat::EnetSession* transport;
    std::vector<std::string> lines;
    std::unique_ptr<tovDirectPlay> session;

    explicit EnetSide(const std::string& name)
    {
        auto owned = std::make_unique<plat::EnetSession>(kShortTimeoutMs);
        transport = owned.get();
        session = std::make_unique<tovDirectPlay>(std::move(owned));
        session->SetLocalName(name);
        session->SetMessageSink([this](const std::string& line) { lines.push_back(line); });
    }
    bool Shown(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
};

TEST(tovEnetSession, SplitsAddresses)
{
    std::string host;
    uint16_t port = 0;
    EXPECT_TRUE(plat::SplitHostPort("127.0.0.1:4000", host, port, 7));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 4000);
    EXPECT_TRUE(plat::SplitHostPort("localhost", host, port, 7));
    EXPECT_EQ(port, 7);
    for (const char* bad : {"", ":80", "h:", "h:70000", "h:8x", "h:123456"})
        EXPECT_FALSE(plat::SplitHostPort(bad, host, port, 7)) << bad;
}

TEST(tovEnetSession, JoinChatAndAKilledPeerOverLoopback)
{
    EnetSide host("Robin");
    // Port 0: the system picks a free one.
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    const std::string address = host.session->GetSessionAddress();
    ASSERT_NE(address.find("127.0.0.1:"), std::string::npos);

    EnetSide client("Casey");
    ASSERT_TRUE(client.session->JoinSession(address));
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *client.session;
    ASSERT_TRUE(WaitUntil([&] { return c.GetLocalSlot() == 1 && h.IsSlotActive(1); }, {&h, &c}));
    char name[32];
    ASSERT_TRUE(c.GetPlayerName(0, name, sizeof(name)));
    EXPECT_STREQ(name, "Robin");

    c.SendChatText("Over here", true, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return host.Shown("Casey: Over here"); }, {&h, &c}));
    h.SendChatText("Coming", true, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return client.Shown("Robin: Coming"); }, {&h, &c}));

    client.transport->Abandon();
    EXPECT_TRUE(WaitUntil([&] { return host.Shown("Casey has left the game"); }, {&h}));
    h.ApplyPlayerStates();
    EXPECT_FALSE(h.IsSlotActive(1));
    EXPECT_EQ(h.GetDroppedCount(), 0u);
}

TEST(tovEnetSession, ThePlayerLeftWhenTheHostIsKilledCarriesOnAsHost)
{
    EnetSide host("Robin");
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    EnetSide client("Casey");
    ASSERT_TRUE(client.session->JoinSession(host.session->GetSessionAddress()));
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *client.session;
    ASSERT_TRUE(WaitUntil([&] { return c.GetLocalSlot() == 1 && h.IsSlotActive(1); }, {&h, &c}));
    EXPECT_FALSE(c.IsHost());
    EXPECT_FALSE(c.SyncPhase(5, false)) << "waits for the host";

    host.transport->Abandon();
    EXPECT_TRUE(WaitUntil([&] { return c.IsHost(); }, {&c}));
    EXPECT_TRUE(c.SyncPhase(5, false)) << "nobody is left to wait for";
    EXPECT_EQ(c.GetDroppedCount(), 0u);
}

TEST(tovEnetSession, NoSessionNoJoin)
{
    EnetSide lone("Drew");
    // Nobody listens on the port a closed host had: the join gives up.
    EnetSide host("Robin");
    ASSERT_TRUE(host.session->HostSession("Gone", "127.0.0.1:0"));
    const std::string address = host.session->GetSessionAddress();
    host.session->Close();
    EXPECT_FALSE(lone.session->JoinSession(address));
    EXPECT_FALSE(lone.session->IsSessionOpen());
}

} // namespace
