#include "DisplayTestSupport.h"

#include "Clipper.h"

#include <gtest/gtest.h>

using namespace plat;
using displaytest::Rig;

TEST(Display, ReportsASixteenBitDesktopByDefault)
{
    Rig rig;
    SurfaceDesc mode;
    ASSERT_EQ(rig.display->GetDisplayMode(mode), Result::Ok);
    EXPECT_EQ(mode.width, 640u);
    EXPECT_EQ(mode.height, 480u);
    EXPECT_EQ(mode.format, PixelFormat::Rgb565);
    EXPECT_EQ(mode.formatInfo.bitCount, 16u);
    EXPECT_EQ(mode.pitch, 1280);
    DisplayCaps hardware, emulation;
    ASSERT_EQ(rig.display->GetCaps(&hardware, &emulation), Result::Ok);
    EXPECT_FALSE(hardware.has3D);
    EXPECT_TRUE(emulation.has3D);

    CapsProfile deep = CapsProfile::Default();
    deep.desktop.bitsPerPixel = 32;
    Rig rig32(deep);
    ASSERT_EQ(rig32.display->GetDisplayMode(mode), Result::Ok);
    EXPECT_EQ(mode.format, PixelFormat::Xrgb8888);

    CapsProfile odd = CapsProfile::Default();
    odd.desktop.bitsPerPixel = 12;
    std::shared_ptr<Display> none;
    DisplayConfig config;
    config.profile = odd;
    EXPECT_EQ(Display::Create(config, none), Result::Unsupported);
}

TEST(Display, ModesAreListedUpToSixtyFourAndSetOnlyExclusively)
{
    CapsProfile profile = CapsProfile::Default();
    for (uint32_t i = 0; i < 70; ++i)
        profile.modes.push_back({320 + i, 200, 16});
    Rig rig(profile);
    std::vector<DisplayMode> modes;
    ASSERT_EQ(rig.display->EnumDisplayModes(modes), Result::Ok);
    ASSERT_EQ(modes.size(), kMaxDisplayModes);
    EXPECT_EQ(modes[0].width, 640u);

    EXPECT_EQ(rig.display->SetDisplayMode(640, 480, 8), Result::NoExclusiveMode);
    ASSERT_EQ(rig.display->SetCooperativeLevel(&rig.window, kCoopFullScreen | kCoopExclusive | kCoopAllowReboot |
                                                                kCoopMultithreaded),
              Result::Ok);
    EXPECT_EQ(rig.display->CooperativeLevel() & kCoopAllowReboot, kCoopAllowReboot);
    EXPECT_EQ(rig.display->CooperativeWindow(), &rig.window);
    EXPECT_EQ(rig.display->SetDisplayMode(640, 480, 24), Result::UnsupportedMode);
    ASSERT_EQ(rig.display->SetDisplayMode(640, 480, 8), Result::Ok);

    // The primary follows the mode.
    SurfaceDesc d;
    d.caps = kCapsPrimary;
    std::shared_ptr<Surface> primary;
    ASSERT_EQ(rig.display->CreateSurface(d, primary), Result::Ok);
    EXPECT_EQ(primary->Format(), PixelFormat::Pal8);
    primary.reset();
    ASSERT_EQ(rig.display->RestoreDisplayMode(), Result::Ok);
    SurfaceDesc mode;
    rig.display->GetDisplayMode(mode);
    EXPECT_EQ(mode.format, PixelFormat::Rgb565);
    EXPECT_EQ(rig.log.Lines(Call::SetDisplayMode),
              (std::vector<std::string>{"SetDisplayMode 640 480 8 -> NoExclusiveMode",
                                        "SetDisplayMode 640 480 24 -> UnsupportedMode", "SetDisplayMode 640 480 8"}));
}

