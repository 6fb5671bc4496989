#pragma once
// Colours as the framework passes them to 2D drawing: 0x00BBGGRR (255 is red, 0xFFFFFF
// white).

#include <cstdint>

namespace plat
{

using ColorRef = uint32_t;

constexpr ColorRef MakeColorRef(uint8_t red, uint8_t green, uint8_t blue)
{
    return ColorRef{red} | (ColorRef{green} << 8) | (ColorRef{blue} << 16);
}
constexpr uint8_t RedOf(ColorRef c)
{
    return static_cast<uint8_t>(c);
}
constexpr uint8_t GreenOf(ColorRef c)
{
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t BlueOf(ColorRef c)
{
    return static_cast<uint8_t>(c >> 16);
}
// As 0xAARRGGBB with full alpha, the form PixelFormat packs.
constexpr uint32_t ArgbOf(ColorRef c)
{
    return 0xFF000000u | (uint32_t{RedOf(c)} << 16) | (uint32_t{GreenOf(c)} << 8) | BlueOf(c);
}

constexpr ColorRef kColorBlack = 0x000000;
constexpr ColorRef kColorWhite = 0xFFFFFF;

} // namespace plat
