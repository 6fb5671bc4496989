#include "ImageTestRig.h"

#include "QrRawImageData.h"

#include "TestFiles.h"
#include "gen/GenImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace
{

using plat::PixelFormat;

// The picture a sample file must give, from the generator that wrote it.
const gen::ImageSample& Sample(const std::string& name)
{
    static const std::vector<gen::ImageSample> samples = gen::MakeImageSamples();
    const auto it = std::find_if(samples.begin(), samples.end(),
                                 [&](const gen::ImageSample& s) { return s.file == "Data/Engine/Images/" + name; });
    if (it == samples.end())
        throw std::runtime_error("no sample " + name);
    return *it;
}

std::string SamplePath(const std::string& name)
{
    return testfiles::DataDir() + "/Data/Engine/Images/" + name;
}

// What pixel (x, y) of a picture becomes in a masked format: index 0 is the all-zero pixel,
// other colours are packed with opaque alpha unless the picture has alpha of its own.
uint32_t Expected(const QrImagePixels& picture, uint32_t x, uint32_t y, PixelFormat format)
{
    const uint8_t* p = picture.GetRow(y) + x * picture.GetBytesPerPixel();
    uint32_t r = p[0], g = 0, b = 0, a = 255;
    if (picture.GetFormat() == QrImagePixels::kFormatPalettized)
    {
        if (p[0] == 0)
            return 0;
        const uint8_t* e = picture.GetPalette() + 4 * p[0];
        r = e[0];
        g = e[1];
        b = e[2];
    }
    else
    {
        g = p[1];
        b = p[2];
        if (picture.GetFormat() == QrImagePixels::kFormatRGBA)
            a = p[3];
    }
    return plat::PackColor(format, (a << 24) | (r << 16) | (g << 8) | b);
}

// keep: the bits of each expected pixel that the surface holds (a copy made from a format
// without alpha has its alpha bits 0).
void ExpectPicture(const plat::Surface& surface, const QrImagePixels& picture, PixelFormat format,
                   uint32_t keep = 0xFFFFFFFFu)
{
    ASSERT_EQ(surface.Format(), format);
    ASSERT_EQ(surface.Width(), picture.GetWidth());
    ASSERT_EQ(surface.Height(), picture.GetHeight());
    for (uint32_t y = 0; y < picture.GetHeight(); ++y)
        for (uint32_t x = 0; x < picture.GetWidth(); ++x)
            ASSERT_EQ(PixelAt(surface, x, y), Expected(picture, x, y, format) & keep) << x << "," << y;
}

std::vector<plat::PaletteEntry> EntriesOf(const QrImagePixels& picture)
{
    std::vector<plat::PaletteEntry> entries(256);
    for (uint32_t i = 0; i < 256; ++i)
    {
        const uint8_t* e = picture.GetPalette() + 4 * i;
        entries[i] = {e[0], e[1], e[2], 0};
    }
    return entries;
}

// A 4 x 3 RGB picture whose pixels all differ; pixel (1, 1) is black.
QrPointer<QrRawImageData> SmallPicture(uint8_t seed = 0)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    raw->AllocatePixels(QrImagePixels::kFormatRGB, 4, 3);
    for (uint32_t i = 0; i < 12; ++i)
    {
        uint8_t* p = raw->GetPixels() + 3 * i;
        p[0] = static_cast<uint8_t>(16 * i + seed);
        p[1] = static_cast<uint8_t>(200 - 8 * i);
        p[2] = static_cast<uint8_t>(40 + seed);
    }
    std::fill_n(raw->GetPixels() + 3 * 5, 3, uint8_t{0});
    return raw;
}

// One channel of a 16-bit 565 pixel by its mask and shift.
uint32_t Field(uint32_t pixel, uint32_t mask, uint32_t shift)
{
    return (pixel & mask) >> shift;
}

class QrDDImageTest : public ImageTest
{
protected:
    QrPointer<QrDDImage> MakeImage(const std::string& sample, uint32_t kind = 0)
    {
        QrPointer<QrImage> image = QrImage::CreateFromFile(SamplePath(sample).c_str(), kind);
        return QrDynamicCast<QrDDImage>(image.Get());
    }
    QrPointer<QrDDImage> MakeRawImage(QrPointer<QrRawImageData> raw, uint32_t kind = 0)
    {
        QrPointer<QrImage> image = QrImage::CreateFromRawData(std::move(raw), kind);
        return QrDynamicCast<QrDDImage>(image.Get());
    }
    plat::Surface* SurfaceFor(QrDDImage& image, uint32_t kind)
    {
        plat::Surface* surface = nullptr;
        EXPECT_TRUE(image.GetSurfaceFor(m_render.Get(), kind, surface)) << QrImage::GetErrorCode();
        return surface;
    }
};

} // namespace

// ---------------------------------------------------------------- format choice