TEST(Display, CooperativeLevelsMustBeConsistent)
{
    Rig rig;
    EXPECT_EQ(rig.display->SetCooperativeLevel(&rig.window, kCoopFullScreen), Result::InvalidParams);
    EXPECT_EQ(rig.display->SetCooperativeLevel(&rig.window, kCoopExclusive), Result::InvalidParams);
    EXPECT_EQ(rig.display->SetCooperativeLevel(nullptr, kCoopFullScreen | kCoopExclusive), Result::InvalidParams);
    EXPECT_EQ(rig.display->SetCooperativeLevel(&rig.window, kCoopNormal | kCoopFullScreen | kCoopExclusive),
              Result::InvalidParams);
    EXPECT_EQ(rig.display->SetCooperativeLevel(&rig.window, 0), Result::InvalidParams);
    EXPECT_EQ(rig.display->CooperativeLevel(), 0u);
    ASSERT_EQ(rig.display->SetCooperativeLevel(nullptr, kCoopNormal | kCoopMultithreaded), Result::Ok);
    EXPECT_EQ(rig.display->CooperativeLevel(), kCoopNormal | kCoopMultithreaded);

    std::shared_ptr<Clipper> clipper;
    ASSERT_EQ(rig.display->CreateClipper(clipper), Result::Ok);
    clipper->SetWindow(&rig.window);
    auto s = rig.Make(2, 2, PixelFormat::Rgb565);
    ASSERT_EQ(s->SetClipper(clipper), Result::Ok);
    EXPECT_EQ(s->GetClipper()->Window(), &rig.window);
}

TEST(Display, TextureMemoryIsCountedAsTexturesComeAndGo)
{
    Rig rig;
    uint32_t total = 0, free = 0;
    ASSERT_EQ(rig.display->GetAvailableVideoMemory(kCapsTexture, total, free), Result::Ok);
    EXPECT_EQ(total, 16u * 1024 * 1024);
    EXPECT_EQ(free, total);

    SurfaceDesc d;
    d.width = d.height = 256;
    d.format = PixelFormat::Rgb565;
    d.caps = kCapsTexture | kCapsMipmap | kCapsComplex | kCapsVideoMemory;
    std::shared_ptr<Surface> texture;
    ASSERT_EQ(rig.display->CreateSurface(d, texture), Result::Ok);
    EXPECT_TRUE(texture->Caps() & kCapsLocalVideoMemory);
    // Levels 256 .. 2 at two bytes a pixel, and 1 x 1 on a four-byte row.
    const uint32_t chain = 131072 + 32768 + 8192 + 2048 + 512 + 128 + 32 + 8 + 4;
    rig.display->GetAvailableVideoMemory(kCapsTexture, total, free);
    EXPECT_EQ(free, total - chain);

    // System-memory textures and other video surfaces are not counted.
    auto sys = rig.Make(64, 64, PixelFormat::Rgb565, kCapsTexture | kCapsSystemMemory);
    auto plain = rig.Make(64, 64, PixelFormat::Rgb565, kCapsOffscreenPlain | kCapsVideoMemory);
    rig.display->GetAvailableVideoMemory(kCapsTexture, total, free);
    EXPECT_EQ(free, total - chain);

    texture.reset();
    rig.display->GetAvailableVideoMemory(kCapsTexture, total, free);
    EXPECT_EQ(free, total);
}

TEST(Display, FullTextureMemoryRefusesVideoTexturesOrFallsBackToSystemMemory)
{
    CapsProfile profile = CapsProfile::Default();
    profile.textureMemoryBytes = 1000;
    Rig rig(profile);
    auto first = rig.Make(16, 16, PixelFormat::Rgb565, kCapsTexture | kCapsVideoMemory); // 512 bytes
    SurfaceDesc d;
    d.width = d.height = 16;
    d.format = PixelFormat::Rgb565;
    d.caps = kCapsTexture | kCapsVideoMemory;
    std::shared_ptr<Surface> second;
    EXPECT_EQ(rig.display->CreateSurface(d, second), Result::OutOfVideoMemory);
    d.caps = kCapsTexture;
    ASSERT_EQ(rig.display->CreateSurface(d, second), Result::Ok);
    EXPECT_TRUE(second->Caps() & kCapsSystemMemory);
    uint32_t total = 0, free = 0;
    rig.display->GetAvailableVideoMemory(kCapsTexture, total, free);
    EXPECT_EQ(free, 1000u - 512u);

    // A surface that outlives its display still returns its memory safely.
    rig.display.reset();
    first.reset();
}

