#pragma once
// How a kept fish is named to the player: the catch box, the livewell rows and the line other
// players hear all follow one rule for what a tournament hides.

#include <cstdint>
#include <string>

namespace tovCatchText
{

// Tournament and season games keep a catch's weight hidden until the weigh-in.
bool HidesWeight(int32_t mode);

// "a" or "an" before the number as it is said: an 8, an 11, an 18, an 80-odd, an 800-odd.
const char* Article(int32_t n);

// "14 inch Pike": the catch as a tournament shows it. A null species is an empty name.
std::string LengthAndSpecies(int32_t inches, const char* species);

} // namespace tovCatchText
