#include "QrTestFixture.h"

#include "QrRawImageData.h"
#include "QrStream.h"
#include "gen/GenImages.h"

#include <cstring>

namespace
{

std::vector<uint8_t> SaveTopLevel(QrObject* object)
{
    QrStream stream;
    stream.InsertTopLevelObject(object);
    std::vector<uint8_t> bytes;
    stream.SaveToMemory(bytes);
    return bytes;
}

QrPointer<QrRawImageData> MakeRaw(QrImagePixels pixels)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    raw->SetBuffer(std::move(pixels));
    return raw;
}

} // namespace

using QrRawImageDataTest = QrEngineTest;

TEST_F(QrRawImageDataTest, AllocatePixelsLaysOutEachFormat)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    EXPECT_EQ(raw->GetFormat(), 1u);
    EXPECT_EQ(raw->GetBytesPerPixel(), 3u);

    ASSERT_TRUE(raw->AllocatePixels(0, 5, 3));
    EXPECT_EQ(raw->GetBytesPerPixel(), 1u);
    EXPECT_EQ(raw->GetRowBytes(), 5u);
    ASSERT_NE(raw->GetPalette(), nullptr);
    for (uint32_t i = 0; i < QrImagePixels::kPaletteBytes; ++i)
        ASSERT_EQ(raw->GetPalette()[i], 0) << i;

    ASSERT_TRUE(raw->AllocatePixels(2, 5, 3));
    EXPECT_EQ(raw->GetPalette(), nullptr) << "the palette of the old picture is freed";
    EXPECT_EQ(raw->GetRowBytes(), 20u);
    EXPECT_EQ(raw->GetBuffer().GetPixelBytes(), 60u);

    ASSERT_TRUE(raw->AllocatePixels(1, 7, 2));
    EXPECT_EQ(raw->GetRowBytes(), 21u) << "rows are not padded";
    EXPECT_EQ(raw->GetBuffer().GetRow(1) - raw->GetPixels(), 21);
}

TEST_F(QrRawImageDataTest, AllocatePixelsRefusesUnknownFormatsAndSizesBeyondTheLimits)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    EXPECT_FALSE(raw->AllocatePixels(3, 4, 4));
    EXPECT_EQ(raw->GetPixels(), nullptr);
    EXPECT_FALSE(raw->AllocatePixels(1, QrImagePixels::kMaxSide + 1, 1));
    // Each side within the limit, the product (1 GiB) not.
    EXPECT_FALSE(raw->AllocatePixels(2, QrImagePixels::kMaxSide, QrImagePixels::kMaxSide));
    EXPECT_EQ(raw->GetWidth(), 0u);
    EXPECT_TRUE(raw->AllocatePixels(2, 4096, 4096)) << "exactly the byte limit is allowed";
}

TEST_F(QrRawImageDataTest, TakeBufferLeavesANewObject)
{
    QrPointer<QrRawImageData> raw = MakeRaw(gen::MakeIndexedPicture(5, 3, 16));
    QrImagePixels taken = raw->TakeBuffer();
    EXPECT_EQ(taken.GetWidth(), 5u);
    EXPECT_NE(taken.GetPalette(), nullptr);
    EXPECT_EQ(raw->GetFormat(), 1u);
    EXPECT_EQ(raw->GetWidth(), 0u);
    EXPECT_EQ(raw->GetPixels(), nullptr);
    EXPECT_EQ(raw->GetPalette(), nullptr);
}

TEST_F(QrRawImageDataTest, EveryFormatRoundTripsThroughAStream)
{
    std::vector<QrPointer<QrRawImageData>> cases;
    cases.push_back(MakeRaw(gen::MakeIndexedPicture(5, 3, 200)));
    cases.push_back(MakeRaw(gen::MakeColorPicture(1, 7, 2)));
    cases.push_back(MakeRaw(gen::MakeColorPicture(2, 3, 4)));
    cases.push_back(new QrRawImageData); // 0 x 0: no pixels at all
    cases[1]->SetName("rgb picture");
    for (const QrPointer<QrRawImageData>& original : cases)
    {
        const std::vector<uint8_t> bytes = SaveTopLevel(original.Get());
        QrStream loader;
        ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
        ASSERT_EQ(loader.GetTopLevelCount(), 1u);
        QrRawImageData* loaded = QrDynamicCast<QrRawImageData>(loader.GetTopLevelAt(0));
        ASSERT_NE(loaded, nullptr);
        EXPECT_TRUE(original->IsEqual(loaded));
        EXPECT_EQ(loaded->GetBytesPerPixel(), original->GetBytesPerPixel());
        EXPECT_EQ(loaded->GetRowBytes(), original->GetRowBytes());
        EXPECT_EQ(SaveTopLevel(loaded), bytes) << "save, load, save gives the same bytes";
    }
}

