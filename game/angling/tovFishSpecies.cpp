#include "tovFishSpecies.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
struct SpeciesInfo
{
    const char* name;
    float low;   // lb
    float high;  // lb
    float girth; // inches per cube root of a pound
    float pull;  // pull per pound
    float speed; // world units per second
};

constexpr SpeciesInfo kSpecies[kSpeciesCount] = {
    {"Black Crappie", 0.2f, 2.5f, 12.5f, 0.6f, 0.05f},   {"Bluegill", 0.1f, 1.5f, 9.0f, 0.6f, 0.04f},
    {"Carp", 2.0f, 25.0f, 10.5f, 1.3f, 0.05f},           {"Largemouth Bass", 0.5f, 8.0f, 11.5f, 1.0f, 0.08f},
    {"Muskie", 5.0f, 30.0f, 14.0f, 1.3f, 0.1f},          {"Northern Pike", 2.0f, 15.0f, 14.5f, 1.3f, 0.1f},
    {"Perch", 0.1f, 1.5f, 11.5f, 0.6f, 0.04f},           {"Pickerel", 0.5f, 4.0f, 14.5f, 1.3f, 0.08f},
    {"Red Sunfish", 0.1f, 1.2f, 9.0f, 0.6f, 0.04f},      {"Sauger", 0.5f, 4.0f, 13.5f, 1.0f, 0.06f},
    {"Smallmouth Bass", 0.5f, 5.0f, 11.5f, 1.0f, 0.08f}, {"Spotted Bass", 0.5f, 4.0f, 11.5f, 1.0f, 0.08f},
    {"Striped Bass", 2.0f, 20.0f, 11.0f, 1.0f, 0.1f},    {"Sunfish", 0.1f, 1.2f, 9.0f, 0.6f, 0.04f},
    {"White Crappie", 0.2f, 2.5f, 12.5f, 0.6f, 0.05f},   {"Walleye", 1.0f, 10.0f, 13.5f, 1.0f, 0.06f},
    {"White Bass", 0.5f, 3.0f, 11.5f, 1.0f, 0.08f},
};

// Rows: crankbait, spinner, soft plastic, spoon, topwater, jig, buzzbait, crayfish, frog,
// lizard. Columns in species order.
constexpr float kAttraction[kLureRowCount][kSpeciesCount] = {
    {0.3f, 0.2f, 0.1f, 0.9f, 0.5f, 0.6f, 0.4f, 0.5f, 0.2f, 0.5f, 0.9f, 0.8f, 0.7f, 0.2f, 0.3f, 0.6f, 0.7f},
    {0.6f, 0.7f, 0.1f, 0.8f, 0.8f, 0.9f, 0.7f, 0.8f, 0.6f, 0.5f, 0.8f, 0.7f, 0.6f, 0.6f, 0.6f, 0.5f, 0.8f},
    {0.3f, 0.3f, 0.3f, 1.0f, 0.3f, 0.4f, 0.4f, 0.3f, 0.3f, 0.5f, 0.9f, 0.9f, 0.4f, 0.3f, 0.3f, 0.6f, 0.4f},
    {0.3f, 0.2f, 0.1f, 0.6f, 0.9f, 1.0f, 0.5f, 0.9f, 0.2f, 0.6f, 0.6f, 0.5f, 0.8f, 0.2f, 0.3f, 0.7f, 0.8f},
    {0.1f, 0.3f, 0.1f, 0.9f, 0.6f, 0.5f, 0.1f, 0.5f, 0.3f, 0.1f, 0.7f, 0.6f, 0.5f, 0.3f, 0.1f, 0.1f, 0.5f},
    {0.8f, 0.7f, 0.2f, 0.8f, 0.3f, 0.4f, 0.8f, 0.4f, 0.7f, 0.8f, 0.9f, 0.8f, 0.5f, 0.7f, 0.8f, 0.9f, 0.6f},
    {0.1f, 0.1f, 0.1f, 0.9f, 0.5f, 0.6f, 0.1f, 0.5f, 0.1f, 0.1f, 0.6f, 0.6f, 0.3f, 0.1f, 0.1f, 0.1f, 0.3f},
    {0.2f, 0.2f, 0.6f, 0.9f, 0.2f, 0.2f, 0.5f, 0.2f, 0.2f, 0.5f, 1.0f, 0.9f, 0.3f, 0.2f, 0.2f, 0.6f, 0.3f},
    {0.1f, 0.1f, 0.1f, 0.9f, 0.6f, 0.6f, 0.1f, 0.5f, 0.1f, 0.1f, 0.4f, 0.5f, 0.2f, 0.1f, 0.1f, 0.1f, 0.2f},
    {0.2f, 0.2f, 0.2f, 0.9f, 0.3f, 0.3f, 0.3f, 0.3f, 0.2f, 0.4f, 0.8f, 0.8f, 0.3f, 0.2f, 0.2f, 0.5f, 0.3f},
};

