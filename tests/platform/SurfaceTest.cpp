#include "DisplayTestSupport.h"

#include "Palette.h"

#include <gtest/gtest.h>

using namespace plat;
using displaytest::FillPattern;
using displaytest::Pixel;
using displaytest::Rig;

TEST(Surface, PitchMasksAndLockPerFormat)
{
    struct Row
    {
        PixelFormat format;
        int32_t pitch; // for a width of 3
        uint32_t bits, red, alpha;
    };
    const Row rows[] = {
        {PixelFormat::Pal8, 4, 8, 0, 0},
        {PixelFormat::Rgb565, 8, 16, 0xF800, 0},
        {PixelFormat::Argb1555, 8, 16, 0x7C00, 0x8000},
        {PixelFormat::Argb4444, 8, 16, 0x0F00, 0xF000},
        {PixelFormat::Rgb888, 12, 24, 0xFF0000, 0},
        {PixelFormat::Xrgb8888, 12, 32, 0xFF0000, 0},
        {PixelFormat::Argb8888, 12, 32, 0xFF0000, 0xFF000000u},
    };
    Rig rig;
    for (const Row& row : rows)
    {
        SCOPED_TRACE(static_cast<int>(row.format));
        auto s = rig.Make(3, 2, row.format);
        SurfaceDesc desc;
        ASSERT_EQ(s->GetDesc(desc), Result::Ok);
        EXPECT_EQ(desc.width, 3u);
        EXPECT_EQ(desc.height, 2u);
        EXPECT_EQ(desc.pitch, row.pitch);
        EXPECT_EQ(desc.formatInfo.bitCount, row.bits);
        EXPECT_EQ(desc.formatInfo.redMask, row.red);
        EXPECT_EQ(desc.formatInfo.alphaMask, row.alpha);
        EXPECT_EQ(desc.caps & kCapsSystemMemory, kCapsSystemMemory);
        EXPECT_EQ(FindFormat(desc.formatInfo), row.format);

        // What is written under one lock is there under the next; the last byte of the last
        // row is inside the surface.
        PixelView v;
        ASSERT_EQ(s->Lock(kLockWait | kLockWriteOnly, v), Result::Ok);
        EXPECT_EQ(v.pitch, row.pitch);
        PixelView again;
        EXPECT_EQ(s->Lock(kLockWait, again), Result::Busy);
        const uint32_t bpp = row.bits / 8;
        v.Row(1)[3 * bpp - 1] = 0x5A;
        ASSERT_EQ(s->Unlock(), Result::Ok);
        EXPECT_EQ(s->Unlock(), Result::NotLocked);
        ASSERT_EQ(s->Lock(0, v), Result::Ok);
        EXPECT_EQ(v.Row(1)[3 * bpp - 1], 0x5A);
        ASSERT_EQ(s->Unlock(), Result::Ok);
    }
}

TEST(Surface, CreationChecksItsRequest)
{
    Rig rig;
    auto make = [&](SurfaceDesc d)
    {
        std::shared_ptr<Surface> s;
        return rig.display->CreateSurface(d, s);
    };
    SurfaceDesc d;
    d.caps = kCapsOffscreenPlain;
    EXPECT_EQ(make(d), Result::InvalidParams); // no size
    d.width = d.height = 4;
    EXPECT_EQ(make(d), Result::Ok); // the display format
    d.format = PixelFormat::Z16;
    EXPECT_EQ(make(d), Result::InvalidParams); // depth format without depth caps
    d.caps = kCapsZBuffer;
    EXPECT_EQ(make(d), Result::Ok);
    d.format = PixelFormat::Rgb565;
    EXPECT_EQ(make(d), Result::InvalidParams); // depth caps need a depth format
    d.caps = kCapsOffscreenPlain | kCapsSystemMemory | kCapsVideoMemory;
    EXPECT_EQ(make(d), Result::InvalidParams);
    d.caps = kCapsOffscreenPlain | kCapsMipmap;
    EXPECT_EQ(make(d), Result::InvalidParams); // mipmaps are for textures
    d.caps = kCapsOffscreenPlain;
    d.backBufferCount = 1;
    EXPECT_EQ(make(d), Result::InvalidParams); // back buffers need a flipping chain
}

