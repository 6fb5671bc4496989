#pragma once
// Reads one bound texture for one stage of the software rasterizer: its mip levels, texel
// format, palette and colour key, with the stage's filters and per-axis addressing. Bound
// once per draw, which picks the sampling loops for the texture's format; the surfaces'
// memory is borrowed for the draw.

#include "ColorKey.h"
#include "DeviceState.h"
#include "PixelBatch.h"
#include "PixelFormat.h"

#include <array>
#include <cstdint>

namespace plat
{

class Surface;

// floor(f) as an int, limited to +-2^30 (NaN gives the lower limit).
inline int32_t FloorToInt(float f)
{
    f = f > -1073741824.0f ? f : -1073741824.0f;
    f = f < 1073741824.0f ? f : 1073741824.0f;
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

    // Whether sampling needs a level of detail: several mip levels in use, or minification and
    // magnification filtering differently.
    bool NeedsLod() const { return m_needsLod; }
    float BaseWidth() const { return m_levels[0].fw; }
    float BaseHeight() const { return m_levels[0].fh; }

    // Samples pixels 0..n-1 at (u[i], v[i]): (0, 0) is the texture's top-left corner, (1, 1)
    // its bottom-right one. lod[i] (log2 of level-0 texels per pixel) is read only when
    // NeedsLod. Clears keep[i] where the colour key removes the sample. scratch holds two sets
    // of working channels.
    void SampleBatch(const float* u, const float* v, const float* lod, uint32_t n, PixelChannels& out,
                     PixelChannels* scratch, uint8_t* keep) const;

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

    void AddressAllU(const Level& level, int32_t* x, uint32_t n) const;
    void AddressAllV(const Level& level, int32_t* y, uint32_t n) const;
    // keyed[i] = whether raw texel i matches the colour key in use.
    void KeyAll(const uint32_t* raw, uint32_t n, uint8_t* keyed) const;

    int32_t AddressU(const Level& level, int32_t i) const
    {
        return Address(m_addressU, i, level.width, level.maskX, level.pow2);
    }
    int32_t AddressV(const Level& level, int32_t i) const
    {
        return Address(m_addressV, i, level.height, level.maskY, level.pow2);
    }
    bool WrapsPow2(const Level& level) const
    {
        return level.pow2 && m_addressU == TextureAddress::Wrap && m_addressV == TextureAddress::Wrap;
    }
    bool KeysAny() const { return m_keyed; }
    bool Keyed(uint32_t raw) const { return m_keyed && m_key.Matches(raw); }
    const uint32_t* PaletteArgb() const { return m_palette.data(); }

    // For the span loops, which sample RGB565 textures without a colour key themselves.
    bool PlainRgb565() const { return m_format == PixelFormat::Rgb565 && !m_keyed; }
    uint32_t LevelCount() const { return m_levelCount; }
    const Level& LevelAt(uint32_t i) const { return m_levels[i]; }
    TextureFilter Mip() const { return m_mip; }
    bool MagLinear() const { return m_magLinear; }
    bool MinLinear() const { return m_minLinear; }
    TextureAddress AddressModeU() const { return m_addressU; }
    TextureAddress AddressModeV() const { return m_addressV; }
    // Whether every level bound has power-of-two sides.
    bool AllPow2() const
    {
        for (uint32_t i = 0; i < m_levelCount; ++i)
            if (!m_levels[i].pow2)
                return false;
        return true;
    }

private:
    // Samples n pixels of one level; keyed[i] tells whether the colour key removes pixel i.
    using Run = void (*)(const TextureSampler& sampler, const Level& level, const float* u, const float* v, uint32_t n,
                         PixelChannels& out, uint8_t* keyed);

    static int32_t Address(TextureAddress mode, int32_t i, int32_t size, uint32_t mask, bool pow2)
    {
        if (mode == TextureAddress::Clamp)
            return i < 0 ? 0 : (i >= size ? size - 1 : i);
        if (pow2)
            return static_cast<int32_t>(static_cast<uint32_t>(i) & mask);
        const int32_t m = i % size;
        return m < 0 ? m + size : m;
    }

    // Runs each group of pixels sharing a level and filter (key = level * 2 + minified); part
    // holds one group's samples before they go to their pixels.
    void SampleGroups(const uint8_t* groupOf, uint32_t n, const float* u, const float* v, PixelChannels& out,
                      PixelChannels& part, uint8_t* keyed) const;

    Level m_levels[kMaxLevels];
    uint32_t m_levelCount = 0;
    TextureAddress m_addressU = TextureAddress::Wrap;
    TextureAddress m_addressV = TextureAddress::Wrap;
    TextureFilter m_mip = TextureFilter::None;
    Run m_magRun = nullptr;
    Run m_minRun = nullptr;
    bool m_needsLod = false;
    bool m_magLinear = false;
    bool m_minLinear = false;
    PixelFormat m_format = PixelFormat::Unknown;
    bool m_keyed = false;
    ColorKey m_key;
    std::array<uint32_t, 256> m_palette{};
};

} // namespace plat
