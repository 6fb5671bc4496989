#include "QrPaletteFile.h"

#include "QrPalette.h"

#include "ByteReader.h"
#include "Path.h"

#include <cstdio>
#include <memory>
#include <string>

namespace
{

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kRawBytes = 768;
constexpr uint32_t kTableBytes = 1024;
// Larger headers than any bitmap version has are not believed.
constexpr uint32_t kMaxInfoHeaderBytes = 4096;

struct FileCloser
{
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadExactly(std::FILE* f, void* out, size_t n)
{
    return std::fread(out, 1, n, f) == n;
}

uint32_t LoadBitmap(std::FILE* f, plat::PaletteEntry out[256])
{
    uint8_t fileHeader[kFileHeaderBytes];
    if (!ReadExactly(f, fileHeader, sizeof fileHeader))
        return QrPaletteFile::kBadFormat;
    plat::ByteReader file(fileHeader, sizeof fileHeader);
    if (file.U16() != 0x4D42)
        return QrPaletteFile::kBadFormat;

    uint8_t infoHeader[kInfoHeaderBytes];
    if (!ReadExactly(f, infoHeader, sizeof infoHeader))
        return QrPaletteFile::kBadFormat;
    plat::ByteReader info(infoHeader, sizeof infoHeader);
    const uint32_t headerSize = info.U32();
    // The core header has no colour count; shorter ones are not bitmaps.
    if (headerSize == kCoreHeaderBytes || headerSize < kInfoHeaderBytes || headerSize > kMaxInfoHeaderBytes)
        return QrPaletteFile::kBadFormat;
    info.Skip(8); // width, height
    info.Skip(2); // planes
    const uint16_t bitCount = info.U16();
    info.Skip(16); // compression, image size, resolutions
    uint32_t colors = info.U32();
    if (bitCount != 8)
        return QrPaletteFile::kBadFormat;
    if (colors == 0)
        colors = 256;
    if (colors != 256)
        return QrPaletteFile::kBadFormat;

    // The colour table follows the header, whichever version the header is.
    if (headerSize != kInfoHeaderBytes && std::fseek(f, static_cast<long>(kFileHeaderBytes + headerSize), SEEK_SET))
        return QrPaletteFile::kBadFormat;
    uint8_t table[kTableBytes];
    if (!ReadExactly(f, table, sizeof table))
        return QrPaletteFile::kBadFormat;
    for (uint32_t i = 0; i < 256; ++i)
        out[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i], QrPalette::kEntryFlags};
    return QrPaletteFile::kRead;
}

uint32_t LoadRaw(std::FILE* f, plat::PaletteEntry out[256])
{
    uint8_t bytes[kRawBytes];
    if (!ReadExactly(f, bytes, sizeof bytes))
        return QrPaletteFile::kBadFormat;
    for (uint32_t i = 0; i < 256; ++i)
        out[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2], QrPalette::kEntryFlags};
    return QrPaletteFile::kRead;
}

} // namespace

uint32_t QrPaletteFile::Load(const char* path, plat::PaletteEntry out[256])
{
    if (!path || !out)
        return kCannotOpen;
    const std::string native = plat::NativePath(path);
    const std::string found = plat::FindPathCaseInsensitive(native, plat::PathKind::kFile).value_or(native);
    File f(std::fopen(found.c_str(), "rb"));
    if (!f)
        return kCannotOpen;
    if (plat::EqualNoCase(plat::ExtensionOf(native), ".bmp"))
        return LoadBitmap(f.get(), out);
    return LoadRaw(f.get(), out);
}
