// The pace of the messages a copy sends by itself: none waits, each kind keeps its own turn,
// a held one goes at its turn or gives way to a newer one that says all it did.
#include "tovNetPacer.h"
#include "tovNetMessages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace
{

constexpr uint64_t kGap = tovNetPacer::kGapNs;
constexpr uint64_t kT0 = 1'000'000'000'000;
constexpr plat::NetPlayerId kAll = plat::kNetAllPlayers;

// A message of the type whose stamp word (the transport stamps it as it leaves) is its tag here.
tovNetPacer::Message Tagged(uint8_t type, uint32_t tag, uint16_t phase = 0, plat::NetPlayerId to = kAll)
{
    std::vector<uint8_t> bytes;
    if (type == tovNet::kPlayerHeader)
    {
        tovNet::PlayerHeaderMsg msg;
        msg.phase = phase;
        bytes = msg.Write();
    }
    else if (type == tovNet::kPlayerState)
        bytes = tovNet::PlayerStateMsg().Write();
    else if (type == tovNet::kPing)
        bytes = tovNet::PingMsg().Write();
    else if (type == tovNet::kEvent)
        bytes = tovNet::EventMsg().Write();
    else if (type == tovNet::kNameChanged)
        bytes = tovNet::NameChangedMsg().Write();
    else
        bytes = tovNet::GameParamsMsg().Write();
    tovNet::StampMessage(bytes, tag);
    return {to, bytes};
}

uint32_t TagOf(const tovNetPacer::Message& message)
{
    return static_cast<uint32_t>(message.bytes[4] | message.bytes[5] << 8 | message.bytes[6] << 16 |
                                 message.bytes[7] << 24);
}

std::vector<uint32_t> Tags(const std::vector<tovNetPacer::Message>& messages)
{
    std::vector<uint32_t> tags;
    for (const auto& message : messages)
        tags.push_back(TagOf(message));
    return tags;
}

// Offered all at one instant, then the frames' drains at later instants: at each step, what left.
// A header is replaced only by one of its phase; a ping to one player only by one to it or all;
// a guaranteed message that is not paced takes the held header out before it.
TEST(tovNetPacer, NothingWaitsAndEachHeldMessageGoesAtItsTurnOrGivesWay)
{
    const struct
    {
        uint64_t at;
        // Offered; none: a drain.
        std::optional<tovNetPacer::Message> offer;
        std::vector<uint32_t> sent;
    } steps[] = {
        {kT0, Tagged(tovNet::kPlayerHeader, 1, 5), {1}},
        {kT0, Tagged(tovNet::kPlayerHeader, 2, 5), {}},
        {kT0, Tagged(tovNet::kPlayerHeader, 3, 5), {}},
        {kT0, Tagged(tovNet::kPlayerHeader, 4, 7), {}},
        {kT0, Tagged(tovNet::kPlayerHeader, 5, 7), {}},
        {kT0, Tagged(tovNet::kPlayerHeader, 6, 8), {}},
        {kT0, Tagged(tovNet::kPlayerState, 7), {7}},
        {kT0, Tagged(tovNet::kPing, 8), {8}},
        {kT0, Tagged(tovNet::kPing, 9, 0, 5), {}},
        {kT0, Tagged(tovNet::kPing, 10, 0, 6), {}},
        {kT0, Tagged(tovNet::kPing, 11), {}},
        {kT0, Tagged(tovNet::kPlayerState, 12), {}},
        {kT0, Tagged(tovNet::kPlayerState, 13), {}},
        {kT0, Tagged(tovNet::kEvent, 14), {14}},
        {kT0 + kGap - 1, std::nullopt, {}},
        {kT0 + kGap, std::nullopt, {3, 13, 9}},
        {kT0 + kGap, std::nullopt, {}},
        {kT0 + 2 * kGap, std::nullopt, {5, 11}},
        {kT0 + 3 * kGap, std::nullopt, {6}},
        {kT0 + 10 * kGap, std::nullopt, {}},
        {kT0 + 10 * kGap, Tagged(tovNet::kPlayerHeader, 21, 8), {21}},
        {kT0 + 10 * kGap, Tagged(tovNet::kPlayerHeader, 22, 10), {}},
        {kT0 + 10 * kGap, Tagged(tovNet::kParamsUpdate, 23), {22, 23}},
        {kT0 + 10 * kGap, Tagged(tovNet::kPlayerHeader, 24, 10), {}},
        {kT0 + 10 * kGap, Tagged(tovNet::kPlayerState, 25), {25}},
    };
    tovNetPacer pacer;
    for (size_t i = 0; i < std::size(steps); ++i)
    {
        std::vector<tovNetPacer::Message> out;
        if (steps[i].offer)
            pacer.Offer(*steps[i].offer, steps[i].at, out);
        else
            pacer.TakeDue(steps[i].at, out);
        EXPECT_EQ(Tags(out), steps[i].sent) << "step " << i;
    }
    // The session closes: what is held goes.
    std::vector<tovNetPacer::Message> out;
    pacer.TakeAll(out);
    EXPECT_EQ(Tags(out), std::vector<uint32_t>{24});
    EXPECT_EQ(pacer.HeldCount(), 0u);
}

// A header of the same phase that asks for no answer, or that belongs to another seat or
// another game, says less than the one held.
TEST(tovNetPacer, AHeaderGivesWayOnlyToOneThatSaysAllItDid)
{
    const auto header = [](uint16_t phase, uint8_t reply, uint8_t slot, uint16_t game)
    {
        tovNet::PlayerHeaderMsg msg;
        msg.phase = phase;
        msg.replyWanted = reply;
        msg.header.senderSlot = slot;
        msg.resultA = phase * 10;
        auto bytes = msg.Write();
        tovNet::StampGame(bytes, game);
        return tovNetPacer::Message{kAll, bytes};
    };
    const auto older = header(7, 1, 1, 3);
    const struct
    {
        const char* what;
        tovNetPacer::Message newer;
        bool covers;
    } rows[] = {
        {"the same", header(7, 1, 1, 3), true},         {"another phase", header(8, 1, 1, 3), false},
        {"no answer asked", header(7, 0, 1, 3), false}, {"another seat", header(7, 1, 2, 3), false},
        {"another game", header(7, 1, 1, 4), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(tovNetPacer::Covers(row.newer, older), row.covers) << row.what;
}

// A sender that outruns its pace with headers none of which replaces the last holds no more than
// its bound: the oldest goes early; none is lost and all go in the order sent.
TEST(tovNetPacer, ChangingHeadersBeyondTheBoundGoEarlyInOrderAndNoneIsLost)
{
    tovNetPacer pacer;
    std::vector<tovNetPacer::Message> out;
    const uint32_t count = 40;
    for (uint32_t tag = 0; tag < count; ++tag)
    {
        pacer.Offer(Tagged(tovNet::kPlayerHeader, tag, static_cast<uint16_t>(tag % 2)), kT0, out);
        EXPECT_LE(pacer.HeldCount(), tovNetPacer::kMostHeld);
    }
    EXPECT_EQ(out.size(), count - tovNetPacer::kMostHeld);
    for (uint64_t turn = 1; pacer.HeldCount() > 0 && turn <= count; ++turn)
        pacer.TakeDue(kT0 + turn * kGap, out);
    std::vector<uint32_t> all(count);
    for (uint32_t tag = 0; tag < count; ++tag)
        all[tag] = tag;
    EXPECT_EQ(Tags(out), all);
}

// Guaranteed messages arrive in the order they were sent: parameters or a new name take every
// held header out before them, however many are held, and leave the held state and ping.
TEST(tovNetPacer, AGuaranteedMessageGoesAfterEveryHeldHeader)
{
    for (const uint8_t type : {tovNet::kParamsFull, tovNet::kParamsUpdate, tovNet::kNameChanged})
    {
        SCOPED_TRACE(testing::Message() << "type " << int(type));
        tovNetPacer pacer;
        std::vector<tovNetPacer::Message> out;
        pacer.Offer(Tagged(tovNet::kPlayerHeader, 1, 5), kT0, out);
        pacer.Offer(Tagged(tovNet::kPlayerState, 2), kT0, out);
        for (const uint32_t tag : {3u, 4u, 5u})
            pacer.Offer(Tagged(tovNet::kPlayerHeader, tag, static_cast<uint16_t>(5 + tag)), kT0, out);
        pacer.Offer(Tagged(tovNet::kPlayerState, 6), kT0, out);
        EXPECT_EQ(Tags(out), (std::vector<uint32_t>{1, 2}));
        out.clear();
        pacer.Offer(Tagged(type, 7), kT0, out);
        EXPECT_EQ(Tags(out), (std::vector<uint32_t>{3, 4, 5, 7}));
        EXPECT_EQ(pacer.HeldCount(), 1u) << "the state waits for its turn";
    }
}

// Only the last held message of a kind gives way to a newer one: one further back would jump the
// newer ahead of those held after it (a header of phase 5 ahead of the 7 sent before it).
TEST(tovNetPacer, OnlyTheLastHeldMessageOfAKindIsReplaced)
{
    tovNetPacer pacer;
    std::vector<tovNetPacer::Message> out;
    const uint16_t phases[] = {5, 5, 7, 5, 5};
    for (uint32_t tag = 0; tag < std::size(phases); ++tag)
        pacer.Offer(Tagged(tovNet::kPlayerHeader, tag, phases[tag]), kT0, out);
    for (uint64_t turn = 1; pacer.HeldCount() > 0 && turn <= std::size(phases); ++turn)
        pacer.TakeDue(kT0 + turn * kGap, out);
    EXPECT_EQ(Tags(out), (std::vector<uint32_t>{0, 1, 2, 4}));
}

} // namespace
