#pragma once
// A pixel rectangle: left and top inclusive, right and bottom exclusive.

#include <cstdint>

namespace plat
{

struct Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool Inverted() const { return right < left || bottom < top; }
    bool Empty() const { return right <= left || bottom <= top; }
};

} // namespace plat
