#include "ImageTestRig.h"

#include "QrDDBufferImage.h"

#include "DebugOutput.h"

#include <gtest/gtest.h>

#include <array>

namespace
{

std::array<plat::PaletteEntry, 256> Grey()
{
    std::array<plat::PaletteEntry, 256> e;
    for (uint32_t i = 0; i < 256; ++i)
        e[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
    return e;
}

class QrDDBufferImageTest : public ImageTest
{
protected:
    plat::RecordingDebugSink m_debug;

    void SetUp() override
    {
        ImageTest::SetUp();
        plat::SetDebugSink(&m_debug);
    }
    void TearDown() override
    {
        plat::SetDebugSink(nullptr);
        ImageTest::TearDown();
    }
};

} // namespace

TEST_F(QrDDBufferImageTest, WrapsATrueColourSurfaceAsItsBase)
{
    std::shared_ptr<plat::Surface> surface = MakeSurface(32, 24, plat::PixelFormat::Rgb565);
    QrPointer<QrDDBufferImage> image = QrDDBufferImage::Create(surface);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->IsKindOf(&QrDDImage::ms_RTTI));
    EXPECT_EQ(image->GetWidth(), 32u);
    EXPECT_EQ(image->GetHeight(), 24u);
    EXPECT_EQ(image->GetLevelCount(), 1u);
    EXPECT_TRUE(image->GetFlags() & QrDDImage::kFlagHasSurfaces);
    EXPECT_EQ(image->GetTexture(), surface);
    ASSERT_EQ(image->GetConvertedRecords().size(), 1u);
    EXPECT_EQ(image->GetConvertedRecords()[0], image->GetBaseRecord());
    // The display kind is the surface itself: blits onto and from the buffer need no copy.
    plat::Surface* display = nullptr;
    ASSERT_TRUE(image->GetSurfaceFor(nullptr, QrDDImage::kKindDisplay, display));
    EXPECT_EQ(display, surface.get());
    EXPECT_EQ(surface.use_count(), 3); // here, the base record and the texture
    image = nullptr;
    EXPECT_EQ(surface.use_count(), 1);
}

TEST_F(QrDDBufferImageTest, TextureSourceOfAnotherFormatIsConvertedFromTheBuffer)
{
    std::shared_ptr<plat::Surface> surface = MakeSurface(4, 4, plat::PixelFormat::Rgb565);
    SetPixelAt(*surface, 1, 2, 0xF81F);
    QrPointer<QrDDBufferImage> image = QrDDBufferImage::Create(surface);
    m_render->m_textureFormats = {FormatOf(plat::PixelFormat::Xrgb8888)};
    plat::Surface* copy = nullptr;
    ASSERT_TRUE(image->GetSurfaceFor(nullptr, QrDDImage::kKindTextureSource, copy));
    ASSERT_NE(copy, surface.get());
    EXPECT_EQ(PixelAt(*copy, 1, 2), 0xF800F8u);
    // The context raises the buffer's revision each frame: the copy follows.
    SetPixelAt(*surface, 1, 2, 0x07E0);
    image->RaisePixelRevision();
    ASSERT_TRUE(image->GetSurfaceFor(nullptr, QrDDImage::kKindTextureSource, copy));
    EXPECT_EQ(PixelAt(*copy, 1, 2), 0x00FC00u);
}

TEST_F(QrDDBufferImageTest, NullSurfaceGivesNoImage)
{
    EXPECT_FALSE(QrDDBufferImage::Create(nullptr));
}

TEST_F(QrDDBufferImageTest, SurfaceThatIsNoTextureGivesNoImage)
{
    const uint32_t live = QrDDImage::GetLiveImageCount();
    m_injector.FailCall(plat::Operation::QueryTexture, 1, plat::Result::Unsupported);
    EXPECT_FALSE(QrDDBufferImage::Create(MakeSurface(8, 8, plat::PixelFormat::Rgb565)));
    EXPECT_EQ(m_debug.Lines(), std::vector<std::string>{"Query destination texture surface failed"});
    EXPECT_EQ(QrDDImage::GetLiveImageCount(), live);
}