TEST(Surface, MipChainsHalveDownToOnePixel)
{
    Rig rig;
    SurfaceDesc d;
    d.width = 8;
    d.height = 2;
    d.format = PixelFormat::Argb4444;
    d.caps = kCapsTexture | kCapsMipmap | kCapsComplex | kCapsSystemMemory;
    std::shared_ptr<Surface> top;
    ASSERT_EQ(rig.display->CreateSurface(d, top), Result::Ok);
    const uint32_t sizes[][2] = {{8, 2}, {4, 1}, {2, 1}, {1, 1}};
    std::shared_ptr<Surface> level = top;
    for (uint32_t i = 0; i < 4; ++i)
    {
        ASSERT_TRUE(level);
        SurfaceDesc desc;
        level->GetDesc(desc);
        EXPECT_EQ(desc.width, sizes[i][0]);
        EXPECT_EQ(desc.height, sizes[i][1]);
        EXPECT_EQ(desc.mipCount, 4 - i);
        EXPECT_TRUE(desc.caps & kCapsMipmap);
        std::shared_ptr<Surface> next;
        const Result r = level->GetAttachedSurface(kCapsTexture | kCapsMipmap, next);
        EXPECT_EQ(r, i < 3 ? Result::Ok : Result::NotFound);
        if (i > 0)
        {
            EXPECT_EQ(level->Restore(), Result::ImplicitlyCreated);
        }
        level = next;
    }
    EXPECT_EQ(top->Restore(), Result::Ok);

    d.mipCount = 5;
    std::shared_ptr<Surface> tooDeep;
    EXPECT_EQ(rig.display->CreateSurface(d, tooDeep), Result::InvalidParams);
    d.mipCount = 2;
    ASSERT_EQ(rig.display->CreateSurface(d, tooDeep), Result::Ok);
    std::shared_ptr<Surface> second, third;
    ASSERT_EQ(tooDeep->GetAttachedSurface(kCapsMipmap, second), Result::Ok);
    EXPECT_EQ(second->GetAttachedSurface(kCapsMipmap, third), Result::NotFound);
}

TEST(Surface, FlipChainsRotateTheirPictures)
{
    Rig rig;
    SurfaceDesc d;
    d.caps = kCapsPrimary | kCapsFlip | kCapsComplex | kCaps3DDevice;
    d.backBufferCount = 2;
    std::shared_ptr<Surface> front;
    EXPECT_EQ(rig.display->CreateSurface(d, front), Result::NoExclusiveMode);
    ASSERT_EQ(rig.display->SetCooperativeLevel(&rig.window, kCoopFullScreen | kCoopExclusive), Result::Ok);
    d.backBufferCount = 3;
    EXPECT_EQ(rig.display->CreateSurface(d, front), Result::OutOfVideoMemory);
    d.backBufferCount = 2;
    ASSERT_EQ(rig.display->CreateSurface(d, front), Result::Ok);

    std::shared_ptr<Surface> back, second, none;
    ASSERT_EQ(front->GetAttachedSurface(kCapsBackBuffer, back), Result::Ok);
    EXPECT_EQ(back->GetAttachedSurface(kCapsBackBuffer, none), Result::NotFound);
    EXPECT_TRUE(front->Caps() & kCapsFrontBuffer);
    EXPECT_TRUE(back->Caps() & kCapsBackBuffer);
    EXPECT_TRUE(back->Caps() & kCaps3DDevice);
    EXPECT_EQ(back->Width(), 640u);
    EXPECT_EQ(back->Flip(0), Result::NotFlippable);

    displaytest::SetPixel(*front, 0, 0, 1);
    displaytest::SetPixel(*back, 0, 0, 2);
    const uint32_t presentsBefore = rig.window.PresentCount();
    ASSERT_EQ(front->Flip(kBltWait), Result::Ok);
    EXPECT_EQ(Pixel(*front, 0, 0), 2u);
    EXPECT_EQ(Pixel(*back, 0, 0), 0u); // what the second back buffer held
    EXPECT_EQ(rig.window.PresentCount(), presentsBefore + 1);
    EXPECT_EQ(rig.window.Frame()[0], 2u);
    ASSERT_EQ(front->Flip(0), Result::Ok);
    ASSERT_EQ(front->Flip(0), Result::Ok);
    EXPECT_EQ(Pixel(*front, 0, 0), 1u); // three flips come round
    EXPECT_EQ(Pixel(*back, 0, 0), 2u);
    EXPECT_EQ(front->GetFlipStatus(kFlipStatusIsFlipDone), Result::Ok);

    PixelView v;
    ASSERT_EQ(back->Lock(0, v), Result::Ok);
    EXPECT_EQ(front->Flip(0), Result::Busy);
    back->Unlock();

    // One primary at a time; releasing it frees the place.
    std::shared_ptr<Surface> another;
    SurfaceDesc plain;
    plain.caps = kCapsPrimary;
    EXPECT_EQ(rig.display->CreateSurface(plain, another), Result::PrimaryExists);
    front.reset();
    back.reset();
    EXPECT_EQ(rig.display->CreateSurface(plain, another), Result::Ok);
}

