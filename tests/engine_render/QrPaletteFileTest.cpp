#include "QrPaletteFile.h"

#include "ImageWriters.h"
#include "TestFiles.h"
#include "gen/GenImages.h"

#include "ByteWriter.h"
#include "Files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Entry i of the test colours.
plat::PaletteEntry Color(uint32_t i)
{
    return {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 0};
}

struct BitmapFields
{
    uint16_t magic = 0x4D42;
    uint32_t headerSize = 40;
    uint16_t bitCount = 8;
    uint32_t colors = 0;
};

// A bitmap with the colour table right after a header of the given size, and 4 x 1 pixels.
std::vector<uint8_t> Bitmap(const BitmapFields& f)
{
    plat::ByteWriter w;
    w.U16(f.magic);
    w.U32(0); // file size, not read
    w.U32(0); // reserved
    w.U32(14 + f.headerSize + 1024);
    w.U32(f.headerSize);
    w.I32(4);
    w.I32(1);
    w.U16(1);
    w.U16(f.bitCount);
    w.U32(0);
    w.U32(4);
    w.U32(2835);
    w.U32(2835);
    w.U32(f.colors);
    w.U32(0);
    for (uint32_t i = 40; i < f.headerSize; ++i)
        w.U8(0xEE); // the rest of a later header version: never colours
    for (uint32_t i = 0; i < 256; ++i)
    {
        const plat::PaletteEntry c = Color(i);
        w.U8(c.blue);
        w.U8(c.green);
        w.U8(c.red);
        w.U8(0x5A);
    }
    w.U32(0x03020100); // pixels
    return w.Take();
}

std::vector<uint8_t> Raw(size_t bytes)
{
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i)
    {
        const plat::PaletteEntry c = Color(static_cast<uint32_t>(i / 3));
        out[i] = i % 3 == 0 ? c.red : i % 3 == 1 ? c.green : c.blue;
    }
    return out;
}

class QrPaletteFileTest : public ::testing::Test
{
protected:
    testfiles::TempDir m_dir;
    plat::PaletteEntry m_entries[256];

    uint32_t LoadBytes(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = m_dir.File(name);
        EXPECT_TRUE(plat::WriteFile(path, bytes.data(), bytes.size()));
        return QrPaletteFile::Load(path.c_str(), m_entries);
    }

    void ExpectTestColors()
    {
        for (uint32_t i = 0; i < 256; ++i)
        {
            const plat::PaletteEntry want = Color(i);
            ASSERT_EQ(m_entries[i].red, want.red) << i;
            ASSERT_EQ(m_entries[i].green, want.green) << i;
            ASSERT_EQ(m_entries[i].blue, want.blue) << i;
            ASSERT_EQ(m_entries[i].flags, 0x40) << i;
        }
    }
};

} // namespace

TEST_F(QrPaletteFileTest, BitmapColourTableIsReadBlueGreenRed)
{
    EXPECT_EQ(LoadBytes("pal.bmp", Bitmap({})), QrPaletteFile::kRead);
    ExpectTestColors();
    BitmapFields all256;
    all256.colors = 256;
    EXPECT_EQ(LoadBytes("Upper.BMP", Bitmap(all256)), QrPaletteFile::kRead);
    ExpectTestColors();
}

TEST_F(QrPaletteFileTest, LaterHeaderVersionsKeepTheirTableAfterTheHeader)
{
    for (uint32_t size : {52u, 108u, 124u})
    {
        BitmapFields f;
        f.headerSize = size;
        EXPECT_EQ(LoadBytes("v.bmp", Bitmap(f)), QrPaletteFile::kRead) << size;
        ExpectTestColors();
    }
}

TEST_F(QrPaletteFileTest, PictureWrittenByTheBitmapWriterGivesItsPalette)
{
    const QrImagePixels picture = gen::MakeIndexedPicture(16, 8, 256);
    ASSERT_EQ(LoadBytes("written.bmp", tools::WriteBMP(picture, {8, false, 0})), QrPaletteFile::kRead);
    for (uint32_t i = 0; i < 256; ++i)
    {
        const uint8_t* e = picture.GetPalette() + 4 * i;
        ASSERT_EQ(m_entries[i].red, e[0]);
        ASSERT_EQ(m_entries[i].green, e[1]);
        ASSERT_EQ(m_entries[i].blue, e[2]);
    }
}