TEST_F(QrDDBufferImageTest, PalettisedBufferWaitsForTheDisplayPalette)
{
    m_render->m_displayFormats = {FormatOf(plat::PixelFormat::Pal8)};
    std::shared_ptr<plat::Surface> surface = MakeSurface(8, 8, plat::PixelFormat::Pal8);
    QrPointer<QrDDBufferImage> image = QrDDBufferImage::Create(surface);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->GetFlags() & QrDDImage::kFlagPalettePending);
    EXPECT_FALSE(image->GetFlags() & QrDDImage::kFlagHasSurfaces);
    EXPECT_EQ(image->GetTexture(), nullptr);
    plat::Surface* display = nullptr;
    EXPECT_FALSE(image->GetSurfaceFor(nullptr, QrDDImage::kKindDisplay, display));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNoDisplayPalette);

    const auto entries = Grey();
    QrPalette* palette = InstallDisplayPalette(entries.data());
    ASSERT_TRUE(image->GetSurfaceFor(nullptr, QrDDImage::kKindDisplay, display));
    EXPECT_EQ(display, surface.get());
    EXPECT_EQ(surface->AttachedPalette(), palette->CreateDDPalette().get());
    EXPECT_FALSE(image->GetFlags() & QrDDImage::kFlagPalettePending);
    EXPECT_TRUE(image->GetFlags() & QrDDImage::kFlagDisplayPalette);
    EXPECT_EQ(image->GetOwnPaletteRecord(), image->GetBaseRecord());
    EXPECT_EQ(image->GetDisplayPaletteRecord(), image->GetBaseRecord());
}

TEST_F(QrDDBufferImageTest, PalettisedBufferWithItsOwnColoursKeepsThem)
{
    auto entries = Grey();
    InstallDisplayPalette(entries.data());
    std::shared_ptr<plat::Surface> same = MakeSurface(8, 8, plat::PixelFormat::Pal8);
    std::shared_ptr<plat::Palette> samePalette;
    ASSERT_EQ(
        m_display->CreatePalette(plat::kPaletteCaps8Bit | plat::kPaletteCapsInitialize, entries.data(), samePalette),
        plat::Result::Ok);
    same->SetPalette(samePalette);
    QrPointer<QrDDBufferImage> sharing = QrDDBufferImage::Create(same);
    ASSERT_TRUE(sharing);
    EXPECT_TRUE(sharing->GetFlags() & QrDDImage::kFlagDisplayPalette);
    EXPECT_EQ(same->AttachedPalette(), samePalette.get()); // equal colours count as the same

    entries[9].red = 1;
    std::shared_ptr<plat::Palette> otherPalette;
    m_display->CreatePalette(plat::kPaletteCaps8Bit | plat::kPaletteCapsInitialize, entries.data(), otherPalette);
    std::shared_ptr<plat::Surface> other = MakeSurface(8, 8, plat::PixelFormat::Pal8);
    other->SetPalette(otherPalette);
    QrPointer<QrDDBufferImage> own = QrDDBufferImage::Create(other);
    ASSERT_TRUE(own);
    EXPECT_FALSE(own->GetFlags() & QrDDImage::kFlagDisplayPalette);
    EXPECT_EQ(own->GetOwnPaletteRecord(), own->GetBaseRecord());
    EXPECT_EQ(own->GetDisplayPaletteRecord(), nullptr);
    EXPECT_NE(own->GetTexture(), nullptr);
}

TEST_F(QrDDBufferImageTest, DisplayPaletteThatCannotBeMadeGivesNoImage)
{
    const auto entries = Grey();
    InstallDisplayPalette(entries.data());
    std::shared_ptr<plat::Surface> surface = MakeSurface(8, 8, plat::PixelFormat::Pal8);
    m_injector.FailCall(plat::Operation::CreatePalette, 1, plat::Result::Failed);
    EXPECT_FALSE(QrDDBufferImage::Create(surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorDisplayCall);
}
