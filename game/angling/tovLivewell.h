#pragma once
// The six-place livewell block: a fish count, then six places. The same 1684 bytes (421
// words) are the saved game's livewell and the network's angler snapshot. Places need not be
// contiguous; the rig keeps the count equal to the number of occupied places.

#include "tovLivewellFish.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct tovLivewell
{
    static constexpr int32_t kPlaceCount = 6;
    static constexpr size_t kByteSize = 1684;
    // Above any fish the game makes (a lake may ask for up to 1000 lb, and a catch's display
    // scale is clamped to 3), yet far from the int range the standings add up.
    static constexpr int32_t kMaxOunces = 16000;
    static constexpr int32_t kMaxInches = 240;
    static constexpr float kMaxDisplayScale = 3.0f;

    int32_t count = 0;
    std::array<tovLivewellFish, kPlaceCount> places{};

    // Occupied places, counted from the in-use bytes.
    int32_t CountOccupied() const;
    // Place of the lightest occupied fish (the first of equals); -1 when empty.
    int32_t FindSmallest() const;
    // Place of the first free slot; -1 when full.
    int32_t FindFree() const;
    // Rebuilds a block read from outside: places with a species outside 0..16, or a weight,
    // length or display scale that is negative, not finite or above the ceilings, are emptied;
    // names are terminated, in-use bytes made 0 or 1 and the count is recounted.
    void Sanitize();
};

static_assert(sizeof(tovLivewell) == tovLivewell::kByteSize);
static_assert(sizeof(tovLivewell) == 421 * 4);
static_assert(offsetof(tovLivewell, places) == 4);
