#include "tovLivewell.h"

#include <cmath>

namespace
{
constexpr int32_t kLivewellSpecies = 17;

bool IsPlausible(const tovLivewellFish& fish)
{
    return fish.species >= 0 && fish.species < kLivewellSpecies && fish.weightOunces >= 0 &&
           fish.weightOunces <= tovLivewell::kMaxOunces && fish.lengthInches >= 0 &&
           fish.lengthInches <= tovLivewell::kMaxInches && std::isfinite(fish.displayScale) &&
           fish.displayScale >= 0.0f && fish.displayScale <= tovLivewell::kMaxDisplayScale;
}
} // namespace

int32_t tovLivewell::CountOccupied() const
{
    int32_t n = 0;
    for (const tovLivewellFish& fish : places)
        if (fish.inUse != 0)
            ++n;
    return n;
}

int32_t tovLivewell::FindSmallest() const
{
    int32_t best = -1;
    for (int32_t i = 0; i < kPlaceCount; ++i)
    {
        const tovLivewellFish& fish = places[static_cast<size_t>(i)];
        if (fish.inUse != 0 && (best < 0 || fish.weightOunces < places[static_cast<size_t>(best)].weightOunces))
            best = i;
    }
    return best;
}

int32_t tovLivewell::FindFree() const
{
    for (int32_t i = 0; i < kPlaceCount; ++i)
        if (places[static_cast<size_t>(i)].inUse == 0)
            return i;
    return -1;
}

void tovLivewell::Sanitize()
{
    for (tovLivewellFish& fish : places)
    {
        fish.name[tovLivewellFish::kNameSize - 1] = '\0';
        fish.padding[0] = fish.padding[1] = fish.padding[2] = 0;
        if (fish.inUse != 0 && !IsPlausible(fish))
            fish = tovLivewellFish{};
        if (fish.inUse != 0)
            fish.inUse = 1;
    }
    count = CountOccupied();
}
