// PENDING: stand-ins until the image, palette and pixel-format classes are merged; removed then.

#include "Display.h"
#include "QrDDBufferImage.h"
#include "QrDDImage.h"
#include "QrPalette.h"
#include "QrPixelFormat.h"
#include "Surface.h"

QR_IMPLEMENT_RTTI(QrDDImage, QrImage)
QR_IMPLEMENT_RTTI(QrDDBufferImage, QrDDImage)
QR_IMPLEMENT_RTTI(QrPalette, QrObject)

namespace
{
std::shared_ptr<plat::Display> g_display;
QrPointer<QrPalette>* g_palette = new QrPointer<QrPalette>;

class PlainImage : public QrDDImage
{
};
} // namespace

QrImage* QrDDImage::Create(uint32_t)
{
    return new PlainImage;
}

bool QrDDImage::ReleaseAllSurfaces()
{
    return true;
}

void QrDDImage::SetDirectDraw(const std::shared_ptr<plat::Display>& display)
{
    g_display = display;
}

bool QrDDImage::GetDirectDraw(std::shared_ptr<plat::Display>& out)
{
    out = g_display;
    return out != nullptr;
}

void QrDDImage::SetGlobalObject(QrPalette* palette)
{
    *g_palette = palette;
}

QrPalette* QrDDImage::GetGlobalObject()
{
    return g_palette->Get();
}

void QrDDImage::ForgetTextureKey(uint32_t) {}

bool QrDDImage::GetSurface(std::shared_ptr<plat::Surface>& out)
{
    out = m_surface;
    return true;
}

bool QrDDImage::GetSurfaceFor(QrRender*, uint32_t, std::shared_ptr<plat::Surface>& out)
{
    out = m_surface;
    return out != nullptr;
}

QrPointer<QrDDBufferImage> QrDDBufferImage::Create(const std::shared_ptr<plat::Surface>& surface)
{
    if (!surface)
        return nullptr;
    QrPointer<QrDDBufferImage> image(new QrDDBufferImage);
    image->m_surface = surface;
    image->m_width = surface->Width();
    image->m_height = surface->Height();
    image->m_levelCount = 1;
    return image;
}

QrPalette::QrPalette(const plat::PaletteEntry* entries)
{
    for (uint32_t i = 0; i < 256; ++i)
        m_entries[i] = entries[i];
}

std::shared_ptr<plat::Palette> QrPalette::CreateDDPalette()
{
    if (!m_ddPalette && g_display)
        g_display->CreatePalette(plat::kPaletteCaps8Bit | plat::kPaletteCapsInitialize | plat::kPaletteCapsAllow256,
                                 m_entries.data(), m_ddPalette);
    return m_ddPalette;
}

void QrPixelFormat::FromDDPixelFormat(const plat::PixelFormatInfo& info)
{
    m_palettised = (info.flags & plat::kPixelFlagPaletteIndexed8) ? 1 : 0;
    m_bitsPerPixel = static_cast<uint8_t>(info.bitCount);
    m_redMask = info.redMask;
    m_greenMask = info.greenMask;
    m_blueMask = info.blueMask;
    m_alphaMask = info.alphaMask;
}

QrPixelFormat QrPixelFormat::FromSurface(const plat::Surface& surface)
{
    QrPixelFormat format;
    format.FromDDPixelFormat(plat::DescribeFormat(surface.Format()));
    return format;
}
