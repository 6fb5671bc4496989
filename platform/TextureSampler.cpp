#include "TextureSampler.h"

#include "Palette.h"
#include "Surface.h"

#include <algorithm>
#include <cstring>

namespace plat
{
namespace
{

using Level = TextureSampler::Level;

constexpr uint8_t kSkip = 0xFF;

// Texel formats: the raw value at (x, y) of a level and its 0xAARRGGBB colour, each channel
// widened as ExpandColor does (top bits repeated).
struct Rgb565Texel
{
    static constexpr bool kOpaque = true;
    static uint32_t Read(const Level& l, int32_t x, int32_t y)
    {
        uint16_t v;
        std::memcpy(&v, l.pixels + static_cast<intptr_t>(y) * l.pitch + static_cast<intptr_t>(x) * 2, 2);
        return v;
    }
    static uint32_t Argb(uint32_t raw, const uint32_t*)
    {
        const uint32_t r = (raw >> 11) & 31, g = (raw >> 5) & 63, b = raw & 31;
        return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
    }
};

struct Argb1555Texel
{
    static constexpr bool kOpaque = false;
    static uint32_t Read(const Level& l, int32_t x, int32_t y) { return Rgb565Texel::Read(l, x, y); }
    static uint32_t Argb(uint32_t raw, const uint32_t*)
    {
        const uint32_t r = (raw >> 10) & 31, g = (raw >> 5) & 31, b = raw & 31;
        return ((raw & 0x8000) ? 0xFF000000u : 0u) | (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 |
               (b << 3 | b >> 2);
    }
};

struct Argb4444Texel
{
    static constexpr bool kOpaque = false;
    static uint32_t Read(const Level& l, int32_t x, int32_t y) { return Rgb565Texel::Read(l, x, y); }
    static uint32_t Argb(uint32_t raw, const uint32_t*)
    {
        return ((raw >> 12) & 15) * 0x11000000u | ((raw >> 8) & 15) * 0x110000u | ((raw >> 4) & 15) * 0x1100u |
               (raw & 15) * 0x11u;
    }
};

struct Argb8888Texel
{
    static constexpr bool kOpaque = false;
    static uint32_t Read(const Level& l, int32_t x, int32_t y)
    {
        uint32_t v;
        std::memcpy(&v, l.pixels + static_cast<intptr_t>(y) * l.pitch + static_cast<intptr_t>(x) * 4, 4);
        return v;
    }
    static uint32_t Argb(uint32_t raw, const uint32_t*) { return raw; }
};

struct Xrgb8888Texel
{
    static constexpr bool kOpaque = true;
    static uint32_t Read(const Level& l, int32_t x, int32_t y) { return Argb8888Texel::Read(l, x, y); }
    static uint32_t Argb(uint32_t raw, const uint32_t*) { return raw | 0xFF000000u; }
};

struct Rgb888Texel
{
    static constexpr bool kOpaque = true;
    static uint32_t Read(const Level& l, int32_t x, int32_t y)
    {
        const uint8_t* p = l.pixels + static_cast<intptr_t>(y) * l.pitch + static_cast<intptr_t>(x) * 3;
        return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    }
    static uint32_t Argb(uint32_t raw, const uint32_t*) { return raw | 0xFF000000u; }
};

struct Pal8Texel
{
    static constexpr bool kOpaque = true;
    static uint32_t Read(const Level& l, int32_t x, int32_t y)
    {
        return l.pixels[static_cast<intptr_t>(y) * l.pitch + x];
    }
    static uint32_t Argb(uint32_t raw, const uint32_t* palette) { return palette[raw & 0xFF]; }
};

void Store(PixelChannels& out, uint32_t i, uint32_t argb)
{
    out.r[i] = static_cast<uint16_t>((argb >> 16) & 0xFF);
    out.g[i] = static_cast<uint16_t>((argb >> 8) & 0xFF);
    out.b[i] = static_cast<uint16_t>(argb & 0xFF);
    out.a[i] = static_cast<uint16_t>(argb >> 24);
}

// Coordinates wrapped or clamped onto a level, one loop per mode.
void AddressAll(TextureAddress mode, int32_t* c, uint32_t n, int32_t size, uint32_t mask, bool pow2)
{
    if (mode == TextureAddress::Clamp)
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            const int32_t v = c[i] < 0 ? 0 : c[i];
            c[i] = v < size ? v : size - 1;
        }
    }
    else if (pow2)
    {
        for (uint32_t i = 0; i < n; ++i)
            c[i] = static_cast<int32_t>(static_cast<uint32_t>(c[i]) & mask);
    }
    else
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            const int32_t m = c[i] % size;
            c[i] = m < 0 ? m + size : m;
        }
    }
}