TEST(Surface, ProfileLimitsTheBackBuffers)
{
    CapsProfile profile = CapsProfile::Default();
    profile.maxBackBuffers = 1;
    Rig rig(profile);
    ASSERT_EQ(rig.display->SetCooperativeLevel(&rig.window, kCoopFullScreen | kCoopExclusive), Result::Ok);
    SurfaceDesc d;
    d.caps = kCapsPrimary | kCapsFlip | kCapsComplex;
    d.backBufferCount = 2;
    std::shared_ptr<Surface> front;
    EXPECT_EQ(rig.display->CreateSurface(d, front), Result::OutOfVideoMemory);
    d.backBufferCount = 1;
    EXPECT_EQ(rig.display->CreateSurface(d, front), Result::Ok);
}

TEST(Surface, LostSurfacesFailUntilRestored)
{
    Rig rig;
    SurfaceDesc d;
    d.caps = kCapsPrimary;
    std::shared_ptr<Surface> primary;
    ASSERT_EQ(rig.display->CreateSurface(d, primary), Result::Ok);
    auto video = rig.Make(4, 4, PixelFormat::Rgb565, kCapsOffscreenPlain | kCapsVideoMemory);
    auto system = rig.Make(4, 4, PixelFormat::Rgb565);
    FillPattern(*video);

    rig.display->LoseSurfaces();
    EXPECT_EQ(primary->IsLost(), Result::SurfaceLost);
    EXPECT_EQ(video->IsLost(), Result::SurfaceLost);
    EXPECT_EQ(system->IsLost(), Result::Ok);
    PixelView v;
    EXPECT_EQ(video->Lock(0, v), Result::SurfaceLost);
    DrawTarget target;
    EXPECT_EQ(video->GetDrawTarget(target), Result::SurfaceLost);

    rig.injector.FailCall(Operation::Restore, 1, Result::SurfaceLost);
    EXPECT_EQ(video->Restore(), Result::SurfaceLost);
    EXPECT_EQ(video->IsLost(), Result::SurfaceLost);
    ASSERT_EQ(video->Restore(), Result::Ok);
    EXPECT_EQ(video->IsLost(), Result::Ok);
    EXPECT_EQ(Pixel(*video, 3, 3), 0u); // contents are not kept
    EXPECT_EQ(primary->IsLost(), Result::SurfaceLost);
    EXPECT_EQ(primary->Restore(), Result::Ok);
    EXPECT_EQ(rig.log.Lines(Call::Restore),
              (std::vector<std::string>{"Restore 2 -> SurfaceLost", "Restore 2", "Restore 1"}));
}

