// The texture cache under a small video-memory budget: which texture goes when a new one does
// not fit (eviction, take-over, flush) and the status bits that report it, the fall-back to
// system memory, failures at each step of making a texture, and the upload of every image
// format into every texture format, mip chains and the stretch onto square-only devices.

#include "TextureTestRig.h"

#include "Display.h"
#include "FailureInjector.h"
#include "Palette.h"
#include "QrDDContext.h"
#include "QrPalette.h"

#include <string>

namespace
{

using plat::PixelFormat;

class QrTextureCacheTest : public QrTextureTest
{
protected:
    uint32_t Status() { return m_renderer->GetTextureStatus(); }
};

// ---------------------------------------------------------------- eviction and take-over

// Four 16-bit textures of 2048 bytes, each of another aspect and so in another bucket.
struct FourShapes
{
    QrPointer<QrDDImage> a = QrTextureTest::FlatImage(32, 32);
    QrPointer<QrDDImage> b = QrTextureTest::FlatImage(64, 16);
    QrPointer<QrDDImage> c = QrTextureTest::FlatImage(16, 64);
    QrPointer<QrDDImage> d = QrTextureTest::FlatImage(128, 8);
};

TEST_F(QrTextureCacheTest, NewTextureEvictsTheLeastRecentlyUsedOneNotDrawnThisFrame)
{
    ASSERT_NO_FATAL_FAILURE(OpenHardware(3 * kSmallTexture));
    FourShapes s;
    NextFrame();
    ASSERT_TRUE(Use(s.a.Get()));
    ASSERT_TRUE(Use(s.b.Get()));
    ASSERT_TRUE(Use(s.c.Get()));
    EXPECT_EQ(FreeVideoMemory(), 0u);
    NextFrame();
    ASSERT_TRUE(Use(s.b.Get()));
    NextFrame();
    ASSERT_TRUE(Use(s.c.Get()));

    // a was drawn two frames ago, b one frame ago, c in this one.
    ASSERT_TRUE(Use(s.d.Get()));
    EXPECT_EQ(Status(), QrTextureManager::kStatusFrame | QrTextureManager::kStatusEvicted);
    EXPECT_EQ(Record(s.a.Get()), nullptr);
    EXPECT_NE(Record(s.b.Get()), nullptr);
    EXPECT_NE(Record(s.c.Get()), nullptr);
    EXPECT_NE(Record(s.d.Get()), nullptr);

    uint32_t resident = 0, used = 0, counter = 0, created = 0, released = 0;
    ASSERT_TRUE(m_renderer->GetTextureStatistics(&resident, &used, &counter, &created, &released));
    EXPECT_EQ(resident, 3u);
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(created, 1u);
    EXPECT_EQ(released, 1u);
    EXPECT_EQ(Manager().GetBytesInUse(0), 3 * kSmallTexture);
}

TEST_F(QrTextureCacheTest, LargerClassesGoFirstAndSmallerOnesMakeRoomTogether)
{
    // Room for one 64 x 64 and one 32 x 32 texture.
    ASSERT_NO_FATAL_FAILURE(OpenHardware(4 * kSmallTexture + kSmallTexture));
    QrPointer<QrDDImage> big = FlatImage(64, 64);
    FourShapes s;
    NextFrame();
    ASSERT_TRUE(Use(big.Get()));
    ASSERT_TRUE(Use(s.a.Get()));
    NextFrame();
    // Both were last drawn in the same frame: the larger class is looked at first.
    ASSERT_TRUE(Use(s.b.Get()));
    EXPECT_EQ(Record(big.Get()), nullptr);
    EXPECT_NE(Record(s.a.Get()), nullptr);
    ASSERT_TRUE(Use(s.c.Get()));
    ASSERT_TRUE(Use(s.d.Get()));
    EXPECT_EQ(Manager().GetSizeClassCount(0, 3), 4u);

    // A larger texture than any in the cache: the smaller class gives up records, the least
    // recently used first, until it fits.
    NextFrame();
    ASSERT_TRUE(Use(big.Get()));
    EXPECT_EQ(Status(), QrTextureManager::kStatusFrame | QrTextureManager::kStatusEvicted);
    EXPECT_EQ(Manager().GetReleasedThisFrame(), 3u);
    EXPECT_EQ(Record(s.a.Get()), nullptr);
    EXPECT_EQ(Manager().GetResidentCount(), 2u);
    EXPECT_EQ(Manager().GetSizeClassCount(0, 3), 1u);
    EXPECT_EQ(Manager().GetSizeClassCount(0, 5), 1u);
    EXPECT_EQ(FreeVideoMemory(), 0u);
}

TEST_F(QrTextureCacheTest, SameKeyTextureIdleThisFrameIsTakenOver)
{
    ASSERT_NO_FATAL_FAILURE(OpenHardware(2 * kSmallTexture));
    QrPointer<QrDDImage> a = FlatImage(32, 32, 0xFF0000);
    QrPointer<QrDDImage> b = FlatImage(32, 32, 0x00FF00);
    QrPointer<QrDDImage> c = FlatImage(32, 32, 0x0000FF);
    NextFrame();
    ASSERT_TRUE(Use(a.Get()));
    ASSERT_TRUE(Use(b.Get()));
    plat::Surface* aTexture = TextureOf(a.Get());
    plat::Surface* bTexture = TextureOf(b.Get());

    NextFrame();
    ASSERT_TRUE(Use(c.Get()));
    EXPECT_EQ(Status(), QrTextureManager::kStatusFrame | QrTextureManager::kStatusTookOverUnused);
    EXPECT_EQ(TextureOf(c.Get()), aTexture);
    EXPECT_EQ(TexelAt(*aTexture, 31, 31), plat::PackColor(PixelFormat::Rgb565, 0xFF0000FF));
    EXPECT_EQ(Record(a.Get()), nullptr);
    EXPECT_EQ(Manager().GetResidentCount(), 2u);
    EXPECT_EQ(Manager().GetReleasedThisFrame(), 1u);

    // The image that lost its texture still points at it; dying, it must leave it alone.
    a = nullptr;
    EXPECT_EQ(TextureOf(c.Get()), aTexture);
    EXPECT_EQ(Manager().GetResidentCount(), 2u);

    // The texture taken over went to the back of the bucket: b is next.
    QrPointer<QrDDImage> d = FlatImage(32, 32, 0xFFFFFF);
    ASSERT_TRUE(Use(d.Get()));
    EXPECT_EQ(TextureOf(d.Get()), bTexture);
    EXPECT_EQ(Record(b.Get()), nullptr);
}

TEST_F(QrTextureCacheTest, TextureDrawnThisFrameIsSharedOnlyWhenNothingCanBeEvicted)
{
    ASSERT_NO_FATAL_FAILURE(OpenHardware(2 * kSmallTexture));
    QrPointer<QrDDImage> a = FlatImage(32, 32, 0xFF0000);
    QrPointer<QrDDImage> b = FlatImage(32, 32, 0x00FF00);
    QrPointer<QrDDImage> c = FlatImage(32, 32, 0x0000FF);
    NextFrame();
    ASSERT_TRUE(Use(a.Get()));
    ASSERT_TRUE(Use(b.Get()));
    plat::Surface* aTexture = TextureOf(a.Get());
    ASSERT_TRUE(Use(c.Get()));
    EXPECT_EQ(Status(), QrTextureManager::kStatusFrame | QrTextureManager::kStatusTookOverUsed);
    EXPECT_EQ(TextureOf(c.Get()), aTexture);
    EXPECT_NE(Record(b.Get()), nullptr);
}

TEST_F(QrTextureCacheTest, NothingEvictableFlushesTheCachedTexturesButNotThePinnedOnes)
{
    ASSERT_NO_FATAL_FAILURE(OpenHardware(3 * kSmallTexture));
    FourShapes s;
    ASSERT_TRUE(m_renderer->PrepareTexture(s.a.Get(), 1, 1, 0));
    const QrTextureRecord* pinned = Record(s.a.Get());
    ASSERT_NE(pinned, nullptr);
    EXPECT_TRUE(pinned->m_flags & QrTextureRecord::kFlagPinned);
    EXPECT_EQ(Manager().GetPinnedHead(0), pinned);
    EXPECT_EQ(Manager().GetResidentCount(), 0u);

    NextFrame();
    ASSERT_TRUE(Use(s.b.Get()));
    ASSERT_TRUE(Use(s.c.Get()));
    // b and c are drawn this frame, the pinned a is never evicted.
    ASSERT_TRUE(Use(s.d.Get()));
    EXPECT_EQ(Status(), QrTextureManager::kStatusFrame | QrTextureManager::kStatusFlushed);
    EXPECT_EQ(Record(s.b.Get()), nullptr);
    EXPECT_EQ(Record(s.c.Get()), nullptr);
    EXPECT_EQ(Record(s.a.Get()), pinned);
    EXPECT_EQ(Manager().GetResidentCount(), 1u);
}

TEST_F(QrTextureCacheTest, NoTextureEvenAfterTheFlush)
{
    ASSERT_NO_FATAL_FAILURE(OpenHardware(kSmallTexture));
    QrPointer<QrDDImage> pinned = FlatImage(32, 32);
    QrPointer<QrDDImage> other = FlatImage(64, 16);
    ASSERT_TRUE(m_renderer->PrepareTexture(pinned.Get(), 1, 1, 0));
    NextFrame();
    EXPECT_FALSE(Use(other.Get()));
    EXPECT_EQ(Status(),
              QrTextureManager::kStatusFrame | QrTextureManager::kStatusFlushed | QrTextureManager::kStatusNothingMade);
    // A texture that did not fit is no failed image: it is tried again.
    EXPECT_EQ(Manager().GetRecord(other.Get(), 0), nullptr);
    EXPECT_NE(Record(pinned.Get()), nullptr);

    ASSERT_TRUE(m_renderer->ReleaseTextures(1));
    NextFrame();
    EXPECT_TRUE(Use(other.Get()));
    EXPECT_EQ(Status(), QrTextureManager::kStatusFrame);
}

TEST_F(QrTextureCacheTest, FullVideoMemoryFallsBackToSystemMemory)
{
    HardwareProfile(kSmallTexture);
    m_config.profile.Device(plat::DeviceKind::Hardware).caps.deviceCaps |= plat::kDevCapsTextureSystemMemory;
    ASSERT_NO_FATAL_FAILURE(Open(11));
    ASSERT_TRUE(m_renderer->GetDeviceFlags() & QrD3DDevice::kCapSystemMemoryTextures);
    QrPointer<QrDDImage> a = FlatImage(32, 32);
    QrPointer<QrDDImage> b = FlatImage(32, 32);
    NextFrame();
    ASSERT_TRUE(Use(a.Get()));
    EXPECT_TRUE(TextureOf(a.Get())->Caps() & plat::kCapsVideoMemory);
    EXPECT_FALSE(OutputHas("VRAM Full - allocating texture in system memory\n"));
    ASSERT_TRUE(Use(b.Get()));
    EXPECT_TRUE(OutputHas("VRAM Full - allocating texture in system memory\n"));
    EXPECT_TRUE(TextureOf(b.Get())->Caps() & plat::kCapsSystemMemory);
    EXPECT_EQ(Status(), QrTextureManager::kStatusFrame);
    EXPECT_NE(Record(a.Get()), nullptr);

    QrPointer<QrDDImage> c = FlatImage(32, 32);
    ASSERT_EQ(Manager().GetFormatKind(c.Get()), QrTextureManager::kKindRgb);
    m_injector.FailCall(plat::Operation::CreateSurface, 1, plat::Result::OutOfVideoMemory, 2);
    EXPECT_FALSE(m_renderer->PrepareTexture(c.Get(), 0, 0, 0));
    EXPECT_TRUE(OutputHas("Create system memory texture surface failed"));
    EXPECT_EQ(Manager().GetRecord(c.Get(), 0), nullptr);
}

TEST_F(QrTextureCacheTest, TextureLostWithTheVideoMemoryIsFilledAgain)
{
    ASSERT_NO_FATAL_FAILURE(OpenHardware(kSmallTexture));
    QrPointer<QrDDImage> image = FlatImage(32, 32, 0x00FF00);
    ASSERT_TRUE(Use(image.Get()));
    plat::Surface* texture = TextureOf(image.Get());
    Context(*m_renderer).GetDisplay()->LoseSurfaces();
    ASSERT_EQ(texture->IsLost(), plat::Result::SurfaceLost);
    ASSERT_TRUE(Use(image.Get()));
    EXPECT_EQ(texture->IsLost(), plat::Result::Ok);
    EXPECT_EQ(TextureOf(image.Get()), texture);
    EXPECT_EQ(TexelAt(*texture, 7, 7), plat::PackColor(PixelFormat::Rgb565, 0xFF00FF00));
}

// ---------------------------------------------------------------- failures while making a texture

class QrTextureFailureTest : public QrTextureCacheTest, public ::testing::WithParamInterface<plat::Operation>
{
protected:
    // A palettised texture format, so that making a texture has every step.
    void OpenPalettised(uint32_t textureBytes)
    {
        HardwareProfile(textureBytes);
        m_config.profile.Device(plat::DeviceKind::Hardware).textureFormats = {PixelFormat::Rgb565, PixelFormat::Pal8};
        ASSERT_NO_FATAL_FAILURE(Open(11));
        ASSERT_TRUE(Manager().IsFound(QrTextureManager::kKindPalettised));
    }
    static QrPointer<QrDDImage> Indexed(uint8_t shift, uint32_t width = 32, uint32_t height = 32)
    {
        return IndexedImage(
            width, height, [shift](uint32_t x, uint32_t y) { return static_cast<uint8_t>(x + y + shift); },
            [](uint32_t i) { return i * 0x010203u; });
    }
    void ExpectNothingLeft(QrImage* image)
    {
        EXPECT_EQ(Manager().GetRecord(image, 0), nullptr);
        EXPECT_EQ(Manager().GetResidentCount(), 0u);
        EXPECT_EQ(Manager().GetBytesInUse(0), 0u);
        EXPECT_EQ(Manager().GetPinnedHead(0), nullptr);
        EXPECT_EQ(Manager().GetFreeRecordCount(), Manager().GetRecordBlockCount() * QrTextureManager::kRecordsPerBlock);
        // Every surface made on the way is gone again.
        uint32_t total = 0, free = 0;
        EXPECT_TRUE(m_renderer->GetTextureMemory(&total, &free));
        EXPECT_EQ(free, total);
    }
};

TEST_P(QrTextureFailureTest, FailedStepLeavesNoRecordAndNoSurface)
{
    ASSERT_NO_FATAL_FAILURE(OpenPalettised(4 * 1024));
    QrPointer<QrDDImage> image = Indexed(0);
    // Of another shape: it can only be evicted, never taken over.
    QrPointer<QrDDImage> cached = Indexed(7, 64, 16);
    // The image's own surfaces first, so that the failures meet the texture's steps only.
    ASSERT_EQ(Manager().GetFormatKind(image.Get()), QrTextureManager::kKindPalettised);
    NextFrame();
    ASSERT_TRUE(Use(cached.Get()));
    NextFrame();

    m_injector.FailAlways(GetParam(), plat::Result::Failed);
    // Without eviction the cache stays as it was.
    EXPECT_FALSE(m_renderer->PrepareTexture(image.Get(), 0, 0, 0));
    EXPECT_EQ(Manager().GetRecord(image.Get(), 0), nullptr);
    EXPECT_EQ(Manager().GetResidentCount(), 1u);
    EXPECT_EQ(Manager().GetBytesInUse(0), 1024u);

    // With it, the texture of the other image goes on the way, and nothing is made at all.
    EXPECT_FALSE(m_renderer->PrepareTexture(image.Get(), 1, 0, 0));
    EXPECT_TRUE(Status() & QrTextureManager::kStatusNothingMade);
    ExpectNothingLeft(image.Get());
    EXPECT_EQ(Manager().GetRecord(cached.Get(), 0), nullptr);

    m_injector.Reset();
    ASSERT_TRUE(m_renderer->PrepareTexture(image.Get(), 0, 0, 0));
    const plat::Surface* texture = TextureOf(image.Get());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(TexelAt(*texture, 5, 9), 14u);
    ASSERT_NE(texture->AttachedPalette(), nullptr);
    EXPECT_EQ(texture->AttachedPalette()->Entry(14).green, 28);
}

std::string StepName(const ::testing::TestParamInfo<plat::Operation>& step)
{
    switch (step.param)
    {
    case plat::Operation::CreateSurface:
        return "CreateSurface";
    case plat::Operation::SetPalette:
        return "SetPalette";
    default:
        return "QueryTexture";
    }
}

INSTANTIATE_TEST_SUITE_P(EachStep, QrTextureFailureTest,
                         ::testing::Values(plat::Operation::CreateSurface, plat::Operation::SetPalette,
                                           plat::Operation::QueryTexture),
                         StepName);

TEST_F(QrTextureFailureTest, TakeOverWhosePaletteFailsLeavesNoRecord)
{
    ASSERT_NO_FATAL_FAILURE(OpenPalettised(1024));
    QrPointer<QrDDImage> a = Indexed(0);
    QrPointer<QrDDImage> b = Indexed(1);
    ASSERT_EQ(Manager().GetFormatKind(b.Get()), QrTextureManager::kKindPalettised);
    NextFrame();
    ASSERT_TRUE(Use(a.Get()));
    NextFrame();
    m_injector.FailCall(plat::Operation::SetPalette, 1, plat::Result::Failed);
    EXPECT_FALSE(Use(b.Get()));
    ExpectNothingLeft(b.Get());
    EXPECT_EQ(Record(a.Get()), nullptr);
    EXPECT_TRUE(Use(b.Get()));
}

TEST_F(QrTextureCacheTest, FailedUploadOfOneLevelLeavesItAndCopiesTheRest)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> mipmapped = RgbImage(
        8, 8, [](uint32_t, uint32_t) { return 0x808080u; }, 1);
    ASSERT_EQ(Manager().GetFormatKind(mipmapped.Get()), QrTextureManager::kKindRgb);
    m_injector.FailCall(plat::Operation::Blt, 1, plat::Result::Failed);
    ASSERT_TRUE(Use(mipmapped.Get()));
    EXPECT_TRUE(OutputHas("Texture Upload Failed\n"));
    const plat::Surface* top = TextureOf(mipmapped.Get());
    ASSERT_NE(top, nullptr);
    ASSERT_NE(top->NextMipLevel(), nullptr);
    EXPECT_EQ(TexelAt(*top, 0, 0), 0u);
    EXPECT_EQ(TexelAt(*top->NextMipLevel(), 0, 0), plat::PackColor(PixelFormat::Rgb565, 0xFF808080));
}