TEST(Display, InjectedFailuresHitTheChosenCalls)
{
    Rig rig;
    rig.injector.FailCall(Operation::CreateSurface, 2, Result::OutOfVideoMemory);
    SurfaceDesc d;
    d.width = d.height = 4;
    d.caps = kCapsOffscreenPlain;
    std::shared_ptr<Surface> s;
    EXPECT_EQ(rig.display->CreateSurface(d, s), Result::Ok);
    EXPECT_EQ(rig.display->CreateSurface(d, s), Result::OutOfVideoMemory);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(rig.display->CreateSurface(d, s), Result::Ok);
    EXPECT_EQ(rig.injector.Calls(Operation::CreateSurface), 3u);

    rig.injector.FailAlways(Operation::GetDisplayMode, Result::Failed);
    SurfaceDesc mode;
    EXPECT_EQ(rig.display->GetDisplayMode(mode), Result::Failed);
    EXPECT_EQ(rig.display->GetDisplayMode(mode), Result::Failed);
    rig.injector.Reset();
    EXPECT_EQ(rig.display->GetDisplayMode(mode), Result::Ok);

    FailureInjector injector;
    injector.FailCall(Operation::CreateDisplay, 1, Result::Failed);
    DisplayConfig config;
    config.injector = &injector;
    std::shared_ptr<Display> display;
    EXPECT_EQ(Display::Create(config, display), Result::Failed);
    EXPECT_EQ(Display::Create(config, display), Result::Ok);
}

TEST(Display, ProgramWideConfigurationIsUsedUntilRemoved)
{
    DisplayConfig config;
    config.profile.desktop = {320, 200, 8};
    SetDisplayConfig(&config);
    std::shared_ptr<Display> display;
    ASSERT_EQ(Display::Create(display), Result::Ok);
    SurfaceDesc mode;
    display->GetDisplayMode(mode);
    EXPECT_EQ(mode.width, 320u);
    EXPECT_EQ(mode.format, PixelFormat::Pal8);
    SetDisplayConfig(nullptr);
    ASSERT_EQ(Display::Create(display), Result::Ok);
    display->GetDisplayMode(mode);
    EXPECT_EQ(mode.width, 640u);
}

TEST(Display, SystemPaletteHasFixedEndsACubeAndAGreyRamp)
{
    Rig rig;
    PaletteEntry entries[256];
    ASSERT_EQ(rig.display->GetSystemPaletteEntries(0, 256, entries), Result::Ok);
    EXPECT_EQ(entries[0].red + entries[0].green + entries[0].blue, 0);
    EXPECT_EQ(entries[255].red & entries[255].green & entries[255].blue, 255);
    // Cube entry for (r, g, b) steps of 51: 10 + r + 6 g + 36 b.
    const PaletteEntry& e = entries[10 + 5 + 6 * 2 + 36 * 1];
    EXPECT_EQ(e.red, 255);
    EXPECT_EQ(e.green, 102);
    EXPECT_EQ(e.blue, 51);
    for (int i = 226; i < 246; ++i)
    {
        EXPECT_EQ(entries[i].red, entries[i].blue) << i;
        if (i > 226)
        {
            EXPECT_LT(entries[i - 1].red, entries[i].red) << i;
        }
    }
    PaletteEntry tail[10];
    ASSERT_EQ(rig.display->GetSystemPaletteEntries(246, 10, tail), Result::Ok);
    EXPECT_EQ(tail[9].red, 255);
    EXPECT_EQ(rig.display->GetSystemPaletteEntries(250, 10, tail), Result::InvalidParams);
}
