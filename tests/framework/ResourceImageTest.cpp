#include "PackTestSupport.h"

#include "ResourceTypes.h"

#include "ImageWriters.h"
#include "QrRawImageData.h"
#include "QrTestFixture.h"
#include "gen/GenImages.h"

#include <cstring>

namespace
{

class PlainImage : public QrImage
{
public:
    bool LoadFromFile() override { return true; }
    bool LoadFromRawData() override { return true; }
};

std::vector<uint8_t> Bmp(const QrImagePixels& picture, uint32_t bits, bool topDown, uint32_t compression = 0)
{
    return tools::WriteBMP(picture, {bits, topDown, compression});
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    std::memcpy(bytes.data() + at, &value, 4);
}

bool Decodes(const std::vector<uint8_t>& bytes, const QrImagePixels& expected)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    if (!DecodeBmp(bytes.data(), bytes.size(), *raw))
        return false;
    EXPECT_TRUE(raw->GetBuffer().IsEqual(expected));
    return true;
}

} // namespace

// Odd widths (4-bit rows that end mid-byte, rows that are not a multiple of four bytes),
// both row orders, and every depth come out as the picture that was written.
TEST(DecodeBmpTest, EveryDepthAndRowOrderGivesThePicture)
{
    const struct
    {
        uint32_t bits;
        uint32_t width;
        uint32_t height;
        bool topDown;
    } cases[] = {
        {4, 5, 3, false}, {4, 7, 4, true},   {8, 3, 5, true},   {8, 6, 2, false},
        {24, 3, 3, true}, {24, 5, 2, false}, {32, 3, 4, false}, {32, 2, 3, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.width << "x" << c.height);
        const QrImagePixels picture = c.bits <= 8 ? gen::MakeIndexedPicture(c.width, c.height, c.bits == 4 ? 16 : 200)
                                                  : gen::MakeColorPicture(c.bits == 32 ? 2 : 1, c.width, c.height);
        EXPECT_TRUE(Decodes(Bmp(picture, c.bits, c.topDown), picture));
    }
}

TEST(DecodeBmpTest, HeaderRulesAndTruncation)
{
    const QrImagePixels rgb = gen::MakeColorPicture(1, 3, 2);
    // 24-bit with no colour table and a zero pixel offset: pixels start right after the header.
    std::vector<uint8_t> noOffset = Bmp(rgb, 24, false);
    Put32(noOffset, 10, 0);
    EXPECT_TRUE(Decodes(noOffset, rgb));

    // A compressed 8-bit file is read as raw rows; a 32-bit one other than bit fields is refused.
    const QrImagePixels indexed = gen::MakeIndexedPicture(4, 2, 9);
    std::vector<uint8_t> rle8 = Bmp(indexed, 8, false);
    Put32(rle8, 30, 1);
    EXPECT_TRUE(Decodes(rle8, indexed));
    std::vector<uint8_t> rle32 = Bmp(gen::MakeColorPicture(2, 2, 2), 32, false);
    Put32(rle32, 30, 2);
    EXPECT_FALSE(Decodes(rle32, rgb));

    // Any shortened file, a huge size and a 16-bit depth give no picture.
    const std::vector<uint8_t> whole = Bmp(gen::MakeIndexedPicture(5, 3, 16), 4, true);
    for (size_t length = 0; length < whole.size(); ++length)
    {
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        ASSERT_FALSE(DecodeBmp(whole.data(), length, *raw)) << length;
    }
    std::vector<uint8_t> huge = whole;
    Put32(huge, 18, 0x7FFFFFFF);
    std::vector<uint8_t> sixteen = whole;
    sixteen[28] = 16;
    for (const auto& bad : {huge, sixteen})
    {
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        EXPECT_FALSE(DecodeBmp(bad.data(), bad.size(), *raw));
    }
}

class ResourceImageTest : public packtest::PackTest
{
protected:
    void SetUp() override
    {
        PackTest::SetUp();
        m_previousHook = QrImage::GetCreateHook();
        QrImage::SetCreateHook([](uint32_t) -> QrImage* { return new PlainImage; });
    }
    void TearDown() override
    {
        QrImage::SetCreateHook(m_previousHook);
        PackTest::TearDown();
    }
    QrImage::CreateHook m_previousHook = nullptr;
};

TEST_F(ResourceImageTest, PicturesByIdComeFromLoadedGroupsOnly)
{
    const QrImagePixels picture = gen::MakeColorPicture(1, 7, 3);
    tools::PackContents pack;
    tools::PackItem item;
    item.type = kResourcePicture;
    item.id = 466;
    item.data = Bmp(picture, 24, false);
    pack.Add(item, {15});
    item.id = 467;
    item.data = {'B', 'M', 0, 0};
    pack.Add(item, {15});
    OpenPack(pack);

    EXPECT_FALSE(LoadResourceImage(kResourcePicture, 466, m_pack));
    ASSERT_EQ(ResourcePack::LoadGroup(15, m_pack), kResourceOk);
    QrPointer<QrImage> image = LoadResourceImage(kResourcePicture, 466, m_pack);
    ASSERT_TRUE(image);
    ASSERT_NE(image->GetRawData(), nullptr);
    EXPECT_TRUE(image->GetRawData()->GetBuffer().IsEqual(picture));
    EXPECT_FALSE(LoadResourceImage(0x80000011, 466, m_pack));
    EXPECT_FALSE(LoadResourceImage(kResourcePicture, 467, m_pack));

    QrPointer<QrImage> slot = image;
    QrPointer<QrImage> again = ReloadResourceImage(kResourcePicture, 466, m_pack, slot);
    EXPECT_FALSE(slot);
    EXPECT_TRUE(again);
}
