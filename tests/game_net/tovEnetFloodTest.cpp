// A flood from one player over UDP on the loopback interface only: the host's relay filter
// holds it back before anything is relayed. The host's service thread applies the filter while
// the players' receive threads and the main thread read the sessions: run under ThreadSanitizer
// too.
#include "Clock.h"
#include "DebugOutput.h"
#include "EnetSession.h"
#include "NetSessionPair.h"
#include "NetTestSides.h"
#include "tovNetMessages.h"
#include "tovNetRelayFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

namespace
{

// A silent player is waited for longer than any test runs: peer time-outs run on real time, and
// a busy host must not lose anyone to them here.
constexpr int32_t kPatientTimeoutMs = 120000;

size_t CountHolding(const std::vector<std::string>& lines, const std::string& part)
{
    return static_cast<size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

// One player floods the host with 10,000 chat lines and 10,000 renames (each with its message
// to the others) in one second of the session's clock, then ten lines every half second. Each
// other player gets four of its lines a second and one rename; honest lines in that second
// come through, relayed too. Past its share for 5 s on end the flooder is let go, told once in
// the debug output; nobody else is. The frames go guaranteed, so that the counts are exact.
TEST(tovEnetFlood, StopsAtTheHost)
{
    ClockAndDebug installed{1000000000ull};
    plat::RecordingDebugSink& debug = installed.debug;
    {
        EnetSide host("Robin", kPatientTimeoutMs, &installed.clock);
        ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
        const std::string address = host.session->GetSessionAddress();
        EnetSide casey("Casey", kPatientTimeoutMs);
        EnetSide drew("Drew", kPatientTimeoutMs);
        ASSERT_TRUE(casey.session->JoinSession(address));
        ASSERT_TRUE(drew.session->JoinSession(address));
        plat::EnetSession flood(kPatientTimeoutMs);
        ASSERT_TRUE(flood.Join(address, "Ann"));
        const plat::NetPlayerId floodId = flood.GetLocalId();
        const std::initializer_list<tovDirectPlay*> copies = {host.session.get(), casey.session.get(),
                                                              drew.session.get()};
        // Every copy seats the flooder before it floods: one that seated it only after its first
        // rename would never show that rename's line.
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                return std::all_of(copies.begin(), copies.end(),
                                   [&](tovDirectPlay* copy) { return copy->GetSlotIds()[3] == floodId; });
            },
            copies));
        const auto send = [&](const std::vector<uint8_t>& bytes)
        { ASSERT_TRUE(flood.Send(plat::kNetAllPlayers, bytes.data(), bytes.size(), true)); };
        const auto chat = [](const std::string& text)
        {
            tovNet::ChatTextMsg msg;
            msg.SetText(text.c_str());
            return msg.Write();
        };
        // Held back: each whole second four lines pass; the sixth second's fifth line lets the
        // flooder go, and what it sent after is from no one.
        int64_t heldBack = 0;
        const auto allHeldBack = [&]
        { return WaitUntil([&] { return host.transport->FramesHeldBack() == heldBack; }, copies); };
        for (int32_t i = 0; i < 10000; ++i)
        {
            send(chat("line " + std::to_string(i)));
            flood.SetPlayerName("Flood " + std::to_string(i));
            send(tovNet::NameChangedMsg().Write());
        }
        heldBack = 3 * 10000 - 4 - 1 - 1;
        ASSERT_TRUE(allHeldBack()) << host.transport->FramesHeldBack();
        casey.session->SendChatText("Over here", true, nullptr);
        const auto everyoneHas = [&](size_t lines, size_t renames)
        {
            for (const EnetSide* side : {&host, &casey, &drew})
                if (CountHolding(side->lines, ": line ") != lines ||
                    CountHolding(side->lines, "Ann has changed name to Flood 0.") != renames)
                    return false;
            return true;
        };
        ASSERT_TRUE(WaitUntil(
            [&] { return everyoneHas(4, 1) && host.Shown("Casey: Over here") && drew.Shown("Casey: Over here"); },
            copies));
        EXPECT_EQ(casey.transport->GetPlayerName(floodId), "Flood 0");

