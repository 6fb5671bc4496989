#include "QrTestFixture.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"

#include "ImageWriters.h"
#include "QrImage.h"
#include "QrStream.h"
#include "gen/GenImages.h"

#include "Files.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

namespace
{

struct PrepareCall
{
    QrRender* renderer;
    uint32_t id;
    uint32_t serial;
    bool operator==(const PrepareCall&) const = default;
};

std::vector<PrepareCall> g_prepared;
QrRender* g_refusingRenderer = nullptr;
bool g_hookMakesNothing = false;
uint32_t g_lastKind = 0;

// The renderer's image as far as the image system sees it: it logs every preparation.
class TestImage : public QrImage
{
    QR_DECLARE_RTTI

public:
    bool LoadFromFile() override { return GetFileName() != nullptr; }
    bool LoadFromRawData() override { return GetRawData() != nullptr; }
    bool PrepareForRenderer(QrRender* renderer, uint32_t id) override
    {
        g_prepared.push_back({renderer, id, GetSerial()});
        return renderer != g_refusingRenderer;
    }

protected:
    ~TestImage() override = default;
};
QR_IMPLEMENT_RTTI(TestImage, QrImage)

QrImage* MakeTestImage(uint32_t kind)
{
    g_lastKind = kind;
    return g_hookMakesNothing ? nullptr : new TestImage;
}

// References two images, so that a file can name one image under two link ids.
class TestImageHolder : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    void LoadBinary(QrStream& stream) override
    {
        QrObject::LoadBinary(stream);
        stream.LoadLinkID(this);
        stream.LoadLinkID(this);
    }
    void LinkObject(QrStream& stream) override
    {
        m_first = stream.ResolveLinkID<QrImage>(this);
        m_second = stream.ResolveLinkID<QrImage>(this);
    }
    bool RegisterStreamables(QrStream& stream) override
    {
        if (!QrObject::RegisterStreamables(stream))
            return false;
        if (m_first)
            m_first->RegisterStreamables(stream);
        if (m_second)
            m_second->RegisterStreamables(stream);
        return true;
    }
    void SaveBinary(QrStream& stream) override
    {
        QrObject::SaveBinary(stream);
        stream.SaveLinkID(m_first.Get());
        stream.SaveLinkID(m_second.Get());
    }

    QrPointer<QrImage> m_first;
    QrPointer<QrImage> m_second;
};
QR_IMPLEMENT_RTTI(TestImageHolder, QrObject)
QR_IMPLEMENT_CREATE(TestImageHolder)

// Renderer identities: the image system only stores and passes them on.
QrRender* Renderer(int n)
{
    static char slots[4];
    return reinterpret_cast<QrRender*>(&slots[n]);
}

bool Contains(const std::vector<uint8_t>& bytes, const char* text)
{
    const size_t n = std::strlen(text);
    return std::search(bytes.begin(), bytes.end(), text, text + n) != bytes.end();
}

QrPointer<QrRawImageData> MakeRaw(QrImagePixels pixels)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    raw->SetBuffer(std::move(pixels));
    return raw;
}

class QrImageTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        TestImageHolder::RegisterCreateFunction();
        g_prepared.clear();
        g_refusingRenderer = nullptr;
        g_hookMakesNothing = false;
        g_lastKind = 0;
        QrImage::SetCreateHook(&MakeTestImage);
        QrImage::SetErrorCode(0);
    }
    void TearDown() override
    {
        QrImage::SetCreateHook(nullptr);
        for (const auto& [renderer, id] : m_added)
            QrImage::RemoveRenderer(renderer, id);
        EXPECT_EQ(QrImage::GetRendererCount(), 0u);
        QrEngineTest::TearDown();
    }
    void AddRenderer(QrRender* renderer, uint32_t id)
    {
        QrImage::AddRenderer(renderer, id);
        m_added.emplace_back(renderer, id);
    }

