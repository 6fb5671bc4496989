// What a host over UDP does on its own, on the loopback interface only: the bound of its service
// step, the turn-aways of flooders by address, the seat of a peer that never introduces itself,
// and the close, which returns at once while its own thread says the leave. The service and
// closing threads run beside the test's: run under ThreadSanitizer too.
#include "BareConnection.h"
#include "Clock.h"
#include "EnetSession.h"
#include "NetSessionPair.h"
#include "NetTestSides.h"
#include "NetTurnAways.h"
#include "tovNetMessages.h"
#include "tovNetRelayFilter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

// Longer than any test runs: only the rule under test lets anyone go.
constexpr int32_t kPatientTimeoutMs = 120000;

TEST(tovEnetHostRules, AServiceStepHandlesAtMostItsBoundOfEvents)
{
    for (const int32_t pending : {0, 3, plat::EnetSession::kEventsPerStep, 2000})
    {
        int32_t left = pending;
        const int32_t handled = plat::EnetSession::ServiceStep(
            [&]
            {
                if (left == 0)
                    return false;
                --left;
                return true;
            });
        EXPECT_EQ(handled, std::min(pending, plat::EnetSession::kEventsPerStep)) << pending;
        EXPECT_EQ(left, pending - handled) << "no event is taken without being handled";
    }
}