// ---------------------------------------------------------------- uploads

enum class Source
{
    Indexed,
    Rgb,
    Rgba
};

struct UploadCase
{
    Source source;
    PixelFormat texture;
};

std::string CaseName(const ::testing::TestParamInfo<UploadCase>& upload)
{
    const char* source[] = {"Indexed", "Rgb", "Rgba"};
    const char* texture = upload.param.texture == PixelFormat::Rgb565     ? "Rgb565"
                          : upload.param.texture == PixelFormat::Argb4444 ? "Argb4444"
                          : upload.param.texture == PixelFormat::Argb8888 ? "Argb8888"
                                                                          : "Pal8";
    return std::string(source[static_cast<int>(upload.param.source)]) + "Into" + texture;
}

// A 4 x 4 picture of distinct colours; (3, 3) is black, (0, 3) transparent in RGBA.
uint32_t PictureRgb(uint32_t x, uint32_t y)
{
    if (x == 3 && y == 3)
        return 0;
    return (x * 60 + 20) << 16 | (y * 50 + 30) << 8 | (x * y * 15 + 5);
}
uint32_t PictureAlpha(uint32_t x, uint32_t y)
{
    return x == 0 && y == 3 ? 0 : 255 - 16 * (x + 4 * y);
}
uint8_t PictureIndex(uint32_t x, uint32_t y)
{
    return static_cast<uint8_t>((x + 4 * y) % 7);
}
uint32_t PicturePalette(uint32_t i)
{
    const uint32_t j = i % 7;
    return (j * 36) << 16 | (250 - j * 20) << 8 | (j * 9 + 3);
}