private:
    std::vector<std::pair<QrRender*, uint32_t>> m_added;
};

} // namespace

// ---------------------------------------------------------------- creation

TEST_F(QrImageTest, WithoutAHookNothingIsMadeAndTheErrorCodeStays)
{
    QrImage::SetCreateHook(nullptr);
    QrImage::SetErrorCode(QrImage::kErrorReadFailed);
    EXPECT_EQ(QrImage::CreateFromFile("tex.bmp", 2), nullptr);
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorReadFailed);

    QrPointer<QrRawImageData> raw = new QrRawImageData;
    EXPECT_EQ(QrImage::CreateFromRawData(raw, 0), nullptr);
    EXPECT_EQ(raw->GetRefCount(), 1u) << "the consumed reference was released";
    // Raw data nobody else holds goes with it (the fixture checks the live count).
    EXPECT_EQ(QrImage::CreateFromRawData(new QrRawImageData, 0), nullptr);
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorReadFailed);
}

TEST_F(QrImageTest, CreationFailuresLeaveTheirErrorCodes)
{
    EXPECT_EQ(QrImage::CreateFromFile(nullptr, 2), nullptr);
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorNoFileName);
    EXPECT_EQ(QrImage::CreateFromRawData(nullptr, 2), nullptr);
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorNoRawData);

    g_hookMakesNothing = true;
    QrImage::SetErrorCode(0);
    EXPECT_EQ(QrImage::CreateFromFile("tex.bmp", 2), nullptr);
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorHookMadeNothing);
    QrImage::SetErrorCode(0);
    EXPECT_EQ(QrImage::CreateFromRawData(new QrRawImageData, 2), nullptr);
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorHookMadeNothing);
}

TEST_F(QrImageTest, ImagesKeepTheirSourceKindAndSerial)
{
    char name[] = "tex.bmp";
    QrPointer<QrImage> a = QrImage::CreateFromFile(name, 1);
    ASSERT_NE(a, nullptr);
    name[0] = 'X';
    EXPECT_STREQ(a->GetFileName(), "tex.bmp") << "the image keeps its own copy";
    EXPECT_EQ(g_lastKind, 1u) << "the kind reaches the hook";
    EXPECT_EQ(a->GetFlags() & QrImage::kFlagMipmaps, QrImage::kFlagMipmaps);

    QrPointer<QrImage> b = QrImage::CreateFromFile("tex.bmp", 2);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetFlags() & QrImage::kFlagMipmaps, 0u);
    EXPECT_EQ(b->GetSerial(), a->GetSerial() + 1);
    EXPECT_NE(a, b) << "files are shared per scene file only";

    QrPointer<QrRawImageData> raw = new QrRawImageData;
    QrPointer<QrImage> c = QrImage::CreateFromRawData(raw, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetRawData(), raw.Get());
    EXPECT_EQ(raw->GetRefCount(), 2u);
    EXPECT_EQ(c->GetFileName(), nullptr);
    EXPECT_EQ(c->GetSerial(), b->GetSerial() + 1);
    // Kind 2 follows the mipmap switch; kind 0 never asks for mipmaps.
    QrImage::SetMipmapSwitch(true);
    EXPECT_EQ(QrImage::CreateFromFile("tex.bmp", 2)->GetFlags() & QrImage::kFlagMipmaps, QrImage::kFlagMipmaps);
    EXPECT_EQ(QrImage::CreateFromFile("tex.bmp")->GetFlags() & QrImage::kFlagMipmaps, 0u);
    QrImage::SetMipmapSwitch(false);
}

