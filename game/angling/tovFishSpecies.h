#pragma once
// The seventeen fish species: their names, groups and the values the size draw, the fight and
// the bite model read. Indices are fixed (saved games and network messages carry them).

#include <cstddef>
#include <cstdint>

enum tovSpecies : int32_t
{
    kBlackCrappie = 0,
    kBluegill,
    kCarp,
    kLargemouthBass,
    kMuskie,
    kNorthernPike,
    kPerch,
    kPickerel,
    kRedSunfish,
    kSauger,
    kSmallmouthBass,
    kSpottedBass,
    kStripedBass,
    kSunfish,
    kWhiteCrappie,
    kWalleye,
    kWhiteBass,
    kSpeciesCount
};

// Lure families: the rows of the attraction table a lure record names.
inline constexpr int32_t kLureRowCount = 10;

bool IsValidSpecies(int32_t species);
// Largemouth, smallmouth and spotted bass: the career record and the computer anglers' catches.
bool IsBassSpecies(int32_t species);
// The livewell view shows these 1.7 times larger.
bool IsLivewellScaledSpecies(int32_t species);

// The species' name, "" out of range. The buffer form always terminates (size 0 writes nothing).
const char* GetFishSpeciesName(int32_t species);
void GetFishSpeciesName(int32_t species, char* buffer, size_t size);

// Weight in pounds and length in inches from a fraction in 0..1 and the lake's two size bounds
// for the species (either order; both 0 or less picks the species' own range). A higher skill
// draws more large fish. The eighth argument is unused. Same inputs, same outputs.
void DrawFishSizeForSpecies(int32_t species, float& weight, float& length, float fraction, float bound1, float bound2,
                            int32_t skill, int32_t unused, float factor);

// The species' own weight range in pounds, for a lake that names none.
void GetDefaultSizeRange(int32_t species, float& low, float& high);
// How hard the species pulls per pound: 1 for bass-like fish, more for pike and carp, less for panfish.
float GetSpeciesPullFactor(int32_t species);
// Cruising speed in world units per second.
float GetSpeciesSwimSpeed(int32_t species);
// How much a lure family appeals to a species, 0..1; a row outside the table counts 0.3.
float GetLureAttraction(int32_t lureRow, int32_t species);