        for (uint32_t ms = 500; ms <= 5000; ms += 500)
        {
            SCOPED_TRACE(ms);
            EXPECT_TRUE(host.transport->HasPlayer(floodId)) << "let go early";
            installed.clock.AdvanceMs(500);
            for (int32_t i = 0; i < 10; ++i)
                send(chat("line " + std::to_string(ms)));
            heldBack += ms == 5000 ? 1 : (ms % 1000 == 0 ? 6 : 10);
            ASSERT_TRUE(allHeldBack());
            const size_t passed = 4 * (ms / 1000 + 1);
            // A failed wait ends the test: each later one would wait its whole minute in vain.
            ASSERT_TRUE(WaitUntil([&] { return everyoneHas(passed, 1); }, copies)) << casey.lines.size();
        }
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                return !host.transport->HasPlayer(floodId) && casey.Shown("Flood 0 has left the game") &&
                       drew.Shown("Flood 0 has left the game");
            },
            copies));
        for (const char* told :
             {"Flood 0 sends more than four chat lines a second", "Flood 0 renames itself more than once a second",
              "Flood 0 stayed past its share of messages: disconnected"})
            EXPECT_EQ(CountHolding(debug.Lines(), told), 1u) << told;
        EXPECT_EQ(debug.Lines().size(), 3u);
        EXPECT_TRUE(host.transport->HasPlayer(casey.session->GetLocalId()));
        EXPECT_TRUE(host.transport->HasPlayer(drew.session->GetLocalId()));
        for (const tovDirectPlay* copy : copies)
            EXPECT_EQ(copy->GetDroppedCount(), 0u);
        flood.Close();
    }
}

// A player's own end of the session, counting what reaches it by sender and message type.
struct CountingEnd
{
    plat::EnetSession end{kPatientTimeoutMs};
    std::map<std::pair<plat::NetPlayerId, uint8_t>, size_t> got;

    void Take()
    {
        plat::NetMessage message;
        while (end.Receive(message, 0))
            if (message.kind == plat::NetMessage::Kind::App && !message.data.empty())
                ++got[{message.from, message.data[0]}];
    }
};

// A message of the type at its size, or of no known type (9); its bytes past the type are zero,
// as the host weighs a message by its type and size alone.
std::vector<uint8_t> MessageOf(uint8_t type)
{
    std::vector<uint8_t> bytes(type == 9 ? 40 : tovNet::MessageSize(type), 0);
    if (bytes.size() >= tovNet::kHeaderSize)
    {
        bytes[0] = type;
        bytes[1] = tovNet::kNoSlot;
    }
    return bytes;
}