TEST_F(QrImageTest, NewImagesArePreparedForEachRendererInListOrder)
{
    AddRenderer(Renderer(1), 0);
    AddRenderer(nullptr, 3); // ignored
    AddRenderer(Renderer(2), 1);
    AddRenderer(Renderer(1), 1);
    EXPECT_EQ(QrImage::GetRendererCount(), 3u);
    QrPointer<QrImage> image = QrImage::CreateFromFile("tex.bmp", 2);
    ASSERT_NE(image, nullptr);
    const uint32_t s = image->GetSerial();
    const std::vector<PrepareCall> want = {{Renderer(1), 0, s}, {Renderer(2), 1, s}, {Renderer(1), 1, s}};
    EXPECT_EQ(g_prepared, want);
}

TEST_F(QrImageTest, ARefusingRendererDropsTheNewImage)
{
    AddRenderer(Renderer(1), 0);
    AddRenderer(Renderer(2), 0);
    AddRenderer(Renderer(3), 0);
    g_refusingRenderer = Renderer(2);
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    EXPECT_EQ(QrImage::CreateFromRawData(raw, 2), nullptr);
    ASSERT_EQ(g_prepared.size(), 2u) << "preparation stops at the first refusal";
    EXPECT_EQ(g_prepared[1].renderer, Renderer(2));
    EXPECT_EQ(raw->GetRefCount(), 1u) << "the dropped image released its raw data";
}

TEST_F(QrImageTest, RemoveRendererTakesTheFirstEqualPairOnly)
{
    AddRenderer(Renderer(1), 0);
    AddRenderer(Renderer(2), 0);
    AddRenderer(Renderer(1), 0);
    AddRenderer(Renderer(1), 1);
    QrImage::RemoveRenderer(Renderer(3), 0);
    QrImage::RemoveRenderer(Renderer(2), 1);
    EXPECT_EQ(QrImage::GetRendererCount(), 4u) << "absent pairs change nothing";
    QrImage::RemoveRenderer(Renderer(1), 0);
    QrPointer<QrImage> image = QrImage::CreateFromFile("tex.bmp", 2);
    const uint32_t s = image->GetSerial();
    const std::vector<PrepareCall> want = {{Renderer(2), 0, s}, {Renderer(1), 0, s}, {Renderer(1), 1, s}};
    EXPECT_EQ(g_prepared, want);
}

TEST_F(QrImageTest, ARendererAddedLaterPreparesOnlyImagesLinkedAfterIt)
{
    QrPointer<QrImage> early = QrImage::CreateFromFile("tex.bmp", 2);
    const std::vector<uint8_t> bytes = streamtest::Save({early.Get()});
    AddRenderer(Renderer(1), 0);
    EXPECT_TRUE(g_prepared.empty()) << "adding a renderer prepares no existing image";

    QrStream loader;
    ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size()));
    auto* loaded = QrDynamicCast<QrImage>(loader.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(g_lastKind, 2u) << "the loader asks the hook for kind 2";
    const std::vector<PrepareCall> want = {{Renderer(1), 0, loaded->GetSerial()}};
    EXPECT_EQ(g_prepared, want) << "prepared at link time";
}

// ---------------------------------------------------------------- scene files

TEST_F(QrImageTest, ImageNamingAFileRoundTripsUnderTheBaseClassName)
{
    QrPointer<QrImage> image = QrImage::CreateFromFile("Textures/lure.bmp", 2);
    image->SetName("lure");
    const std::vector<uint8_t> bytes = streamtest::Save({image.Get()});
    EXPECT_TRUE(Contains(bytes, "QrImage"));
    EXPECT_FALSE(Contains(bytes, "TestImage")) << "the renderer's class is never written";

    QrStream loader;
    ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    auto* loaded = QrDynamicCast<QrImage>(loader.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->IsKindOf(&TestImage::ms_RTTI)) << "loading makes the renderer's image";
    EXPECT_STREQ(loaded->GetFileName(), "Textures/lure.bmp") << "a file that cannot be found keeps its name";
    EXPECT_TRUE(image->IsEqual(loaded));
    EXPECT_EQ(streamtest::Save({loaded}), bytes);
}