TEST(Surface, ResetLosesSystemMemorySurfacesAndTheirMipLevels)
{
    Rig rig;
    auto system = rig.Make(4, 4, PixelFormat::Rgb565);
    auto mipmapped = rig.Make(4, 4, PixelFormat::Rgb565, kCapsTexture | kCapsMipmap | kCapsComplex | kCapsSystemMemory);
    FillPattern(*system);
    std::shared_ptr<Surface> level1;
    ASSERT_EQ(mipmapped->GetAttachedSurface(kCapsMipmap, level1), Result::Ok);

    rig.display->LoseAllSurfaces();
    EXPECT_EQ(system->IsLost(), Result::SurfaceLost);
    EXPECT_EQ(mipmapped->IsLost(), Result::SurfaceLost);
    EXPECT_EQ(level1->IsLost(), Result::SurfaceLost);
    EXPECT_EQ(level1->Restore(), Result::ImplicitlyCreated);
    ASSERT_EQ(mipmapped->Restore(), Result::Ok);
    EXPECT_EQ(level1->IsLost(), Result::Ok);
    ASSERT_EQ(system->Restore(), Result::Ok);
    EXPECT_EQ(Pixel(*system, 1, 1), 0u);
}

TEST(Surface, ChangingTheDisplayModeLosesVideoSurfaces)
{
    Rig rig;
    auto video = rig.Make(4, 4, PixelFormat::Rgb565, kCapsOffscreenPlain | kCapsVideoMemory);
    ASSERT_EQ(rig.display->SetCooperativeLevel(&rig.window, kCoopFullScreen | kCoopExclusive), Result::Ok);
    ASSERT_EQ(rig.display->SetDisplayMode(640, 480, 16), Result::Ok); // the same mode
    EXPECT_EQ(video->IsLost(), Result::Ok);
    ASSERT_EQ(rig.display->SetDisplayMode(800, 600, 16), Result::Ok);
    EXPECT_EQ(video->IsLost(), Result::SurfaceLost);
}

TEST(Surface, PalettesAttachToPalettisedSurfacesOnly)
{
    Rig rig;
    PaletteEntry entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0x40};
    std::shared_ptr<Palette> palette;
    EXPECT_EQ(rig.display->CreatePalette(kPaletteCapsInitialize, entries, palette), Result::InvalidParams);
    EXPECT_EQ(rig.display->CreatePalette(kPaletteCaps8Bit | kPaletteCapsInitialize, nullptr, palette),
              Result::InvalidParams);
    ASSERT_EQ(
        rig.display->CreatePalette(kPaletteCaps8Bit | kPaletteCapsInitialize | kPaletteCapsAllow256, entries, palette),
        Result::Ok);

    PaletteEntry got[3];
    ASSERT_EQ(palette->GetEntries(253, 3, got), Result::Ok);
    EXPECT_EQ(got[2].red, 255);
    EXPECT_EQ(got[2].green, 0);
    EXPECT_EQ(got[2].flags, 0x40);
    EXPECT_EQ(palette->GetEntries(254, 3, got), Result::InvalidParams);
    const PaletteEntry one{1, 2, 3, 0};
    ASSERT_EQ(palette->SetEntries(255, 1, &one), Result::Ok);
    EXPECT_EQ(palette->Entry(255).blue, 3);
    EXPECT_EQ(palette->SetEntries(256, 1, &one), Result::InvalidParams);

    auto indexed = rig.Make(2, 2, PixelFormat::Pal8);
    auto rgb = rig.Make(2, 2, PixelFormat::Rgb565);
    std::shared_ptr<Palette> attached;
    EXPECT_EQ(indexed->GetPalette(attached), Result::NoPaletteAttached);
    EXPECT_EQ(rgb->SetPalette(palette), Result::Unsupported);
    ASSERT_EQ(indexed->SetPalette(palette), Result::Ok);
    ASSERT_EQ(indexed->GetPalette(attached), Result::Ok);
    EXPECT_EQ(attached, palette);
    ASSERT_EQ(indexed->SetPalette(nullptr), Result::Ok);
    EXPECT_EQ(indexed->GetPalette(attached), Result::NoPaletteAttached);
}

