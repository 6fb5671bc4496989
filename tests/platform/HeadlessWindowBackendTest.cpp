#include "DisplayTestSupport.h"

#include "Palette.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>

using namespace plat;
using displaytest::Rig;

namespace
{

bool ReadPngRgb(const std::string& path, uint32_t& width, uint32_t& height, std::vector<uint8_t>& rgb)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    width = image.width;
    height = image.height;
    rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

std::string TempPng(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string("plat_") + name + ".png")).string();
}

// Widening of one 565 channel of `bits` bits to 8, written out independently of the code.
uint8_t Widen(uint32_t v, uint32_t bits)
{
    return static_cast<uint8_t>(bits == 5 ? (v << 3) | (v >> 2) : (v << 2) | (v >> 4));
}

} // namespace

TEST(HeadlessWindowBackend, PresentedFrameRoundTripsThroughPng)
{
    CapsProfile profile = CapsProfile::Default();
    profile.desktop = {5, 3, 16};
    Rig rig(profile);
    SurfaceDesc d;
    d.caps = kCapsPrimary;
    std::shared_ptr<Surface> primary;
    ASSERT_EQ(rig.display->CreateSurface(d, primary), Result::Ok);
    EXPECT_EQ(rig.window.PresentCount(), 0u);

    const uint16_t pattern[15] = {0xFFFF, 0x0000, 0xF800, 0x07E0, 0x001F, 0x8410, 0x0821, 0x7BEF,
                                  0x1234, 0xABCD, 0xFFE0, 0x07FF, 0xF81F, 0x4208, 0x0001};
    PixelView v;
    ASSERT_EQ(primary->Lock(kLockWait, v), Result::Ok);
    for (uint32_t i = 0; i < 15; ++i)
        WritePixel(v.Row(i / 5) + (i % 5) * 2, 2, pattern[i]);
    ASSERT_EQ(primary->Unlock(), Result::Ok);
    ASSERT_EQ(rig.window.PresentCount(), 1u);

    const std::string path = TempPng("roundtrip");
    ASSERT_TRUE(rig.window.WritePng(path));
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPngRgb(path, w, h, rgb));
    std::filesystem::remove(path);
    ASSERT_EQ(w, 5u);
    ASSERT_EQ(h, 3u);
    for (uint32_t i = 0; i < 15; ++i)
    {
        const uint32_t p = pattern[i];
        EXPECT_EQ(rgb[i * 3 + 0], Widen(p >> 11, 5)) << i;
        EXPECT_EQ(rgb[i * 3 + 1], Widen((p >> 5) & 63, 6)) << i;
        EXPECT_EQ(rgb[i * 3 + 2], Widen(p & 31, 5)) << i;
    }
}

TEST(HeadlessWindowBackend, PalettisedPrimaryIsShownThroughItsPalette)
{
    CapsProfile profile = CapsProfile::Default();
    profile.desktop = {2, 1, 8};
    Rig rig(profile);
    SurfaceDesc d;
    d.caps = kCapsPrimary;
    std::shared_ptr<Surface> primary;
    ASSERT_EQ(rig.display->CreateSurface(d, primary), Result::Ok);
    PaletteEntry entries[256] = {};
    entries[1] = {255, 0, 0, 0};
    entries[2] = {0, 255, 255, 0};
    std::shared_ptr<Palette> palette;
    ASSERT_EQ(rig.display->CreatePalette(kPaletteCaps8Bit | kPaletteCapsInitialize, entries, palette), Result::Ok);
    ASSERT_EQ(primary->SetPalette(palette), Result::Ok);
    auto picture = rig.Make(2, 1, PixelFormat::Pal8);
    displaytest::SetPixel(*picture, 0, 0, 1);
    displaytest::SetPixel(*picture, 1, 0, 2);
    ASSERT_EQ(primary->Blt(nullptr, picture.get(), nullptr, kBltWait, nullptr), Result::Ok);
    ASSERT_EQ(rig.window.Frame().size(), 2u);
    EXPECT_EQ(rig.window.Frame()[0], 0xF800);
    EXPECT_EQ(rig.window.Frame()[1], 0x07FF);
}

TEST(HeadlessWindowBackend, RefusesFramesItCannotShow)
{
    HeadlessWindowBackend window;
    uint16_t pixel = 0x1234;
    PixelView frame;
    frame.pixels = reinterpret_cast<uint8_t*>(&pixel);
    frame.pitch = 2;
    frame.width = frame.height = 1;
    frame.format = PixelFormat::Rgb565;
    EXPECT_FALSE(window.Present(frame)); // not open
    EXPECT_FALSE(window.WritePng(TempPng("none")));
    EXPECT_FALSE(window.Open({"x", 0, 480}));
    ASSERT_TRUE(window.Open({"Game", 640, 480}));
    EXPECT_EQ(window.Title(), "Game");
    frame.format = PixelFormat::Argb4444;
    EXPECT_FALSE(window.Present(frame));
    frame.format = PixelFormat::Rgb565;
    EXPECT_TRUE(window.Present(frame));
    EXPECT_FALSE(window.WritePng("/nonexistent-folder/x.png"));
}