TEST(QrDDImageFormatChoice, PreferredFormatPerSourceDepth)
{
    const QrPixelFormat pal = FormatOf(PixelFormat::Pal8);
    const QrPixelFormat rgb = FormatOf(PixelFormat::Rgb565);
    const QrPixelFormat a4 = FormatOf(PixelFormat::Argb4444);
    const QrPixelFormat a8 = FormatOf(PixelFormat::Argb8888);
    const QrPixelFormat list[] = {a4, rgb, pal, a8};
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(8, false, list, 4), &list[2]);
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(8, true, list, 4), &list[1]);
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(24, false, list, 4), &list[1]);
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(32, false, list, 4), &list[0]);
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(16, false, list, 4), nullptr);
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(24, false, list, 0), nullptr);
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(24, false, nullptr, 3), nullptr);
}

TEST(QrDDImageFormatChoice, FallbackIsTheLastLaterFormatThatQualifies)
{
    const QrPixelFormat pal = FormatOf(PixelFormat::Pal8);
    const QrPixelFormat rgb = FormatOf(PixelFormat::Rgb565);
    const QrPixelFormat x8 = FormatOf(PixelFormat::Xrgb8888);
    const QrPixelFormat a4 = FormatOf(PixelFormat::Argb4444);
    const QrPixelFormat a8 = FormatOf(PixelFormat::Argb8888);

    // 8 bits without mipmaps: formats without alpha replace the first one.
    const QrPixelFormat noPal[] = {a4, rgb, a8, x8, a4};
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(8, false, noPal, 5), &noPal[3]);
    const QrPixelFormat onlyAlpha[] = {a4, a8};
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(8, false, onlyAlpha, 2), &onlyAlpha[0]);
    // 8 bits with mipmaps and 24 bits: formats that are not palettised.
    const QrPixelFormat palFirst[] = {pal, a4, pal, a8, pal};
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(8, true, palFirst, 5), &palFirst[3]);
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(24, false, palFirst, 5), &palFirst[3]);
    const QrPixelFormat justPal[] = {pal};
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(24, false, justPal, 1), &justPal[0]);
    // 32 bits: the first with alpha, else the last that is not palettised.
    const QrPixelFormat opaque[] = {rgb, pal, x8, pal};
    EXPECT_EQ(QrDDImage::ChooseTextureFormat(32, false, opaque, 4), &opaque[2]);
}

TEST(QrDDImageFormatChoice, MatchingFormatFollowsTheSourceFormat)
{
    const QrPixelFormat pal = FormatOf(PixelFormat::Pal8);
    const QrPixelFormat rgb = FormatOf(PixelFormat::Rgb565);
    const QrPixelFormat a4 = FormatOf(PixelFormat::Argb4444);
    const QrPixelFormat list[] = {a4, pal, rgb};
    EXPECT_EQ(QrDDImage::ChooseMatchingFormat(pal, false, list, 3), &list[1]);
    EXPECT_EQ(QrDDImage::ChooseMatchingFormat(pal, true, list, 3), &list[2]);
    EXPECT_EQ(QrDDImage::ChooseMatchingFormat(FormatOf(PixelFormat::Argb1555), false, list, 3), &list[0]);
    EXPECT_EQ(QrDDImage::ChooseMatchingFormat(FormatOf(PixelFormat::Xrgb8888), false, list, 3), &list[2]);
}

// ---------------------------------------------------------------- images from files

TEST_F(QrDDImageTest, HookMakesImagesPreparedForTheRegisteredRenderer)
{
    QrImage::AddRenderer(m_render.Get(), QrDDImage::kKindTextureSource);
    const uint32_t before = QrDDImage::GetLiveImageCount();
    QrPointer<QrDDImage> image = MakeImage("bmp24_topdown.bmp");
    ASSERT_TRUE(image);
    EXPECT_EQ(QrDDImage::GetLiveImageCount(), before + 1);
    EXPECT_TRUE(image->GetFlags() & QrDDImage::kFlagHasSurfaces);
    plat::Surface* base = nullptr;
    ASSERT_TRUE(image->GetSurface(base));
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(base->Caps() & plat::kCapsSystemMemory);
    EXPECT_TRUE(base->Caps() & plat::kCapsTexture);
    EXPECT_EQ(image->GetWidth(), 5u);
    EXPECT_EQ(image->GetHeight(), 3u);
    image = nullptr;
    EXPECT_EQ(QrDDImage::GetLiveImageCount(), before);
}

TEST_F(QrDDImageTest, ImageThatCannotBePreparedIsNotMade)
{
    QrImage::AddRenderer(m_render.Get(), QrDDImage::kKindTextureSource);
    const uint32_t before = QrDDImage::GetLiveImageCount();
    EXPECT_FALSE(QrImage::CreateFromFile(SamplePath("no_such_file.bmp").c_str(), 0));
    EXPECT_EQ(QrImage::GetErrorCode(), QrImage::kErrorReadFailed);
    m_injector.FailCall(plat::Operation::CreateSurface, 1, plat::Result::OutOfMemory);
    EXPECT_FALSE(QrImage::CreateFromFile(SamplePath("bmp24_topdown.bmp").c_str(), 0));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorDisplayCall);
    EXPECT_EQ(QrDDImage::GetLiveImageCount(), before);
}

