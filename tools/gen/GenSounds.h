#pragma once
// The program's sounds, synthesised: clicks, the boat's motor, splashes, weather and lake
// ambience. Deterministic; 22,050 Hz 16-bit mono.

#include <cstdint>
#include <vector>

namespace gen
{

constexpr uint32_t kSoundRate = 22050;

struct PackSound
{
    uint32_t id;
    std::vector<int16_t> samples;
};

// Every sound item of the main pack, by id.
std::vector<PackSound> MakePackSounds();
// The weigh-in's crowd and announcer sounds.
std::vector<PackSound> MakeWeighInSounds();

// The ambient streams (more than three seconds each).
std::vector<int16_t> MakeLakeAmbience(double seconds);
std::vector<int16_t> MakeFishFight(double seconds);
std::vector<int16_t> MakeReelSpin(double seconds);

} // namespace gen
