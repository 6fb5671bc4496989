#include "QrImageReader.h"

#include "QrRawImageData.h"

#include "ByteReader.h"
#include "Files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <vector>

namespace
{

constexpr uint16_t kBmpMagic = 19778; // "BM"
constexpr uint32_t kBmpInfoHeaderBytes = 40;
constexpr uint16_t kSgiMagic = 474;
constexpr size_t kSgiColorMapOffset = 104;
constexpr size_t kSgiDataOffset = 512;
constexpr uint32_t kTgaMaxColorMapEnd = 16383;

using Rgba = std::array<uint8_t, 4>;

// The pixel layout of a Targa value of the given depth: blue, green, red (alpha), or 5-5-5.
Rgba TgaValueToRgba(const uint8_t* v, uint32_t depth)
{
    switch (depth)
    {
    case 8:
        return {v[0], v[0], v[0], 255};
    case 15:
    case 16:
    {
        // The top bit is an attribute we do not use.
        const uint32_t w = v[0] | (v[1] << 8);
        return {static_cast<uint8_t>(((w >> 10) & 31) << 3), static_cast<uint8_t>(((w >> 5) & 31) << 3),
                static_cast<uint8_t>((w & 31) << 3), 255};
    }
    case 24:
        return {v[2], v[1], v[0], 255};
    default:
        return {v[2], v[1], v[0], v[3]};
    }
}

bool IsTgaDepth(uint32_t depth)
{
    return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

// The fixed Targa header, checked for a kind and depth this reader decodes.
struct TgaHeader
{
    uint32_t mapType = 0;
    uint32_t imageType = 0;
    uint32_t mapFirst = 0;
    uint32_t mapLength = 0;
    uint32_t mapEntryBits = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;
    uint32_t descriptor = 0;
    bool mapped = false;
    bool rle = false;
};

bool ReadTgaHeader(plat::ByteReader& in, TgaHeader& header)
{
    const uint32_t idLength = in.U8();
    header.mapType = in.U8();
    header.imageType = in.U8();
    header.mapFirst = in.U16();
    header.mapLength = in.U16();
    header.mapEntryBits = in.U8();
    in.U16(); // x and y origin
    in.U16();
    header.width = in.U16();
    header.height = in.U16();
    header.depth = in.U8();
    header.descriptor = in.U8();
    if (in.Failed() || !in.Skip(idLength))
        return false;

    const uint32_t type = header.imageType;
    header.mapped = type == 1 || type == 9;
    header.rle = type >= 9;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
        return false;
    // A colour-mapped value is an index: 8 or 16 bits.
    const uint32_t depth = header.depth;
    if (header.mapped &&
        (header.mapType != 1 || !IsTgaDepth(header.mapEntryBits) || (depth != 8 && depth != 15 && depth != 16)))
        return false;
    return IsTgaDepth(depth);
}

// The colour table holds only the entries the file defines; any other index is corrupt.
bool ReadTgaColorTable(plat::ByteReader& in, const TgaHeader& header, std::vector<Rgba>& table)
{
    if (header.mapType == 0)
        return true;
    if (header.mapFirst + header.mapLength >= kTgaMaxColorMapEnd)
        return false;
    const uint32_t entryBytes = (header.mapEntryBits + 7) / 8;
    if (!header.mapped)
        return in.Skip(static_cast<size_t>(header.mapLength) * entryBytes);
    if (!in.CanRead(header.mapLength, entryBytes))
        return false;
    table.resize(header.mapLength);
    for (Rgba& entry : table)
    {
        uint8_t v[4];
        in.Read(v, entryBytes);
        entry = TgaValueToRgba(v, header.mapEntryBits);
    }
    return true;
}

// Hands out one pixel at a time, raw or run-length packed, through the colour table if any.
// Packet state lives here: each image starts with no packet pending.
class TgaPixelSource
{
public:
    TgaPixelSource(plat::ByteReader& in, const TgaHeader& header, const std::vector<Rgba>& table, uint32_t pixelBytes)
        : m_in(in), m_header(header), m_table(table), m_valueBytes((header.depth + 7) / 8), m_pixelBytes(pixelBytes)
    {
    }

    bool Next(uint8_t* px)
    {
        if (!ReadValue())
            return false;
        Rgba c;
        if (m_header.mapped)
        {
            const uint32_t index =
                m_header.depth == 8 ? m_value[0] : static_cast<uint32_t>(m_value[0] | (m_value[1] << 8));
            if (index < m_header.mapFirst || index - m_header.mapFirst >= m_table.size())
                return false;
            c = m_table[index - m_header.mapFirst];
        }
        else
        {
            c = TgaValueToRgba(m_value, m_header.depth);
        }
        std::memcpy(px, c.data(), m_pixelBytes);
        return !m_in.Failed();
    }

private:
    bool ReadValue()
    {
        if (!m_header.rle)
            return m_in.Read(m_value, m_valueBytes);
        if (m_packetLeft == 0)
        {
            const uint8_t packet = m_in.U8();
            m_packetLeft = (packet & 127u) + 1;
            m_run = (packet & 128u) != 0;
            if (m_run && !m_in.Read(m_value, m_valueBytes))
                return false;
        }
        if (!m_run && !m_in.Read(m_value, m_valueBytes))
            return false;
        --m_packetLeft;
        return true;
    }

    plat::ByteReader& m_in;
    const TgaHeader& m_header;
    const std::vector<Rgba>& m_table;
    const uint32_t m_valueBytes;
    const uint32_t m_pixelBytes;
    uint32_t m_packetLeft = 0;
    bool m_run = false;
    uint8_t m_value[4] = {};
};

// Stores a decode in the raw data only when it succeeded.
template <class Reader> bool IntoRaw(Reader read, plat::ByteReader& input, QrRawImageData& rawData)
{
    QrImagePixels pixels;
    if (!read(input, pixels))
        return false;
    rawData.SetBuffer(std::move(pixels));
    return true;
}

} // namespace

// ---------------------------------------------------------------- choosing the reader

QrImageReader::FileKind QrImageReader::Classify(const char* name, std::string& path)
{
    path.clear();
    if (!name)
        return FileKind::kUnknown;
    path = name;
    if (path.compare(0, 7, "file://") == 0)
        path.erase(0, 7);
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return FileKind::kUnknown;
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".qrf")
        return FileKind::kScene;
    if (ext == ".tga")
        return FileKind::kTGA;
    if (ext == ".bmp")
        return FileKind::kBMP;
    if (ext == ".rgb" || ext == ".rgba" || ext == ".int" || ext == ".inta")
        return FileKind::kSGI;
    return FileKind::kUnknown;
}

