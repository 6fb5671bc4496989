#pragma once
// One livewell place as saved games and network messages carry it: 280 bytes, fields in
// this order, little-endian, no hidden padding.

#include <cstddef>
#include <cstdint>

struct tovLivewellFish
{
    static constexpr size_t kNameSize = 260;

    int32_t species = 0;
    char name[kNameSize] = {};
    int32_t weightOunces = 0;
    int32_t lengthInches = 0;
    float displayScale = 0.0f;
    uint8_t inUse = 0;
    uint8_t padding[3] = {};
};

static_assert(sizeof(tovLivewellFish) == 280);
static_assert(offsetof(tovLivewellFish, species) == 0);
static_assert(offsetof(tovLivewellFish, name) == 4);
static_assert(offsetof(tovLivewellFish, weightOunces) == 264);
static_assert(offsetof(tovLivewellFish, lengthInches) == 268);
static_assert(offsetof(tovLivewellFish, displayScale) == 272);
static_assert(offsetof(tovLivewellFish, inUse) == 276);
