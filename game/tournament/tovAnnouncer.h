#pragma once
// The weigh-in announcer's lines: the sound id said for a fish's weight, for the leader after
// the player's fish, for the player's standing before his next fish and for his final place.
// A line chosen among several takes one draw (0 to modulus - 1), asked for only then.

#include <cstdint>
#include <functional>

namespace tovAnnouncer
{

using Draw = std::function<int32_t(int32_t modulus)>;

// A fish of this many ounces.
int32_t WeightLine(int32_t ounces, const Draw& draw);
// The leader's standings slot when it is not the player's (1 and above).
int32_t LeaderLine(int32_t leaderSlot, const Draw& draw);
// Whole pounds the player is behind the leader.
int32_t CommentLine(int32_t poundsBehind, const Draw& draw);
// The player's final place counted from 0 (-1 when he has none); first place has its own clip.
int32_t PlacingLine(int32_t place);

} // namespace tovAnnouncer
