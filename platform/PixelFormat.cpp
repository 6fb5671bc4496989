#include "PixelFormat.h"

#include <cmath>

namespace plat
{
namespace
{

struct FormatRow
{
    PixelFormat format;
    PixelFormatInfo info;
};

constexpr uint32_t kRgb = kPixelFlagRgb;
constexpr uint32_t kRgbA = kPixelFlagRgb | kPixelFlagAlpha;
constexpr uint32_t kZ = kPixelFlagZBuffer;
constexpr uint32_t kZS = kPixelFlagZBuffer | kPixelFlagStencil;

const FormatRow kFormats[] = {
    {PixelFormat::Pal8, {kPixelFlagRgb | kPixelFlagPaletteIndexed8, 8, 0, 0, 0, 0, 0, 0}},
    {PixelFormat::Rgb565, {kRgb, 16, 0xF800, 0x07E0, 0x001F, 0, 0, 0}},
    {PixelFormat::Argb1555, {kRgbA, 16, 0x7C00, 0x03E0, 0x001F, 0x8000, 0, 0}},
    {PixelFormat::Argb4444, {kRgbA, 16, 0x0F00, 0x00F0, 0x000F, 0xF000, 0, 0}},
    {PixelFormat::Rgb888, {kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0, 0, 0}},
    {PixelFormat::Xrgb8888, {kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0, 0, 0}},
    {PixelFormat::Argb8888, {kRgbA, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, 0, 0}},
    {PixelFormat::Z16, {kZ, 16, 0, 0, 0, 0, 16, 0}},
    {PixelFormat::Z24, {kZ, 32, 0, 0, 0, 0, 24, 0}},
    {PixelFormat::Z32, {kZ, 32, 0, 0, 0, 0, 32, 0}},
    {PixelFormat::Z24S8, {kZS, 32, 0, 0, 0, 0, 32, 8}},
    {PixelFormat::Z16S8, {kZS, 32, 0, 0, 0, 0, 24, 8}},
};

uint32_t LowestBit(uint32_t mask)
{
    uint32_t shift = 0;
    while (mask != 0 && (mask & 1u) == 0)
    {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

uint32_t BitWidth(uint32_t mask)
{
    mask >>= LowestBit(mask);
    uint32_t bits = 0;
    while (mask & 1u)
    {
        mask >>= 1;
        ++bits;
    }
    return bits;
}

uint32_t Reduce(uint32_t value8, uint32_t mask)
{
    const uint32_t bits = BitWidth(mask);
    if (bits == 0)
        return 0;
    return ((value8 >> (8 - bits)) << LowestBit(mask)) & mask;
}

uint32_t Expand(uint32_t pixel, uint32_t mask)
{
    const uint32_t bits = BitWidth(mask);
    if (bits == 0)
        return 0;
    uint32_t v = (pixel & mask) >> LowestBit(mask);
    // Repeat the top bits into the low ones so that full scale stays full scale.
    uint32_t out = 0;
    int32_t shift = 8 - static_cast<int32_t>(bits);
    while (shift > -static_cast<int32_t>(bits))
    {
        out |= shift >= 0 ? v << shift : v >> -shift;
        shift -= static_cast<int32_t>(bits);
    }
    return out & 0xFF;
}

} // namespace

PixelFormatInfo DescribeFormat(PixelFormat format)
{
    for (const FormatRow& row : kFormats)
    {
        if (row.format == format)
            return row.info;
    }
    return {};
}

PixelFormat FindFormat(const PixelFormatInfo& info)
{
    const uint32_t kinds = kPixelFlagPaletteIndexed8 | kPixelFlagAlpha | kPixelFlagZBuffer | kPixelFlagStencil;
    for (const FormatRow& row : kFormats)
    {
        const PixelFormatInfo& f = row.info;
        if ((f.flags & kinds) != (info.flags & kinds) || f.bitCount != info.bitCount)
            continue;
        if (f.flags & kPixelFlagZBuffer)
        {
            if (f.zBitDepth == info.zBitDepth && f.stencilBitDepth == info.stencilBitDepth)
                return row.format;
        }
        else if (f.redMask == info.redMask && f.greenMask == info.greenMask && f.blueMask == info.blueMask &&
                 f.alphaMask == info.alphaMask)
        {
            return row.format;
        }
    }
    return PixelFormat::Unknown;
}

uint32_t BytesPerPixel(PixelFormat format)
{
    return DescribeFormat(format).bitCount / 8;
}

bool IsDepthFormat(PixelFormat format)
{
    return (DescribeFormat(format).flags & kPixelFlagZBuffer) != 0;
}

int32_t PitchFor(PixelFormat format, uint32_t width)
{
    const uint64_t bytes = uint64_t{width} * BytesPerPixel(format);
    return static_cast<int32_t>((bytes + 3) & ~uint64_t{3});
}

uint32_t PackColor(PixelFormat format, uint32_t argb)
{
    const PixelFormatInfo f = DescribeFormat(format);
    if ((f.flags & kPixelFlagRgb) == 0 || (f.flags & kPixelFlagPaletteIndexed8))
        return 0;
    return Reduce((argb >> 16) & 0xFF, f.redMask) | Reduce((argb >> 8) & 0xFF, f.greenMask) |
           Reduce(argb & 0xFF, f.blueMask) | Reduce(argb >> 24, f.alphaMask);
}

uint32_t ExpandColor(PixelFormat format, uint32_t pixel)
{
    const PixelFormatInfo f = DescribeFormat(format);
    if ((f.flags & kPixelFlagRgb) == 0 || (f.flags & kPixelFlagPaletteIndexed8))
        return 0;
    const uint32_t alpha = f.alphaMask ? Expand(pixel, f.alphaMask) : 0xFF;
    return alpha << 24 | Expand(pixel, f.redMask) << 16 | Expand(pixel, f.greenMask) << 8 | Expand(pixel, f.blueMask);
}

uint32_t DepthToStored(PixelFormat format, float z)
{
    const PixelFormatInfo f = DescribeFormat(format);
    const uint32_t bits = f.zBitDepth - f.stencilBitDepth;
    if ((f.flags & kPixelFlagZBuffer) == 0 || bits == 0)
        return 0;
    const double maxValue = bits >= 32 ? 4294967295.0 : static_cast<double>((uint64_t{1} << bits) - 1);
    const double clamped = z < 0.0f ? 0.0 : (z > 1.0f ? 1.0 : static_cast<double>(z));
    return static_cast<uint32_t>(std::floor(clamped * maxValue + 0.5));
}

uint32_t ReadPixel(const uint8_t* at, uint32_t bytesPerPixel)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < bytesPerPixel; ++i)
        value |= uint32_t{at[i]} << (8 * i);
    return value;
}

void WritePixel(uint8_t* at, uint32_t bytesPerPixel, uint32_t value)
{
    for (uint32_t i = 0; i < bytesPerPixel; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace plat