template <class T>
void PointRun(const TextureSampler& s, const Level& level, const float* u, const float* v, uint32_t n,
              PixelChannels& out, uint8_t* keyed)
{
    int32_t tx[kBatchSize];
    int32_t ty[kBatchSize];
    const float fw = level.fw;
    const float fh = level.fh;
    uint32_t raw[kBatchSize];
    if (s.WrapsPow2(level))
    {
        // The usual case in one loop.
        for (uint32_t i = 0; i < n; ++i)
        {
            const int32_t x = static_cast<int32_t>(static_cast<uint32_t>(FloorToInt(u[i] * fw)) & level.maskX);
            const int32_t y = static_cast<int32_t>(static_cast<uint32_t>(FloorToInt(v[i] * fh)) & level.maskY);
            raw[i] = T::Read(level, x, y);
        }
    }
    else
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            tx[i] = FloorToInt(u[i] * fw);
            ty[i] = FloorToInt(v[i] * fh);
        }
        s.AddressAllU(level, tx, n);
        s.AddressAllV(level, ty, n);
        for (uint32_t i = 0; i < n; ++i)
            raw[i] = T::Read(level, tx[i], ty[i]);
    }
    s.KeyAll(raw, n, keyed);
    const uint32_t* palette = s.PaletteArgb();
    for (uint32_t i = 0; i < n; ++i)
        Store(out, i, T::Argb(raw[i], palette));
}

