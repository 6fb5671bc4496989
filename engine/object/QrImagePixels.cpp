#include "QrImagePixels.h"

#include <cstring>
#include <new>

QrImagePixels::QrImagePixels(QrImagePixels&& other) noexcept
{
    *this = std::move(other);
}

QrImagePixels& QrImagePixels::operator=(QrImagePixels&& other) noexcept
{
    if (this == &other)
        return *this;
    m_format = other.m_format;
    m_width = other.m_width;
    m_height = other.m_height;
    m_bytesPerPixel = other.m_bytesPerPixel;
    m_rowBytes = other.m_rowBytes;
    m_palette = std::move(other.m_palette);
    m_pixels = std::move(other.m_pixels);
    other.Clear();
    return *this;
}

uint32_t QrImagePixels::BytesPerPixelOf(uint32_t format)
{
    switch (format)
    {
    case kFormatPalettized:
        return 1;
    case kFormatRGB:
        return 3;
    case kFormatRGBA:
        return 4;
    default:
        return 0;
    }
}

bool QrImagePixels::IsAllowed(uint32_t format, uint32_t width, uint32_t height)
{
    const uint32_t bpp = BytesPerPixelOf(format);
    if (bpp == 0 || width > kMaxSide || height > kMaxSide)
        return false;
    return static_cast<uint64_t>(width) * height * bpp <= kMaxPixelBytes;
}

void QrImagePixels::Clear()
{
    m_format = kFormatRGB;
    m_width = 0;
    m_height = 0;
    m_bytesPerPixel = 3;
    m_rowBytes = 0;
    m_palette.reset();
    m_pixels.reset();
}

bool QrImagePixels::Allocate(uint32_t format, uint32_t width, uint32_t height)
{
    Clear();
    if (!IsAllowed(format, width, height))
        return false;
    const uint32_t bpp = BytesPerPixelOf(format);
    const size_t bytes = static_cast<size_t>(width) * bpp * height;
    if (format == kFormatPalettized)
    {
        m_palette.reset(new (std::nothrow) uint8_t[kPaletteBytes]());
        if (!m_palette)
            return false;
    }
    if (bytes > 0)
    {
        m_pixels.reset(new (std::nothrow) uint8_t[bytes]());
        if (!m_pixels)
        {
            m_palette.reset();
            return false;
        }
    }
    m_format = format;
    m_width = width;
    m_height = height;
    m_bytesPerPixel = bpp;
    m_rowBytes = width * bpp;
    return true;
}

bool QrImagePixels::IsEqual(const QrImagePixels& other) const
{
    if (m_format != other.m_format || m_width != other.m_width || m_height != other.m_height)
        return false;
    if (m_format == kFormatPalettized &&
        (!m_palette || !other.m_palette || std::memcmp(m_palette.get(), other.m_palette.get(), kPaletteBytes) != 0))
        return false;
    const size_t n = GetPixelBytes();
    return n == 0 || std::memcmp(m_pixels.get(), other.m_pixels.get(), n) == 0;
}
