#pragma once
// PENDING: stand-in until the pixel-format class is merged; removed then.

#include "PixelFormat.h"

#include <cstdint>

namespace plat
{
class Surface;
}

class QrPixelFormat
{
public:
    void FromDDPixelFormat(const plat::PixelFormatInfo& info);
    static QrPixelFormat FromSurface(const plat::Surface& surface);

    uint8_t m_palettised = 1;
    uint8_t m_bitsPerPixel = 0;
    uint32_t m_redMask = 0;
    uint32_t m_greenMask = 0;
    uint32_t m_blueMask = 0;
    uint32_t m_alphaMask = 0;
    uint32_t m_kind = 0;
};
