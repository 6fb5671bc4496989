// Two game sessions over UDP on the loopback interface only, with a short peer time-out so a
// silent player is given up within seconds.
#include "BareConnection.h"
#include "Clock.h"
#include "EnetSession.h"
#include "NetSessionPair.h"
#include "NetTestSides.h"
#include "tovNetMessages.h"
#include "tovNetworkPlayGameParams.h"
#include "tovUserProfile.h"

#include <enet/enet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <algorithm>

namespace
{

constexpr int32_t kShortTimeoutMs = 1200;
// A host that the test's bare connections must not lose to silence while the test runs.
constexpr int32_t kPatientTimeoutMs = 120000;

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
    EnetSide host("Robin", kShortTimeoutMs);
    // Port 0: the system picks a free one.
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    const std::string address = host.session->GetSessionAddress();
    ASSERT_NE(address.find("127.0.0.1:"), std::string::npos);

    EnetSide client("Casey", kShortTimeoutMs);
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
    // The phase is program-wide: one left by an earlier run would be no wait at all.
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    EnetSide host("Robin", kShortTimeoutMs);
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    EnetSide client("Casey", kShortTimeoutMs);
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

// A host that writes its frames by hand on the loopback interface: it answers a join with the
// welcome it is given and sends whatever frames a test makes.
class HandMadeHost
{
public:
    HandMadeHost()
    {
        ENetAddress bind{};
        enet_address_set_host_ip(&bind, "127.0.0.1");
        m_host = enet_host_create(&bind, 1, 2, 0, 0);
    }
    ~HandMadeHost()
    {
        if (m_host != nullptr)
            enet_host_destroy(m_host);
    }
    HandMadeHost(const HandMadeHost&) = delete;
    HandMadeHost& operator=(const HandMadeHost&) = delete;

