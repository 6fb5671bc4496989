#include "TextureSampler.h"

#include "Palette.h"
#include "Surface.h"

namespace plat
{

bool TextureSampler::Bind(const Surface* texture, const std::array<uint32_t, kStageStateCount>& stage,
                          bool colorKeyEnable)
{
    m_levelCount = 0;
    if (!texture)
        return false;
    m_format = texture->Format();
    switch (m_format)
    {
    case PixelFormat::Pal8:
    case PixelFormat::Rgb565:
    case PixelFormat::Argb1555:
    case PixelFormat::Argb4444:
    case PixelFormat::Rgb888:
    case PixelFormat::Xrgb8888:
    case PixelFormat::Argb8888:
        break;
    default:
        return false;
    }
    m_bytes = BytesPerPixel(m_format);

    auto state = [&stage](StageState s) { return stage[static_cast<uint32_t>(s)]; };
    auto filter = [](uint32_t value)
    { return value == ToState(TextureFilter::Linear) ? TextureFilter::Linear : TextureFilter::Point; };
    m_mag = filter(state(StageState::MagFilter));
    m_min = filter(state(StageState::MinFilter));
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
        if (!view.pixels || view.width == 0 || view.height == 0 || view.format != m_format)
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
    m_needsLod = m_levelCount > 1 || m_mag != m_min;

    const ColorKey* key = texture->SourceColorKey();
    m_keyed = colorKeyEnable && key;
    if (key)
        m_key = *key;

    if (m_format == PixelFormat::Pal8)
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

uint32_t TextureSampler::SampleBilinear(const Level& level, float u, float v, bool& keyed) const
{
    // Texel centres sit at half-integer texel coordinates; 8 bits of fraction weight the four.
    const int32_t fx = FloorToInt((u * level.fw - 0.5f) * 256.0f);
    const int32_t fy = FloorToInt((v * level.fh - 0.5f) * 256.0f);
    const int32_t x0 = fx >> 8;
    const int32_t y0 = fy >> 8;
    const int32_t ax = fx & 255;
    const int32_t ay = fy & 255;
    const int32_t weights[4] = {(256 - ax) * (256 - ay), ax * (256 - ay), (256 - ax) * ay, ax * ay};
    bool keys[4];
    const uint32_t texels[4] = {Texel(level, x0, y0, keys[0]), Texel(level, x0 + 1, y0, keys[1]),
                                Texel(level, x0, y0 + 1, keys[2]), Texel(level, x0 + 1, y0 + 1, keys[3])};
    int32_t total = 65536;
    int32_t sums[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i)
    {
        if (keys[i])
        {
            total -= weights[i];
            continue;
        }
        for (int c = 0; c < 4; ++c)
            sums[c] += static_cast<int32_t>((texels[i] >> (8 * c)) & 0xFF) * weights[i];
    }
    // Keyed texels lend no colour; the sample is keyed when they weigh half or more.
    keyed = total <= 32768;
    if (total == 0)
        return 0;
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c)
    {
        const int32_t value = total == 65536 ? (sums[c] + 32768) >> 16 : (sums[c] + total / 2) / total;
        out |= static_cast<uint32_t>(value) << (8 * c);
    }
    return out;
}

} // namespace plat