TEST_F(QrDDImageTest, SampleFilesLandInTheFormatTheirDepthChooses)
{
    // Textures offered: 565, 4444, 8888. 8 and 24 bits take 565, 32 bits the first alpha format.
    struct Case
    {
        const char* file;
        PixelFormat format;
    };
    const Case cases[] = {
        {"bmp8_bottomup.bmp", PixelFormat::Rgb565}, {"bmp8_topdown.bmp", PixelFormat::Rgb565},
        {"bmp4_bottomup.bmp", PixelFormat::Rgb565}, {"bmp24_bottomup.bmp", PixelFormat::Rgb565},
        {"CAPS24.BMP", PixelFormat::Rgb565},        {"bmp32_topdown.bmp", PixelFormat::Argb4444},
        {"tga1_map24.tga", PixelFormat::Rgb565},    {"tga1_map32_top.tga", PixelFormat::Argb4444},
        {"tga2_24.tga", PixelFormat::Rgb565},       {"tga10_32_top.tga", PixelFormat::Argb4444},
        {"tga3_grey.tga", PixelFormat::Rgb565},     {"sgi_z1.int", PixelFormat::Rgb565},
        {"sgi_rle_z3.rgb", PixelFormat::Rgb565},    {"sgi_z4.rgba", PixelFormat::Argb4444},
        {"raw_indexed.qrf", PixelFormat::Rgb565},   {"raw_rgba.qrf", PixelFormat::Argb4444},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        QrPointer<QrDDImage> image = MakeImage(c.file);
        ASSERT_TRUE(image);
        const plat::Surface* surface = SurfaceFor(*image, QrDDImage::kKindTextureSource);
        ASSERT_NE(surface, nullptr);
        ExpectPicture(*surface, Sample(c.file).expected, c.format);
    }
}

TEST_F(QrDDImageTest, EightBitImageInAPalettisedFormatKeepsItsIndicesAndPalette)
{
    m_render->m_textureFormats = {FormatOf(PixelFormat::Rgb565), FormatOf(PixelFormat::Pal8)};
    QrPointer<QrDDImage> image = MakeImage("bmp8_bottomup.bmp");
    const plat::Surface* surface = SurfaceFor(*image, QrDDImage::kKindTextureSource);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->Format(), PixelFormat::Pal8);
    const QrImagePixels& picture = Sample("bmp8_bottomup.bmp").expected;
    for (uint32_t y = 0; y < picture.GetHeight(); ++y)
        for (uint32_t x = 0; x < picture.GetWidth(); ++x)
            ASSERT_EQ(PixelAt(*surface, x, y), picture.GetRow(y)[x]);
    const plat::Palette* palette = surface->AttachedPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Entry(77).red, picture.GetPalette()[4 * 77]);
    EXPECT_EQ(palette->Entry(77).blue, picture.GetPalette()[4 * 77 + 2]);
    EXPECT_EQ(image->GetOwnPaletteRecord(), image->GetBaseRecord());
    EXPECT_EQ(image->GetDisplayPaletteRecord(), nullptr);
    EXPECT_FALSE(image->GetFlags() & QrDDImage::kFlagDisplayPalette);
    EXPECT_TRUE(image->GetConvertedRecords().empty());
}

TEST_F(QrDDImageTest, PaletteEqualToTheDisplayPaletteIsShared)
{
    m_render->m_textureFormats = {FormatOf(PixelFormat::Pal8)};
    std::vector<plat::PaletteEntry> entries = EntriesOf(Sample("bmp8_topdown.bmp").expected);
    QrPalette* display = InstallDisplayPalette(entries.data());

    QrPointer<QrDDImage> shared = MakeImage("bmp8_topdown.bmp");
    const plat::Surface* surface = SurfaceFor(*shared, QrDDImage::kKindTextureSource);
    ASSERT_NE(surface, nullptr);
    EXPECT_TRUE(shared->GetFlags() & QrDDImage::kFlagDisplayPalette);
    EXPECT_EQ(surface->AttachedPalette(), display->CreateDDPalette().get());
    EXPECT_EQ(shared->GetDisplayPaletteRecord(), shared->GetBaseRecord());

    // One differing entry: the image carries a palette of its own.
    entries[200].green ^= 1;
    display = InstallDisplayPalette(entries.data());
    QrPointer<QrDDImage> own = MakeImage("bmp8_topdown.bmp");
    surface = SurfaceFor(*own, QrDDImage::kKindTextureSource);
    ASSERT_NE(surface, nullptr);
    EXPECT_FALSE(own->GetFlags() & QrDDImage::kFlagDisplayPalette);
    ASSERT_NE(surface->AttachedPalette(), nullptr);
    EXPECT_NE(surface->AttachedPalette(), display->CreateDDPalette().get());
    EXPECT_EQ(surface->AttachedPalette()->Entry(200).green, entries[200].green ^ 1);
    EXPECT_EQ(own->GetDisplayPaletteRecord(), nullptr);
}