class QrTextureUploadTest : public QrTextureCacheTest, public ::testing::WithParamInterface<UploadCase>
{
};

TEST_P(QrTextureUploadTest, EveryTexelArrives)
{
    const UploadCase c = GetParam();
    m_config.profile.Device(plat::DeviceKind::Rgb).textureFormats = {c.texture};
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> image;
    switch (c.source)
    {
    case Source::Indexed:
        image = IndexedImage(4, 4, PictureIndex, PicturePalette);
        break;
    case Source::Rgb:
        image = RgbImage(4, 4, PictureRgb);
        break;
    case Source::Rgba:
        image = RgbaImage(4, 4, [](uint32_t x, uint32_t y) { return PictureAlpha(x, y) << 24 | PictureRgb(x, y); });
        break;
    }
    ASSERT_TRUE(m_renderer->PrepareTexture(image.Get(), 1, 0, -1));
    const QrTextureRecord* record = Record(image.Get());
    ASSERT_NE(record, nullptr);
    const plat::Surface& texture = *record->m_texture;
    ASSERT_EQ(texture.Format(), c.texture);
    ASSERT_EQ(texture.Width(), 4u);
    ASSERT_EQ(texture.Height(), 4u);
    ASSERT_NE(texture.SourceColorKey(), nullptr);
    EXPECT_EQ(texture.SourceColorKey()->low, 0u);
    EXPECT_EQ(texture.SourceColorKey()->high, 0u);
    const plat::PixelFormatInfo info = plat::DescribeFormat(c.texture);
    EXPECT_EQ((record->m_flags & QrTextureRecord::kFlagAlpha) != 0, (info.flags & plat::kPixelFlagAlpha) != 0);
    EXPECT_EQ(record->m_size, info.bitCount / 8 * 16);

    if (c.texture == PixelFormat::Pal8)
    {
        ASSERT_NE(texture.AttachedPalette(), nullptr);
        plat::Surface* source = nullptr;
        ASSERT_TRUE(image->GetSurfaceFor(m_renderer.Get(), QrDDImage::kKindTextureSource, source));
        for (uint32_t y = 0; y < 4; ++y)
        {
            for (uint32_t x = 0; x < 4; ++x)
            {
                SCOPED_TRACE(::testing::Message() << x << ", " << y);
                const uint32_t texel = TexelAt(texture, x, y);
                EXPECT_EQ(texel, TexelAt(*source, x, y));
                if (c.source == Source::Indexed)
                {
                    EXPECT_EQ(texel, PictureIndex(x, y));
                    const plat::PaletteEntry& e = texture.AttachedPalette()->Entry(static_cast<uint8_t>(texel));
                    EXPECT_EQ(uint32_t(e.red) << 16 | uint32_t(e.green) << 8 | e.blue, PicturePalette(texel));
                }
                else if ((c.source == Source::Rgb && x == 3 && y == 3) ||
                         (c.source == Source::Rgba && x == 0 && y == 3))
                {
                    EXPECT_EQ(texel, 0u);
                }
            }
        }
        if (c.source != Source::Indexed)
        {
            // Pictures of other depths are drawn in the display's colours.
            const plat::PaletteEntry* display = QrDDImage::GetGlobalObject()->GetEntries();
            for (uint32_t i = 0; i < 256; ++i)
                EXPECT_EQ(texture.AttachedPalette()->Entry(static_cast<uint8_t>(i)).green, display[i].green) << i;
        }
        return;
    }

    for (uint32_t y = 0; y < 4; ++y)
    {
        for (uint32_t x = 0; x < 4; ++x)
        {
            uint32_t argb = 0;
            switch (c.source)
            {
            case Source::Indexed:
                argb = PictureIndex(x, y) == 0 ? 0 : 0xFF000000u | PicturePalette(PictureIndex(x, y));
                break;
            case Source::Rgb:
                argb = 0xFF000000u | PictureRgb(x, y);
                break;
            case Source::Rgba:
                argb = PictureAlpha(x, y) << 24 | PictureRgb(x, y);
                break;
            }
            EXPECT_EQ(TexelAt(texture, x, y), plat::PackColor(c.texture, argb)) << x << ", " << y;
        }
    }
}

