#pragma once
// The pixel kernels of the renderer's images: one level from raw image bytes, one level from a
// surface level of another format, and one mip level from the level above. They work on
// locked memory with integer shifts and masks per channel, reach palettised targets through a
// palette's nearest-colour table, and neither allocate nor keep state. Depths of 8, 16, 24
// and 32 bits are converted; others are left unwritten.

#include "QrPixelFormat.h"

#include "PixelView.h"

#include <cstdint>

class QrPalette;

class QrPixelConverter
{
public:
    // Results of the converters.
    enum : uint32_t
    {
        kOk = 0,
        kNoSourcePalette = 1,
        kNoTargetPalette = 2,
    };

    // Raw source codes: one index byte (with a palette), red-green-blue, red-green-blue-alpha.
    enum : uint32_t
    {
        kRawIndexed = 0,
        kRawRGB = 1,
        kRawRGBA = 2,
    };

    // Reduces an 8-bit channel value into a channel of the format, and widens it back (the
    // low bits stay 0: a 5-bit 31 becomes 248). Absent channels give 0.
    static uint32_t Reduce(uint32_t value, uint32_t mask, uint8_t loss, uint8_t shift);
    static uint32_t Expand(uint32_t pixel, uint32_t mask, uint8_t loss, uint8_t shift);
    // All alpha bits of the format set; 0 without alpha.
    static uint32_t OpaqueAlpha(const QrPixelFormat& format);

    // One level of target.width x target.height from unpadded raw rows. sourcePalette: 256
    // entries of red, green, blue and an ignored byte; targetPalette: the nearest-colour
    // lookup for palettised targets (null: indices are copied from indexed sources).
    static uint32_t ConvertRawPixels(uint32_t sourceCode, const QrPixelFormat& targetFormat,
                                     const uint8_t* sourcePalette, const QrPalette* targetPalette,
                                     const uint8_t* pixels, const plat::PixelView& target);

    // One level between two locked levels of the same size.
    static uint32_t ConvertPixels(const QrPixelFormat& sourceFormat, const QrPixelFormat& targetFormat,
                                  const uint8_t* sourcePalette, const QrPalette* targetPalette,
                                  const plat::PixelView& source, const plat::PixelView& target);

    // Each child pixel is the per-channel average (truncated) of the 2 x 2 parent pixels above
    // it; a parent side of one pixel repeats its last row or column. False for a palettised
    // format or an unsupported depth.
    static bool DownsampleLevel(const QrPixelFormat& format, const plat::PixelView& parent,
                                const plat::PixelView& child);

    // Whether the kernels write this depth.
    static bool IsConvertibleDepth(uint32_t bitsPerPixel);
};
