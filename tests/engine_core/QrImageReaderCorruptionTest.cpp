// Hostile image files: every reader must fail cleanly (no out-of-bounds access under the
// sanitizers, no huge allocation, output untouched) on truncated and corrupted input.
#include "ImageWriters.h"
#include "QrImageReader.h"
#include "gen/GenImages.h"

#include "ByteReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace
{

using Kind = QrImageReader::FileKind;

bool Decode(Kind kind, const std::vector<uint8_t>& bytes, QrImagePixels& out)
{
    plat::ByteReader input(bytes.data(), bytes.size());
    switch (kind)
    {
    case Kind::kBMP:
        return QrImageReader::ReadBMP(input, out);
    case Kind::kTGA:
        return QrImageReader::ReadTGA(input, out);
    case Kind::kSGI:
        return QrImageReader::ReadSGI(input, out);
    default:
        return false;
    }
}

// A failed decode must leave this marker picture as it was.
QrImagePixels Marker()
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, 1, 1);
    p.GetPixels()[0] = 42;
    return p;
}

bool IsMarker(const QrImagePixels& p)
{
    return p.GetWidth() == 1 && p.GetHeight() == 1 && p.GetPixels() && p.GetPixels()[0] == 42;
}

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16BE(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

void Put32BE(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

struct Corruption
{
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
};

void ExpectAllFail(Kind kind, const std::vector<uint8_t>& good, const std::vector<Corruption>& corruptions)
{
    QrImagePixels check;
    ASSERT_TRUE(Decode(kind, good, check)) << "the uncorrupted file reads";
    for (const Corruption& c : corruptions)
    {
        std::vector<uint8_t> bytes = good;
        c.apply(bytes);
        QrImagePixels out = Marker();
        EXPECT_FALSE(Decode(kind, bytes, out)) << c.what;
        EXPECT_TRUE(IsMarker(out)) << c.what << ": the output was touched";
    }
}

// Every prefix shorter than `mustFailBelow` fails; longer ones (optional trailing bytes) may
// read, but never out of bounds.
void ExpectPrefixesFail(Kind kind, const std::vector<uint8_t>& bytes, size_t mustFailBelow)
{
    for (size_t n = 0; n < bytes.size(); ++n)
    {
        // Exactly n bytes on the heap, so that reading past them is caught.
        const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        QrImagePixels out = Marker();
        const bool ok = Decode(kind, prefix, out);
        if (n < mustFailBelow)
        {
            ASSERT_FALSE(ok) << n << " of " << bytes.size() << " bytes";
            ASSERT_TRUE(IsMarker(out)) << n;
        }
    }
}

} // namespace

// ---------------------------------------------------------------- truncation

TEST(QrImageReaderCorruption, TruncatedBitmapsFail)
{
    // 5 x 3 pictures: every row is padded, and only the last row's padding may be missing.
    const QrImagePixels indexed = gen::MakeIndexedPicture(5, 3, 16);
    const QrImagePixels rgb = gen::MakeColorPicture(1, 5, 3);
    const QrImagePixels rgba = gen::MakeColorPicture(2, 5, 3);
    const std::vector<uint8_t> b4 = tools::WriteBMP(indexed, {4, false, 0});
    const std::vector<uint8_t> b8 = tools::WriteBMP(indexed, {8, true, 0});
    const std::vector<uint8_t> b24 = tools::WriteBMP(rgb, {24, false, 0});
    const std::vector<uint8_t> b32 = tools::WriteBMP(rgba, {32, true, 3});
    ExpectPrefixesFail(Kind::kBMP, b4, b4.size() - 1);
    ExpectPrefixesFail(Kind::kBMP, b8, b8.size() - 3);
    ExpectPrefixesFail(Kind::kBMP, b24, b24.size() - 1);
    ExpectPrefixesFail(Kind::kBMP, b32, b32.size());
}

TEST(QrImageReaderCorruption, TruncatedTargaFilesFail)
{
    const QrImagePixels indexed = gen::MakeIndexedPicture(5, 3, 7);
    const QrImagePixels banded = gen::MakeBandedPicture(1, 5, 3, 4, true);
    std::vector<std::vector<uint8_t>> files = {
        tools::WriteTGA(indexed, {1, 8, 24, 0, false, 0, "id"}),
        tools::WriteTGA(indexed, {9, 16, 32, 3, true, 0, ""}),
        tools::WriteTGA(gen::MakeColorPicture(2, 5, 3), {2, 32, 0, 0, false, 1, ""}),
        tools::WriteTGA(banded, {10, 24, 0, 0, false, 0, ""}),
        tools::WriteTGA(banded, {11, 8, 0, 0, true, 0, ""}),
    };
    for (const auto& bytes : files)
    {
        ASSERT_FALSE(bytes.empty());
        ExpectPrefixesFail(Kind::kTGA, bytes, bytes.size());
    }
}

TEST(QrImageReaderCorruption, TruncatedSgiFilesFail)
{
    const QrImagePixels rgba = gen::MakeBandedPicture(2, 5, 3, 4, true);
    for (const tools::SgiOptions& o : {tools::SgiOptions{false, 1, 4}, tools::SgiOptions{false, 2, 2},
                                       tools::SgiOptions{true, 1, 4}, tools::SgiOptions{true, 1, 1}})
    {
        const std::vector<uint8_t> bytes = tools::WriteSGI(rgba, o);
        ASSERT_FALSE(bytes.empty());
        ExpectPrefixesFail(Kind::kSGI, bytes, bytes.size());
    }
}

// ---------------------------------------------------------------- corrupted headers

TEST(QrImageReaderCorruption, CorruptBitmapHeadersFail)
{
    const std::vector<uint8_t> good = tools::WriteBMP(gen::MakeIndexedPicture(5, 3, 16), {8, false, 0});
    // Offsets: pixel offset 10, header size 14, width 18, height 22, bits 28, compression 30,
    // colours used 46.
    ExpectAllFail(Kind::kBMP, good,
                  {
                      {"magic", [](auto& b) { b[0] = 'X'; }},
                      {"zero width", [](auto& b) { Put32(b, 18, 0); }},
                      {"negative width", [](auto& b) { Put32(b, 18, static_cast<uint32_t>(-5)); }},
                      {"zero height", [](auto& b) { Put32(b, 22, 0); }},
                      {"most negative height", [](auto& b) { Put32(b, 22, 0x80000000u); }},
                      {"huge width", [](auto& b) { Put32(b, 18, 0x40000000u); }},
                      {"product beyond 32 bits",
                       [](auto& b)
                       {
                           Put32(b, 18, 65536);
                           Put32(b, 22, 65536);
                       }},
                      {"pixels beyond the file", [](auto& b) { Put32(b, 22, 4); }},
                      {"pixel offset beyond the file", [](auto& b) { Put32(b, 10, 0xfffffff0u); }},
                      {"header size below 40", [](auto& b) { Put32(b, 14, 12); }},
                      {"header size beyond the file", [](auto& b) { Put32(b, 14, 0x7fffffffu); }},
                      {"16 bits", [](auto& b) { Put16(b, 28, 16); }},
                      {"1 bit", [](auto& b) { Put16(b, 28, 1); }},
                      {"run-length", [](auto& b) { Put32(b, 30, 1); }},
                      {"palette beyond the file without a pixel offset",
                       [](auto& b)
                       {
                           Put32(b, 10, 0);
                           Put32(b, 46, 0xffffffffu);
                       }},
                  });
}

TEST(QrImageReaderCorruption, CorruptTargaHeadersFail)
{
    const std::vector<uint8_t> mapped = tools::WriteTGA(gen::MakeIndexedPicture(4, 3, 6), {1, 8, 24, 1, false, 0, ""});
    // Offsets: id length 0, map type 1, type 2, map first 3, map length 5, entry bits 7,
    // width 12, height 14, depth 16, descriptor 17.
    ExpectAllFail(Kind::kTGA, mapped,
                  {
                      {"type 0", [](auto& b) { b[2] = 0; }},
                      {"type 4", [](auto& b) { b[2] = 4; }},
                      {"type 32", [](auto& b) { b[2] = 32; }},
                      {"zero width", [](auto& b) { Put16(b, 12, 0); }},
                      {"zero height", [](auto& b) { Put16(b, 14, 0); }},
                      {"huge size, tiny file",
                       [](auto& b)
                       {
                           Put16(b, 12, 65535);
                           Put16(b, 14, 65535);
                       }},
                      {"no colour map for a mapped type", [](auto& b) { b[1] = 0; }},
                      {"entry size 20", [](auto& b) { b[7] = 20; }},
                      {"map end beyond 16383",
                       [](auto& b)
                       {
                           Put16(b, 3, 16000);
                           Put16(b, 5, 400);
                       }},
                      {"map beyond the file", [](auto& b) { Put16(b, 5, 4000); }},
                      {"index depth 24", [](auto& b) { b[16] = 24; }},
                      {"index below the first entry", [](auto& b) { b.back() = 0; }},
                      {"index beyond the map", [](auto& b) { b.back() = 200; }},
                      {"id beyond the file", [](auto& b) { b[0] = 255; }},
                  });

    const std::vector<uint8_t> rle =
        tools::WriteTGA(gen::MakeBandedPicture(1, 16, 8, 5, true), {10, 24, 0, 0, false, 0, ""});
    ExpectAllFail(Kind::kTGA, rle,
                  {
                      {"depth 12", [](auto& b) { b[16] = 12; }},
                      {"more rows than packets", [](auto& b) { Put16(b, 14, 9); }},
                      {"huge size, tiny file",
                       [](auto& b)
                       {
                           Put16(b, 12, 16384);
                           Put16(b, 14, 16384);
                       }},
                      {"last packet cut", [](auto& b) { b.resize(b.size() - 1); }},
                  });
}

TEST(QrImageReaderCorruption, CorruptSgiHeadersFail)
{
    const QrImagePixels rgba = gen::MakeBandedPicture(2, 6, 4, 4, true);
    const std::vector<uint8_t> verbatim = tools::WriteSGI(rgba, {false, 1, 4});
    // Offsets: magic 0, storage 2, bytes per channel 3, x 6, y 8, z 10.
    ExpectAllFail(Kind::kSGI, verbatim,
                  {
                      {"magic", [](auto& b) { b[1] = 0; }},
                      {"storage 2", [](auto& b) { b[2] = 2; }},
                      {"3 bytes per channel", [](auto& b) { b[3] = 3; }},
                      {"0 bytes per channel", [](auto& b) { b[3] = 0; }},
                      {"zero width", [](auto& b) { Put16BE(b, 6, 0); }},
                      {"zero height", [](auto& b) { Put16BE(b, 8, 0); }},
                      {"no channels", [](auto& b) { Put16BE(b, 10, 0); }},
                      {"huge size, small file",
                       [](auto& b)
                       {
                           Put16BE(b, 6, 65535);
                           Put16BE(b, 8, 65535);
                       }},
                      {"planes beyond the file", [](auto& b) { Put16BE(b, 8, 5); }},
                      {"header cut short", [](auto& b) { b.resize(300); }},
                  });

    const std::vector<uint8_t> rle = tools::WriteSGI(rgba, {true, 1, 4});
    const size_t rows = 4 * 4;
    const size_t dataAt = 512 + rows * 8;
    ExpectAllFail(Kind::kSGI, rle,
                  {
                      {"two bytes per channel", [](auto& b) { b[3] = 2; }},
                      {"offset beyond the file", [](auto& b) { Put32BE(b, 512, 0x7fffffffu); }},
                      {"last offset at the end",
                       [&](auto& b) { Put32BE(b, 512 + (rows - 1) * 4, static_cast<uint32_t>(b.size())); }},
                      {"tables beyond the file", [](auto& b) { Put16BE(b, 8, 20000); }},
                      {"copy packet longer than the row", [&](auto& b) { b[dataAt] = 0x80 | 7; }},
                      {"repeat packet longer than the row", [&](auto& b) { b[dataAt] = 127; }},
                      {"row ends short", [&](auto& b) { b[dataAt] = 0; }},
                      {"no end mark before the file ends", [](auto& b) { b.back() = 0x81; }},
                  });
}

// ---------------------------------------------------------------- random damage

TEST(QrImageReaderCorruption, RandomlyDamagedSamplesNeverReadOutOfBounds)
{
    uint32_t seed = 12345;
    auto next = [&seed]()
    {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    size_t decoded = 0;
    size_t refused = 0;
    for (const gen::ImageSample& sample : gen::MakeImageSamples())
    {
        std::string path;
        const Kind kind = QrImageReader::Classify(sample.file.c_str(), path);
        if (kind == Kind::kScene)
            continue;
        for (int round = 0; round < 150; ++round)
        {
            std::vector<uint8_t> bytes = sample.bytes;
            const int hits = 1 + static_cast<int>(next() % 4);
            for (int h = 0; h < hits; ++h)
            {
                // Half the damage lands in the headers and tables, where it hurts most.
                const size_t span = next() % 2 ? std::min<size_t>(bytes.size(), 600) : bytes.size();
                bytes[next() % span] = static_cast<uint8_t>(next());
            }
            if (next() % 8 == 0)
                bytes.resize(next() % bytes.size());
            QrImagePixels out;
            if (Decode(kind, bytes, out))
            {
                ++decoded;
                ASSERT_TRUE(QrImagePixels::IsAllowed(out.GetFormat(), out.GetWidth(), out.GetHeight()));
                ASSERT_NE(out.GetPixels(), nullptr);
            }
            else
            {
                ++refused;
            }
        }
    }
    // Both outcomes occur, so the damage reached the decoders' checks and their loops.
    EXPECT_GT(decoded, 100u);
    EXPECT_GT(refused, 100u);
}