TEST_F(QrRawImageDataTest, RecordHoldsSizeFormatPaletteThenPixels)
{
    QrPointer<QrRawImageData> raw = MakeRaw(gen::MakeIndexedPicture(2, 2, 4));
    std::vector<uint8_t> bytes = SaveTopLevel(raw.Get());
    // The record ends with width, height, format, 1024 palette bytes, 4 pixels, then "End Of File".
    const size_t end = bytes.size() - (4 + std::strlen("End Of File"));
    const size_t pixelsAt = end - 4;
    const size_t paletteAt = pixelsAt - QrImagePixels::kPaletteBytes;
    const size_t fieldsAt = paletteAt - 12;
    uint32_t fields[3];
    std::memcpy(fields, &bytes[fieldsAt], 12);
    EXPECT_EQ(fields[0], 2u);
    EXPECT_EQ(fields[1], 2u);
    EXPECT_EQ(fields[2], 0u);
    EXPECT_EQ(std::memcmp(&bytes[paletteAt], raw->GetPalette(), QrImagePixels::kPaletteBytes), 0);
    EXPECT_EQ(std::memcmp(&bytes[pixelsAt], raw->GetPixels(), 4), 0);
}

TEST_F(QrRawImageDataTest, IsEqualSeesEveryPartOfThePicture)
{
    QrPointer<QrRawImageData> a = MakeRaw(gen::MakeIndexedPicture(5, 3, 16));
    QrPointer<QrRawImageData> b = MakeRaw(gen::MakeIndexedPicture(5, 3, 16));
    ASSERT_TRUE(a->IsEqual(b.Get()));
    b->GetPalette()[1023] ^= 1;
    EXPECT_FALSE(a->IsEqual(b.Get())) << "palette";
    b->GetPalette()[1023] ^= 1;
    b->GetPixels()[14] ^= 1;
    EXPECT_FALSE(a->IsEqual(b.Get())) << "last pixel";
    b = MakeRaw(gen::MakeIndexedPicture(3, 5, 16));
    EXPECT_FALSE(a->IsEqual(b.Get())) << "same bytes, other shape";
    b = MakeRaw(gen::MakeColorPicture(1, 5, 1));
    EXPECT_FALSE(a->IsEqual(b.Get())) << "format";
}

TEST_F(QrRawImageDataTest, CorruptRecordsFailTheLoadBeforeAllocating)
{
    QrPointer<QrRawImageData> raw = MakeRaw(gen::MakeColorPicture(2, 3, 2));
    const std::vector<uint8_t> good = SaveTopLevel(raw.Get());
    const size_t fieldsAt = good.size() - (4 + std::strlen("End Of File")) - 24 - 12;

    struct Case
    {
        const char* what;
        uint32_t width, height, format;
    };
    const Case cases[] = {
        {"pixels beyond the file", 3, 4, 2},  {"product overflows 32 bits", 65536, 65536, 2},
        {"huge side", 0x80000000u, 1, 1},     {"unknown format", 3, 2, 3},
        {"palette beyond the file", 3, 2, 0},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bytes = good;
        std::memcpy(&bytes[fieldsAt], &c.width, 4);
        std::memcpy(&bytes[fieldsAt + 4], &c.height, 4);
        std::memcpy(&bytes[fieldsAt + 8], &c.format, 4);
        QrStream loader;
        EXPECT_FALSE(loader.LoadFromMemory(bytes.data(), bytes.size())) << c.what;
        EXPECT_EQ(QrStream::LastErrorCode, 2u) << c.what;
        EXPECT_EQ(loader.GetTopLevelCount(), 0u);
    }
}