// Texel centres sit at half-integer texel coordinates; 8 bits of fraction weight the four
// nearest. Keyed texels lend no colour, and the sample is keyed when they weigh half or more.
template <class T>
void BilinearRun(const TextureSampler& s, const Level& level, const float* u, const float* v, uint32_t n,
                 PixelChannels& out, uint8_t* keyed)
{
    int32_t x0[kBatchSize];
    int32_t x1[kBatchSize];
    int32_t y0[kBatchSize];
    int32_t y1[kBatchSize];
    int32_t ax[kBatchSize];
    int32_t ay[kBatchSize];
    const float fw = level.fw;
    const float fh = level.fh;
    for (uint32_t i = 0; i < n; ++i)
    {
        const int32_t fx = FloorToInt((u[i] * fw - 0.5f) * 256.0f);
        const int32_t fy = FloorToInt((v[i] * fh - 0.5f) * 256.0f);
        x0[i] = fx >> 8;
        x1[i] = (fx >> 8) + 1;
        y0[i] = fy >> 8;
        y1[i] = (fy >> 8) + 1;
        ax[i] = fx & 255;
        ay[i] = fy & 255;
    }
    s.AddressAllU(level, x0, n);
    s.AddressAllU(level, x1, n);
    s.AddressAllV(level, y0, n);
    s.AddressAllV(level, y1, n);
    // The four texels, top-left, top-right, bottom-left, bottom-right.
    uint32_t raw[4][kBatchSize];
    for (uint32_t i = 0; i < n; ++i)
    {
        raw[0][i] = T::Read(level, x0[i], y0[i]);
        raw[1][i] = T::Read(level, x1[i], y0[i]);
        raw[2][i] = T::Read(level, x0[i], y1[i]);
        raw[3][i] = T::Read(level, x1[i], y1[i]);
    }
    const uint32_t* palette = s.PaletteArgb();
    if (!s.KeysAny())
    {
        uint32_t argb[4][kBatchSize];
        for (int t = 0; t < 4; ++t)
            for (uint32_t i = 0; i < n; ++i)
                argb[t][i] = T::Argb(raw[t][i], palette);
        // The weights of the four texels are products of the row and column fractions, so the
        // sum is taken as two horizontal blends and a vertical one: the same value, fewer
        // wide multiplications.
        uint16_t* channels[4] = {out.b, out.g, out.r, out.a};
        const int opaque = T::kOpaque ? 3 : 4;
        for (int k = 0; k < opaque; ++k)
        {
            uint16_t* dst = channels[k];
            const int shift = 8 * k;
            for (uint32_t i = 0; i < n; ++i)
            {
                const uint32_t top =
                    ((argb[0][i] >> shift) & 0xFF) * (256 - ax[i]) + ((argb[1][i] >> shift) & 0xFF) * ax[i];
                const uint32_t bottom =
                    ((argb[2][i] >> shift) & 0xFF) * (256 - ax[i]) + ((argb[3][i] >> shift) & 0xFF) * ax[i];
                dst[i] = static_cast<uint16_t>((top * (256 - ay[i]) + bottom * ay[i] + 32768) >> 16);
            }
        }
        if (T::kOpaque)
            std::fill(out.a, out.a + n, uint16_t{255});
        std::memset(keyed, 0, n);
        return;
    }
    // Keyed texels lend no colour, and the sample is keyed when they weigh half or more.
    for (uint32_t i = 0; i < n; ++i)
    {
        const int32_t weights[4] = {(256 - ax[i]) * (256 - ay[i]), ax[i] * (256 - ay[i]), (256 - ax[i]) * ay[i],
                                    ax[i] * ay[i]};
        int32_t total = 65536;
        int32_t sums[4] = {0, 0, 0, 0};
        for (int t = 0; t < 4; ++t)
        {
            if (s.Keyed(raw[t][i]))
            {
                total -= weights[t];
                continue;
            }
            const uint32_t c = T::Argb(raw[t][i], palette);
            for (int k = 0; k < 4; ++k)
                sums[k] += static_cast<int32_t>((c >> (8 * k)) & 0xFF) * weights[t];
        }
        keyed[i] = total <= 32768 ? 1 : 0;
        uint32_t argb = 0;
        if (total > 0)
        {
            for (int k = 0; k < 4; ++k)
                argb |= static_cast<uint32_t>((sums[k] + total / 2) / total) << (8 * k);
        }
        Store(out, i, argb);
    }
}

template <class T> void PickRuns(TextureFilter mag, TextureFilter min, auto& magRun, auto& minRun)
{
    magRun = mag == TextureFilter::Linear ? &BilinearRun<T> : &PointRun<T>;
    minRun = min == TextureFilter::Linear ? &BilinearRun<T> : &PointRun<T>;
}

} // namespace