bool QrImageReader::DecodeFile(const char* name, QrImagePixels& out)
{
    std::string path;
    const FileKind kind = Classify(name, path);
    if (kind == FileKind::kUnknown || kind == FileKind::kScene)
        return false;
    std::vector<uint8_t> bytes;
    if (!plat::ReadFile(path, bytes))
        return false;
    plat::ByteReader input(bytes.data(), bytes.size());
    switch (kind)
    {
    case FileKind::kBMP:
        return ReadBMP(input, out);
    case FileKind::kTGA:
        return ReadTGA(input, out);
    case FileKind::kSGI:
        return ReadSGI(input, out);
    default:
        return false;
    }
}

bool QrImageReader::ReadBMP(plat::ByteReader& input, QrRawImageData& rawData)
{
    return IntoRaw([](plat::ByteReader& in, QrImagePixels& out) { return ReadBMP(in, out); }, input, rawData);
}

bool QrImageReader::ReadTGA(plat::ByteReader& input, QrRawImageData& rawData)
{
    return IntoRaw([](plat::ByteReader& in, QrImagePixels& out) { return ReadTGA(in, out); }, input, rawData);
}

bool QrImageReader::ReadSGI(plat::ByteReader& input, QrRawImageData& rawData)
{
    return IntoRaw([](plat::ByteReader& in, QrImagePixels& out) { return ReadSGI(in, out); }, input, rawData);
}

// ---------------------------------------------------------------- Windows bitmap