// A lake's bounds are read from a file: a weight above this would overflow the ounces the
// livewell and the weigh-in store.
constexpr float kMaxWeight = 1000.0f;
constexpr float kMinWeight = 1.0f / 16.0f;

float Finite(float x, float fallback)
{
    return std::isfinite(x) ? x : fallback;
}
} // namespace

bool IsValidSpecies(int32_t species)
{
    return species >= 0 && species < kSpeciesCount;
}

bool IsBassSpecies(int32_t species)
{
    return species == kLargemouthBass || species == kSmallmouthBass || species == kSpottedBass;
}

bool IsLivewellScaledSpecies(int32_t species)
{
    return IsBassSpecies(species) || species == kStripedBass || species == kWhiteBass;
}

const char* GetFishSpeciesName(int32_t species)
{
    return IsValidSpecies(species) ? kSpecies[species].name : "";
}

void GetFishSpeciesName(int32_t species, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0)
        return;
    const char* name = GetFishSpeciesName(species);
    const size_t n = std::min(std::strlen(name), size - 1);
    std::memcpy(buffer, name, n);
    buffer[n] = '\0';
}

void GetDefaultSizeRange(int32_t species, float& low, float& high)
{
    const SpeciesInfo& info = kSpecies[IsValidSpecies(species) ? species : kLargemouthBass];
    low = info.low;
    high = info.high;
}

void DrawFishSizeForSpecies(int32_t species, float& weight, float& length, float fraction, float bound1, float bound2,
                            int32_t skill, int32_t /*unused*/, float factor)
{
    float lo = std::min(Finite(bound1, 0.0f), Finite(bound2, 0.0f));
    float hi = std::max(Finite(bound1, 0.0f), Finite(bound2, 0.0f));
    if (hi <= 0.0f)
        GetDefaultSizeRange(species, lo, hi);
    lo = std::clamp(lo, 0.0f, kMaxWeight);
    hi = std::clamp(hi, lo, kMaxWeight);
    const float f = std::clamp(Finite(fraction, 0.0f), 0.0f, 1.0f);
    const float power = 2.0f - 0.25f * static_cast<float>(std::clamp(skill, 0, 3));
    const float w = (lo + (hi - lo) * std::pow(f, power)) * Finite(factor, 1.0f);
    // Never a fish of 0 oz: the weigh-in and the livewell count it.
    weight = std::clamp(w, kMinWeight, kMaxWeight);
    const float girth = kSpecies[IsValidSpecies(species) ? species : kLargemouthBass].girth;
    length = girth * std::cbrt(weight);
}

float GetSpeciesPullFactor(int32_t species)
{
    return IsValidSpecies(species) ? kSpecies[species].pull : 1.0f;
}

float GetSpeciesSwimSpeed(int32_t species)
{
    return IsValidSpecies(species) ? kSpecies[species].speed : 0.05f;
}

float GetLureAttraction(int32_t lureRow, int32_t species)
{
    if (lureRow < 0 || lureRow >= kLureRowCount || !IsValidSpecies(species))
        return 0.3f;
    return kAttraction[lureRow][species];
}
