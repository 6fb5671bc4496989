#pragma once
// Where a copy stands in a network game, as its player header carries it and the host's
// parameters echo it. Each number has one name here and nowhere else.

#include <cstdint>

// On the set-up screens: a new game begins here (the tournament set-up resets every player to it).
inline constexpr int32_t kSetUpPhase = 0;
// Standing at the start of a day, Start pressed: the host begins the day once every player is here.
inline constexpr int32_t kDayStartPhase = 2;
// A day has ended (the weigh-in's last step, or a fishing game's end): from here on a copy is
// inside its game.
inline constexpr int32_t kBetweenDaysPhase = 3;
// The host's parameters of a day under way (its day number and weather); a copy in 4 to 7 is in
// that day.
inline constexpr int32_t kDayParamsPhase = 4;
// A player on the lake, fishing the day.
inline constexpr int32_t kInDayPhase = 5;
// The weigh-in: the host's and the others' while the day's catches travel.
inline constexpr int32_t kResultsPhase = 7;
inline constexpr int32_t kResultsTakenPhase = 8;
// The weigh-in's results close; closed ends the game's day (and the game after its final).
inline constexpr int32_t kClosePhase = 10;
inline constexpr int32_t kClosedPhase = 11;
