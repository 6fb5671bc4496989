#pragma once
// Colour arithmetic of the software rasterizer: channels 0..255 in ints, products rounded to
// the nearest 1/255 step so that results can be computed by hand.

#include <algorithm>
#include <cstdint>
#include <cstring>

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

// Ordered dithering: the 4 x 4 Bayer threshold of a pixel, 0..15.
inline uint32_t DitherThreshold(int32_t x, int32_t y)
{
    static constexpr uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return kBayer[y & 3][x & 3];
}

// A channel 0..255 reduced to 0..levels, rounded up where its fraction passes the pixel's
// threshold (t + 1/2) / 16, so that the pattern averages to the channel's value; 0 and 255
// stay flat.
inline uint32_t DitherChannel(uint32_t c, uint32_t levels, uint32_t t)
{
    return (c * levels * 32 + (2 * t + 1) * 255) / (255 * 32);
}

// log2(x) for x > 0 from the float's exponent and mantissa, linear between powers of two:
// cheap and the same on every machine.
inline float Log2Approximation(float x)
{
    if (!(x > 1e-30f))
        return -100.0f;
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int32_t exponent = static_cast<int32_t>(bits >> 23) - 127;
    const float mantissa = static_cast<float>(bits & 0x7FFFFF) * (1.0f / 8388608.0f);
    return static_cast<float>(exponent) + mantissa;
}

} // namespace plat