bool QrImageReader::ReadBMP(plat::ByteReader& in, QrImagePixels& out)
{
    const size_t start = in.Offset();
    if (in.U16() != kBmpMagic)
        return false;
    in.U32(); // file size, often wrong in the wild
    in.Skip(4);
    const uint32_t dataOffset = in.U32();
    const uint32_t headerSize = in.U32();
    const int32_t width = in.I32();
    const int32_t heightField = in.I32();
    in.U16(); // planes
    const uint32_t bits = in.U16();
    const uint32_t compression = in.U32();
    in.U32(); // image size: recomputed from the row layout below
    in.U32(); // resolution
    in.U32();
    uint32_t colors = in.U32();
    in.U32(); // colours important
    // Later header versions append fields (masks, colour space) before the palette.
    if (in.Failed() || headerSize < kBmpInfoHeaderBytes || !in.Skip(headerSize - kBmpInfoHeaderBytes))
        return false;

    uint32_t format;
    switch (bits)
    {
    case 4:
    case 8:
        format = QrImagePixels::kFormatPalettized;
        break;
    case 24:
        format = QrImagePixels::kFormatRGB;
        break;
    case 32:
        format = QrImagePixels::kFormatRGBA;
        break;
    default:
        return false;
    }
    // Run-length bitmaps are not decoded; 32-bit bit-field masks are taken as B, G, R, A.
    if (bits == 32 ? (compression != 0 && compression != 3) : compression != 0)
        return false;
    if (width <= 0 || heightField == 0 || heightField == INT32_MIN)
        return false;
    const bool bottomUp = heightField > 0;
    const uint32_t w = static_cast<uint32_t>(width);
    const uint32_t h = static_cast<uint32_t>(bottomUp ? heightField : -heightField);
    if (!QrImagePixels::IsAllowed(format, w, h))
        return false;

    if (colors == 0 && format == QrImagePixels::kFormatPalettized)
        colors = 1u << bits;
    const uint32_t paletteEntries = format == QrImagePixels::kFormatPalettized ? std::min(colors, 256u) : 0;
    const uint64_t paletteStart = in.Offset();
    const uint64_t pixelStart =
        dataOffset != 0 ? start + static_cast<uint64_t>(dataOffset) : paletteStart + static_cast<uint64_t>(colors) * 4;
    // Rows are padded to four bytes; the last row's padding may be missing.
    const uint64_t rowData = (static_cast<uint64_t>(bits) * w + 7) / 8;
    const uint64_t stride = (static_cast<uint64_t>(bits) * w + 31) / 32 * 4;
    const uint64_t pixelEnd = pixelStart + (h - 1) * stride + rowData;
    if (paletteStart + paletteEntries * 4ull > in.Size() || pixelEnd > in.Size())
        return false;

    QrImagePixels picture;
    if (!picture.Allocate(format, w, h))
        return false;
    if (paletteEntries > 0)
    {
        uint8_t* palette = picture.GetPalette();
        if (!in.Read(palette, paletteEntries * 4))
            return false;
        for (uint32_t i = 0; i < paletteEntries; ++i)
            std::swap(palette[i * 4], palette[i * 4 + 2]);
    }

    std::vector<uint8_t> packed(bits == 4 ? rowData : 0);
    for (uint32_t i = 0; i < h; ++i)
    {
        uint8_t* row = picture.GetRow(bottomUp ? h - 1 - i : i);
        if (!in.Seek(pixelStart + i * stride))
            return false;
        if (bits == 4)
        {
            if (!in.Read(packed.data(), packed.size()))
                return false;
            for (uint32_t x = 0; x < w; ++x)
                row[x] = (x & 1) ? (packed[x / 2] & 15) : (packed[x / 2] >> 4);
            continue;
        }
        if (!in.Read(row, rowData))
            return false;
        if (format != QrImagePixels::kFormatPalettized)
        {
            const uint32_t bpp = picture.GetBytesPerPixel();
            for (uint32_t x = 0; x < w; ++x)
                std::swap(row[x * bpp], row[x * bpp + 2]);
        }
    }
    out = std::move(picture);
    return true;
}

// ---------------------------------------------------------------- Targa

bool QrImageReader::ReadTGA(plat::ByteReader& in, QrImagePixels& out)
{
    TgaHeader header;
    if (!ReadTgaHeader(in, header))
        return false;
    std::vector<Rgba> table;
    if (!ReadTgaColorTable(in, header, table))
        return false;

    const uint32_t w = header.width;
    const uint32_t h = header.height;
    const bool alpha = header.mapped ? header.mapEntryBits == 32 : header.depth == 32;
    const uint32_t format = alpha ? QrImagePixels::kFormatRGBA : QrImagePixels::kFormatRGB;
    if (w == 0 || h == 0 || !QrImagePixels::IsAllowed(format, w, h))
        return false;
    // Even fully run-length packed, every 128 pixels take a header and one value.
    const uint64_t total = static_cast<uint64_t>(w) * h;
    const uint32_t valueBytes = (header.depth + 7) / 8;
    const uint64_t leastBytes = header.rle ? (total + 127) / 128 * (1 + valueBytes) : total * valueBytes;
    if (leastBytes > in.Remaining())
        return false;

    QrImagePixels picture;
    if (!picture.Allocate(format, w, h))
        return false;

    TgaPixelSource source(in, header, table, alpha ? 4 : 3);
    // Interleaved files store every second or fourth row, then start again one row further.
    const uint32_t interleave = header.descriptor >> 6;
    const uint32_t step = interleave == 1 ? 2 : interleave == 2 ? 4 : 1;
    const bool topOrigin = (header.descriptor & 0x20) != 0;
    uint32_t y = 0;
    uint32_t firstRow = 0;
    const uint32_t bpp = picture.GetBytesPerPixel();
    for (uint32_t r = 0; r < h; ++r)
    {
        uint8_t* row = picture.GetRow(topOrigin ? y : h - 1 - y);
        for (uint32_t x = 0; x < w; ++x)
            if (!source.Next(row + x * bpp))
                return false;
        y += step;
        if (y >= h)
            y = ++firstRow;
    }
    out = std::move(picture);
    return true;
}

