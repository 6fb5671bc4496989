#include "GccWarnings.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include "ImageWriters.h"
#include "QrImage.h"
#include "QrImageReader.h"
#include "QrRawImageData.h"
#include "gen/GenImages.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <cstring>

namespace
{

bool DecodeFile(QrImageReader::FileKind kind, const std::vector<uint8_t>& bytes, QrImagePixels& out)
{
    plat::ByteReader input(bytes.data(), bytes.size());
    switch (kind)
    {
    case QrImageReader::FileKind::kBMP:
        return QrImageReader::ReadBMP(input, out);
    case QrImageReader::FileKind::kTGA:
        return QrImageReader::ReadTGA(input, out);
    case QrImageReader::FileKind::kSGI:
        return QrImageReader::ReadSGI(input, out);
    default:
        return false;
    }
}

// A picture from rows of bytes as the readers lay them out.
QrImagePixels Picture(uint32_t format, uint32_t width, const std::vector<std::vector<uint8_t>>& rows)
{
    QrImagePixels p;
    p.Allocate(format, width, static_cast<uint32_t>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        std::memcpy(p.GetRow(static_cast<uint32_t>(y)), rows[y].data(), p.GetRowBytes());
    return p;
}

std::string Describe(const QrImagePixels& p)
{
    std::string s = "format " + std::to_string(p.GetFormat()) + ", " + std::to_string(p.GetWidth()) + " x " +
                    std::to_string(p.GetHeight()) + ":";
    // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
    QR_GCC_STRING_BOUNDS_OFF
    for (size_t i = 0; i < p.GetPixelBytes() && i < 64; ++i)
        s += " " + std::to_string(p.GetPixels()[i]);
    QR_GCC_STRING_BOUNDS_ON
    return s;
}

// File header and the 40-byte info header of a bitmap.
void PutBmpHeaders(plat::ByteWriter& w, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                   uint32_t colorsUsed, uint32_t dataOffset, uint32_t headerSize = 40)
{
    w.U16(19778);
    w.U32(0);
    w.U32(0);
    w.U32(dataOffset);
    w.U32(headerSize);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(bits);
    w.U32(compression);
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(colorsUsed);
    w.U32(0);
    for (uint32_t i = 40; i < headerSize; ++i)
        w.U8(0xee);
}

void PutTgaHeader(plat::ByteWriter& w, uint8_t type, uint16_t width, uint16_t height, uint8_t depth, uint8_t descriptor,
                  uint8_t mapType = 0, uint16_t mapFirst = 0, uint16_t mapLength = 0, uint8_t mapBits = 0)
{
    w.U8(0);
    w.U8(mapType);
    w.U8(type);
    w.U16(mapFirst);
    w.U16(mapLength);
    w.U8(mapBits);
    w.U16(0);
    w.U16(0);
    w.U16(width);
    w.U16(height);
    w.U8(depth);
    w.U8(descriptor);
}

void PutSgiHeader(plat::ByteWriter& w, uint8_t storage, uint8_t bpc, uint16_t xs, uint16_t ys, uint16_t zs)
{
    w.U16BE(474);
    w.U8(storage);
    w.U8(bpc);
    w.U16BE(3);
    w.U16BE(xs);
    w.U16BE(ys);
    w.U16BE(zs);
    while (w.Size() < 512)
        w.U8(0);
}

} // namespace

using QrImageReaderTest = QrEngineTest;

TEST_F(QrImageReaderTest, EverySampleFileGivesItsPicture)
{
    const std::vector<gen::ImageSample> samples = gen::MakeImageSamples();
    ASSERT_GE(samples.size(), 40u);
    for (const gen::ImageSample& sample : samples)
    {
        SCOPED_TRACE(sample.file);
        // From the generated data tree, through the engine's file lookup.
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        ASSERT_TRUE(QrImage::OpenByName((testfiles::DataDir() + "/" + sample.file).c_str(), *raw));
        EXPECT_TRUE(raw->GetBuffer().IsEqual(sample.expected))
            << "got " << Describe(raw->GetBuffer()) << "\nwant " << Describe(sample.expected);

        std::string path;
        const QrImageReader::FileKind kind = QrImageReader::Classify(sample.file.c_str(), path);
        if (kind == QrImageReader::FileKind::kScene)
            continue;
        QrImagePixels decoded;
        ASSERT_TRUE(DecodeFile(kind, sample.bytes, decoded));
        EXPECT_TRUE(decoded.IsEqual(sample.expected));
    }
}

// ---------------------------------------------------------------- bitmaps

TEST(QrImageReaderBmp, TopDownAndBottomUpGiveTheSameRows)
{
    const std::vector<std::vector<uint8_t>> top = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}};
    auto file = [&](bool topDown)
    {
        plat::ByteWriter w;
        PutBmpHeaders(w, 3, topDown ? -2 : 2, 24, 0, 0, 54);
        for (int i = 0; i < 2; ++i)
        {
            const std::vector<uint8_t>& row = top[topDown ? i : 1 - i];
            for (int x = 0; x < 3; ++x)
            {
                w.U8(row[x * 3 + 2]);
                w.U8(row[x * 3 + 1]);
                w.U8(row[x * 3]);
            }
            w.Write("\0\0\0", 3); // rows padded to 12 bytes
        }
        return w.Take();
    };
    const QrImagePixels want = Picture(1, 3, top);
    for (bool topDown : {true, false})
    {
        QrImagePixels got;
        ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kBMP, file(topDown), got)) << topDown;
        EXPECT_TRUE(got.IsEqual(want)) << Describe(got);
    }
}

