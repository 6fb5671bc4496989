#include "QrPixelFormat.h"

#include "Surface.h"

namespace
{

struct Channel
{
    uint8_t bits = 0;
    uint8_t loss = 8;
    uint8_t shift = 32;
};

Channel DescribeMask(uint32_t mask)
{
    Channel c;
    if (mask == 0)
        return c;
    uint32_t shift = 0;
    while ((mask & 1u) == 0)
    {
        mask >>= 1;
        ++shift;
    }
    uint32_t bits = 0;
    while (mask & 1u)
    {
        mask >>= 1;
        ++bits;
    }
    c.shift = static_cast<uint8_t>(shift);
    c.bits = static_cast<uint8_t>(bits);
    // Wider channels than 8 bits keep their top 8 bits' worth: no negative loss.
    c.loss = static_cast<uint8_t>(bits >= 8 ? 0 : 8 - bits);
    return c;
}

} // namespace

void QrPixelFormat::FromDDPixelFormat(const plat::PixelFormatInfo& info)
{
    const uint32_t keep = m_kind;
    *this = QrPixelFormat();
    m_kind = keep;
    m_bitsPerPixel = static_cast<uint8_t>(info.bitCount);
    if (info.flags & plat::kPixelFlagPaletteIndexed8)
        return;
    m_palettised = 0;
    const Channel r = DescribeMask(info.redMask);
    const Channel g = DescribeMask(info.greenMask);
    const Channel b = DescribeMask(info.blueMask);
    m_redMask = info.redMask;
    m_greenMask = info.greenMask;
    m_blueMask = info.blueMask;
    m_redBits = r.bits;
    m_greenBits = g.bits;
    m_blueBits = b.bits;
    m_redLoss = r.loss;
    m_greenLoss = g.loss;
    m_blueLoss = b.loss;
    m_redShift = r.shift;
    m_greenShift = g.shift;
    m_blueShift = b.shift;
    if (info.flags & plat::kPixelFlagAlpha)
    {
        const Channel a = DescribeMask(info.alphaMask);
        m_alphaMask = info.alphaMask;
        m_alphaBits = a.bits;
        m_alphaLoss = a.loss;
        m_alphaShift = a.shift;
    }
}

void QrPixelFormat::ToDDPixelFormat(plat::PixelFormatInfo& out) const
{
    out = plat::PixelFormatInfo{};
    out.flags = plat::kPixelFlagRgb;
    if (m_palettised)
        out.flags |= plat::kPixelFlagPaletteIndexed8;
    if (m_alphaMask != 0)
        out.flags |= plat::kPixelFlagAlpha;
    out.bitCount = m_bitsPerPixel;
    out.redMask = m_redMask;
    out.greenMask = m_greenMask;
    out.blueMask = m_blueMask;
    out.alphaMask = m_alphaMask;
}

void QrPixelFormat::FromSurface(const plat::Surface& surface)
{
    plat::SurfaceDesc desc;
    if (surface.GetDesc(desc) != plat::Result::Ok || desc.format == plat::PixelFormat::Unknown)
        return;
    FromDDPixelFormat(desc.formatInfo);
}

plat::PixelFormat QrPixelFormat::ToPlatformFormat() const
{
    plat::PixelFormatInfo info;
    ToDDPixelFormat(info);
    return plat::FindFormat(info);
}
