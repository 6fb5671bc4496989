#include "QrPixelFormat.h"

#include "Display.h"
#include "Surface.h"

#include <gtest/gtest.h>

namespace
{

plat::PixelFormatInfo Masks(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    plat::PixelFormatInfo info;
    info.flags = plat::kPixelFlagRgb | (a ? plat::kPixelFlagAlpha : 0);
    info.bitCount = bits;
    info.redMask = r;
    info.greenMask = g;
    info.blueMask = b;
    info.alphaMask = a;
    return info;
}

} // namespace

TEST(QrPixelFormat, Rgb565ChannelsFromMasks)
{
    const QrPixelFormat f(Masks(16, 0xF800, 0x07E0, 0x001F, 0));
    EXPECT_FALSE(f.IsPalettised());
    EXPECT_EQ(f.m_bitsPerPixel, 16);
    EXPECT_EQ(f.m_redShift, 11);
    EXPECT_EQ(f.m_greenShift, 5);
    EXPECT_EQ(f.m_blueShift, 0);
    EXPECT_EQ(f.m_redBits, 5);
    EXPECT_EQ(f.m_greenBits, 6);
    EXPECT_EQ(f.m_blueBits, 5);
    EXPECT_EQ(f.m_redLoss, 3);
    EXPECT_EQ(f.m_greenLoss, 2);
    EXPECT_EQ(f.m_blueLoss, 3);
    // No alpha flag: alpha stays absent.
    EXPECT_EQ(f.m_alphaMask, 0u);
    EXPECT_EQ(f.m_alphaBits, 0);
    EXPECT_EQ(f.m_alphaLoss, 8);
    EXPECT_EQ(f.m_alphaShift, 0);
}

TEST(QrPixelFormat, AlphaOnlyWithTheAlphaFlag)
{
    const QrPixelFormat argb(Masks(16, 0x0F00, 0x00F0, 0x000F, 0xF000));
    EXPECT_TRUE(argb.HasAlpha());
    EXPECT_EQ(argb.m_alphaShift, 12);
    EXPECT_EQ(argb.m_alphaBits, 4);
    EXPECT_EQ(argb.m_alphaLoss, 4);

    plat::PixelFormatInfo info = Masks(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
    info.flags &= ~plat::kPixelFlagAlpha; // a mask without the flag is ignored
    const QrPixelFormat noFlag(info);
    EXPECT_FALSE(noFlag.HasAlpha());
    EXPECT_EQ(noFlag.m_redLoss, 0);
    EXPECT_EQ(noFlag.m_redShift, 16);
}

TEST(QrPixelFormat, MissingColourChannelHasShift32AndLoss8)
{
    const QrPixelFormat f(Masks(16, 0, 0x07E0, 0x001F, 0));
    EXPECT_EQ(f.m_redShift, 32);
    EXPECT_EQ(f.m_redBits, 0);
    EXPECT_EQ(f.m_redLoss, 8);
}

TEST(QrPixelFormat, PalettisedKeepsTheDefaults)
{
    plat::PixelFormatInfo info;
    info.flags = plat::kPixelFlagRgb | plat::kPixelFlagPaletteIndexed8;
    info.bitCount = 8;
    info.redMask = 0xE0; // masks of a palettised format mean nothing
    const QrPixelFormat f(info);
    EXPECT_TRUE(f.IsPalettised());
    EXPECT_EQ(f.m_bitsPerPixel, 8);
    EXPECT_EQ(f.m_redMask, 0u);
    EXPECT_EQ(f.m_redShift, 0);
    EXPECT_EQ(f.m_redLoss, 8);
    EXPECT_EQ(f.ToPlatformFormat(), plat::PixelFormat::Pal8);

    const QrPixelFormat unset;
    EXPECT_TRUE(unset.IsPalettised());
    EXPECT_EQ(unset.m_bitsPerPixel, 0);
    EXPECT_EQ(unset.m_greenLoss, 8);
}

TEST(QrPixelFormat, EveryColourFormatRoundTripsToThePlatform)
{
    for (plat::PixelFormat p :
         {plat::PixelFormat::Pal8, plat::PixelFormat::Rgb565, plat::PixelFormat::Argb1555, plat::PixelFormat::Argb4444,
          plat::PixelFormat::Rgb888, plat::PixelFormat::Xrgb8888, plat::PixelFormat::Argb8888})
    {
        const QrPixelFormat f(plat::DescribeFormat(p));
        EXPECT_EQ(f.ToPlatformFormat(), p) << static_cast<int>(p);
        plat::PixelFormatInfo back;
        f.ToDDPixelFormat(back);
        EXPECT_EQ((back.flags & plat::kPixelFlagAlpha) != 0, f.HasAlpha());
        EXPECT_EQ(back.bitCount, plat::DescribeFormat(p).bitCount);
    }
}

TEST(QrPixelFormat, FromSurfaceReadsItsDescription)
{
    std::shared_ptr<plat::Display> display;
    ASSERT_EQ(plat::Display::Create(plat::DisplayConfig{}, display), plat::Result::Ok);
    plat::SurfaceDesc desc;
    desc.width = 2;
    desc.height = 2;
    desc.format = plat::PixelFormat::Argb1555;
    desc.caps = plat::kCapsOffscreenPlain | plat::kCapsSystemMemory;
    std::shared_ptr<plat::Surface> surface;
    ASSERT_EQ(display->CreateSurface(desc, surface), plat::Result::Ok);
    QrPixelFormat f;
    f.FromSurface(*surface);
    EXPECT_EQ(f.m_alphaMask, 0x8000u);
    EXPECT_EQ(f.m_alphaBits, 1);
    EXPECT_EQ(f.m_redShift, 10);
}