TEST_F(QrImageTest, ImageHoldingRawDataSavesAndLinksTheRawRecord)
{
    QrPointer<QrImage> image = QrImage::CreateFromRawData(MakeRaw(gen::MakeIndexedPicture(5, 3, 9)), 0);
    const std::vector<uint8_t> bytes = streamtest::Save({image.Get()});
    EXPECT_TRUE(Contains(bytes, "QrRawImageData"));

    QrStream loader;
    ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    ASSERT_EQ(loader.GetLoadedCount(), 2u);
    auto* loaded = QrDynamicCast<QrImage>(loader.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->GetRawData(), nullptr);
    EXPECT_EQ(loaded->GetRawData(), loader.GetLoadedAt(1));
    EXPECT_EQ(loaded->GetFileName(), nullptr);
    EXPECT_TRUE(image->IsEqual(loaded));
    EXPECT_EQ(streamtest::Save({loaded}), bytes);
}

TEST_F(QrImageTest, ImageWithoutSourceSavesAnEmptyNameAndLoadsWithout)
{
    // Only a file makes such an image: a raw-data record whose link id is 0.
    QrPointer<QrImage> image = QrImage::CreateFromRawData(MakeRaw(gen::MakeColorPicture(1, 2, 2)), 2);
    std::vector<uint8_t> bytes = streamtest::Save({image.Get()});
    const auto classAt = std::search(bytes.begin(), bytes.end(), "QrImage", "QrImage" + 7) - bytes.begin();
    const size_t flagAt = static_cast<size_t>(classAt) + 7 + 12;
    ASSERT_EQ(bytes[flagAt], 0);
    bytes[flagAt + 1] = 0;

    QrStream loader;
    ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    auto* loaded = QrDynamicCast<QrImage>(loader.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetRawData(), nullptr);
    EXPECT_EQ(loaded->GetFileName(), nullptr);

    const std::vector<uint8_t> saved = streamtest::Save({loaded});
    const size_t tail = 4 + std::strlen("End Of File");
    const std::vector<uint8_t> record(saved.end() - static_cast<std::ptrdiff_t>(tail + 5),
                                      saved.end() - static_cast<std::ptrdiff_t>(tail));
    EXPECT_EQ(record, (std::vector<uint8_t>{1, 0, 0, 0, 0})) << "flag 1 and an empty name";
    QrStream again;
    ASSERT_TRUE(again.LoadFromMemory(saved.data(), saved.size()));
    auto* reloaded = QrDynamicCast<QrImage>(again.GetTopLevelAt(0));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->GetFileName(), nullptr);
    EXPECT_EQ(reloaded->GetRawData(), nullptr);
    EXPECT_TRUE(loaded->IsEqual(reloaded));
}

TEST_F(QrImageTest, RecordsNamingOneFileShareOneImage)
{
    QrPointer<TestImageHolder> holder = new TestImageHolder;
    holder->m_first = QrImage::CreateFromFile("shared.bmp", 2);
    holder->m_second = QrImage::CreateFromFile("shared.bmp", 2);
    QrPointer<QrImage> other = QrImage::CreateFromFile("other.bmp", 2);
    const std::vector<uint8_t> bytes = streamtest::Save({holder.Get(), other.Get()});
    AddRenderer(Renderer(1), 0);

    QrStream loader;
    ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    auto* loaded = QrDynamicCast<TestImageHolder>(loader.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->m_first, nullptr);
    EXPECT_EQ(loaded->m_first, loaded->m_second) << "both link ids give the one image";
    EXPECT_NE(loaded->m_first.Get(), loader.GetTopLevelAt(1));
    EXPECT_EQ(loader.GetLoadedAt(1), loader.GetLoadedAt(2));
    EXPECT_EQ(loaded->m_first->GetExtraData(), nullptr) << "the link pass deleted both load records";
    // One preparation per distinct image.
    ASSERT_EQ(g_prepared.size(), 2u);
    EXPECT_EQ(g_prepared[0].serial, loaded->m_first->GetSerial());
}