// Each place's (address and port) let-goes double its own turn-away: 5 s, 10 s, 20 s, also after
// a turn-away has ended; another address, or another port of the same one, starts free. A turn-away
// heard from another host keeps its time left and its count, the longer standing. The table holds
// 64 places; a 65th pushes out the one let go longest ago, and one already held takes no other's place.
TEST(tovEnetHostRules, TurnAwaysDoublePerAddressInABoundedTable)
{
    plat::NetTurnAways table;
    const uint32_t start = 0xFFFFF000u; // the tick wraps during the test
    const uint64_t a = plat::NetTurnAways::Key(0x0100007F, 28642);
    const uint64_t b = plat::NetTurnAways::Key(0x0200007F, 28642);
    table.LetGo(a, start);
    table.LetGo(a, start + 5000);
    table.LetGo(b, start + 6000);
    const struct
    {
        uint64_t address;
        uint32_t atMs;
        bool held;
    } rows[] = {
        {a, start + 14999, true},
        {a, start + 15000, false},
        {b, start + 10999, true},
        {b, start + 11000, false},
        {plat::NetTurnAways::Key(0x0300007F, 28642), start, false},
        {plat::NetTurnAways::Key(0x0100007F, 28643), start + 5001, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(table.Holds(row.address, row.atMs), row.held)
            << std::hex << row.address << std::dec << " at " << row.atMs - start;
    table.LetGo(a, start + 30000);
    EXPECT_TRUE(table.Holds(a, start + 49999)) << "the third let-go of a: 20 s";
    EXPECT_FALSE(table.Holds(a, start + 50000));

    plat::NetTurnAways heard;
    heard.Hear(a, 7000, 2, start);
    EXPECT_TRUE(heard.Holds(a, start + 6999));
    EXPECT_FALSE(heard.Holds(a, start + 7000));
    heard.Hear(a, 9000, 2, start + 8000);
    heard.Hear(a, 1000, 0, start + 9000);
    EXPECT_TRUE(heard.Holds(a, start + 16999)) << "the longer heard stands";
    EXPECT_FALSE(heard.Holds(a, start + 17000));
    heard.LetGo(a, start + 20000);
    EXPECT_TRUE(heard.Holds(a, start + 39999)) << "a third let-go after two heard of: 20 s";
    EXPECT_FALSE(heard.Holds(a, start + 40000));

    plat::NetTurnAways full;
    for (uint32_t i = 0; i < plat::NetTurnAways::kMaxAddresses; ++i)
        full.LetGo(1000 + i, start + i);
    full.LetGo(1005, start + 100);
    EXPECT_EQ(full.Size(), plat::NetTurnAways::kMaxAddresses);
    EXPECT_TRUE(full.Holds(1000, start + 101)) << "a held address let go again pushes nobody out";
    full.LetGo(5000, start + 101);
    EXPECT_EQ(full.Size(), plat::NetTurnAways::kMaxAddresses);
    EXPECT_FALSE(full.Holds(1000, start + 102)) << "the oldest gave way";
    for (const uint32_t kept : {1001u, 1005u, 1063u, 5000u})
        EXPECT_TRUE(full.Holds(kept, start + 102)) << kept;
}

// An honest copy's states at its pace (60 a second) for three seconds of the session's clock,
// while the game's own clock stands still as a headless host's does inside a wait: nothing is
// held back and nobody is told of a flood.
TEST(tovEnetHostRules, SharesCountOnTheSessionsClockNotTheGames)
{
    ClockAndDebug installed{1000000000ull};
    plat::ManualClock link{5000000000ull};
    plat::EnetSession host(kPatientTimeoutMs, &link);
    host.SetRelayFilter(std::make_shared<tovNetRelayFilter>());
    ASSERT_TRUE(host.Host("Lake day", "127.0.0.1:0", 3, "Robin"));
    plat::EnetSession casey(kPatientTimeoutMs);
    ASSERT_TRUE(casey.Join(host.GetAddress(), "Casey"));
    std::vector<uint8_t> state(tovNet::MessageSize(tovNet::kPlayerState), 0);
    state[0] = tovNet::kPlayerState;
    state[1] = tovNet::kNoSlot;
    // Each state is taken before the clock moves on: the host takes them at its own pace.
    const auto taken = [&]
    {
        plat::NetMessage message;
        for (int32_t i = 0; i < 12000 && host.FramesHeldBack() == 0; ++i)
            if (host.Receive(message, 5) && message.kind == plat::NetMessage::Kind::App)
                return true;
        return false;
    };
    for (int32_t second = 0; second < 3; ++second)
    {
        for (int32_t frame = 0; frame < 60; ++frame)
        {
            ASSERT_TRUE(casey.Send(plat::kNetAllPlayers, state.data(), state.size(), true));
            ASSERT_TRUE(taken()) << "second " << second << ", frame " << frame;
            link.AdvanceMs(1000 / 60);
        }
        link.AdvanceMs(1000 % 60);
    }
    EXPECT_EQ(host.FramesHeldBack(), 0);
    EXPECT_TRUE(installed.debug.Lines().empty()) << installed.debug.Lines().front();
}

// A message of no known kind, sent guaranteed: the host drops every one.
void SendUnknown(plat::EnetSession& from)
{
    const std::vector<uint8_t> bytes(40, 0);
    ASSERT_TRUE(from.Send(plat::kNetAllPlayers, bytes.data(), bytes.size(), true));
}

// A flooder let go is turned away with that reason even where the door is shut too; a session
// opened anew turns nobody away, and the old session's player that hosts it next turns the flooder's
// place away still.
TEST(tovEnetHostRules, ATurnedAwayJoinIsToldSoAndANewSessionForgetsTurnAways)
{
    ClockAndDebug installed{1000000000ull};
    EnetSide host("Robin", kPatientTimeoutMs, &installed.clock);
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    plat::EnetSession drew(kPatientTimeoutMs, &installed.clock);
    ASSERT_TRUE(drew.Join(host.session->GetSessionAddress(), "Drew"));
    plat::EnetSession flood(kPatientTimeoutMs);
    ASSERT_TRUE(flood.Join(host.session->GetSessionAddress(), "Ann"));
    const plat::NetPlayerId floodId = flood.GetLocalId();
    const std::string floodAt = flood.ListenAddressForTests();
    ASSERT_TRUE(WaitUntil([&] { return host.transport->HasPlayer(floodId); }, {host.session.get()}));
    // Drops 2.5 s apart: one flood, let go once it has lasted 5 s.
    for (int64_t drop = 1; drop <= 3; ++drop)
    {
        SendUnknown(flood);
        ASSERT_TRUE(WaitUntil([&] { return host.transport->FramesHeldBack() == drop; }, {host.session.get()}));
        installed.clock.AdvanceMs(drop < 3 ? 2500 : 0);
    }
    ASSERT_TRUE(WaitUntil([&] { return !host.transport->HasPlayer(floodId); }, {host.session.get()}));
    flood.Close();
    // Its port free again: the next copy on this machine listens there, the place turned away.
    flood.FinishClosing();

    host.transport->SetJoinable(false);
    EnetSide again("Ann", kPatientTimeoutMs);
    EXPECT_FALSE(again.session->JoinSession(host.session->GetSessionAddress()));
    EXPECT_EQ(again.session->GetJoinFailure(), "The host turned this player away for a while.");

    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    EXPECT_TRUE(again.session->JoinSession(host.session->GetSessionAddress())) << again.session->GetJoinFailure();

    // The old session's player hosts it once its host has left, and keeps its host's turn-aways.
    ASSERT_TRUE(WaitUntil([&] { return drew.IsHost(); }, {host.session.get()}));
    plat::EnetSession third(kPatientTimeoutMs);
    EXPECT_FALSE(third.Join(drew.GetAddress(), "Ann", "127.0.0.1:" + floodAt.substr(floodAt.rfind(':') + 1)));
    EXPECT_EQ(third.GetJoinFailure(), plat::NetJoinFailure::TurnedAway);
}

// A seat that has sent no header 30 s after it was seated is let go, not turned away: copies on
// one machine share an address. An honest copy sends its header once welcomed and stays.
TEST(tovEnetHostRules, ASeatThatNeverIntroducesItselfIsLetGoWithoutATurnAway)
{
    ClockAndDebug installed{1000000000ull};
    EnetSide host("Robin", kPatientTimeoutMs, &installed.clock);
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    const std::string address = host.session->GetSessionAddress();
    plat::EnetSession silent(kPatientTimeoutMs);
    ASSERT_TRUE(silent.Join(address, "Ann"));
    EnetSide casey("Casey", kPatientTimeoutMs);
    ASSERT_TRUE(casey.session->JoinSession(address));
    const std::initializer_list<tovDirectPlay*> copies = {host.session.get(), casey.session.get()};
    const plat::NetPlayerId silentId = silent.GetLocalId();
    const plat::NetPlayerId caseyId = casey.session->GetLocalId();
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            return host.transport->HasPlayer(silentId) && host.transport->HasPlayer(caseyId) &&
                   host.transport->SeatsNotIntroduced() == 1;
        },
        copies))
        << host.transport->SeatsNotIntroduced();

    // A chat line the host has shown was taken in a service step that has ended by the time
    // the host answers the next question: that step saw the clock as set.
    const auto afterAChat = [&](const std::string& text)
    {
        casey.session->SendChatText(text.c_str(), true, nullptr);
        return WaitUntil([&] { return host.Shown("Casey: " + text); }, copies);
    };
    installed.clock.AdvanceMs(plat::EnetSession::kIntroduceMs - 1);
    ASSERT_TRUE(afterAChat("one"));
    EXPECT_TRUE(host.transport->HasPlayer(silentId)) << "let go early";
    installed.clock.AdvanceMs(1);
    ASSERT_TRUE(afterAChat("two"));
    EXPECT_FALSE(host.transport->HasPlayer(silentId));
    EXPECT_TRUE(host.transport->HasPlayer(caseyId));
    EXPECT_TRUE(silent.Join(address, "Ann")) << "not turned away";
}

