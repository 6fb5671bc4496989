// Two game sessions over UDP on the loopback interface only, with a short peer time-out so a
// silent player is given up within seconds.
#include "BareConnection.h"
#include "Clock.h"
#include "EnetSession.h"
#include "HandMadeHost.h"
#include "NetSessionPair.h"
#include "NetTestSides.h"
#include "tovNetMessages.h"
#include "tovNetworkPlayGameParams.h"
#include "tovUserProfile.h"

#include <enet/enet.h>
#include <gtest/gtest.h>

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
    std::vector<ListedPlayer> others = {{1, "Robin", {}}};
    for (size_t i = 0; i < std::size(bytes); ++i)
        others.push_back({uint32_t(10 + i), {'R', bytes[i].sent, 'n'}, {}});
    HandMadeHost fake;
    ASSERT_TRUE(fake.Made());
    plat::EnetSession player(kShortTimeoutMs);
    ASSERT_TRUE(fake.Welcome(player, "Casey",
                             [&](const ENetPeer& joiner)
                             { return WelcomeFrame(2, 1, others, "Casey", joiner.address, 1, 30); }));
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

// A welcome is checked as any frame from a peer: one whose list names id 0 or an id twice, lists
// the joiner's own id among the others, names an id above the highest it says was given, or no
// host among the players, is refused, and the join fails as finding no game.
TEST(tovEnetSession, AWelcomeWithIdsThatCannotBeIsRefused)
{
    const struct
    {
        const char* what;
        uint32_t id;
        std::vector<ListedPlayer> others;
        uint32_t lastId;
        bool joins;
    } rows[] = {
        {"a sound welcome", 2, {{1, "Robin", {}}}, 2, true},
        {"id 0 listed", 2, {{1, "Robin", {}}, {0, "Zero", {}}}, 2, false},
        {"an id twice", 3, {{1, "Robin", {}}, {2, "Casey", {}}, {2, "Casey", {}}}, 3, false},
        {"the joiner's own id among the others", 2, {{1, "Robin", {}}, {2, "Casey", {}}}, 2, false},
        {"a listed id above the highest given", 2, {{1, "Robin", {}}, {5, "Eve", {}}}, 2, false},
        {"the joiner's id above the highest given", 3, {{1, "Robin", {}}}, 2, false},
        {"no host among the players", 2, {{4, "Drew", {}}}, 4, false},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        HandMadeHost fake;
        ASSERT_TRUE(fake.Made());
        plat::EnetSession player(kPatientTimeoutMs);
        EXPECT_EQ(fake.Welcome(player, "Casey",
                               [&](const ENetPeer& joiner)
                               { return WelcomeFrame(row.id, 1, row.others, "Casey", joiner.address, 1, row.lastId); }),
                  row.joins);
        if (!row.joins)
        {
            EXPECT_EQ(player.GetJoinFailure(), plat::NetJoinFailure::NotFound);
        }
        player.Close();
    }
}

// The installed clock is a manual one for the test's life (declared first, it goes last).
struct ManualClockInstalled
{
    plat::ManualClock clock{1000000000ull};
    ManualClockInstalled() { plat::SetCurrentClock(&clock); }
    ~ManualClockInstalled() { plat::SetCurrentClock(nullptr); }
};

// Connections that never join hold their places, for the lesser of 5 s and half the time-out of
// the session's clock and no less: a join meanwhile is told the session is full, and one after they
// were dropped is seated. The second came 1 ms after the first, so when the first has had its time
// the second, 1 ms short, still holds its place (the host drops every connection that is due at once).
TEST(tovEnetSession, ConnectionsThatNeverJoinHoldTheirPlacesForALittleWhile)
{
    const struct
    {
        int32_t timeoutMs;
        uint32_t heldMs;
    } rows[] = {{kPatientTimeoutMs, 5000}, {9000, 4500}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.timeoutMs);
        ManualClockInstalled installed;
        plat::EnetSession host(row.timeoutMs, &installed.clock);
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

        installed.clock.AdvanceMs(row.heldMs - 1);
        ASSERT_TRUE(WaitUntil([&] { return host.ConnectionsWaitingToJoin() < 2; }, {}));
        EXPECT_EQ(host.ConnectionsWaitingToJoin(), 1) << "the second holds its place to its time";
        // Dropped by the session's clock, not lost to the links' own time-out.
        EXPECT_EQ(first.Next(), ENET_EVENT_TYPE_DISCONNECT);
        installed.clock.AdvanceMs(1);
        ASSERT_TRUE(WaitUntil([&] { return host.ConnectionsWaitingToJoin() == 0; }, {}));
        EXPECT_TRUE(late.session->JoinSession(host.GetAddress()));
    }
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
