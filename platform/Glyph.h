#pragma once
// One rendered character of a font: coverage bytes (0 empty .. 255 full), placed relative
// to the pen on the baseline.

#include <cstdint>
#include <vector>

namespace plat
{

struct Glyph
{
    int32_t width = 0;
    int32_t rows = 0;
    int32_t left = 0;              // from the pen to the bitmap's left column
    int32_t top = 0;               // from the baseline up to the bitmap's top row
    int32_t advance = 0;           // whole pixels to the next pen position
    std::vector<uint8_t> coverage; // rows x width
};

} // namespace plat
