// Pictures by id: our BMP decoder and the engine image made from it.

#include "ResourcePack.h"
#include "ResourceTypes.h"

#include "ByteReader.h"
#include "QrRawImageData.h"

#include <cstring>

namespace
{

constexpr uint16_t kBmpMagic = 0x4D42;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kColorTableAt = kFileHeaderSize + kInfoHeaderSize;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;

struct BmpHeader
{
    uint32_t dataOffset = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

bool ReadHeader(const uint8_t* bytes, size_t size, BmpHeader& header)
{
    plat::ByteReader reader(bytes, size);
    if (!reader.CanRead(1, kColorTableAt) || reader.U16() != kBmpMagic)
        return false;
    reader.Seek(10);
    header.dataOffset = reader.U32();
    reader.Seek(18);
    header.width = reader.I32();
    header.height = reader.I32();
    reader.Skip(2);
    header.bitCount = reader.U16();
    header.compression = reader.U32();
    reader.Seek(46);
    header.colorsUsed = reader.U32();
    return !reader.Failed();
}

uint32_t FormatOf(uint16_t bitCount)
{
    switch (bitCount)
    {
    case 4:
    case 8:
        return QrImagePixels::kFormatPalettized;
    case 24:
        return QrImagePixels::kFormatRGB;
    case 32:
        return QrImagePixels::kFormatRGBA;
    default:
        return UINT32_MAX;
    }
}

void CopyRow(const uint8_t* source, uint8_t* target, uint32_t width, uint16_t bitCount, uint32_t bytesPerPixel)
{
    if (bitCount == 4)
    {
        for (uint32_t x = 0; x < width; ++x)
            target[x] = (x & 1) ? (source[x / 2] & 0x0F) : (source[x / 2] >> 4);
        return;
    }
    std::memcpy(target, source, size_t(width) * bytesPerPixel);
    if (bytesPerPixel >= 3)
    {
        for (uint32_t x = 0; x < width; ++x)
            std::swap(target[x * bytesPerPixel], target[x * bytesPerPixel + 2]);
    }
}

} // namespace

bool DecodeBmp(const uint8_t* bytes, size_t size, QrRawImageData& raw)
{
    BmpHeader header;
    if (!bytes || !ReadHeader(bytes, size, header))
        return false;
    if (header.bitCount == 32 && header.compression != kCompressionNone && header.compression != kCompressionBitFields)
        return false;
    const uint32_t format = FormatOf(header.bitCount);
    const bool bottomUp = header.height > 0;
    const int64_t heightMagnitude = header.height < 0 ? -int64_t(header.height) : header.height;
    if (format == UINT32_MAX || header.width <= 0 || heightMagnitude == 0 ||
        !QrImagePixels::IsAllowed(format, uint32_t(header.width), uint32_t(heightMagnitude)))
        return false;
    const auto width = uint32_t(header.width);
    const auto height = uint32_t(heightMagnitude);

    // 24- and 32-bit pictures have no colour table unless the file says how long it is.
    uint64_t colors = header.colorsUsed;
    if (colors == 0 && format == QrImagePixels::kFormatPalettized)
        colors = 1ull << header.bitCount;
    if (colors > QrImagePixels::kPaletteEntries)
        colors = QrImagePixels::kPaletteEntries;
    const uint64_t pixelStart = header.dataOffset ? header.dataOffset : kColorTableAt + colors * 4;
    const uint64_t sourceRow = ((uint64_t(width) * header.bitCount + 31) / 32) * 4;
    if (kColorTableAt + colors * 4 > size || pixelStart + sourceRow * height > size)
        return false;
    if (!raw.AllocatePixels(format, width, height))
        return false;

    if (format == QrImagePixels::kFormatPalettized)
    {
        uint8_t* palette = raw.GetPalette();
        std::memcpy(palette, bytes + kColorTableAt, size_t(colors) * 4);
        for (uint64_t i = 0; i < colors; ++i)
            std::swap(palette[i * 4], palette[i * 4 + 2]);
    }
    QrImagePixels& pixels = raw.GetBuffer();
    for (uint32_t row = 0; row < height; ++row)
    {
        const uint8_t* source = bytes + pixelStart + sourceRow * row;
        const uint32_t targetRow = bottomUp ? height - 1 - row : row;
        CopyRow(source, pixels.GetRow(targetRow), width, header.bitCount, pixels.GetBytesPerPixel());
    }
    return true;
}

QrPointer<QrImage> LoadResourceImage(uint32_t kind, uint32_t id, ResourcePack* pack)
{
    if (kind != kResourcePicture)
        return nullptr;
    const void* file = ResourcePack::GetItem(kResourcePicture, id, pack);
    if (!file)
        return nullptr;
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    // Bytes that do not decode give no picture rather than an empty one.
    if (!DecodeBmp(static_cast<const uint8_t*>(file), ResourceBlockSize(file), *raw))
        return nullptr;
    return QrImage::CreateFromRawData(std::move(raw), 0);
}

QrPointer<QrImage> ReloadResourceImage(uint32_t kind, uint32_t id, ResourcePack* pack, QrPointer<QrImage>& slot)
{
    slot = nullptr;
    return LoadResourceImage(kind, id, pack);
}