TEST_F(QrImageTest, WithoutAHookImageRecordsStillLoadInStep)
{
    QrPointer<TestImageHolder> holder = new TestImageHolder;
    holder->m_first = QrImage::CreateFromFile("lure.tga", 2);
    holder->m_second = QrImage::CreateFromRawData(MakeRaw(gen::MakeColorPicture(1, 3, 2)), 2);
    QrPointer<QrRawImageData> after = MakeRaw(gen::MakeColorPicture(2, 4, 4));
    const std::vector<uint8_t> bytes = streamtest::Save({holder.Get(), after.Get()});
    QrImage::SetCreateHook(nullptr);

    QrStream loader;
    ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    ASSERT_EQ(loader.GetTopLevelCount(), 2u);
    auto* loaded = QrDynamicCast<TestImageHolder>(loader.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->m_first, nullptr);
    EXPECT_FALSE(loaded->m_first->IsKindOf(&TestImage::ms_RTTI)) << "a stand-in, not a renderer image";
    EXPECT_FALSE(loaded->m_first->LoadFromFile());
    EXPECT_STREQ(loaded->m_first->GetFileName(), "lure.tga");
    ASSERT_NE(loaded->m_second, nullptr);
    EXPECT_TRUE(loaded->m_second->GetRawData()->IsEqual(holder->m_second->GetRawData()));
    EXPECT_TRUE(after->IsEqual(loader.GetTopLevelAt(1))) << "the record after the images is read in step";
    EXPECT_EQ(streamtest::Save({loaded, loader.GetTopLevelAt(1)}), bytes) << "the file saves back unchanged";
}

TEST_F(QrImageTest, AHookMakingNothingDuringALoadLeavesError4AndLoadsOn)
{
    QrPointer<QrImage> image = QrImage::CreateFromFile("lure.tga", 2);
    QrPointer<QrRawImageData> after = MakeRaw(gen::MakeColorPicture(1, 2, 2));
    const std::vector<uint8_t> bytes = streamtest::Save({image.Get(), after.Get()});
    g_hookMakesNothing = true;
    QrStream loader;
    ASSERT_TRUE(loader.LoadFromMemory(bytes.data(), bytes.size()));
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorHookMadeNothing);
    EXPECT_TRUE(after->IsEqual(loader.GetTopLevelAt(1)));
}

TEST_F(QrImageTest, CorruptImageRecordsFailTheLoad)
{
    QrPointer<QrImage> image = QrImage::CreateFromRawData(MakeRaw(gen::MakeColorPicture(1, 2, 2)), 2);
    const std::vector<uint8_t> good = streamtest::Save({image.Get()});
    // Class name, link id 1, no name, no extra data, then the source flag and the raw data's id.
    const auto nameAt = std::search(good.begin(), good.end(), "QrImage", "QrImage" + 7) - good.begin();
    const size_t flagAt = static_cast<size_t>(nameAt) + 7 + 12;
    ASSERT_EQ(good[flagAt], 0);
    ASSERT_EQ(good[flagAt + 1], 2);

    std::vector<uint8_t> bytes = good;
    bytes[flagAt] = 2;
    {
        QrStream loader;
        EXPECT_FALSE(loader.LoadFromMemory(bytes.data(), bytes.size())) << "unknown source flag";
        EXPECT_EQ(QrStream::LastErrorCode, 2u);
    }
    bytes = good;
    bytes[flagAt + 1] = 1; // the image itself, not raw data
    {
        QrStream loader;
        EXPECT_FALSE(loader.LoadFromMemory(bytes.data(), bytes.size())) << "raw link to the wrong class";
    }
    bytes = good;
    bytes[flagAt + 1] = 9; // no such record
    {
        QrStream loader;
        EXPECT_FALSE(loader.LoadFromMemory(bytes.data(), bytes.size())) << "raw link to nothing";
    }
    for (size_t n = 0; n < good.size(); ++n)
    {
        std::vector<uint8_t> prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        QrStream loader;
        ASSERT_FALSE(loader.LoadFromMemory(prefix.data(), prefix.size())) << n;
    }
}