std::vector<UploadCase> AllUploadCases()
{
    std::vector<UploadCase> cases;
    for (Source source : {Source::Indexed, Source::Rgb, Source::Rgba})
    {
        for (PixelFormat texture :
             {PixelFormat::Rgb565, PixelFormat::Argb4444, PixelFormat::Argb8888, PixelFormat::Pal8})
            cases.push_back({source, texture});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ImageIntoTexture, QrTextureUploadTest, ::testing::ValuesIn(AllUploadCases()), CaseName);

// Walks two mip chains side by side; false when they differ in length or in a texel.
::testing::AssertionResult SameChain(const plat::Surface* a, const plat::Surface* b)
{
    uint32_t level = 0;
    for (; a && b; a = a->NextMipLevel(), b = b->NextMipLevel(), ++level)
    {
        if (a->Width() != b->Width() || a->Height() != b->Height())
            return ::testing::AssertionFailure() << "level " << level << " differs in size";
        for (uint32_t y = 0; y < a->Height(); ++y)
        {
            for (uint32_t x = 0; x < a->Width(); ++x)
            {
                if (TexelAt(*a, x, y) != TexelAt(*b, x, y))
                    return ::testing::AssertionFailure() << "level " << level << " differs at " << x << ", " << y;
            }
        }
    }
    if (a || b)
        return ::testing::AssertionFailure() << "chains differ in length after " << level << " levels";
    return ::testing::AssertionSuccess();
}

class QrTextureMipTest : public QrTextureCacheTest
{
protected:
    QrPointer<QrDDImage> MipImage()
    {
        return RgbImage(
            8, 8, [](uint32_t x, uint32_t y) { return (x * 32) << 16 | (y * 32) << 8 | 0x40; }, 1);
    }
    const plat::Surface* SourceLevel(QrDDImage& image, uint32_t level)
    {
        plat::Surface* top = nullptr;
        EXPECT_TRUE(image.GetSurfaceFor(m_renderer.Get(), QrDDImage::kKindTextureSource, top));
        const plat::Surface* s = top;
        for (uint32_t i = 0; s && i < level; ++i)
            s = s->NextMipLevel();
        return s;
    }
};

TEST_F(QrTextureMipTest, EveryLevelOfTheChainIsUploaded)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> image = MipImage();
    ASSERT_TRUE(Use(image.Get()));
    const QrTextureRecord* record = Record(image.Get());
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->m_flags & QrTextureRecord::kFlagMipmapped);
    EXPECT_TRUE(record->m_key & 0x100);
    const plat::Surface* source = SourceLevel(*image, 0);
    ASSERT_NE(source->NextMipLevel(), nullptr);
    EXPECT_TRUE(SameChain(record->m_texture.get(), source));
    // The averaged levels really differ from a plain copy of the top.
    EXPECT_NE(TexelAt(*source->NextMipLevel(), 1, 1), TexelAt(*source, 1, 1));
}

