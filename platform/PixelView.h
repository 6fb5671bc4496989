#pragma once
// A borrowed view of surface memory: rows of pitch bytes, the first at pixels.

#include "PixelFormat.h"

#include <cstdint>

namespace plat
{

struct PixelView
{
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    PixelFormat format = PixelFormat::Unknown;

    uint8_t* Row(uint32_t y) const { return pixels + static_cast<intptr_t>(y) * pitch; }
};

} // namespace plat