// ---------------------------------------------------------------- files

TEST_F(QrImageTest, GetFileInfoReportsSizeLevelsDepthAndPixels)
{
    const std::string images = testfiles::DataDir() + "/Data/Engine/Images/";
    uint32_t w = 0, h = 0, levels = 0, bits = 0;
    const uint8_t* pixels = nullptr;
    const uint8_t* palette = nullptr;
    ASSERT_EQ(QrImage::GetFileInfo((images + "texture64x32.bmp").c_str(), w, h, levels, bits, pixels, palette), 0u);
    EXPECT_EQ(w, 64u);
    EXPECT_EQ(h, 32u);
    EXPECT_EQ(levels, 5u);
    EXPECT_EQ(bits, 24u);
    EXPECT_EQ(palette, nullptr);
    const QrImagePixels rgb = gen::MakeColorPicture(1, 64, 32);
    EXPECT_EQ(std::memcmp(pixels, rgb.GetPixels(), rgb.GetPixelBytes()), 0);

    ASSERT_EQ(QrImage::GetFileInfo((images + "bmp8_topdown.bmp").c_str(), w, h, levels, bits, pixels, palette), 0u);
    EXPECT_EQ(bits, 8u);
    EXPECT_EQ(levels, 3u);
    const QrImagePixels indexed = gen::MakeIndexedPicture(16, 8, 256);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(std::memcmp(palette, indexed.GetPalette(), QrImagePixels::kPaletteBytes), 0);

    testfiles::TempDir dir;
    const std::vector<uint8_t> one = tools::WriteBMP(gen::MakeColorPicture(2, 1, 1), {32, false, 0});
    ASSERT_TRUE(plat::WriteFile(dir.File("one.bmp"), one.data(), one.size()));
    ASSERT_EQ(QrImage::GetFileInfo(dir.File("one.bmp").c_str(), w, h, levels, bits, pixels, palette), 0u);
    EXPECT_EQ(levels, 1u) << "a 1 x 1 picture has one level";
    EXPECT_EQ(bits, 32u);

    EXPECT_EQ(QrImage::GetFileInfo(dir.File("missing.bmp").c_str(), w, h, levels, bits, pixels, palette),
              QrImage::kErrorReadFailed);
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorReadFailed);
    EXPECT_EQ(QrImage::GetRawDataInfo(nullptr, w, h, levels, bits, pixels, palette), QrImage::kErrorNoRawData);
}

TEST(QrImageSizes, PowerOfTwoExponentsAndDepthFormats)
{
    EXPECT_EQ(QrImage::IsPowerOfTwoSize(256, 64), 6u);
    EXPECT_EQ(QrImage::IsPowerOfTwoSize(64, 256), 6u);
    EXPECT_EQ(QrImage::IsPowerOfTwoSize(256, 100), 0u);
    EXPECT_EQ(QrImage::IsPowerOfTwoSize(0, 64), 0u);
    EXPECT_EQ(QrImage::IsPowerOfTwoSize(1, 1), 0u);
    EXPECT_EQ(QrImage::IsPowerOfTwoSize(0x80000000u, 0x80000000u), 31u);
    EXPECT_EQ(QrImage::GetFormatFromDepth(8), 0u);
    EXPECT_EQ(QrImage::GetFormatFromDepth(24), 1u);
    EXPECT_EQ(QrImage::GetFormatFromDepth(32), 2u);
    EXPECT_EQ(QrImage::GetFormatFromDepth(16), 4u);
}

