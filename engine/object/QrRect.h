#pragma once
// Pixel rectangle handed to the renderer. For clears, vertical positions count upward from
// the bottom edge of the target (top > bottom); for image blits they count down from the top
// row of the image (top < bottom), as image rows are stored.

#include <cstdint>

struct QrRect
{
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};