TEST_F(QrPaletteFileTest, BitmapsOfOtherKindsAreBadFormat)
{
    BitmapFields core;
    core.headerSize = 12;
    EXPECT_EQ(LoadBytes("core.bmp", Bitmap(core)), QrPaletteFile::kBadFormat);
    BitmapFields fourBit;
    fourBit.bitCount = 4;
    EXPECT_EQ(LoadBytes("four.bmp", Bitmap(fourBit)), QrPaletteFile::kBadFormat);
    BitmapFields trueColour;
    trueColour.bitCount = 24;
    EXPECT_EQ(LoadBytes("rgb.bmp", Bitmap(trueColour)), QrPaletteFile::kBadFormat);
    BitmapFields fewColours;
    fewColours.colors = 16;
    EXPECT_EQ(LoadBytes("few.bmp", Bitmap(fewColours)), QrPaletteFile::kBadFormat);
    BitmapFields tooMany;
    tooMany.colors = 257;
    EXPECT_EQ(LoadBytes("many.bmp", Bitmap(tooMany)), QrPaletteFile::kBadFormat);
    BitmapFields magic;
    magic.magic = 0x4D43;
    EXPECT_EQ(LoadBytes("magic.bmp", Bitmap(magic)), QrPaletteFile::kBadFormat);
}

TEST_F(QrPaletteFileTest, HostileHeaderSizesFailCleanly)
{
    for (uint32_t size : {0u, 16u, 39u, 5000u, 0x7FFFFFF0u, 0xFFFFFFFFu})
    {
        std::vector<uint8_t> bytes = Bitmap(BitmapFields{});
        bytes[14] = static_cast<uint8_t>(size);
        bytes[15] = static_cast<uint8_t>(size >> 8);
        bytes[16] = static_cast<uint8_t>(size >> 16);
        bytes[17] = static_cast<uint8_t>(size >> 24);
        EXPECT_EQ(LoadBytes("hostile.bmp", bytes), QrPaletteFile::kBadFormat) << size;
    }
}

TEST_F(QrPaletteFileTest, EveryTruncatedBitmapIsBadFormat)
{
    const std::vector<uint8_t> whole = Bitmap({});
    // Everything up to the end of the colour table is needed; the pixels are not read.
    const size_t needed = 14 + 40 + 1024;
    for (size_t n = 0; n < needed; ++n)
    {
        const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_EQ(LoadBytes("cut.bmp", prefix), QrPaletteFile::kBadFormat) << n;
    }
    EXPECT_EQ(LoadBytes("cut.bmp", std::vector<uint8_t>(whole.begin(), whole.begin() + needed)), QrPaletteFile::kRead);
}

TEST_F(QrPaletteFileTest, RawFileIsTheFirst768Bytes)
{
    EXPECT_EQ(LoadBytes("game.pal", Raw(768)), QrPaletteFile::kRead);
    ExpectTestColors();
    std::vector<uint8_t> longer = Raw(768);
    longer.resize(2000, 0xFF);
    EXPECT_EQ(LoadBytes("noext", longer), QrPaletteFile::kRead);
    ExpectTestColors();
    // A bitmap under another name is read as raw bytes.
    EXPECT_EQ(LoadBytes("bitmap.bmp.pal", Bitmap({})), QrPaletteFile::kRead);
    EXPECT_EQ(m_entries[0].red, 'B');
}

TEST_F(QrPaletteFileTest, ShortRawFileIsBadFormat)
{
    for (size_t n : {0u, 1u, 700u, 767u})
        EXPECT_EQ(LoadBytes("short.pal", Raw(n)), QrPaletteFile::kBadFormat) << n;
}

TEST_F(QrPaletteFileTest, MissingFileCannotBeOpened)
{
    EXPECT_EQ(QrPaletteFile::Load(m_dir.File("absent.bmp").c_str(), m_entries), QrPaletteFile::kCannotOpen);
    EXPECT_EQ(QrPaletteFile::Load(m_dir.File("absent.pal").c_str(), m_entries), QrPaletteFile::kCannotOpen);
    EXPECT_EQ(QrPaletteFile::Load(nullptr, m_entries), QrPaletteFile::kCannotOpen);
}

TEST_F(QrPaletteFileTest, NameIsFoundWithoutRegardToCase)
{
    const std::vector<uint8_t> bytes = Raw(768);
    ASSERT_TRUE(plat::WriteFile(m_dir.File("Colors.PAL"), bytes.data(), bytes.size()));
    EXPECT_EQ(QrPaletteFile::Load(m_dir.File("colors.pal").c_str(), m_entries), QrPaletteFile::kRead);
    ExpectTestColors();
}