// A peer that does not answer the close is disconnected once the close has waited its second,
// so it is not left holding a place in a session that is gone. The close itself returns at once.
TEST(tovEnetHostRules, APeerThatDoesNotAnswerTheCloseIsDisconnected)
{
    plat::EnetSession host(kPatientTimeoutMs);
    ASSERT_TRUE(host.Host("Lake day", "127.0.0.1:0", 3, "Robin"));
    BareConnection mute(host.GetAddress());
    ASSERT_EQ(mute.Next(), ENET_EVENT_TYPE_CONNECT);
    // Joined, then silent: the welcome waits unanswered, so the leave cannot follow it.
    mute.Send({'J', 3, 'A', 'n', 'n'});
    ASSERT_TRUE(WaitUntil([&] { return host.HasPlayer(2); }, {}));
    host.Close();
    host.FinishClosing();
    // The welcome comes first; without the disconnection the next wait runs out.
    ENetEventType event = mute.Next();
    while (event == ENET_EVENT_TYPE_RECEIVE)
        event = mute.Next();
    EXPECT_EQ(event, ENET_EVENT_TYPE_DISCONNECT);
}

// What goes just before a close (a leave's last words: a left-fishing event, a header) arrives
// before the leave, though the close returns before it is said. Both ways: a player that
// leaves, and a host that closes the session.
TEST(tovEnetHostRules, WhatIsSentJustBeforeACloseArrivesBeforeTheLeave)
{
    for (const bool hostCloses : {false, true})
    {
        SCOPED_TRACE(hostCloses ? "the host closes" : "the player leaves");
        for (int32_t round = 0; round < 5; ++round)
        {
            plat::EnetSession host(kPatientTimeoutMs);
            ASSERT_TRUE(host.Host("Lake day", "127.0.0.1:0", 5, "Robin"));
            plat::EnetSession player(kPatientTimeoutMs);
            ASSERT_TRUE(player.Join(host.GetAddress(), "Casey"));
            plat::EnetSession& leaving = hostCloses ? host : player;
            plat::EnetSession& staying = hostCloses ? player : host;
            const plat::NetPlayerId leaver = leaving.GetLocalId();
            const std::vector<uint8_t> last = tovNet::NameChangedMsg().Write();
            ASSERT_TRUE(leaving.Send(plat::kNetAllPlayers, last.data(), last.size(), true));
            leaving.Close();
            bool arrived = false;
            bool gone = false;
            for (int32_t i = 0; i < 12000 && !gone; ++i)
            {
                plat::NetMessage message;
                if (!staying.Receive(message, 5))
                    continue;
                if (message.kind == plat::NetMessage::Kind::App && message.from == leaver)
                    arrived = message.data == last;
                gone = message.kind == plat::NetMessage::Kind::PlayerDestroyed && message.from == leaver;
            }
            ASSERT_TRUE(gone);
            ASSERT_TRUE(arrived) << "round " << round;
        }
    }
}

} // namespace
