#include "qrxAssetCache.h"

#include "FrameworkTestImages.h"
#include "TestFiles.h"

#include "Files.h"

#include <filesystem>
#include <string>

namespace
{

class qrxAssetCacheTest : public FrameworkImageTest
{
protected:
    qrxAssetCache& Cache() { return qrxAssetCache::Get(); }

    static QrPointer<QrRawImageData> Raw(uint32_t width)
    {
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        EXPECT_TRUE(raw->AllocatePixels(2, width, 1));
        return raw;
    }
};

TEST_F(qrxAssetCacheTest, FilesAreLookedUpByExactPathAndFailuresAreRemembered)
{
    QrPointer<QrTextureProperty> a = Cache().Load("Data/boat.bmp", 1);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->GetCurrentIndex(), 0);
    EXPECT_EQ(Cache().Load("Data/boat.bmp", 2), a);
    EXPECT_NE(Cache().Load("Data/BOAT.bmp", 1), a);
    EXPECT_FALSE(Cache().Load("Data/missing.bmp", 1));
    EXPECT_FALSE(Cache().Load("Data/missing.bmp", 1));
    EXPECT_EQ(MadeCount(), 3u) << "a missing file is tried once";
    EXPECT_EQ(Cache().GetFileCount(), 3u);
}

TEST_F(qrxAssetCacheTest, GrowsPastFiveHundredTwelveEntriesOfEachKind)
{
    std::vector<QrPointer<QrTextureProperty>> files;
    std::vector<QrPointer<QrRawImageData>> raws;
    for (int i = 0; i < 600; ++i)
    {
        files.push_back(Cache().Load(("Data/pic" + std::to_string(i) + ".bmp").c_str(), i));
        raws.push_back(Raw(1 + i));
        Cache().LoadTexture(raws.back().Get(), i);
    }
    EXPECT_EQ(Cache().Load("Data/pic599.bmp", 0), files[599]);
    EXPECT_NE(files[599], files[0]);
    QrPointer<QrTextureProperty> last = Cache().LoadTexture(raws[599].Get(), 0);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->GetCurrentImage()->GetWidth(), 600u);
    EXPECT_EQ(Cache().GetRawCount(), 600u);
}

TEST_F(qrxAssetCacheTest, TheSameRawImageIsNotAddedAgain)
{
    QrPointer<QrRawImageData> raw = Raw(8);
    QrPointer<QrTextureProperty> first = Cache().LoadTexture(raw.Get(), 0);
    EXPECT_EQ(Cache().LoadTexture(raw.Get(), 0), first);
    EXPECT_EQ(Cache().GetRawCount(), 1u);
}

TEST_F(qrxAssetCacheTest, ScaledCopiesShareOneEntryUnderTheRebuiltPath)
{
    testfiles::TempDir dir;
    std::filesystem::create_directories(dir.File("scale"));
    ASSERT_TRUE(plat::WriteFile(dir.File("scale/tree.bmp"), "x", 1));
    Cache().SetScaleFlag(true);
    QrPointer<QrTextureProperty> a = Cache().Load(dir.File("tree.bmp").c_str(), 0);
    QrPointer<QrTextureProperty> b = Cache().Load(dir.File("tree.bmp").c_str(), 0);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, b);
    EXPECT_EQ(Cache().GetFileCount(), 1u);
    EXPECT_EQ(std::string(a->GetCurrentImage()->GetFileName()), dir.File("scale/tree.bmp"));
    // Without a scaled copy the path stays as asked.
    QrPointer<QrTextureProperty> c = Cache().Load(dir.File("rock.bmp").c_str(), 0);
    EXPECT_EQ(std::string(c->GetCurrentImage()->GetFileName()), dir.File("rock.bmp"));
}

TEST_F(qrxAssetCacheTest, ResetMakesTheRendererTakeEveryImageAgain)
{
    QrPointer<QrTextureProperty> file = Cache().Load("Data/water.bmp", 0);
    QrPointer<QrImage> second = QrImage::CreateFromFile("Data/water2.bmp", 0);
    file->SetImage(second.Get(), 1);
    file->SetCurrentIndex(1);
    QrPointer<QrRawImageData> raw = Raw(4);
    QrPointer<QrTextureProperty> rawTexture = Cache().LoadTexture(raw.Get(), 0);
    QrPointer<QrImage> oldRawImage = rawTexture->GetCurrentImage();
    const uint32_t firstRevision = file->GetImage(0)->GetPixelRevision();

    Cache().Reset();

    EXPECT_EQ(file->GetImage(0)->GetPixelRevision(), firstRevision + 1);
    EXPECT_EQ(second->GetPixelRevision(), 1u);
    EXPECT_EQ(file->GetCurrentIndex(), 0);
    QrPointer<QrImage> newRawImage = rawTexture->GetCurrentImage();
    ASSERT_TRUE(newRawImage);
    EXPECT_NE(newRawImage, oldRawImage);
    EXPECT_EQ(newRawImage->GetRawData(), raw.Get());
}

} // namespace
