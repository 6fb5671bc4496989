#include "ImageWriters.h"

#include "ByteWriter.h"

#include <algorithm>
#include <array>

namespace tools
{
namespace
{

using Rgba = std::array<uint8_t, 4>;

Rgba PixelAt(const QrImagePixels& picture, uint32_t x, uint32_t y)
{
    const uint8_t* p = picture.GetRow(y) + static_cast<size_t>(x) * picture.GetBytesPerPixel();
    if (picture.GetFormat() == QrImagePixels::kFormatPalettized)
    {
        const uint8_t* e = picture.GetPalette() + p[0] * 4;
        return {e[0], e[1], e[2], e[3]};
    }
    return {p[0], p[1], p[2], picture.GetFormat() == QrImagePixels::kFormatRGBA ? p[3] : uint8_t{255}};
}

bool HasPixels(const QrImagePixels& picture)
{
    return picture.GetWidth() > 0 && picture.GetHeight() > 0 && picture.GetPixels();
}

uint16_t To555(const Rgba& c)
{
    return static_cast<uint16_t>(((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3));
}

// A Targa value of the depth: blue, green, red (alpha), 5-5-5, or grey from red.
void PutTgaValue(plat::ByteWriter& out, const Rgba& c, uint32_t depth)
{
    switch (depth)
    {
    case 8:
        out.U8(c[0]);
        break;
    case 15:
    case 16:
        out.U16(To555(c));
        break;
    case 24:
        out.U8(c[2]);
        out.U8(c[1]);
        out.U8(c[0]);
        break;
    default:
        out.U8(c[2]);
        out.U8(c[1]);
        out.U8(c[0]);
        out.U8(c[3]);
        break;
    }
}

// Packets of 1 to 128 values: runs of two or more equal values, raw packets otherwise.
void PutTgaPackets(plat::ByteWriter& out, const std::vector<std::vector<uint8_t>>& values)
{
    size_t i = 0;
    while (i < values.size())
    {
        size_t run = 1;
        while (i + run < values.size() && run < 128 && values[i + run] == values[i])
            ++run;
        if (run >= 2)
        {
            out.U8(static_cast<uint8_t>(0x80 | (run - 1)));
            out.Write(values[i].data(), values[i].size());
            i += run;
            continue;
        }
        size_t n = 1;
        while (i + n < values.size() && n < 128 && values[i + n] != values[i + n - 1])
            ++n;
        // Leave the first value of a following run to its run packet.
        if (i + n < values.size() && n > 1 && values[i + n] == values[i + n - 1])
            --n;
        out.U8(static_cast<uint8_t>(n - 1));
        for (size_t k = 0; k < n; ++k)
            out.Write(values[i + k].data(), values[i + k].size());
        i += n;
    }
}

// One SGI row in packets: repeats of three or more, copies otherwise, then the end mark.
void PutSgiRow(plat::ByteWriter& out, const std::vector<uint8_t>& row)
{
    size_t i = 0;
    while (i < row.size())
    {
        size_t run = 1;
        while (i + run < row.size() && run < 127 && row[i + run] == row[i])
            ++run;
        if (run >= 3)
        {
            out.U8(static_cast<uint8_t>(run));
            out.U8(row[i]);
            i += run;
            continue;
        }
        size_t n = 0;
        while (i + n < row.size() && n < 127)
        {
            if (i + n + 2 < row.size() && row[i + n] == row[i + n + 1] && row[i + n] == row[i + n + 2])
                break;
            ++n;
        }
        out.U8(static_cast<uint8_t>(0x80 | n));
        out.Write(row.data() + i, n);
        i += n;
    }
    out.U8(0);
}

} // namespace

// ---------------------------------------------------------------- BMP

std::vector<uint8_t> WriteBMP(const QrImagePixels& picture, const BmpOptions& options)
{
    const uint32_t bits = options.bits;
    const uint32_t w = picture.GetWidth();
    const uint32_t h = picture.GetHeight();
    const uint32_t wantFormat = bits == 24   ? QrImagePixels::kFormatRGB
                                : bits == 32 ? QrImagePixels::kFormatRGBA
                                             : QrImagePixels::kFormatPalettized;
    if ((bits != 4 && bits != 8 && bits != 24 && bits != 32) || picture.GetFormat() != wantFormat ||
        !HasPixels(picture))
        return {};
    if (bits == 4)
        for (size_t i = 0; i < picture.GetPixelBytes(); ++i)
            if (picture.GetPixels()[i] >= 16)
                return {};

    const bool masks = bits == 32 && options.compression == 3;
    const uint32_t colors = bits <= 8 ? (1u << bits) : 0;
    const uint32_t stride = (bits * w + 31) / 32 * 4;
    const uint32_t headerBytes = 14 + 40 + (masks ? 12 : 0) + colors * 4;

    plat::ByteWriter out;
    out.U16(19778);
    out.U32(headerBytes + stride * h);
    out.U32(0);
    out.U32(headerBytes);
    out.U32(40);
    out.I32(static_cast<int32_t>(w));
    out.I32(options.topDown ? -static_cast<int32_t>(h) : static_cast<int32_t>(h));
    out.U16(1);
    out.U16(static_cast<uint16_t>(bits));
    out.U32(options.compression);
    out.U32(stride * h);
    out.U32(2835);
    out.U32(2835);
    out.U32(0); // colours used: all of them
    out.U32(0);
    if (masks)
    {
        out.U32(0x00ff0000);
        out.U32(0x0000ff00);
        out.U32(0x000000ff);
    }
    for (uint32_t i = 0; i < colors; ++i)
    {
        const uint8_t* e = picture.GetPalette() + i * 4;
        out.U8(e[2]);
        out.U8(e[1]);
        out.U8(e[0]);
        out.U8(e[3]);
    }
    for (uint32_t i = 0; i < h; ++i)
    {
        const uint32_t y = options.topDown ? i : h - 1 - i;
        const uint8_t* row = picture.GetRow(y);
        size_t written = 0;
        if (bits == 4)
        {
            for (uint32_t x = 0; x < w; x += 2)
            {
                const uint8_t lo = x + 1 < w ? row[x + 1] : 0;
                out.U8(static_cast<uint8_t>((row[x] << 4) | lo));
                ++written;
            }
        }
        else if (bits == 8)
        {
            out.Write(row, w);
            written = w;
        }
        else
        {
            const uint32_t bpp = picture.GetBytesPerPixel();
            for (uint32_t x = 0; x < w; ++x)
            {
                out.U8(row[x * bpp + 2]);
                out.U8(row[x * bpp + 1]);
                out.U8(row[x * bpp]);
                if (bpp == 4)
                    out.U8(row[x * bpp + 3]);
            }
            written = static_cast<size_t>(w) * bpp;
        }
        for (; written < stride; ++written)
            out.U8(0);
    }
    return out.Take();
}

// ---------------------------------------------------------------- Targa

std::vector<uint8_t> WriteTGA(const QrImagePixels& picture, const TgaOptions& options)
{
    const uint32_t type = options.imageType;
    const bool mapped = type == 1 || type == 9;
    const bool grey = type == 3 || type == 11;
    const bool rle = type >= 9;
    const uint32_t w = picture.GetWidth();
    const uint32_t h = picture.GetHeight();
    if (!HasPixels(picture) || w > 65535 || h > 65535 || options.id.size() > 255 || options.interleave > 2)
        return {};
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
        return {};

    uint32_t mapLength = 0;
    if (mapped)
    {
        if (picture.GetFormat() != QrImagePixels::kFormatPalettized || (options.depth != 8 && options.depth != 16))
            return {};
        for (size_t i = 0; i < picture.GetPixelBytes(); ++i)
            mapLength = std::max<uint32_t>(mapLength, picture.GetPixels()[i] + 1u);
        const uint32_t lastIndex = options.mapFirst + mapLength - 1;
        if ((options.depth == 8 && lastIndex > 255) || options.mapFirst + mapLength >= 16383)
            return {};
    }
    else if (grey)
    {
        if (picture.GetFormat() == QrImagePixels::kFormatPalettized || options.depth != 8)
            return {};
    }
    else
    {
        const uint32_t d = options.depth;
        if (picture.GetFormat() == QrImagePixels::kFormatPalettized || (d != 15 && d != 16 && d != 24 && d != 32) ||
            (d == 32) != (picture.GetFormat() == QrImagePixels::kFormatRGBA))
            return {};
    }

    plat::ByteWriter out;
    out.U8(static_cast<uint8_t>(options.id.size()));
    out.U8(mapped ? 1 : 0);
    out.U8(static_cast<uint8_t>(type));
    out.U16(mapped ? static_cast<uint16_t>(options.mapFirst) : 0);
    out.U16(static_cast<uint16_t>(mapLength));
    out.U8(mapped ? static_cast<uint8_t>(options.mapEntryBits) : 0);
    out.U16(0);
    out.U16(0);
    out.U16(static_cast<uint16_t>(w));
    out.U16(static_cast<uint16_t>(h));
    out.U8(static_cast<uint8_t>(options.depth));
    const uint32_t alphaBits = options.depth == 32 || (mapped && options.mapEntryBits == 32) ? 8 : 0;
    out.U8(static_cast<uint8_t>(alphaBits | (options.topOrigin ? 0x20 : 0) | (options.interleave << 6)));
    out.Write(options.id.data(), options.id.size());
    for (uint32_t i = 0; i < mapLength; ++i)
    {
        const uint8_t* e = picture.GetPalette() + i * 4;
        PutTgaValue(out, {e[0], e[1], e[2], e[3]}, options.mapEntryBits);
    }

    // Values in file order: rows from the origin, interleaved rows first by their start row.
    const uint32_t step = options.interleave == 1 ? 2 : options.interleave == 2 ? 4 : 1;
    std::vector<std::vector<uint8_t>> values;
    values.reserve(static_cast<size_t>(w) * h);
    for (uint32_t first = 0; first < step; ++first)
    {
        for (uint32_t r = first; r < h; r += step)
        {
            const uint32_t y = options.topOrigin ? r : h - 1 - r;
            for (uint32_t x = 0; x < w; ++x)
            {
                plat::ByteWriter v;
                if (mapped)
                {
                    const uint32_t index = picture.GetRow(y)[x] + options.mapFirst;
                    if (options.depth == 8)
                        v.U8(static_cast<uint8_t>(index));
                    else
                        v.U16(static_cast<uint16_t>(index));
                }
                else
                {
                    PutTgaValue(v, PixelAt(picture, x, y), options.depth);
                }
                values.push_back(v.Take());
            }
        }
    }
    if (rle)
    {
        PutTgaPackets(out, values);
    }
    else
    {
        for (const auto& v : values)
            out.Write(v.data(), v.size());
    }
    return out.Take();
}

// ---------------------------------------------------------------- SGI

std::vector<uint8_t> WriteSGI(const QrImagePixels& picture, const SgiOptions& options)
{
    const uint32_t w = picture.GetWidth();
    const uint32_t h = picture.GetHeight();
    const uint32_t z = options.channels;
    const uint32_t bpc = options.bytesPerChannel;
    if (!HasPixels(picture) || w > 65535 || h > 65535 || z < 1 || z > 4 || (bpc != 1 && bpc != 2) ||
        (options.rle && bpc != 1) || picture.GetFormat() == QrImagePixels::kFormatPalettized)
        return {};

    plat::ByteWriter out;
    out.U16BE(474);
    out.U8(options.rle ? 1 : 0);
    out.U8(static_cast<uint8_t>(bpc));
    out.U16BE(z == 1 ? 2 : 3);
    out.U16BE(static_cast<uint16_t>(w));
    out.U16BE(static_cast<uint16_t>(h));
    out.U16BE(static_cast<uint16_t>(z));
    out.U32BE(0);
    out.U32BE(bpc == 1 ? 255 : 65535);
    while (out.Size() < 512)
        out.U8(0); // dummy, name, colour map (0: normal), padding

    // Plane p of picture row y, in file order (rows bottom-up).
    auto planeRow = [&](uint32_t p, uint32_t fileRow)
    {
        std::vector<uint8_t> row(w);
        const uint32_t y = h - 1 - fileRow;
        for (uint32_t x = 0; x < w; ++x)
        {
            const Rgba c = PixelAt(picture, x, y);
            const uint32_t channel = (z == 2 && p == 1) ? 3 : (z == 1 ? 0 : p);
            row[x] = c[channel];
        }
        return row;
    };

    if (!options.rle)
    {
        for (uint32_t p = 0; p < z; ++p)
        {
            for (uint32_t y = 0; y < h; ++y)
            {
                for (uint8_t v : planeRow(p, y))
                {
                    if (bpc == 1)
                        out.U8(v);
                    else
                        out.U16BE(static_cast<uint16_t>(v * 257));
                }
            }
        }
        return out.Take();
    }

    // Tables of row offsets (from the start of the file) and row lengths, then the rows.
    const size_t dataAt = out.Size() + static_cast<size_t>(h) * z * 8;
    plat::ByteWriter data;
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> lengths;
    for (uint32_t p = 0; p < z; ++p)
    {
        for (uint32_t y = 0; y < h; ++y)
        {
            const size_t at = data.Size();
            PutSgiRow(data, planeRow(p, y));
            offsets.push_back(static_cast<uint32_t>(dataAt + at));
            lengths.push_back(static_cast<uint32_t>(data.Size() - at));
        }
    }
    for (uint32_t o : offsets)
        out.U32BE(o);
    for (uint32_t n : lengths)
        out.U32BE(n);
    out.Write(data.Buffer().data(), data.Size());
    return out.Take();
}

} // namespace tools
