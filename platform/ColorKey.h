#pragma once
// A source colour key: raw pixel values from low to high (inclusive) are not copied.

#include <cstdint>

namespace plat
{

struct ColorKey
{
    uint32_t low = 0;
    uint32_t high = 0;

    bool Matches(uint32_t pixel) const { return pixel >= low && pixel <= high; }
};

} // namespace plat
