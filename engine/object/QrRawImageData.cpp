#include "QrRawImageData.h"

#include "QrStream.h"

#include "Format.h"

QR_IMPLEMENT_RTTI(QrRawImageData, QrObject)
QR_IMPLEMENT_CREATE(QrRawImageData)

void QrRawImageData::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    const uint32_t width = stream.LoadU32();
    const uint32_t height = stream.LoadU32();
    const uint32_t format = stream.LoadU32();
    if (stream.Failed())
        return;
    // Check the size against the limits and the bytes left before allocating anything.
    const uint32_t bpp = QrImagePixels::BytesPerPixelOf(format);
    if (bpp == 0)
    {
        stream.Fail(plat::Format("raw image format %u", format));
        return;
    }
    const uint64_t paletteBytes = format == QrImagePixels::kFormatPalettized ? QrImagePixels::kPaletteBytes : 0;
    const uint64_t pixelBytes = static_cast<uint64_t>(width) * height * bpp;
    if (!QrImagePixels::IsAllowed(format, width, height) || paletteBytes + pixelBytes > stream.GetRemaining())
    {
        stream.Fail(plat::Format("raw image of %u x %u, format %u, does not fit in the %zu bytes left", width, height,
                                 format, stream.GetRemaining()));
        return;
    }
    if (!AllocatePixels(format, width, height))
    {
        stream.Fail("raw image pixels cannot be allocated");
        return;
    }
    if (paletteBytes > 0)
        stream.LoadBytes(GetPalette(), paletteBytes);
    if (pixelBytes > 0)
        stream.LoadBytes(GetPixels(), pixelBytes);
}

void QrRawImageData::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    stream.SaveU32(GetWidth());
    stream.SaveU32(GetHeight());
    stream.SaveU32(GetFormat());
    if (GetFormat() == QrImagePixels::kFormatPalettized)
        stream.SaveBytes(GetPalette(), QrImagePixels::kPaletteBytes);
    if (m_pixels.GetPixelBytes() > 0)
        stream.SaveBytes(GetPixels(), m_pixels.GetPixelBytes());
}

bool QrRawImageData::IsEqual(const QrObject* other) const
{
    if (!QrObject::IsEqual(other))
        return false;
    const auto* raw = static_cast<const QrRawImageData*>(other);
    return m_pixels.IsEqual(raw->m_pixels);
}