TEST_F(QrDDImageTest, TrueColourImageInAPalettisedFormatIsMappedToTheDisplayPalette)
{
    m_render->m_textureFormats = {FormatOf(PixelFormat::Pal8)};
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    plat::Surface* surface = nullptr;
    EXPECT_FALSE(image->GetSurfaceFor(m_render.Get(), 0, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNoDisplayPalette);

    plat::PaletteEntry entries[256];
    plat::SystemPaletteEntries(entries);
    QrPalette* display = InstallDisplayPalette(entries);
    surface = SurfaceFor(*image, QrDDImage::kKindTextureSource);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->AttachedPalette(), display->CreateDDPalette().get());
    EXPECT_EQ(PixelAt(*surface, 1, 1), 0u); // black
    const uint8_t* p = image->GetRawData()->GetPixels() + 3 * 6;
    EXPECT_EQ(static_cast<int32_t>(PixelAt(*surface, 2, 1)), display->NearestIndex(p[0], p[1], p[2], 255));
    EXPECT_EQ(image->GetOwnPaletteRecord(), image->GetBaseRecord());
    EXPECT_EQ(image->GetDisplayPaletteRecord(), image->GetBaseRecord());
}

TEST_F(QrDDImageTest, SameFormatAskedTwiceGivesTheSameSurface)
{
    m_render->m_displayFormats = {FormatOf(PixelFormat::Argb4444)};
    QrPointer<QrDDImage> image = MakeImage("tga2_24.tga");
    plat::Surface* texture = SurfaceFor(*image, QrDDImage::kKindTextureSource);
    plat::Surface* display = SurfaceFor(*image, QrDDImage::kKindDisplay);
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(display, nullptr);
    EXPECT_NE(texture, display);
    EXPECT_EQ(display->Format(), PixelFormat::Argb4444);
    ExpectPicture(*display, Sample("tga2_24.tga").expected, PixelFormat::Argb4444, 0x0FFF);
    EXPECT_EQ(image->GetConvertedRecords().size(), 2u);

    // Matched by masks: a list entry that differs in other fields finds the same copy.
    QrPixelFormat other = FormatOf(PixelFormat::Argb4444);
    other.m_kind = 1;
    m_render->m_displayFormats = {other};
    EXPECT_EQ(SurfaceFor(*image, QrDDImage::kKindDisplay), display);
    m_render->m_textureFormats = {other};
    EXPECT_EQ(SurfaceFor(*image, QrDDImage::kKindTextureSource), display);
    EXPECT_EQ(image->GetConvertedRecords().size(), 2u);
}

TEST_F(QrDDImageTest, PalettisedBaseConvertsThroughItsOwnPalette)
{
    m_render->m_textureFormats = {FormatOf(PixelFormat::Pal8)};
    m_render->m_displayFormats = {FormatOf(PixelFormat::Rgb565)};
    QrPointer<QrDDImage> image = MakeImage("bmp8_bottomup.bmp");
    ASSERT_EQ(SurfaceFor(*image, QrDDImage::kKindTextureSource)->Format(), PixelFormat::Pal8);
    const plat::Surface* display = SurfaceFor(*image, QrDDImage::kKindDisplay);
    ASSERT_NE(display, nullptr);
    ExpectPicture(*display, Sample("bmp8_bottomup.bmp").expected, PixelFormat::Rgb565);
}

TEST_F(QrDDImageTest, TrueColourBaseIntoAPalettisedDisplayTakesTheDisplayPalette)
{
    plat::PaletteEntry entries[256];
    plat::SystemPaletteEntries(entries);
    QrPalette* palette = InstallDisplayPalette(entries);
    m_render->m_displayFormats = {FormatOf(PixelFormat::Pal8)};
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    ASSERT_EQ(SurfaceFor(*image, QrDDImage::kKindTextureSource)->Format(), PixelFormat::Rgb565);
    const plat::Surface* display = SurfaceFor(*image, QrDDImage::kKindDisplay);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->AttachedPalette(), palette->CreateDDPalette().get());
    // Remapped from the 565 base: channels widened with zero low bits, then looked up.
    plat::Surface* base = nullptr;
    image->GetSurface(base);
    const uint32_t p = PixelAt(*base, 3, 2);
    const int32_t want = palette->NearestIndex(static_cast<uint8_t>(Field(p, 0xF800, 11) << 3),
                                               static_cast<uint8_t>(Field(p, 0x07E0, 5) << 2),
                                               static_cast<uint8_t>(Field(p, 0x001F, 0) << 3), 255);
    EXPECT_EQ(static_cast<int32_t>(PixelAt(*display, 3, 2)), want);
    EXPECT_EQ(image->GetOwnPaletteRecord(), image->GetDisplayPaletteRecord());
    EXPECT_NE(image->GetOwnPaletteRecord(), image->GetBaseRecord());
    EXPECT_EQ(SurfaceFor(*image, QrDDImage::kKindDisplay), display);
}

// ---------------------------------------------------------------- mipmaps

