#pragma once
// The renderer's description of a surface pixel format: masks with their bit counts, losses
// (8 minus the bit count) and shifts, which the pixel converters work from. A plain value.

#include "PixelFormat.h"

#include <cstdint>

namespace plat
{
class Surface;
}

class QrPixelFormat
{
public:
    // Palettised, no bits, no masks, every loss 8.
    QrPixelFormat() = default;
    explicit QrPixelFormat(const plat::PixelFormatInfo& info) { FromDDPixelFormat(info); }

    void FromDDPixelFormat(const plat::PixelFormatInfo& info);
    void ToDDPixelFormat(plat::PixelFormatInfo& out) const;
    // Keeps the default when the surface reports no format.
    void FromSurface(const plat::Surface& surface);

    // The platform format with the same masks; Unknown when the platform has none.
    plat::PixelFormat ToPlatformFormat() const;
    bool MasksEqual(const QrPixelFormat& other) const
    {
        return m_redMask == other.m_redMask && m_greenMask == other.m_greenMask && m_blueMask == other.m_blueMask &&
               m_alphaMask == other.m_alphaMask;
    }
    bool IsPalettised() const { return m_palettised != 0; }
    bool HasAlpha() const { return m_alphaMask != 0; }

    // A colour channel absent from the format has mask 0, bit count 0, loss 8 and shift 32;
    // a format without alpha has alpha shift 0. Converters test the mask before shifting.
    uint8_t m_palettised = 1;
    uint8_t m_bitsPerPixel = 0;
    uint32_t m_redMask = 0;
    uint32_t m_greenMask = 0;
    uint32_t m_blueMask = 0;
    uint32_t m_alphaMask = 0;
    uint8_t m_redBits = 0;
    uint8_t m_greenBits = 0;
    uint8_t m_blueBits = 0;
    uint8_t m_alphaBits = 0;
    uint8_t m_redLoss = 8;
    uint8_t m_greenLoss = 8;
    uint8_t m_blueLoss = 8;
    uint8_t m_alphaLoss = 8;
    uint8_t m_redShift = 0;
    uint8_t m_greenShift = 0;
    uint8_t m_blueShift = 0;
    uint8_t m_alphaShift = 0;
    // The texture kind the texture manager gave this format; copied with the rest.
    uint32_t m_kind = 0;
};