TEST_F(QrImageTest, OpenByNameChoosesTheReaderByExtension)
{
    const std::string images = testfiles::DataDir() + "/Data/Engine/Images/";
    QrPointer<QrRawImageData> raw = new QrRawImageData;

    const std::string relative =
        std::filesystem::relative(images + "tga2_24.tga", std::filesystem::current_path()).string();
    ASSERT_EQ(relative.front() == '/', false);
    EXPECT_TRUE(QrImage::OpenByName(("file://" + relative).c_str(), *raw)) << relative;
    EXPECT_TRUE(raw->GetBuffer().IsEqual(gen::MakeColorPicture(1, 16, 8)));

    EXPECT_TRUE(QrImage::OpenByName((images + "CAPS24.BMP").c_str(), *raw)) << "extensions in any case";
    EXPECT_EQ(raw->GetWidth(), 7u);

    testfiles::TempDir dir;
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(plat::ReadFile(images + "bmp24_topdown.bmp", bmp));
    for (const char* name : {"noextension", "picture.png", "picture.bmp.old", "bmp.in.name"})
    {
        ASSERT_TRUE(plat::WriteFile(dir.File(name), bmp.data(), bmp.size()));
        EXPECT_FALSE(QrImage::OpenByName(dir.File(name).c_str(), *raw)) << name;
    }
    ASSERT_TRUE(plat::WriteFile(dir.File("really_a_bmp.tga"), bmp.data(), bmp.size()));
    EXPECT_FALSE(QrImage::OpenByName(dir.File("really_a_bmp.tga").c_str(), *raw)) << "the extension decides";
    EXPECT_FALSE(QrImage::OpenByName(dir.File("missing.bmp").c_str(), *raw));
    EXPECT_FALSE(QrImage::OpenByName(nullptr, *raw));
    EXPECT_EQ(raw->GetWidth(), 7u) << "failures leave the target alone";
}

TEST_F(QrImageTest, OpenByNameTakesTheOneRawImageOfASceneFile)
{
    testfiles::TempDir dir;
    auto write = [&](const char* name, const std::vector<QrObject*>& objects)
    {
        const std::vector<uint8_t> bytes = streamtest::Save(objects);
        EXPECT_TRUE(plat::WriteFile(dir.File(name), bytes.data(), bytes.size()));
        return dir.File(name);
    };
    QrPointer<QrRawImageData> a = MakeRaw(gen::MakeIndexedPicture(5, 3, 12));
    QrPointer<QrRawImageData> b = MakeRaw(gen::MakeColorPicture(1, 2, 2));
    QrPointer<TestImageHolder> holder = new TestImageHolder;
    const std::string none = write("none.qrf", {});
    const std::string two = write("two.qrf", {a.Get(), b.Get()});
    const std::string other = write("other.qrf", {holder.Get()});
    const std::string one = write("one.QRF", {a.Get()});
    const uint32_t live = QrObject::GetLiveCount();

    QrPointer<QrRawImageData> raw = new QrRawImageData;
    EXPECT_FALSE(QrImage::OpenByName(none.c_str(), *raw));
    EXPECT_FALSE(QrImage::OpenByName(two.c_str(), *raw));
    EXPECT_FALSE(QrImage::OpenByName(other.c_str(), *raw));
    EXPECT_FALSE(QrImage::OpenByName((dir.File("missing.qrf")).c_str(), *raw));
    EXPECT_EQ(raw->GetWidth(), 0u);
    ASSERT_TRUE(QrImage::OpenByName(one.c_str(), *raw));
    EXPECT_TRUE(raw->IsEqual(a.Get()));
    EXPECT_EQ(QrObject::GetLiveCount(), live + 1) << "the loaded raw image was released";
}

#ifndef NDEBUG
TEST(QrImageDeathTest, ImagesAreNotMadeOffTheMainThread)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::thread worker([] { QrImage::CreateFromFile("tex.bmp", 2); });
            worker.join();
        },
        "main-thread only");
}
#endif
