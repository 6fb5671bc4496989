#pragma once
// Reads one bound texture for one stage of the software rasterizer: its mip levels, texel
// format, palette and colour key, with the stage's filters and per-axis addressing. Bound
// once per draw; Sample runs per pixel and reads the surfaces' memory directly (borrowed for
// the draw).

#include "ColorKey.h"
#include "DeviceState.h"
#include "PixelFormat.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace plat
{

class Surface;

// floor(f) as an int, limited to +-2^30; NaN gives 0.
inline int32_t FloorToInt(float f)
{
    if (f != f)
        return 0;
    if (f < -1073741824.0f)
        return -1073741824;
    if (f > 1073741824.0f)
        return 1073741824;
    const int32_t i = static_cast<int32_t>(f);
    return static_cast<float>(i) > f ? i - 1 : i;
}

class TextureSampler
{
public:
    static constexpr uint32_t kMaxLevels = 16;

    // False when there is nothing to read: no texture, an empty one or a format without
    // colours (depth).
    bool Bind(const Surface* texture, const std::array<uint32_t, kStageStateCount>& stage, bool colorKeyEnable);

    // Whether Sample needs a level of detail: several mip levels in use, or minification and
    // magnification filtering differently.
    bool NeedsLod() const { return m_needsLod; }
    float BaseWidth() const { return m_levels[0].fw; }
    float BaseHeight() const { return m_levels[0].fh; }

    // (u, v) = (0, 0) is the top-left corner of the texture, (1, 1) the bottom-right one; lod is
    // log2 of level-0 texels per pixel. keyed: the colour key removes the sample. 0xAARRGGBB.
    uint32_t Sample(float u, float v, float lod, bool& keyed) const
    {
        if (!m_needsLod || !(lod > 0.0f))
            return SampleLevel(m_levels[0], m_mag, u, v, keyed);
        if (m_levelCount == 1)
            return SampleLevel(m_levels[0], m_min, u, v, keyed);
        if (m_mip == TextureFilter::Point)
        {
            const int32_t l = std::min(FloorToInt(lod + 0.5f), static_cast<int32_t>(m_levelCount) - 1);
            return SampleLevel(m_levels[l], m_min, u, v, keyed);
        }
        const int32_t l0 = FloorToInt(lod);
        if (l0 >= static_cast<int32_t>(m_levelCount) - 1)
            return SampleLevel(m_levels[m_levelCount - 1], m_min, u, v, keyed);
        const int32_t f = std::min(static_cast<int32_t>((lod - static_cast<float>(l0)) * 256.0f), 255);
        bool keyed0 = false;
        bool keyed1 = false;
        const uint32_t c0 = SampleLevel(m_levels[l0], m_min, u, v, keyed0);
        const uint32_t c1 = SampleLevel(m_levels[l0 + 1], m_min, u, v, keyed1);
        // The nearer level decides the key; a keyed other level lends no colour.
        keyed = f < 128 ? keyed0 : keyed1;
        if (keyed0 || keyed1)
            return keyed0 ? c1 : c0;
        return LerpArgb(c0, c1, f);
    }

private:
    struct Level
    {
        const uint8_t* pixels = nullptr;
        int32_t pitch = 0;
        int32_t width = 1;
        int32_t height = 1;
        float fw = 1.0f;
        float fh = 1.0f;
        uint32_t maskX = 0; // width - 1 for a power of two, else 0
        uint32_t maskY = 0;
        bool pow2 = true;
    };

    // c0 where f is 0, c1 where f is 256.
    static uint32_t LerpArgb(uint32_t c0, uint32_t c1, int32_t f)
    {
        uint32_t out = 0;
        for (uint32_t shift = 0; shift < 32; shift += 8)
        {
            const int32_t a = static_cast<int32_t>((c0 >> shift) & 0xFF);
            const int32_t b = static_cast<int32_t>((c1 >> shift) & 0xFF);
            out |= static_cast<uint32_t>((a * (256 - f) + b * f + 128) >> 8) << shift;
        }
        return out;
    }

    static int32_t Address(TextureAddress mode, int32_t i, int32_t size, uint32_t mask, bool pow2)
    {
        if (mode == TextureAddress::Clamp)
            return i < 0 ? 0 : (i >= size ? size - 1 : i);
        if (pow2)
            return static_cast<int32_t>(static_cast<uint32_t>(i) & mask);
        const int32_t m = i % size;
        return m < 0 ? m + size : m;
    }

    uint32_t Raw(const Level& level, int32_t x, int32_t y) const
    {
        const uint8_t* p = level.pixels + static_cast<intptr_t>(y) * level.pitch;
        switch (m_bytes)
        {
        case 1:
            return p[x];
        case 2:
        {
            uint16_t v;
            std::memcpy(&v, p + static_cast<intptr_t>(x) * 2, 2);
            return v;
        }
        case 3:
        {
            const uint8_t* q = p + static_cast<intptr_t>(x) * 3;
            return uint32_t{q[0]} | uint32_t{q[1]} << 8 | uint32_t{q[2]} << 16;
        }
        default:
        {
            uint32_t v;
            std::memcpy(&v, p + static_cast<intptr_t>(x) * 4, 4);
            return v;
        }
        }
    }

    uint32_t ToArgb(uint32_t raw) const
    {
        switch (m_format)
        {
        case PixelFormat::Rgb565:
        {
            const uint32_t r = (raw >> 11) & 31, g = (raw >> 5) & 63, b = raw & 31;
            return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
        }
        case PixelFormat::Argb1555:
        {
            const uint32_t r = (raw >> 10) & 31, g = (raw >> 5) & 31, b = raw & 31;
            return ((raw & 0x8000) ? 0xFF000000u : 0u) | (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 |
                   (b << 3 | b >> 2);
        }
        case PixelFormat::Argb4444:
            return ((raw >> 12) & 15) * 0x11000000u | ((raw >> 8) & 15) * 0x110000u | ((raw >> 4) & 15) * 0x1100u |
                   (raw & 15) * 0x11u;
        case PixelFormat::Argb8888:
            return raw;
        case PixelFormat::Pal8:
            return m_palette[raw & 0xFF];
        default: // Rgb888, Xrgb8888
            return raw | 0xFF000000u;
        }
    }

    // One texel at wrapped or clamped coordinates.
    uint32_t Texel(const Level& level, int32_t x, int32_t y, bool& keyed) const
    {
        const uint32_t raw = Raw(level, Address(m_addressU, x, level.width, level.maskX, level.pow2),
                                 Address(m_addressV, y, level.height, level.maskY, level.pow2));
        keyed = m_keyed && m_key.Matches(raw);
        return ToArgb(raw);
    }

    uint32_t SampleLevel(const Level& level, TextureFilter filter, float u, float v, bool& keyed) const
    {
        if (filter != TextureFilter::Linear)
            return Texel(level, FloorToInt(u * level.fw), FloorToInt(v * level.fh), keyed);
        return SampleBilinear(level, u, v, keyed);
    }

    uint32_t SampleBilinear(const Level& level, float u, float v, bool& keyed) const;

    Level m_levels[kMaxLevels];
    uint32_t m_levelCount = 0;
    PixelFormat m_format = PixelFormat::Unknown;
    uint32_t m_bytes = 0;
    TextureAddress m_addressU = TextureAddress::Wrap;
    TextureAddress m_addressV = TextureAddress::Wrap;
    TextureFilter m_mag = TextureFilter::Point;
    TextureFilter m_min = TextureFilter::Point;
    TextureFilter m_mip = TextureFilter::None;
    bool m_needsLod = false;
    bool m_keyed = false;
    ColorKey m_key;
    std::array<uint32_t, 256> m_palette{};
};

} // namespace plat