TEST(Surface, DepthBuffersAttachOnceAndMustMatchInSize)
{
    Rig rig;
    auto back = rig.Make(8, 6, PixelFormat::Rgb565, kCapsOffscreenPlain | kCaps3DDevice);
    auto z = rig.Make(8, 6, PixelFormat::Z16, kCapsZBuffer);
    auto smallZ = rig.Make(4, 6, PixelFormat::Z16, kCapsZBuffer);
    auto plain = rig.Make(8, 6, PixelFormat::Rgb565);
    std::shared_ptr<Surface> found;
    EXPECT_EQ(back->GetAttachedSurface(kCapsZBuffer, found), Result::NotFound);
    EXPECT_EQ(back->AddAttachedSurface(smallZ), Result::InvalidParams);
    EXPECT_EQ(back->AddAttachedSurface(plain), Result::InvalidParams);
    EXPECT_EQ(back->AddAttachedSurface(nullptr), Result::InvalidParams);
    ASSERT_EQ(back->AddAttachedSurface(z), Result::Ok);
    EXPECT_EQ(back->AddAttachedSurface(z), Result::InvalidParams);
    ASSERT_EQ(back->GetAttachedSurface(kCapsZBuffer, found), Result::Ok);
    EXPECT_EQ(found, z);
    // The attachment holds its own reference.
    z.reset();
    found.reset();
    EXPECT_NE(back->AttachedDepth(), nullptr);
    EXPECT_EQ(back->AttachedDepth()->Format(), PixelFormat::Z16);
}

TEST(Surface, DrawTargetHandsOutLockedMemory)
{
    Rig rig;
    PaletteEntry entries[256] = {};
    std::shared_ptr<Palette> palette;
    ASSERT_EQ(rig.display->CreatePalette(kPaletteCaps8Bit | kPaletteCapsInitialize, entries, palette), Result::Ok);
    auto s = rig.Make(5, 3, PixelFormat::Pal8);
    s->SetPalette(palette);
    EXPECT_EQ(s->ReleaseDrawTarget(), Result::NotLocked);
    DrawTarget target;
    ASSERT_EQ(s->GetDrawTarget(target), Result::Ok);
    EXPECT_EQ(target.view.width, 5u);
    EXPECT_EQ(target.view.pitch, 8);
    EXPECT_EQ(target.view.format, PixelFormat::Pal8);
    EXPECT_EQ(target.palette, palette.get());
    target.view.Row(2)[4] = 9;
    PixelView v;
    EXPECT_EQ(s->Lock(0, v), Result::Busy);
    ASSERT_EQ(s->ReleaseDrawTarget(), Result::Ok);
    EXPECT_EQ(Pixel(*s, 4, 2), 9u);
}

TEST(Surface, ColorKeysAreKeptAndChecked)
{
    Rig rig;
    auto s = rig.Make(2, 2, PixelFormat::Rgb565);
    ColorKey key;
    EXPECT_EQ(s->GetColorKey(key), Result::NoColorKey);
    const ColorKey backwards{5, 4};
    EXPECT_EQ(s->SetColorKey(&backwards), Result::InvalidParams);
    const ColorKey range{4, 5};
    ASSERT_EQ(s->SetColorKey(&range), Result::Ok);
    ASSERT_EQ(s->GetColorKey(key), Result::Ok);
    EXPECT_EQ(key.high, 5u);
    ASSERT_EQ(s->SetColorKey(nullptr), Result::Ok);
    EXPECT_EQ(s->SourceColorKey(), nullptr);
}