TEST(QrImageReaderBmp, FourBitRowsGiveWidthIndicesHighNibbleFirst)
{
    plat::ByteWriter w;
    PutBmpHeaders(w, 5, -2, 4, 0, 2, 0);
    w.Write("\x10\x20\x30\x00\x40\x50\x60\x00", 8); // two palette entries, blue first
    w.Write("\x12\x34\x5f\xff", 4);                 // the fifth pixel's partner nibble is padding
    w.Write("\xab\xcd\xe0\x00", 4);
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kBMP, w.Take(), got));
    const QrImagePixels want = Picture(0, 5, {{1, 2, 3, 4, 5}, {10, 11, 12, 13, 14}});
    ASSERT_EQ(got.GetFormat(), 0u);
    EXPECT_EQ(std::memcmp(got.GetPixels(), want.GetPixels(), 10), 0) << Describe(got);
    const uint8_t palette[] = {0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(got.GetPalette(), palette, sizeof palette), 0) << "entries swapped to RGB, the rest zero";
}

TEST(QrImageReaderBmp, LongerHeadersPutThePaletteAfterThem)
{
    plat::ByteWriter w;
    PutBmpHeaders(w, 2, 1, 8, 0, 1, 14 + 108 + 4, 108);
    w.Write("\x01\x02\x03\x04", 4);
    w.Write("\x00\x00\x00\x00", 4);
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kBMP, w.Take(), got));
    const uint8_t entry[] = {3, 2, 1, 4};
    EXPECT_EQ(std::memcmp(got.GetPalette(), entry, 4), 0);
}

TEST(QrImageReaderBmp, ThirtyTwoBitCompressionDecidesSupport)
{
    const QrImagePixels rgba = gen::MakeColorPicture(2, 3, 2);
    std::vector<uint8_t> bytes = tools::WriteBMP(rgba, {32, false, 0});
    constexpr size_t kCompressionAt = 30;
    for (uint8_t compression : {0, 3, 1, 2, 4})
    {
        bytes[kCompressionAt] = compression;
        QrImagePixels got;
        const bool ok = DecodeFile(QrImageReader::FileKind::kBMP, bytes, got);
        EXPECT_EQ(ok, compression == 0 || compression == 3) << int(compression);
        if (ok)
        {
            EXPECT_TRUE(got.IsEqual(rgba));
        }
    }
    // Run-length bitmaps of 4 and 8 bits are refused rather than read as rows.
    bytes = tools::WriteBMP(gen::MakeIndexedPicture(4, 2, 7), {8, false, 0});
    bytes[kCompressionAt] = 1;
    QrImagePixels got;
    EXPECT_FALSE(DecodeFile(QrImageReader::FileKind::kBMP, bytes, got));
}

