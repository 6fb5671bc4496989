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

#include <gtest/gtest.h>

#include <algorithm>

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
        EnetSide host("Robin", kPatientTimeoutMs);
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
        ASSERT_TRUE(WaitUntil([&] { return drew.session->GetSlotIds()[3] == floodId; }, copies));
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
        EXPECT_TRUE(WaitUntil(
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
            EXPECT_TRUE(WaitUntil([&] { return everyoneHas(passed, 1); }, copies)) << casey.lines.size();
        }
        EXPECT_TRUE(WaitUntil(
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

} // namespace
