#include "tovFishSizeTable.h"

#include "tovFishSpecies.h"

#include <cmath>

std::array<float, 17> tovFishSizeTable::s_sizes{};

void tovFishSizeTable::Set(int32_t species, float size)
{
    if (IsValidSpecies(species) && std::isfinite(size) && size >= 0.0f)
        s_sizes[static_cast<size_t>(species)] = size;
}

float tovFishSizeTable::Get(int32_t species)
{
    return IsValidSpecies(species) ? s_sizes[static_cast<size_t>(species)] : 0.0f;
}

void tovFishSizeTable::Clear()
{
    s_sizes.fill(0.0f);
}