bool TextureSampler::Bind(const Surface* texture, const std::array<uint32_t, kStageStateCount>& stage,
                          bool colorKeyEnable)
{
    m_levelCount = 0;
    if (!texture)
        return false;
    auto state = [&stage](StageState s) { return stage[static_cast<uint32_t>(s)]; };
    auto filter = [](uint32_t value)
    { return value == ToState(TextureFilter::Linear) ? TextureFilter::Linear : TextureFilter::Point; };
    const TextureFilter mag = filter(state(StageState::MagFilter));
    const TextureFilter min = filter(state(StageState::MinFilter));
    const PixelFormat format = texture->Format();
    m_format = format;
    m_magLinear = mag == TextureFilter::Linear;
    m_minLinear = min == TextureFilter::Linear;
    switch (format)
    {
    case PixelFormat::Pal8:
        PickRuns<Pal8Texel>(mag, min, m_magRun, m_minRun);
        break;
    case PixelFormat::Rgb565:
        PickRuns<Rgb565Texel>(mag, min, m_magRun, m_minRun);
        break;
    case PixelFormat::Argb1555:
        PickRuns<Argb1555Texel>(mag, min, m_magRun, m_minRun);
        break;
    case PixelFormat::Argb4444:
        PickRuns<Argb4444Texel>(mag, min, m_magRun, m_minRun);
        break;
    case PixelFormat::Rgb888:
        PickRuns<Rgb888Texel>(mag, min, m_magRun, m_minRun);
        break;
    case PixelFormat::Xrgb8888:
        PickRuns<Xrgb8888Texel>(mag, min, m_magRun, m_minRun);
        break;
    case PixelFormat::Argb8888:
        PickRuns<Argb8888Texel>(mag, min, m_magRun, m_minRun);
        break;
    default:
        return false;
    }

    const uint32_t mip = state(StageState::MipFilter);
    m_mip = mip == ToState(TextureFilter::Point)    ? TextureFilter::Point
            : mip == ToState(TextureFilter::Linear) ? TextureFilter::Linear
                                                    : TextureFilter::None;
    auto address = [](uint32_t value)
    { return value == ToState(TextureAddress::Clamp) ? TextureAddress::Clamp : TextureAddress::Wrap; };
    m_addressU = address(state(StageState::AddressU));
    m_addressV = address(state(StageState::AddressV));

    const uint32_t wanted = m_mip == TextureFilter::None ? 1 : kMaxLevels;
    for (const Surface* s = texture; s && m_levelCount < wanted; s = s->NextMipLevel())
    {
        const PixelView view = s->View();
        if (!view.pixels || view.width == 0 || view.height == 0 || view.format != format)
            break;
        Level& level = m_levels[m_levelCount++];
        level.pixels = view.pixels;
        level.pitch = view.pitch;
        level.width = static_cast<int32_t>(view.width);
        level.height = static_cast<int32_t>(view.height);
        level.fw = static_cast<float>(view.width);
        level.fh = static_cast<float>(view.height);
        level.pow2 = (view.width & (view.width - 1)) == 0 && (view.height & (view.height - 1)) == 0;
        level.maskX = level.pow2 ? view.width - 1 : 0;
        level.maskY = level.pow2 ? view.height - 1 : 0;
    }
    if (m_levelCount == 0)
        return false;
    m_needsLod = m_levelCount > 1 || mag != min;

    const ColorKey* key = texture->SourceColorKey();
    m_keyed = colorKeyEnable && key;
    if (key)
        m_key = *key;

    if (format == PixelFormat::Pal8)
    {
        m_palette.fill(0xFF000000u);
        if (const Palette* palette = texture->AttachedPalette())
        {
            for (uint32_t i = 0; i < 256; ++i)
            {
                const PaletteEntry& e = palette->Entry(static_cast<uint8_t>(i));
                m_palette[i] = 0xFF000000u | uint32_t{e.red} << 16 | uint32_t{e.green} << 8 | e.blue;
            }
        }
    }
    return true;
}

void TextureSampler::AddressAllU(const Level& level, int32_t* x, uint32_t n) const
{
    AddressAll(m_addressU, x, n, level.width, level.maskX, level.pow2);
}

void TextureSampler::AddressAllV(const Level& level, int32_t* y, uint32_t n) const
{
    AddressAll(m_addressV, y, n, level.height, level.maskY, level.pow2);
}

void TextureSampler::KeyAll(const uint32_t* raw, uint32_t n, uint8_t* keyed) const
{
    if (!m_keyed)
    {
        std::memset(keyed, 0, n);
        return;
    }
    for (uint32_t i = 0; i < n; ++i)
        keyed[i] = m_key.Matches(raw[i]) ? 1 : 0;
}

