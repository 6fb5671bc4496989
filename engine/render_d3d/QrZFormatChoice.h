#pragma once
// The depth format chosen so far while a device kind's depth formats are enumerated.

#include "PixelFormat.h"

#include <cstdint>

struct QrZFormatChoice
{
    uint8_t wantStencil = 0;
    uint8_t hasStencil = 0;
    // Lower is better; 0 while nothing is chosen.
    uint32_t rank = 0;
    plat::PixelFormat format = plat::PixelFormat::Unknown;
};
