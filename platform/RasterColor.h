#pragma once
// Colour arithmetic of the software rasterizer: channels 0..255 in ints, products rounded to
// the nearest 1/255 step so that results can be computed by hand.

#include <algorithm>
#include <cstdint>

namespace plat
{

struct Rgba
{
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    int32_t a = 0;
};

inline Rgba UnpackArgb(uint32_t argb)
{
    return {static_cast<int32_t>((argb >> 16) & 0xFF), static_cast<int32_t>((argb >> 8) & 0xFF),
            static_cast<int32_t>(argb & 0xFF), static_cast<int32_t>(argb >> 24)};
}

// round(x / 255) for 0 <= x <= 255 * 255.
inline int32_t Div255(int32_t x)
{
    const int32_t t = x + 128;
    return (t + (t >> 8)) >> 8;
}

inline int32_t Mul255(int32_t a, int32_t b)
{
    return Div255(a * b);
}

// a where t is 255, b where t is 0.
inline int32_t Lerp255(int32_t a, int32_t b, int32_t t)
{
    return Div255(a * t + b * (255 - t));
}

inline int32_t AddSat(int32_t a, int32_t b)
{
    return std::min(a + b, 255);
}

// A float channel value (0..255, possibly a little outside or NaN after interpolation) as an
// int 0..255, rounded to nearest.
inline int32_t ChannelFromFloat(float v)
{
    v = v > 0.0f ? v : 0.0f;
    v = v < 255.0f ? v : 255.0f;
    return static_cast<int32_t>(v + 0.5f);
}

// The expansion of PixelFormat's ExpandColor for RGB565: top bits repeated into the low ones.
inline Rgba UnpackRgb565(uint32_t p)
{
    const int32_t r = static_cast<int32_t>((p >> 11) & 31);
    const int32_t g = static_cast<int32_t>((p >> 5) & 63);
    const int32_t b = static_cast<int32_t>(p & 31);
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2, 255};
}

} // namespace plat