TEST(QrImageReaderBmp, WithoutAPixelOffsetThePixelsFollowThePalette)
{
    plat::ByteWriter w;
    PutBmpHeaders(w, 1, 1, 24, 0, 2, 0);
    w.Write("palettes", 8); // two entries, skipped for 24 bits
    w.Write("\x03\x02\x01\x00", 4);
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kBMP, w.Take(), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 1, {{1, 2, 3}})));
}

// ---------------------------------------------------------------- Targa

namespace
{

// 3 x 2 pixels, file order: a run of four (10, 20, 30), then a raw packet of two.
std::vector<uint8_t> TgaRunAcrossRows(uint8_t descriptor)
{
    plat::ByteWriter w;
    PutTgaHeader(w, 10, 3, 2, 24, descriptor);
    w.Write("\x83\x1e\x14\x0a", 4);
    w.Write("\x01\x03\x02\x01\x06\x05\x04", 7);
    return w.Take();
}

} // namespace

TEST(QrImageReaderTga, ARunCrossingARowEndContinuesOnTheNextRow)
{
    const std::vector<uint8_t> p = {10, 20, 30, 10, 20, 30, 10, 20, 30};
    const std::vector<uint8_t> q = {10, 20, 30, 1, 2, 3, 4, 5, 6};
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kTGA, TgaRunAcrossRows(0x20), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 3, {p, q}))) << "top origin: stored order" << Describe(got);
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kTGA, TgaRunAcrossRows(0x00), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 3, {q, p}))) << "bottom origin: flipped" << Describe(got);
}

TEST(QrImageReaderTga, APacketRunningPastThePictureStopsAtItsEnd)
{
    plat::ByteWriter w;
    PutTgaHeader(w, 10, 2, 1, 24, 0x20);
    w.Write("\x85\x03\x02\x01", 4); // six pixels for a picture of two
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kTGA, w.Take(), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 2, {{1, 2, 3, 1, 2, 3}})));
}

TEST(QrImageReaderTga, ColourIndicesOutsideTheMapFail)
{
    // Map entries 2, 3, 4 (first index 2).
    auto file = [](uint16_t index, uint8_t depth)
    {
        plat::ByteWriter w;
        PutTgaHeader(w, 1, 1, 1, depth, 0, 1, 2, 3, 24);
        w.Write("\x01\x01\x01\x02\x02\x02\x03\x03\x03", 9);
        if (depth == 8)
            w.U8(static_cast<uint8_t>(index));
        else
            w.U16(index);
        return w.Take();
    };
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kTGA, file(4, 8), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 1, {{3, 3, 3}})));
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kTGA, file(2, 16), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 1, {{1, 1, 1}})));
    for (uint16_t bad : {0, 1, 5, 255})
        EXPECT_FALSE(DecodeFile(QrImageReader::FileKind::kTGA, file(bad, 8), got)) << bad;
    EXPECT_FALSE(DecodeFile(QrImageReader::FileKind::kTGA, file(65535, 16), got));
}

TEST(QrImageReaderTga, SixteenBitValuesSpreadFiveBitsAChannel)
{
    plat::ByteWriter w;
    PutTgaHeader(w, 2, 2, 1, 16, 0x20);
    w.U16(0x8000 | (31 << 10) | (1 << 5) | 16); // the top bit is ignored
    w.U16(0x7fff);
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kTGA, w.Take(), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 2, {{248, 8, 128, 248, 248, 248}}))) << Describe(got);
}

// ---------------------------------------------------------------- SGI