namespace
{

// The reference box filter of a 565 level.
std::vector<uint32_t> Average565(const plat::Surface& parent, uint32_t width, uint32_t height)
{
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < height; ++y)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t p[4] = {PixelAt(parent, 2 * x, 2 * y), PixelAt(parent, 2 * x + 1, 2 * y),
                                   PixelAt(parent, 2 * x, 2 * y + 1), PixelAt(parent, 2 * x + 1, 2 * y + 1)};
            uint32_t r = 0, g = 0, b = 0;
            for (uint32_t v : p)
            {
                r += Field(v, 0xF800, 11);
                g += Field(v, 0x07E0, 5);
                b += Field(v, 0x001F, 0);
            }
            out.push_back(((r / 4) << 11) | ((g / 4) << 5) | (b / 4));
        }
    }
    return out;
}

} // namespace

TEST_F(QrDDImageTest, MipmappedImageFillsEveryLevelByBoxFilter)
{
    m_render->m_deviceFlags = 0x1;
    QrPointer<QrDDImage> image = MakeImage("texture64x32.bmp", 1); // kind 1 wants mipmaps
    ASSERT_TRUE(image->GetFlags() & QrImage::kFlagMipmaps);
    plat::Surface* top = SurfaceFor(*image, QrDDImage::kKindTextureSource);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(image->GetLevelCount(), 5u);
    plat::SurfaceDesc desc;
    top->GetDesc(desc);
    EXPECT_EQ(desc.mipCount, 5u);
    ExpectPicture(*top, Sample("texture64x32.bmp").expected, PixelFormat::Rgb565);

    std::shared_ptr<plat::Surface> level;
    const plat::Surface* parent = top;
    uint32_t levels = 1;
    while (parent->GetAttachedSurface(plat::kCapsMipmap, level) == plat::Result::Ok)
    {
        ++levels;
        const std::vector<uint32_t> want = Average565(*parent, level->Width(), level->Height());
        for (uint32_t y = 0; y < level->Height(); ++y)
            for (uint32_t x = 0; x < level->Width(); ++x)
                ASSERT_EQ(PixelAt(*level, x, y), want[y * level->Width() + x]) << levels << ": " << x << "," << y;
        parent = level.get();
    }
    EXPECT_EQ(levels, 5u);
}

TEST_F(QrDDImageTest, MipmapsNeedBothTheDeviceAndTheImage)
{
    QrPointer<QrDDImage> wanted = MakeImage("texture64x32.bmp", 1);
    EXPECT_FALSE(SurfaceFor(*wanted, 0)->Caps() & plat::kCapsMipmap);
    m_render->m_deviceFlags = 0x1;
    QrPointer<QrDDImage> notWanted = MakeImage("texture64x32.bmp", 0);
    EXPECT_FALSE(SurfaceFor(*notWanted, 0)->Caps() & plat::kCapsMipmap);
    // A mipmapped image never takes a palettised format when another exists.
    m_render->m_textureFormats = {FormatOf(PixelFormat::Pal8), FormatOf(PixelFormat::Argb4444)};
    QrPointer<QrDDImage> indexed = MakeImage("bmp8_topdown.bmp", 1);
    const plat::Surface* surface = SurfaceFor(*indexed, 0);
    EXPECT_EQ(surface->Format(), PixelFormat::Argb4444);
}

TEST_F(QrDDImageTest, ConvertedChainFollowsTheBaseChainLevelByLevel)
{
    m_render->m_deviceFlags = 0x1;
    QrPointer<QrDDImage> image = MakeImage("texture64x32.bmp", 1);
    plat::Surface* base = SurfaceFor(*image, 0);
    m_render->m_textureFormats = {FormatOf(PixelFormat::Argb4444)};
    plat::Surface* copy = SurfaceFor(*image, 0);
    ASSERT_NE(copy, base);
    ASSERT_TRUE(copy->Caps() & plat::kCapsMipmap);
    // Level 3 of the copy is level 3 of the base, converted (not filtered again in 4444).
    std::shared_ptr<plat::Surface> b = nullptr, c = nullptr;
    const plat::Surface* bl = base;
    const plat::Surface* cl = copy;
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(bl->GetAttachedSurface(plat::kCapsMipmap, b), plat::Result::Ok);
        ASSERT_EQ(cl->GetAttachedSurface(plat::kCapsMipmap, c), plat::Result::Ok);
        bl = b.get();
        cl = c.get();
    }
    for (uint32_t y = 0; y < bl->Height(); ++y)
    {
        for (uint32_t x = 0; x < bl->Width(); ++x)
        {
            const uint32_t p = PixelAt(*bl, x, y);
            const uint32_t want = ((Field(p, 0xF800, 11) << 3 >> 4) << 8) | ((Field(p, 0x07E0, 5) << 2 >> 4) << 4) |
                                  (Field(p, 0x001F, 0) << 3 >> 4);
            ASSERT_EQ(PixelAt(*cl, x, y), want);
        }
    }
}

