#pragma once
// The pixel formats surfaces can hold, their masks and bit counts, and the conversions that
// presentation, clears and the rasterizer share so that they never disagree on a value.

#include <cstdint>

namespace plat
{

enum class PixelFormat : uint8_t
{
    Unknown,
    Pal8,   // 8-bit index into the surface's palette
    Rgb565, // the display format
    Argb1555,
    Argb4444,
    Rgb888,   // three bytes, blue first in memory
    Xrgb8888, // top byte unused
    Argb8888,
    // Depth formats: the depth value sits in the low bits, stencil bits above it.
    Z16,
    Z24, // 24 depth bits in a 32-bit word
    Z32,
    Z24S8, // 24 depth bits, 8 stencil bits
    Z16S8, // 16 depth bits, 8 stencil bits in a 32-bit word
};

constexpr uint32_t kPixelFlagRgb = 0x1;
constexpr uint32_t kPixelFlagPaletteIndexed8 = 0x2;
constexpr uint32_t kPixelFlagAlpha = 0x4;
constexpr uint32_t kPixelFlagZBuffer = 0x8;
constexpr uint32_t kPixelFlagStencil = 0x10;

// What a caller reads of a format: the surface description carries one.
struct PixelFormatInfo
{
    uint32_t flags = 0;
    uint32_t bitCount = 0; // storage bits per pixel
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
    uint32_t zBitDepth = 0; // depth plus stencil bits
    uint32_t stencilBitDepth = 0;
};

PixelFormatInfo DescribeFormat(PixelFormat format);
// The format whose flags, bit count and masks (or depth bits) equal the description's; Unknown
// when none does.
PixelFormat FindFormat(const PixelFormatInfo& info);
uint32_t BytesPerPixel(PixelFormat format);
bool IsDepthFormat(PixelFormat format);
// Bytes per row of a surface: whole pixels rounded up to four bytes.
int32_t PitchFor(PixelFormat format, uint32_t width);

// An 0xAARRGGBB colour packed into a masked format (each channel truncated to its bits);
// 0 for palettised and depth formats.
uint32_t PackColor(PixelFormat format, uint32_t argb);
// A pixel of a masked format as 0xAARRGGBB, each channel widened by repeating its top bits
// (a 5-bit 31 becomes 255). Formats without alpha give alpha 255.
uint32_t ExpandColor(PixelFormat format, uint32_t pixel);

// A depth in 0..1 as the stored value of a depth format: round(z x (2^depthBits - 1)),
// z clamped to 0..1.
uint32_t DepthToStored(PixelFormat format, float z);

// Raw pixel access by format width (1, 2, 3 or 4 bytes, little-endian).
uint32_t ReadPixel(const uint8_t* at, uint32_t bytesPerPixel);
void WritePixel(uint8_t* at, uint32_t bytesPerPixel, uint32_t value);

} // namespace plat