TEST(QrImageReaderSgi, GreyPlanesFillEveryColourChannel)
{
    plat::ByteWriter w;
    PutSgiHeader(w, 0, 1, 2, 1, 1);
    w.Write("\x0a\x14", 2);
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kSGI, w.Take(), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 2, {{10, 10, 10, 20, 20, 20}})));

    plat::ByteWriter ga;
    PutSgiHeader(ga, 0, 1, 2, 1, 2);
    ga.Write("\x0a\x14\x80\xff", 4);
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kSGI, ga.Take(), got));
    EXPECT_TRUE(got.IsEqual(Picture(2, 2, {{10, 10, 10, 128, 20, 20, 20, 255}}))) << "alpha from plane 1";
}

TEST(QrImageReaderSgi, TwoByteValuesKeepTheirHighByteAndExtraPlanesAreIgnored)
{
    plat::ByteWriter w;
    PutSgiHeader(w, 0, 2, 1, 1, 5);
    for (uint16_t v : {0x12ff, 0x3400, 0x56aa, 0x7801, 0x9999})
        w.U16BE(v);
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kSGI, w.Take(), got));
    EXPECT_TRUE(got.IsEqual(Picture(2, 1, {{0x12, 0x34, 0x56, 0x78}}))) << Describe(got);
}

TEST(QrImageReaderSgi, RunLengthRowsStartAtTheirOffsetsAndRunBottomUp)
{
    plat::ByteWriter w;
    PutSgiHeader(w, 1, 1, 3, 2, 1);
    // Offsets of rows 0 and 1 (stored in reverse), then lengths.
    w.U32BE(512 + 16 + 5);
    w.U32BE(512 + 16);
    w.U32BE(3);
    w.U32BE(5);
    w.Write("\x83\x01\x02\x03\x00", 5); // row 1: copy three bytes
    w.Write("\x03\x07\x00", 3);         // row 0: repeat 7 three times
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kSGI, w.Take(), got));
    EXPECT_TRUE(got.IsEqual(Picture(1, 3, {{1, 1, 1, 2, 2, 2, 3, 3, 3}, {7, 7, 7, 7, 7, 7, 7, 7, 7}})))
        << Describe(got);
}

TEST(QrImageReaderSgi, RunLengthWithTwoBytesPerChannelFails)
{
    std::vector<uint8_t> bytes = tools::WriteSGI(gen::MakeColorPicture(1, 4, 2), {true, 1, 3});
    QrImagePixels got;
    ASSERT_TRUE(DecodeFile(QrImageReader::FileKind::kSGI, bytes, got));
    bytes[3] = 2;
    EXPECT_FALSE(DecodeFile(QrImageReader::FileKind::kSGI, bytes, got));
}

// ---------------------------------------------------------------- choosing the reader

TEST(QrImageReaderClassify, ExtensionsChooseTheReader)
{
    using Kind = QrImageReader::FileKind;
    std::string path;
    EXPECT_EQ(QrImageReader::Classify("file://Art/x.BMP", path), Kind::kBMP);
    EXPECT_EQ(path, "Art/x.BMP");
    EXPECT_EQ(QrImageReader::Classify("a.b/c.Tga", path), Kind::kTGA);
    for (const char* sgi : {"x.rgb", "x.RGBA", "x.int", "x.inta"})
        EXPECT_EQ(QrImageReader::Classify(sgi, path), Kind::kSGI) << sgi;
    EXPECT_EQ(QrImageReader::Classify("x.qrf", path), Kind::kScene);
    for (const char* other : {"x", "x.png", "x.bmp2", "x.bmp/y", "file://", ""})
        EXPECT_EQ(QrImageReader::Classify(other, path), Kind::kUnknown) << other;
    EXPECT_EQ(QrImageReader::Classify(nullptr, path), Kind::kUnknown);

    // A loader thread decodes files but never scene files, which make objects.
    QrImagePixels pixels;
    EXPECT_FALSE(QrImageReader::DecodeFile((testfiles::DataDir() + "/Data/Engine/Images/raw_rgb.qrf").c_str(), pixels));
    EXPECT_TRUE(QrImageReader::DecodeFile((testfiles::DataDir() + "/Data/Engine/Images/sgi_z3.rgb").c_str(), pixels));
}