// ---------------------------------------------------------------- SGI

bool QrImageReader::ReadSGI(plat::ByteReader& in, QrImagePixels& out)
{
    const size_t start = in.Offset();
    if (in.U16BE() != kSgiMagic)
        return false;
    const uint32_t storage = in.U8();
    const uint32_t bytesPerChannel = in.U8();
    in.U16BE(); // dimension
    const uint32_t xs = in.U16BE();
    const uint32_t ys = in.U16BE();
    const uint32_t zs = in.U16BE();
    in.U32BE(); // minimum and maximum pixel value
    in.U32BE();
    in.Seek(start + kSgiColorMapOffset);
    in.U32BE(); // colour map: not used
    if (!in.Seek(start + kSgiDataOffset))
        return false;
    if (storage > 1 || (bytesPerChannel != 1 && bytesPerChannel != 2) || (storage == 1 && bytesPerChannel != 1))
        return false;
    if (xs == 0 || ys == 0 || zs == 0)
        return false;
    const uint32_t format = (zs == 2 || zs >= 4) ? QrImagePixels::kFormatRGBA : QrImagePixels::kFormatRGB;
    if (!QrImagePixels::IsAllowed(format, xs, ys))
        return false;
    const uint32_t planes = std::min(zs, 4u);

    // Rows run bottom-up. A grey plane fills red, green and blue; alpha is plane 1 of a
    // grey-alpha file and plane 3 otherwise.
    const uint32_t bpp = QrImagePixels::BytesPerPixelOf(format);
    auto putRow = [&](QrImagePixels& picture, uint32_t plane, uint32_t y, const uint8_t* values)
    {
        uint8_t* row = picture.GetRow(ys - 1 - y);
        if (zs <= 2 && plane == 0)
        {
            for (uint32_t x = 0; x < xs; ++x)
                row[x * bpp] = row[x * bpp + 1] = row[x * bpp + 2] = values[x];
            return;
        }
        const uint32_t channel = (zs == 2 && plane == 1) ? 3 : plane;
        for (uint32_t x = 0; x < xs; ++x)
            row[x * bpp + channel] = values[x];
    };

    std::vector<uint8_t> values(xs);
    if (storage == 0)
    {
        if (static_cast<uint64_t>(planes) * ys * xs * bytesPerChannel > in.Remaining())
            return false;
        QrImagePixels picture;
        if (!picture.Allocate(format, xs, ys))
            return false;
        std::vector<uint8_t> raw(static_cast<size_t>(xs) * bytesPerChannel);
        for (uint32_t p = 0; p < planes; ++p)
        {
            for (uint32_t y = 0; y < ys; ++y)
            {
                if (!in.Read(raw.data(), raw.size()))
                    return false;
                // Two-byte values keep their high byte.
                for (uint32_t x = 0; x < xs; ++x)
                    values[x] = raw[x * bytesPerChannel];
                putRow(picture, p, y, values.data());
            }
        }
        out = std::move(picture);
        return true;
    }

    // Run-length: a table of row offsets and one of row lengths, every plane of the file.
    const uint64_t rows = static_cast<uint64_t>(ys) * zs;
    if (!in.CanRead(rows * 2, 4))
        return false;
    std::vector<uint32_t> offsets(rows);
    for (uint32_t& o : offsets)
        o = in.U32BE();
    in.Skip(rows * 4); // row lengths: the packets end each row themselves
    QrImagePixels picture;
    if (in.Failed() || !picture.Allocate(format, xs, ys))
        return false;
    for (uint32_t p = 0; p < planes; ++p)
    {
        for (uint32_t y = 0; y < ys; ++y)
        {
            if (!in.Seek(start + static_cast<uint64_t>(offsets[static_cast<size_t>(p) * ys + y])))
                return false;
            uint32_t x = 0;
            for (;;)
            {
                const uint32_t c = in.U8();
                const uint32_t n = c & 127;
                if (in.Failed())
                    return false;
                if (c == 0)
                    break;
                if (n > xs - x)
                    return false;
                if (c & 128)
                {
                    if (!in.Read(values.data() + x, n))
                        return false;
                }
                else
                {
                    const uint8_t v = in.U8();
                    std::fill_n(values.data() + x, n, v);
                }
                x += n;
            }
            // A row that ends short is as corrupt as one that runs long.
            if (x != xs || in.Failed())
                return false;
            putRow(picture, p, y, values.data());
        }
    }
    out = std::move(picture);
    return true;
}