void TextureSampler::SampleGroups(const uint8_t* groupOf, uint32_t n, const float* u, const float* v,
                                  PixelChannels& out, PixelChannels& part, uint8_t* keyed) const
{
    uint32_t pending = 0; // one bit per group present; kSkip marks pixels left out
    for (uint32_t i = 0; i < n; ++i)
        pending |= groupOf[i] == kSkip ? 0u : 1u << groupOf[i];
    uint16_t idx[kBatchSize];
    float gu[kBatchSize];
    float gv[kBatchSize];
    uint8_t partKeyed[kBatchSize];
    while (pending)
    {
        const uint32_t group = static_cast<uint32_t>(__builtin_ctz(pending));
        pending &= pending - 1;
        const Run run = (group & 1) ? m_minRun : m_magRun;
        const Level& level = m_levels[group >> 1];
        uint32_t count = 0;
        for (uint32_t i = 0; i < n; ++i)
        {
            if (groupOf[i] == group)
                idx[count++] = static_cast<uint16_t>(i);
        }
        if (count == n)
        {
            run(*this, level, u, v, n, out, keyed);
            continue;
        }
        for (uint32_t j = 0; j < count; ++j)
        {
            gu[j] = u[idx[j]];
            gv[j] = v[idx[j]];
        }
        run(*this, level, gu, gv, count, part, partKeyed);
        for (uint32_t j = 0; j < count; ++j)
        {
            const uint32_t i = idx[j];
            out.r[i] = part.r[j];
            out.g[i] = part.g[j];
            out.b[i] = part.b[j];
            out.a[i] = part.a[j];
            keyed[i] = partKeyed[j];
        }
    }
}

void TextureSampler::SampleBatch(const float* u, const float* v, const float* lod, uint32_t n, PixelChannels& out,
                                 PixelChannels* scratch, uint8_t* keep) const
{
    uint8_t keyed[kBatchSize];
    if (!m_needsLod)
    {
        m_magRun(*this, m_levels[0], u, v, n, out, keyed);
    }
    else
    {
        // Each pixel's level and filter: magnified at lod <= 0, else minified at the nearest
        // level (point) or between the two around lod (linear).
        uint8_t group[kBatchSize] = {};
        uint8_t upper[kBatchSize];
        uint8_t frac[kBatchSize];
        bool blends = false;
        const int32_t last = static_cast<int32_t>(m_levelCount) - 1;
        for (uint32_t i = 0; i < n; ++i)
        {
            const float l = lod[i];
            int32_t level = 0;
            int32_t f = 0;
            if (l > 0.0f)
            {
                if (m_mip == TextureFilter::Linear)
                {
                    level = FloorToInt(l);
                    f = std::min(static_cast<int32_t>((l - static_cast<float>(level)) * 256.0f), 255);
                    if (level >= last)
                    {
                        level = last;
                        f = 0;
                    }
                }
                else
                {
                    level = std::min(FloorToInt(l + 0.5f), last);
                }
            }
            group[i] = static_cast<uint8_t>(level * 2 + (l > 0.0f ? 1 : 0));
            upper[i] = static_cast<uint8_t>((level + 1) * 2 + 1);
            frac[i] = static_cast<uint8_t>(f);
            blends = blends || f > 0;
        }
        SampleGroups(group, n, u, v, out, scratch[1], keyed);
        if (blends)
        {
            // The next level for the pixels between two.
            uint8_t keyedUpper[kBatchSize];
            for (uint32_t i = 0; i < n; ++i)
            {
                if (frac[i] == 0)
                    upper[i] = kSkip;
            }
            SampleGroups(upper, n, u, v, scratch[0], scratch[1], keyedUpper);
            for (uint32_t i = 0; i < n; ++i)
            {
                const int32_t f = frac[i];
                if (f == 0)
                    continue;
                // The nearer level decides the key; a keyed other level lends no colour.
                const bool k0 = keyed[i] != 0;
                const bool k1 = keyedUpper[i] != 0;
                uint16_t* dst[4] = {out.r, out.g, out.b, out.a};
                const uint16_t* src[4] = {scratch[0].r, scratch[0].g, scratch[0].b, scratch[0].a};
                for (int c = 0; c < 4; ++c)
                {
                    if (k0 && !k1)
                        dst[c][i] = src[c][i];
                    else if (!k0 && !k1)
                        dst[c][i] = static_cast<uint16_t>((dst[c][i] * (256 - f) + src[c][i] * f + 128) >> 8);
                }
                keyed[i] = f < 128 ? k0 : k1;
            }
        }
    }
    if (m_keyed)
    {
        for (uint32_t i = 0; i < n; ++i)
            keep[i] = keyed[i] ? 0 : keep[i];
    }
}

} // namespace plat