TEST_F(QrTextureMipTest, ReductionLevelSkipsTopLevels)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> image = MipImage();
    m_renderer->SetUserWord(1);
    ASSERT_TRUE(m_renderer->PrepareTexture(image.Get(), 1, 0, 0));
    EXPECT_TRUE(SameChain(TextureOf(image.Get()), SourceLevel(*image, 1)));
    EXPECT_EQ(TextureOf(image.Get())->Width(), 4u);

    // Deeper than the chain: its last level.
    ASSERT_TRUE(m_renderer->ReleaseObjectTextures(image.Get()));
    m_renderer->SetUserWord(9);
    ASSERT_TRUE(m_renderer->PrepareTexture(image.Get(), 1, 0, 0));
    EXPECT_TRUE(SameChain(TextureOf(image.Get()), SourceLevel(*image, 2)));
    EXPECT_EQ(TextureOf(image.Get())->Width(), 2u);
}

TEST_F(QrTextureMipTest, ImagesLargerThanTheDeviceTakesStartLowerInTheChain)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).caps.maxTextureWidth = 4;
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> image = MipImage();
    ASSERT_TRUE(Use(image.Get()));
    EXPECT_TRUE(SameChain(TextureOf(image.Get()), SourceLevel(*image, 1)));
    // Without lower levels the picture is taken as it is.
    QrPointer<QrDDImage> plain = FlatImage(8, 8);
    ASSERT_TRUE(Use(plain.Get()));
    EXPECT_EQ(TextureOf(plain.Get())->Width(), 8u);
}