    bool Made() const { return m_host != nullptr; }
    void Send(const std::vector<uint8_t>& frame)
    {
        enet_peer_send(m_peer, 0, enet_packet_create(frame.data(), frame.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(m_host);
    }
    void Service()
    {
        ENetEvent event;
        while (enet_host_service(m_host, &event, 5) > 0)
        {
            if (event.type == ENET_EVENT_TYPE_CONNECT)
                m_peer = event.peer;
            if (event.type != ENET_EVENT_TYPE_RECEIVE)
                continue;
            if (event.packet->dataLength > 0 && event.packet->data[0] == 'J')
                Send(m_welcome);
            enet_packet_destroy(event.packet);
        }
    }
    // The player joins here as `name` and is welcomed with `welcome`; true once it is in.
    bool Welcome(plat::EnetSession& player, const std::string& name, std::vector<uint8_t> welcome)
    {
        m_welcome = std::move(welcome);
        ENetAddress bound{};
        enet_socket_get_address(m_host->socket, &bound);
        bool joined = false;
        std::atomic<bool> finished{false};
        std::thread joiner(
            [&]
            {
                joined = player.Join("127.0.0.1:" + std::to_string(bound.port), name);
                finished = true;
            });
        while (!finished.load())
            Service();
        joiner.join();
        return joined;
    }
    void Disconnect()
    {
        enet_peer_disconnect_now(m_peer, 0);
        enet_host_flush(m_host);
    }

private:
    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
    std::vector<uint8_t> m_welcome;
};

// The hand-made host welcomes the player, then names that player as gone. The player keeps
// itself; the host's own leaving comes through, and the player then hosts what is left.
TEST(tovEnetSession, AFrameNamingThePlayerItselfAsGoneIsIgnored)
{
    HandMadeHost fake;
    ASSERT_TRUE(fake.Made());
    plat::EnetSession player(kShortTimeoutMs);
    // Player 2, host 1, one player known: 1 "Robin".
    ASSERT_TRUE(fake.Welcome(player, "Casey",
                             {'W', 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 5, 'R', 'o', 'b', 'i', 'n'}));
    EXPECT_EQ(player.GetHostId(), 1u);
    fake.Send({'D', 2, 0, 0, 0});
    fake.Send({'D', 1, 0, 0, 0});
    std::vector<plat::NetMessage> got;
    auto receiveUntil = [&](plat::NetMessage::Kind kind)
    {
        for (int i = 0; i < 2000; ++i)
        {
            fake.Service();
            plat::NetMessage message;
            if (player.Receive(message, 5))
            {
                got.push_back(message);
                if (message.kind == kind)
                    return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(receiveUntil(plat::NetMessage::Kind::PlayerDestroyed));
    EXPECT_EQ(got.back().from, 1u) << "the player itself was taken for gone";
    EXPECT_EQ(player.GetLocalId(), 2u);
    EXPECT_TRUE(player.HasPlayer(2));
    EXPECT_FALSE(player.HasPlayer(1));

    fake.Disconnect();
    ASSERT_TRUE(receiveUntil(plat::NetMessage::Kind::NewHost));
    EXPECT_EQ(player.GetHostId(), 2u);
    player.Close();
}

// Names and chat lines from other players are shown and logged a line each, in a font of
// printable ASCII: any other byte in them reads as a space, the printable ones stay.
TEST(tovEnetSession, BytesOutsidePrintableAsciiInNamesAndLinesReadAsSpaces)
{
    const struct
    {
        char sent;
        char read;
    } bytes[] = {
        {1, ' '},   {9, ' '},   {10, ' '},  {13, ' '},         {27, ' '},         {31, ' '},         {127, ' '},
        {' ', ' '}, {'~', '~'}, {'e', 'e'}, {char(0x80), ' '}, {char(0xC3), ' '}, {char(0xFF), ' '},
    };
    // Player 2, host 1; every other player is named "R", the byte, "n".
    std::vector<uint8_t> welcome = {'W', 2, 0, 0, 0, 1, 0, 0, 0, uint8_t(std::size(bytes)), 0, 0, 0};
    for (size_t i = 0; i < std::size(bytes); ++i)
        welcome.insert(welcome.end(), {uint8_t(10 + i), 0, 0, 0, 3, 'R', uint8_t(bytes[i].sent), 'n'});
    HandMadeHost fake;
    ASSERT_TRUE(fake.Made());
    plat::EnetSession player(kShortTimeoutMs);
    ASSERT_TRUE(fake.Welcome(player, "Casey", welcome));
    for (size_t i = 0; i < std::size(bytes); ++i)
    {
        SCOPED_TRACE(int(uint8_t(bytes[i].sent)));
        EXPECT_EQ(player.GetPlayerName(plat::NetPlayerId(10 + i)), std::string({'R', bytes[i].read, 'n'}));
        tovNet::ChatTextMsg sent;
        const char line[] = {'a', bytes[i].sent, 'z', 0};
        sent.SetText(line);
        tovNet::ChatTextMsg read;
        const std::vector<uint8_t> wire = sent.Write();
        ASSERT_TRUE(read.Read(wire.data(), wire.size()));
        EXPECT_EQ(std::string(read.text.data()), std::string({'a', bytes[i].read, 'z'}));
    }
    player.Close();
}

TEST(tovEnetSession, NoSessionNoJoin)
{
    EnetSide lone("Drew", kShortTimeoutMs);
    // Nobody answers on a port a socket of the test holds (a port freed for the join could be
    // given to another test's session meanwhile): the join gives up.
    const ENetSocket held = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    ASSERT_NE(held, ENET_SOCKET_NULL);
    ENetAddress bound{};
    enet_address_set_host_ip(&bound, "127.0.0.1");
    ASSERT_EQ(enet_socket_bind(held, &bound), 0);
    ASSERT_EQ(enet_socket_get_address(held, &bound), 0);
    const std::string address = "127.0.0.1:" + std::to_string(bound.port);
    EXPECT_FALSE(lone.session->JoinSession(address));
    enet_socket_destroy(held);
    EXPECT_FALSE(lone.session->IsSessionOpen());
    EXPECT_EQ(lone.session->GetJoinFailure(), "No game was found at " + address + ".");
}

// The installed clock is a manual one for the test's life (declared first, it goes last).
struct ManualClockInstalled
{
    plat::ManualClock clock{1000000000ull};
    ManualClockInstalled() { plat::SetCurrentClock(&clock); }
    ~ManualClockInstalled() { plat::SetCurrentClock(nullptr); }
};

// Connections that never join hold their places, for 5 s of the session's clock and no less:
// a join meanwhile is told the session is full, and one after they were dropped is seated. The
// second came 1 ms after the first, so when the first has had its 5 s the second, 1 ms short,
// still holds its place (the host drops every connection that is due at once).
TEST(tovEnetSession, ConnectionsThatNeverJoinHoldTheirPlacesForFiveSeconds)
{
    ManualClockInstalled installed;
    plat::EnetSession host(kPatientTimeoutMs, &installed.clock);
    ASSERT_TRUE(host.Host("Lake day", "127.0.0.1:0", 3, "Robin"));
    BareConnection first(host.GetAddress());
    ASSERT_EQ(first.Next(), ENET_EVENT_TYPE_CONNECT);
    ASSERT_TRUE(WaitUntil([&] { return host.ConnectionsWaitingToJoin() == 1; }, {}));
    installed.clock.AdvanceMs(1);
    BareConnection second(host.GetAddress());
    ASSERT_EQ(second.Next(), ENET_EVENT_TYPE_CONNECT);
    ASSERT_TRUE(WaitUntil([&] { return host.ConnectionsWaitingToJoin() == 2; }, {}));

    EnetSide late("Casey", kShortTimeoutMs);
    EXPECT_FALSE(late.session->JoinSession(host.GetAddress()));
    EXPECT_EQ(late.session->GetJoinFailure(), "The session is full.");

    installed.clock.AdvanceMs(4999);
    ASSERT_TRUE(WaitUntil([&] { return host.ConnectionsWaitingToJoin() < 2; }, {}));
    EXPECT_EQ(host.ConnectionsWaitingToJoin(), 1) << "the second holds its place to its 5 s";
    installed.clock.AdvanceMs(1);
    ASSERT_TRUE(WaitUntil([&] { return host.ConnectionsWaitingToJoin() == 0; }, {}));
    EXPECT_TRUE(late.session->JoinSession(host.GetAddress()));
}

// A connection made while the session was open whose join comes after the host closed it is
// refused as begun and seated nowhere; a join once closed is told the game has begun.
TEST(tovEnetSession, AJoinAfterJoiningClosedIsNotSeated)
{
    plat::EnetSession host(kPatientTimeoutMs);
    ASSERT_TRUE(host.Host("Lake day", "127.0.0.1:0", 5, "Robin"));
    BareConnection early(host.GetAddress());
    ASSERT_EQ(early.Next(), ENET_EVENT_TYPE_CONNECT);
    ASSERT_TRUE(WaitUntil([&] { return host.ConnectionsWaitingToJoin() == 1; }, {}));
    host.SetJoinable(false);
    early.Send({'J', 5, 'C', 'a', 's', 'e', 'y'});
    uint32_t reason = 0;
    ASSERT_EQ(early.Next(&reason), ENET_EVENT_TYPE_DISCONNECT) << "no welcome";
    EXPECT_EQ(reason, static_cast<uint32_t>(plat::NetJoinFailure::Begun));
    plat::NetMessage message;
    EXPECT_FALSE(host.Receive(message, 0)) << "nobody was seated";

    EnetSide late("Drew", kShortTimeoutMs);
    EXPECT_FALSE(late.session->JoinSession(host.GetAddress()));
    EXPECT_EQ(late.session->GetJoinFailure(), "The game has already begun.");
}

TEST(tovEnetSession, ATakenNameGetsTheLowestFreeSuffixWithinTheLimit)
{
    const std::string a31(31, 'a');
    const std::string a29(29, 'a');
    const struct
    {
        std::string name;
        std::vector<std::string> taken;
        std::string given;
    } rows[] = {
        {"Casey", {"Robin"}, "Casey"},
        {"casey", {"Casey"}, "casey"},
        {"Casey", {"Robin", "Casey"}, "Casey 2"},
        {"Casey", {"Casey", "Casey 2"}, "Casey 3"},
        {"Casey", {"Casey", "Casey 3"}, "Casey 2"},
        {std::string(40, 'a'), {}, a31},
        {a31, {a31}, a29 + " 2"},
        {a31 + "b", {a31, a29 + " 2"}, a29 + " 3"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(plat::UniquePlayerName(row.name, row.taken), row.given);
    }
}

// A joiner or a rename taking a player's name gets a suffix from the host, and every copy, its
// own too, shows that name; the profile keeps the name the player chose.
TEST(tovEnetSession, TakenNamesGetASuffixOnEveryCopy)
{
    EnetSide host("Robin", kShortTimeoutMs);
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    const std::string address = host.session->GetSessionAddress();
    EnetSide first("Casey", kShortTimeoutMs);
    ASSERT_TRUE(first.session->JoinSession(address));
    ASSERT_TRUE(
        WaitUntil([&] { return first.session->GetLocalSlot() == 1; }, {host.session.get(), first.session.get()}));
    const std::string before = TheUserProfile().GetName();
    EnetSide second("Casey", kShortTimeoutMs);
    second.session->SetSetupDialog([&](tovDirectPlay& s) { return s.JoinSession(address); });
    TheUserProfile().SetName("Casey", false);
    ASSERT_TRUE(second.session->Open(nullptr));
    EXPECT_STREQ(TheUserProfile().GetName(), "Casey");
    TheUserProfile().SetName(before.c_str(), false);

    const std::initializer_list<tovDirectPlay*> copies = {host.session.get(), first.session.get(),
                                                          second.session.get()};
    const auto everyCopyShows = [&](const std::vector<std::string>& names)
    {
        for (tovDirectPlay* copy : copies)
            for (size_t slot = 0; slot < names.size(); ++slot)
            {
                char name[32];
                if (!copy->GetPlayerName(static_cast<int32_t>(slot), name, sizeof(name)) || name != names[slot])
                    return false;
            }
        return true;
    };
    EXPECT_TRUE(WaitUntil(
        [&] {
            return everyCopyShows({"Robin", "Casey", "Casey 2"}) && host.Shown("Casey 2 has joined the game");
        },
        copies));

    first.session->ChangePlayerName("Robin");
    EXPECT_TRUE(WaitUntil(
        [&] {
            return everyCopyShows({"Robin", "Robin 2", "Casey 2"}) &&
                   second.Shown("Casey has changed name to Robin 2.");
        },
        copies));
    EXPECT_EQ(first.session->GetLocalName(), "Robin");
}

} // namespace