// In one session, one flood of each kind a player may send through the host, one after the
// other: in one second of the session's clock the flooder gets its share through and no more,
// and an honest player's message of the same kind in that second still reaches the others; then
// a burst a second and a half apart, each just past the share, lets it go once its flood has
// lasted 5 s (the gaps between the bursts do not end the flood). Its next join is refused for
// 5 s, twice as long after each let-go from its address, and let in once that is over. Parameters
// (the host's alone) and messages of no known kind are never relayed. The frames go guaranteed,
// so that the counts are exact.
TEST(tovEnetFlood, EachKindOfMessageHasItsShareAndItsFlooderIsLetGoAndTurnedAway)
{
    ClockAndDebug installed{1000000000ull};
    constexpr uint8_t kRename = 0;
    const struct
    {
        uint8_t type;
        uint32_t share;
    } rows[] = {
        {tovNet::kPing, tovNetRelayFilter::kOncePerFramePerSecond},
        {tovNet::kParamsUpdate, 0},
        {tovNet::kPlayerHeader, tovNetRelayFilter::kOncePerFramePerSecond},
        {tovNet::kPlayerState, tovNetRelayFilter::kOncePerFramePerSecond},
        {tovNet::kEvent, tovNetRelayFilter::kEventsPerSecond},
        {tovNet::kChatText, tovNetRelayFilter::kChatLinesPerSecond},
        {tovNet::kNameChanged, tovNetRelayFilter::kRenamesPerSecond},
        {9, 0},
        // The session's own rename.
        {kRename, tovNetRelayFilter::kRenamesPerSecond},
    };
    EnetSide host("Robin", kPatientTimeoutMs, &installed.clock);
    ASSERT_TRUE(host.session->HostSession("Lake day", "127.0.0.1:0"));
    const std::string address = host.session->GetSessionAddress();
    CountingEnd casey;
    CountingEnd drew;
    ASSERT_TRUE(casey.end.Join(address, "Casey"));
    ASSERT_TRUE(drew.end.Join(address, "Drew"));
    const plat::NetPlayerId caseyId = casey.end.GetLocalId();
    const auto wait = [&](const std::function<bool()>& done)
    {
        return WaitUntil(
            [&]
            {
                casey.Take();
                drew.Take();
                return done();
            },
            {host.session.get()});
    };
    // Each introduces itself as a copy of the game does, or the host would let it go 30 s on.
    const std::vector<uint8_t> header = MessageOf(tovNet::kPlayerHeader);
    for (CountingEnd* end : {&casey, &drew})
        ASSERT_TRUE(end->end.Send(plat::kNetAllPlayers, header.data(), header.size(), true));
    const plat::NetPlayerId drewId = drew.end.GetLocalId();
    ASSERT_TRUE(wait(
        [&]
        {
            return host.transport->SeatsNotIntroduced() == 0 && drew.got[{caseyId, tovNet::kPlayerHeader}] == 1 &&
                   casey.got[{drewId, tovNet::kPlayerHeader}] == 1;
        }));
    casey.got.clear();
    drew.got.clear();
    int64_t heldBack = 0;
    uint32_t turnedAwayMs = 5000;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(static_cast<int>(row.type));
        plat::EnetSession flood(kPatientTimeoutMs);
        ASSERT_TRUE(flood.Join(address, "Ann"));
        const plat::NetPlayerId floodId = flood.GetLocalId();
        ASSERT_TRUE(wait([&] { return drew.end.HasPlayer(floodId) && casey.end.HasPlayer(floodId); }));
        const std::vector<uint8_t> bytes = MessageOf(row.type);
        int32_t renames = 0;
        const auto burst = [&](uint32_t count)
        {
            for (uint32_t i = 0; i < count; ++i)
                if (row.type == kRename)
                    ASSERT_TRUE(flood.SetPlayerName("Flood " + std::to_string(renames++)));
                else
                    ASSERT_TRUE(flood.Send(plat::kNetAllPlayers, bytes.data(), bytes.size(), true));
        };
        const auto fromFlooder = [&] { return drew.got[{floodId, row.type}]; };
        const auto allHeldBack = [&] { return wait([&] { return host.transport->FramesHeldBack() == heldBack; }); };

        burst(row.share + 10);
        heldBack += 10;
        ASSERT_TRUE(allHeldBack()) << host.transport->FramesHeldBack() << " of " << heldBack;
        // An honest player's message of the kind in the flooded second; nobody honest sends the
        // kinds that have no share.
        if (row.share > 0 && row.type != kRename)
        {
            ASSERT_TRUE(casey.end.Send(plat::kNetAllPlayers, bytes.data(), bytes.size(), true));
            ASSERT_TRUE(wait([&] { return drew.got[{caseyId, row.type}] == 1; }));
            drew.got[{caseyId, row.type}] = 0;
        }
        if (row.type == kRename)
            ASSERT_TRUE(wait([&] { return drew.end.GetPlayerName(floodId) == "Flood 0"; }));
        else
            ASSERT_TRUE(wait([&] { return fromFlooder() == row.share; }));

        for (uint32_t ms = 1500; ms <= 6000; ms += 1500)
        {
            SCOPED_TRACE(ms);
            ASSERT_TRUE(host.transport->HasPlayer(floodId)) << "let go early";
            installed.clock.AdvanceMs(1500);
            burst(row.share + 1);
            ++heldBack;
            ASSERT_TRUE(allHeldBack()) << host.transport->FramesHeldBack() << " of " << heldBack;
        }
        ASSERT_TRUE(wait([&] { return !drew.end.HasPlayer(floodId) && !casey.end.HasPlayer(floodId); }));
        EXPECT_FALSE(host.transport->HasPlayer(floodId));
        if (row.type != kRename)
        {
            EXPECT_TRUE(wait([&] { return fromFlooder() == 5 * row.share; })) << "each burst's share, relayed";
        }
        flood.Close();
        // Its port free again: the next copy on this machine listens there, the place turned away.
        flood.FinishClosing();

        // Turned away until its time is over, with the text the player reads.
        installed.clock.AdvanceMs(turnedAwayMs - 1);
        EnetSide again("Ann", kPatientTimeoutMs);
        EXPECT_FALSE(again.session->JoinSession(address));
        EXPECT_EQ(again.session->GetJoinFailure(), "The host turned this player away for a while.");
        installed.clock.AdvanceMs(1);
        turnedAwayMs *= 2;
        // Honest players stay.
        EXPECT_TRUE(host.transport->HasPlayer(caseyId));
        EXPECT_TRUE(host.transport->HasPlayer(drew.end.GetLocalId()));
        EXPECT_TRUE(casey.end.HasPlayer(host.transport->GetLocalId()));
    }
    EXPECT_EQ(CountHolding(installed.debug.Lines(), "stayed past its share of messages: disconnected"),
              std::size(rows));
    // The let-go frees the flooder's place: the next join goes in.
    plat::EnetSession last(kPatientTimeoutMs);
    EXPECT_TRUE(last.Join(address, "Ann"));
}

} // namespace
