// What a session sends by itself goes at its pace without holding up the sender: a message
// before its turn is held and leaves at its turn from the frame's drain, or at Close.
#include "NetSessionPair.h"
#include "tovNetMessages.h"
#include "tovNetPacer.h"

#include "Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace
{

// A third player's end of the session, as bytes: the headers' phases and results and the pings
// one player sent it, in the order they came.
struct Watcher
{
    std::unique_ptr<plat::NetSession> end;
    plat::NetPlayerId of;
    std::vector<std::pair<uint16_t, int32_t>> headers;
    int32_t pings = 0;

    Watcher(plat::LoopbackNetwork& net, plat::NetPlayerId watched) : end(net.CreateSession()), of(watched)
    {
        end->Join("Lake day", "Wes");
    }
    // What came since the last call (the in-process network delivers as it sends).
    void Take()
    {
        plat::NetMessage message;
        while (end->Receive(message, 0))
        {
            if (message.kind != plat::NetMessage::Kind::App || message.from != of || message.data.empty())
                continue;
            tovNet::PlayerHeaderMsg header;
            if (header.Read(message.data.data(), message.data.size()))
                headers.emplace_back(header.phase, header.resultA);
            pings += message.data[0] == tovNet::kPing ? 1 : 0;
        }
    }
};

// The client's sends on a clock that stands still: every call returns and nothing goes before
// its turn. Each turn's drain sends one header: each phase arrives, in order, a header replaced
// only by a later one of its phase (its results the later ones); pings keep a pace of their own.
// At Close the header still held goes before the player leaves.
TEST(tovDirectPlayPace, NoSendWaitsAndEveryPhaseArrivesAtItsTurn)
{
    plat::ManualClock pace(1'000'000'000'000);
    SessionPair pair;
    pair.c.SetSendClock(&pace);
    ASSERT_TRUE(HostAndJoin(pair.h, pair.c));
    Watcher wes(pair.net, pair.c.GetLocalId());
    const int32_t slot = pair.c.GetLocalSlot();

    // The join's header had this instant's turn.
    pair.c.SetLocalPhase(5);
    pair.c.AddPlayerResults(slot, 1, 0);
    pair.c.SetLocalPhase(7);
    pair.c.AddPlayerResults(slot, 1, 0);
    pair.c.SetLocalPhase(7);
    pair.c.SetLocalPhase(8);
    pair.c.SetLocalPhase(10);
    pair.c.Ping(tovNetworkPlay::kLocalSlot);
    pair.c.Ping(tovNetworkPlay::kLocalSlot);
    pair.c.DrainMainThreadQueue();
    wes.Take();
    EXPECT_TRUE(wes.headers.empty());
    EXPECT_EQ(wes.pings, 1);

    for (size_t turn = 1; turn <= 6; ++turn)
    {
        pace.AdvanceNanoseconds(tovNetPacer::kGapNs);
        pair.c.DrainMainThreadQueue();
        wes.Take();
        EXPECT_EQ(wes.headers.size(), std::min<size_t>(turn, 4)) << "one header a turn";
    }
    const std::vector<std::pair<uint16_t, int32_t>> phases{{5, 0}, {7, 2}, {8, 2}, {10, 2}};
    EXPECT_EQ(wes.headers, phases);
    EXPECT_EQ(wes.pings, 2);

    pair.c.SetLocalPhase(11);
    pair.c.SetLocalPhase(3);
    pair.c.Close();
    wes.Take();
    ASSERT_EQ(wes.headers.size(), 6u);
    EXPECT_EQ(wes.headers[4].first, 11);
    EXPECT_EQ(wes.headers[5].first, 3);
}

} // namespace