TEST_F(QrTextureCacheTest, SquareOnlyDeviceStretchesIntoASquareTexture)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).caps.textureCaps |= plat::kTextureCapsSquareOnly;
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(m_renderer->GetDeviceFlags() & QrD3DDevice::kCapSquareOnly);
    ASSERT_TRUE(Manager().UsesScaledUpload());
    // Colour by the texel each source pixel lands in: 4 x 1 blocks across, 1 x 4 blocks down.
    auto colour = [](uint32_t x, uint32_t y) { return (x * 4) << 16 | (y * 4) << 8 | 0x80; };
    QrPointer<QrDDImage> wide = RgbImage(256, 64, [&](uint32_t x, uint32_t y) { return colour(x / 4, y); });
    QrPointer<QrDDImage> tall = RgbImage(64, 256, [&](uint32_t x, uint32_t y) { return colour(x, y / 4); });
    for (QrDDImage* image : {wide.Get(), tall.Get()})
    {
        ASSERT_TRUE(Use(image));
        const QrTextureRecord* record = Record(image);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->m_key & 0xFF, 0x66u);
        const plat::Surface& texture = *record->m_texture;
        ASSERT_EQ(texture.Width(), 64u);
        ASSERT_EQ(texture.Height(), 64u);
        uint32_t wrong = 0;
        for (uint32_t y = 0; y < 64; ++y)
        {
            for (uint32_t x = 0; x < 64; ++x)
                wrong += TexelAt(texture, x, y) != plat::PackColor(PixelFormat::Rgb565, 0xFF000000u | colour(x, y));
        }
        EXPECT_EQ(wrong, 0u);
    }
}

} // namespace