TEST_F(QrDDImageTest, MipmappedCopyOfAPlainBaseIsFilteredInItsOwnFormat)
{
    QrPointer<QrDDImage> image = MakeImage("texture64x32.bmp", 1);
    plat::Surface* base = SurfaceFor(*image, 0);
    ASSERT_FALSE(base->Caps() & plat::kCapsMipmap);
    m_render->m_deviceFlags = 0x1;
    m_render->m_textureFormats = {FormatOf(PixelFormat::Xrgb8888)};
    plat::Surface* copy = SurfaceFor(*image, 0);
    ASSERT_TRUE(copy->Caps() & plat::kCapsMipmap);
    std::shared_ptr<plat::Surface> level1;
    ASSERT_EQ(copy->GetAttachedSurface(plat::kCapsMipmap, level1), plat::Result::Ok);
    uint32_t red = 0;
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 2; ++x)
            red += (PixelAt(*copy, 2 + x, 4 + y) >> 16) & 0xFF;
    EXPECT_EQ((PixelAt(*level1, 1, 2) >> 16) & 0xFF, red / 4);
}

TEST_F(QrDDImageTest, BuildMipmapsRefusesPalettisedAndOddDepths)
{
    std::shared_ptr<plat::Surface> surface = MakeSurface(4, 4, PixelFormat::Rgb565);
    EXPECT_FALSE(QrDDImage::BuildMipmaps(surface.get(), FormatOf(PixelFormat::Pal8)));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorMipmapPalettised);
    QrPixelFormat odd = FormatOf(PixelFormat::Rgb565);
    odd.m_bitsPerPixel = 12;
    EXPECT_FALSE(QrDDImage::BuildMipmaps(surface.get(), odd));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorDepth);
    // A surface without lower levels is complete as it is.
    EXPECT_TRUE(QrDDImage::BuildMipmaps(surface.get(), FormatOf(PixelFormat::Rgb565)));
}

// ---------------------------------------------------------------- reloads

TEST_F(QrDDImageTest, ReloadRefillsTheBaseAndRefreshesCopies)
{
    m_render->m_displayFormats = {FormatOf(PixelFormat::Argb4444)};
    QrPointer<QrRawImageData> raw = SmallPicture(0);
    QrRawImageData* rawData = raw.Get();
    QrPointer<QrDDImage> image = MakeRawImage(raw);
    plat::Surface* base = SurfaceFor(*image, 0);
    plat::Surface* copy = SurfaceFor(*image, 1);
    const uint32_t revision = image->GetPixelRevision();

    QrPointer<QrRawImageData> next = SmallPicture(9);
    std::copy_n(next->GetPixels(), 36, rawData->GetPixels());
    ASSERT_TRUE(image->LoadFromRawData());
    EXPECT_GT(image->GetPixelRevision(), revision);
    ExpectPicture(*base, next->GetBuffer(), PixelFormat::Rgb565);
    EXPECT_EQ(SurfaceFor(*image, 1), copy);
    ExpectPicture(*copy, next->GetBuffer(), PixelFormat::Argb4444, 0x0FFF);
}

TEST_F(QrDDImageTest, DrawingIntoTheBaseRefreshesCopiesOnItsRevision)
{
    m_render->m_displayFormats = {FormatOf(PixelFormat::Xrgb8888)};
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    plat::Surface* base = SurfaceFor(*image, 0);
    plat::Surface* copy = SurfaceFor(*image, 1);
    SetPixelAt(*base, 0, 0, 0xF800);
    EXPECT_NE(PixelAt(*SurfaceFor(*image, 1), 0, 0), 0xF80000u); // unchanged until the revision says so
    image->RaisePixelRevision();
    EXPECT_EQ(SurfaceFor(*image, 1), copy);
    EXPECT_EQ(PixelAt(*copy, 0, 0), 0xF80000u);
}

TEST_F(QrDDImageTest, ReloadNeedsItsSourceABaseAndTheSameSize)
{
    QrPointer<QrDDImage> unprepared = MakeImage("bmp24_topdown.bmp");
    EXPECT_FALSE(unprepared->LoadFromRawData());
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNoSource);
    EXPECT_FALSE(unprepared->LoadFromFile());
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNoRenderer);
    SurfaceFor(*unprepared, 0);
    EXPECT_TRUE(unprepared->LoadFromFile());

    QrPointer<QrRawImageData> raw = SmallPicture();
    QrRawImageData* rawData = raw.Get();
    QrPointer<QrDDImage> image = MakeRawImage(raw);
    EXPECT_FALSE(image->LoadFromFile());
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNoSource);
    plat::Surface* base = SurfaceFor(*image, 0);
    const uint32_t before = PixelAt(*base, 0, 0);
    rawData->AllocatePixels(QrImagePixels::kFormatRGB, 3, 4);
    EXPECT_FALSE(image->LoadFromRawData());
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorSize);
    EXPECT_EQ(PixelAt(*base, 0, 0), before);
}

// ---------------------------------------------------------------- failures

TEST_F(QrDDImageTest, SurfaceRequestsFailWithTheirCodes)
{
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    plat::Surface* surface = nullptr;
    EXPECT_FALSE(image->GetSurfaceFor(m_render.Get(), 2, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorKind);

    QrDDImage::SetCurrentRenderer(nullptr);
    EXPECT_FALSE(image->GetSurfaceFor(nullptr, 0, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNoRenderer);
    QrDDImage::SetCurrentRenderer(m_render.Get());

    QrDDImage::SetDirectDraw(nullptr);
    EXPECT_FALSE(image->GetSurfaceFor(nullptr, 0, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNoDisplay);
    QrDDImage::SetDirectDraw(m_display);

    m_render->m_textureFormats.clear();
    EXPECT_FALSE(image->GetSurfaceFor(nullptr, 0, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNothingToConvert);

    QrPointer<QrDDImage> empty = static_cast<QrDDImage*>(QrDDImage::Create(0));
    EXPECT_FALSE(empty->GetSurfaceFor(nullptr, 1, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorNothingToConvert);
    EXPECT_TRUE(empty->GetSurface(surface));
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(image->GetBaseRecord(), nullptr);
}

TEST_F(QrDDImageTest, FailedLockLeavesNoHalfMadeBase)
{
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    m_injector.FailCall(plat::Operation::Lock, 1, plat::Result::Failed);
    plat::Surface* surface = nullptr;
    EXPECT_FALSE(image->GetSurfaceFor(nullptr, 0, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorDisplayCall);
    EXPECT_EQ(image->GetBaseRecord(), nullptr);
    EXPECT_TRUE(image->GetConvertedRecords().empty());
    // Busy answers are asked again.
    m_injector.FailCall(plat::Operation::Lock, 1, plat::Result::Busy, 3);
    EXPECT_NE(SurfaceFor(*image, 0), nullptr);
    ExpectPicture(*SurfaceFor(*image, 0), image->GetRawData()->GetBuffer(), PixelFormat::Rgb565);
}

TEST_F(QrDDImageTest, FailedCopyKeepsTheBase)
{
    m_render->m_displayFormats = {FormatOf(PixelFormat::Argb8888)};
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    plat::Surface* base = SurfaceFor(*image, 0);
    m_injector.FailCall(plat::Operation::CreateSurface, 1, plat::Result::OutOfMemory);
    plat::Surface* surface = nullptr;
    EXPECT_FALSE(image->GetSurfaceFor(nullptr, 1, surface));
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorDisplayCall);
    EXPECT_EQ(image->GetConvertedRecords().size(), 1u);
    plat::Surface* still = nullptr;
    image->GetSurface(still);
    EXPECT_EQ(still, base);
    EXPECT_NE(SurfaceFor(*image, 1), nullptr);
}

// ---------------------------------------------------------------- lost surfaces

TEST_F(QrDDImageTest, RestoredImagesGetTheirPixelsBack)
{
    m_render->m_displayFormats = {FormatOf(PixelFormat::Argb4444)};
    QrPointer<QrDDImage> fromFile = MakeImage("tga2_24.tga");
    QrPointer<QrDDImage> fromRaw = MakeRawImage(SmallPicture());
    plat::Surface* fileBase = SurfaceFor(*fromFile, 0);
    plat::Surface* fileCopy = SurfaceFor(*fromFile, 1);
    plat::Surface* rawBase = SurfaceFor(*fromRaw, 0);

    m_display->LoseAllSurfaces();
    EXPECT_EQ(fileBase->IsLost(), plat::Result::SurfaceLost);
    ASSERT_TRUE(QrDDImage::RestoreAllSurfaces());
    EXPECT_EQ(fileBase->IsLost(), plat::Result::Ok);
    EXPECT_EQ(fileCopy->IsLost(), plat::Result::Ok);
    ExpectPicture(*fileBase, Sample("tga2_24.tga").expected, PixelFormat::Rgb565);
    ExpectPicture(*rawBase, fromRaw->GetRawData()->GetBuffer(), PixelFormat::Rgb565);
    EXPECT_EQ(SurfaceFor(*fromFile, 1), fileCopy);
    ExpectPicture(*fileCopy, Sample("tga2_24.tga").expected, PixelFormat::Argb4444, 0x0FFF);
}

TEST_F(QrDDImageTest, ReloadOfALostImageRestoresEveryImageFirst)
{
    // Restoring reads the other images' sources too; the reload must not use pixels read before.
    for (const bool fromFile : {false, true})
    {
        SCOPED_TRACE(fromFile ? "file" : "raw");
        QrPointer<QrDDImage> first = fromFile ? MakeImage("tga2_24.tga") : MakeRawImage(SmallPicture(1));
        QrPointer<QrDDImage> second = fromFile ? MakeImage("sgi_z3.rgb") : MakeRawImage(SmallPicture(2));
        plat::Surface* one = SurfaceFor(*first, 0);
        plat::Surface* two = SurfaceFor(*second, 0);
        m_display->LoseAllSurfaces();
        ASSERT_TRUE(fromFile ? first->LoadFromFile() : first->LoadFromRawData());
        EXPECT_EQ(two->IsLost(), plat::Result::Ok);
        ExpectPicture(*one, fromFile ? Sample("tga2_24.tga").expected : first->GetRawData()->GetBuffer(),
                      PixelFormat::Rgb565);
        ExpectPicture(*two, fromFile ? Sample("sgi_z3.rgb").expected : second->GetRawData()->GetBuffer(),
                      PixelFormat::Rgb565);
    }
}

TEST_F(QrDDImageTest, MipChainIsRestoredThroughItsTop)
{
    m_render->m_deviceFlags = 0x1;
    QrPointer<QrDDImage> image = MakeImage("texture64x32.bmp", 1);
    plat::Surface* top = SurfaceFor(*image, 0);
    std::shared_ptr<plat::Surface> level1;
    ASSERT_EQ(top->GetAttachedSurface(plat::kCapsMipmap, level1), plat::Result::Ok);
    const uint32_t before = PixelAt(*level1, 5, 3);
    m_display->LoseAllSurfaces();
    ASSERT_TRUE(QrDDImage::RestoreAllSurfaces());
    EXPECT_EQ(level1->IsLost(), plat::Result::Ok);
    EXPECT_EQ(PixelAt(*level1, 5, 3), before);
}

TEST_F(QrDDImageTest, FailedRestoreIsReported)
{
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    SurfaceFor(*image, 0);
    m_display->LoseAllSurfaces();
    m_injector.FailCall(plat::Operation::Restore, 1, plat::Result::Failed);
    EXPECT_FALSE(QrDDImage::RestoreAllSurfaces());
    EXPECT_EQ(QrImage::GetErrorCode(), QrDDImage::kErrorDisplayCall);
    EXPECT_TRUE(QrDDImage::RestoreAllSurfaces());
}

TEST_F(QrDDImageTest, ReleasedSurfacesAreMadeAgainOnDemand)
{
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    SurfaceFor(*image, 0);
    ASSERT_TRUE(QrDDImage::ReleaseAllSurfaces());
    EXPECT_EQ(image->GetBaseRecord(), nullptr);
    EXPECT_FALSE(image->GetFlags() & QrDDImage::kFlagHasSurfaces);
    const plat::Surface* again = SurfaceFor(*image, 0);
    ASSERT_NE(again, nullptr);
    ExpectPicture(*again, image->GetRawData()->GetBuffer(), PixelFormat::Rgb565);
}

// ---------------------------------------------------------------- texture map and teardown

TEST_F(QrDDImageTest, TextureMapKeepsOneRecordPerKey)
{
    QrPointer<QrDDImage> a = static_cast<QrDDImage*>(QrDDImage::Create(0));
    QrPointer<QrDDImage> b = static_cast<QrDDImage*>(QrDDImage::Create(0));
    auto* r1 = reinterpret_cast<QrTextureRecord*>(uintptr_t{0x10});
    auto* r2 = reinterpret_cast<QrTextureRecord*>(uintptr_t{0x20});
    auto* r3 = reinterpret_cast<QrTextureRecord*>(uintptr_t{0x30});
    a->SetTextureRecord(5, r1);
    a->SetTextureRecord(6, r2);
    a->SetTextureRecord(7, r3);
    b->SetTextureRecord(6, r1);
    EXPECT_EQ(a->GetTextureRecord(5), r1);
    EXPECT_EQ(a->GetTextureRecord(6), r2);
    EXPECT_EQ(a->GetTextureRecord(7), r3);
    EXPECT_EQ(a->GetTextureRecord(8), nullptr);
    a->SetTextureRecord(6, r3);
    EXPECT_EQ(a->GetTextureRecord(6), r3);

    QrDDImage::ForgetTextureKey(5); // the inline entry takes the chain's first node
    EXPECT_EQ(a->GetTextureRecord(5), nullptr);
    EXPECT_EQ(a->GetTextureRecord(6), r3);
    EXPECT_EQ(a->GetTextureRecord(7), r3);
    QrDDImage::ForgetTextureKey(6);
    EXPECT_EQ(a->GetTextureRecord(6), nullptr);
    EXPECT_EQ(b->GetTextureRecord(6), nullptr);
    EXPECT_EQ(a->GetTextureRecord(7), r3);
    QrDDImage::ForgetTextureKey(7);
    EXPECT_EQ(a->GetTextureRecord(7), nullptr);
    a->SetTextureRecord(9, r2); // the emptied inline place is taken again
    EXPECT_EQ(a->GetTextureRecord(9), r2);
}

namespace
{
std::vector<const QrDDImage*> g_released;
void RecordRelease(QrDDImage* image)
{
    g_released.push_back(image);
}
} // namespace

TEST_F(QrDDImageTest, DestroyedImageAsksTheTextureManagersToLetGo)
{
    g_released.clear();
    QrDDImage::SetReleaseTexturesHook(&RecordRelease);
    QrPointer<QrDDImage> image = MakeRawImage(SmallPicture());
    SurfaceFor(*image, 0);
    const QrDDImage* gone = image.Get();
    image = nullptr;
    ASSERT_EQ(g_released.size(), 1u);
    EXPECT_EQ(g_released[0], gone);
}
