#include "QrPixelConverter.h"
#include "QrPalette.h"
#include "QrTestFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace
{

QrPixelFormat Format(plat::PixelFormat format)
{
    return QrPixelFormat(plat::DescribeFormat(format));
}

// An 8-bit format of three red, three green and two blue bits.
QrPixelFormat Rgb332()
{
    plat::PixelFormatInfo info;
    info.flags = plat::kPixelFlagRgb;
    info.bitCount = 8;
    info.redMask = 0xE0;
    info.greenMask = 0x1C;
    info.blueMask = 0x03;
    return QrPixelFormat(info);
}

// A level in memory with a padded pitch; the padding holds 0xCD so that writes past the row show.
struct Level
{
    std::vector<uint8_t> bytes;
    plat::PixelView view;

    Level(uint32_t width, uint32_t height, uint32_t bytesPerPixel, uint32_t padding = 3)
    {
        view.width = width;
        view.height = height;
        view.pitch = static_cast<int32_t>(width * bytesPerPixel + padding);
        bytes.assign(static_cast<size_t>(view.pitch) * height, 0xCD);
        view.pixels = bytes.data();
        m_bpp = bytesPerPixel;
    }
    uint32_t At(uint32_t x, uint32_t y) const { return plat::ReadPixel(view.Row(y) + x * m_bpp, m_bpp); }
    void Set(uint32_t x, uint32_t y, uint32_t v) { plat::WritePixel(view.Row(y) + x * m_bpp, m_bpp, v); }
    bool PaddingUntouched() const
    {
        for (uint32_t y = 0; y < view.height; ++y)
            for (int32_t i = static_cast<int32_t>(view.width * m_bpp); i < view.pitch; ++i)
                if (view.Row(y)[i] != 0xCD)
                    return false;
        return true;
    }

private:
    uint32_t m_bpp;
};

// Raw palette bytes: red, green, blue, and a fourth byte the converters ignore.
std::array<uint8_t, 1024> RawPalette(std::initializer_list<std::array<uint8_t, 3>> first)
{
    std::array<uint8_t, 1024> p{};
    p.fill(0x77);
    uint32_t i = 0;
    for (const auto& c : first)
    {
        p[4 * i] = c[0];
        p[4 * i + 1] = c[1];
        p[4 * i + 2] = c[2];
        ++i;
    }
    return p;
}

class QrPixelConverterTest : public QrEngineTest
{
protected:
    // Entries: 1 red, 2 green, 3 blue, 4 black, the rest white.
    QrPointer<QrPalette> MakeTargetPalette()
    {
        std::array<plat::PaletteEntry, 256> e;
        e.fill({255, 255, 255, 0});
        e[1] = {255, 0, 0, 0};
        e[2] = {0, 255, 0, 0};
        e[3] = {0, 0, 255, 0};
        e[4] = {0, 0, 0, 0};
        return new QrPalette(e.data());
    }
};

} // namespace

TEST_F(QrPixelConverterTest, RgbReducesIntoMaskedTargetsWithOpaqueAlpha)
{
    const uint8_t rgb[] = {255, 128, 7, 8, 4, 8, 0x12, 0x34, 0x56};
    Level l565(3, 1, 2);
    ASSERT_EQ(
        QrPixelConverter::ConvertRawPixels(1, Format(plat::PixelFormat::Rgb565), nullptr, nullptr, rgb, l565.view), 0u);
    EXPECT_EQ(l565.At(0, 0), 0xFC00u);
    EXPECT_EQ(l565.At(1, 0), 0x0821u);
    EXPECT_EQ(l565.At(2, 0), 0x11AAu);
    EXPECT_TRUE(l565.PaddingUntouched());

    Level l8888(3, 1, 4);
    QrPixelConverter::ConvertRawPixels(1, Format(plat::PixelFormat::Argb8888), nullptr, nullptr, rgb, l8888.view);
    EXPECT_EQ(l8888.At(2, 0), 0xFF123456u);

    Level l4444(1, 1, 2);
    const uint8_t one[] = {0xF0, 0x80, 0x1F};
    QrPixelConverter::ConvertRawPixels(1, Format(plat::PixelFormat::Argb4444), nullptr, nullptr, one, l4444.view);
    EXPECT_EQ(l4444.At(0, 0), 0xFF81u);

    Level l888(3, 1, 3);
    QrPixelConverter::ConvertRawPixels(1, Format(plat::PixelFormat::Rgb888), nullptr, nullptr, rgb, l888.view);
    EXPECT_EQ(l888.At(2, 0), 0x123456u);
    EXPECT_TRUE(l888.PaddingUntouched());

    Level l332(3, 1, 1);
    QrPixelConverter::ConvertRawPixels(1, Rgb332(), nullptr, nullptr, rgb, l332.view);
    EXPECT_EQ(l332.At(0, 0), 0xF0u); // 111 100 00
}

TEST_F(QrPixelConverterTest, RgbaKeepsItsAlphaWhereTheTargetHasAny)
{
    const uint8_t rgba[] = {0xF0, 0x80, 0x1F, 0x70, 255, 0, 0, 127, 255, 0, 0, 128};
    Level l4444(3, 1, 2);
    QrPixelConverter::ConvertRawPixels(2, Format(plat::PixelFormat::Argb4444), nullptr, nullptr, rgba, l4444.view);
    EXPECT_EQ(l4444.At(0, 0), 0x7F81u);
    Level l1555(3, 1, 2);
    QrPixelConverter::ConvertRawPixels(2, Format(plat::PixelFormat::Argb1555), nullptr, nullptr, rgba, l1555.view);
    EXPECT_EQ(l1555.At(1, 0), 0x7C00u);
    EXPECT_EQ(l1555.At(2, 0), 0xFC00u);
    Level l565(3, 1, 2);
    QrPixelConverter::ConvertRawPixels(2, Format(plat::PixelFormat::Rgb565), nullptr, nullptr, rgba, l565.view);
    EXPECT_EQ(l565.At(1, 0), 0xF800u);
}

TEST_F(QrPixelConverterTest, IndexZeroIsAnAllZeroPixelWhateverItsColour)
{
    const auto palette = RawPalette({{255, 255, 255}, {255, 0, 0}, {0, 0, 255}});
    const uint8_t indices[] = {0, 1, 2, 0};
    Level l565(2, 2, 2);
    ASSERT_EQ(QrPixelConverter::ConvertRawPixels(0, Format(plat::PixelFormat::Rgb565), palette.data(), nullptr, indices,
                                                 l565.view),
              0u);
    EXPECT_EQ(l565.At(0, 0), 0u);
    EXPECT_EQ(l565.At(1, 0), 0xF800u);
    EXPECT_EQ(l565.At(0, 1), 0x001Fu);
    EXPECT_EQ(l565.At(1, 1), 0u);
    Level l8888(2, 2, 4);
    QrPixelConverter::ConvertRawPixels(0, Format(plat::PixelFormat::Argb8888), palette.data(), nullptr, indices,
                                       l8888.view);
    EXPECT_EQ(l8888.At(0, 0), 0u); // alpha 0 too: transparent under alpha testing
    EXPECT_EQ(l8888.At(1, 0), 0xFFFF0000u);
}

TEST_F(QrPixelConverterTest, MissingPalettesAreReported)
{
    const uint8_t pixels[] = {1, 2, 3, 4};
    Level l565(1, 1, 2);
    EXPECT_EQ(
        QrPixelConverter::ConvertRawPixels(0, Format(plat::PixelFormat::Rgb565), nullptr, nullptr, pixels, l565.view),
        QrPixelConverter::kNoSourcePalette);
    Level l8(1, 1, 1);
    const QrPixelFormat pal8 = Format(plat::PixelFormat::Pal8);
    EXPECT_EQ(QrPixelConverter::ConvertRawPixels(1, pal8, nullptr, nullptr, pixels, l8.view),
              QrPixelConverter::kNoTargetPalette);
    EXPECT_EQ(QrPixelConverter::ConvertRawPixels(2, pal8, nullptr, nullptr, pixels, l8.view),
              QrPixelConverter::kNoTargetPalette);
    QrPointer<QrPalette> empty = new QrPalette(nullptr);
    EXPECT_EQ(QrPixelConverter::ConvertRawPixels(2, pal8, nullptr, empty.Get(), pixels, l8.view),
              QrPixelConverter::kNoTargetPalette);
    Level from(1, 1, 2);
    from.Set(0, 0, 0xFFFF);
    EXPECT_EQ(
        QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Rgb565), pal8, nullptr, nullptr, from.view, l8.view),
        QrPixelConverter::kNoTargetPalette);
    EXPECT_EQ(
        QrPixelConverter::ConvertPixels(pal8, Format(plat::PixelFormat::Rgb565), nullptr, nullptr, l8.view, l565.view),
        QrPixelConverter::kNoSourcePalette);
}

TEST_F(QrPixelConverterTest, IndicesAreCopiedOrRemappedIntoPalettisedTargets)
{
    const QrPixelFormat pal8 = Format(plat::PixelFormat::Pal8);
    const auto palette = RawPalette({{9, 9, 9}, {250, 2, 2}, {2, 2, 250}, {1, 250, 1}});
    const uint8_t indices[] = {0, 1, 2, 3, 200, 3};
    Level copied(3, 2, 1);
    ASSERT_EQ(QrPixelConverter::ConvertRawPixels(0, pal8, palette.data(), nullptr, indices, copied.view), 0u);
    EXPECT_EQ(copied.At(1, 1), 200u);
    EXPECT_TRUE(copied.PaddingUntouched());

    QrPointer<QrPalette> target = MakeTargetPalette();
    Level remapped(3, 2, 1);
    ASSERT_EQ(QrPixelConverter::ConvertRawPixels(0, pal8, palette.data(), target.Get(), indices, remapped.view), 0u);
    EXPECT_EQ(remapped.At(0, 0), 0u); // stays transparent
    EXPECT_EQ(remapped.At(1, 0), 1u);
    EXPECT_EQ(remapped.At(2, 0), 3u);
    EXPECT_EQ(remapped.At(0, 1), 2u);
    EXPECT_EQ(remapped.At(1, 1), 4u); // grey 0x77 lies nearer black than white

    // Surface to surface: the same two ways.
    Level back(3, 2, 1);
    QrPixelConverter::ConvertPixels(pal8, pal8, palette.data(), target.Get(), copied.view, back.view);
    EXPECT_EQ(back.At(2, 0), 3u);
    QrPixelConverter::ConvertPixels(pal8, pal8, nullptr, nullptr, copied.view, back.view);
    EXPECT_EQ(back.At(2, 0), 2u);
}

TEST_F(QrPixelConverterTest, TrueColourIntoPalettisedTargetsKeysBlackAndLowAlpha)
{
    const QrPixelFormat pal8 = Format(plat::PixelFormat::Pal8);
    QrPointer<QrPalette> target = MakeTargetPalette();
    const uint8_t rgb[] = {0, 0, 0, 0, 0, 255, 250, 10, 10, 0, 0, 1};
    Level l(4, 1, 1);
    ASSERT_EQ(QrPixelConverter::ConvertRawPixels(1, pal8, nullptr, target.Get(), rgb, l.view), 0u);
    EXPECT_EQ(l.At(0, 0), 0u); // black is the transparent colour
    EXPECT_EQ(l.At(1, 0), 3u); // pure blue is a colour, not transparency
    EXPECT_EQ(l.At(2, 0), 1u);
    EXPECT_EQ(l.At(3, 0), 4u); // almost black

    const uint8_t rgba[] = {250, 10, 10, 126, 250, 10, 10, 127};
    Level a(2, 1, 1);
    ASSERT_EQ(QrPixelConverter::ConvertRawPixels(2, pal8, nullptr, target.Get(), rgba, a.view), 0u);
    EXPECT_EQ(a.At(0, 0), 0u);
    EXPECT_EQ(a.At(1, 0), 1u);
}

TEST_F(QrPixelConverterTest, UnknownSourceCodeWritesNothing)
{
    const uint8_t pixels[8] = {};
    Level l(1, 1, 2);
    EXPECT_EQ(
        QrPixelConverter::ConvertRawPixels(3, Format(plat::PixelFormat::Rgb565), nullptr, nullptr, pixels, l.view), 0u);
    EXPECT_EQ(l.At(0, 0), 0xCDCDu);
}

TEST_F(QrPixelConverterTest, MaskedToMaskedExpandsWithZeroLowBits)
{
    Level s565(2, 1, 2);
    s565.Set(0, 0, 0xFFFF);
    s565.Set(1, 0, 0xF800);
    Level d8888(2, 1, 4);
    ASSERT_EQ(QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Rgb565), Format(plat::PixelFormat::Argb8888),
                                              nullptr, nullptr, s565.view, d8888.view),
              0u);
    EXPECT_EQ(d8888.At(0, 0), 0x00F8FCF8u); // 31 -> 248, alpha 0: the source has none
    EXPECT_EQ(d8888.At(1, 0), 0x00F80000u);

    Level d4444(2, 1, 2);
    QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Rgb565), Format(plat::PixelFormat::Argb4444), nullptr,
                                    nullptr, s565.view, d4444.view);
    EXPECT_EQ(d4444.At(1, 0), 0x0F00u);

    Level s4444(1, 1, 2);
    s4444.Set(0, 0, 0x8F0F);
    Level from4444(1, 1, 4);
    QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Argb4444), Format(plat::PixelFormat::Argb8888), nullptr,
                                    nullptr, s4444.view, from4444.view);
    EXPECT_EQ(from4444.At(0, 0), 0x80F000F0u);

    Level s8888(1, 1, 4);
    s8888.Set(0, 0, 0x80FF7F10);
    Level to4444(1, 1, 2);
    QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Argb8888), Format(plat::PixelFormat::Argb4444), nullptr,
                                    nullptr, s8888.view, to4444.view);
    EXPECT_EQ(to4444.At(0, 0), 0x8F71u);
    Level to565(1, 1, 2);
    QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Argb8888), Format(plat::PixelFormat::Rgb565), nullptr,
                                    nullptr, s8888.view, to565.view);
    EXPECT_EQ(to565.At(0, 0), 0xFBE2u);
    Level to332(1, 1, 1);
    QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Argb8888), Rgb332(), nullptr, nullptr, s8888.view,
                                    to332.view);
    EXPECT_EQ(to332.At(0, 0), 0xEC); // 111 011 00
    Level from332(1, 1, 2);
    QrPixelConverter::ConvertPixels(Rgb332(), Format(plat::PixelFormat::Rgb565), nullptr, nullptr, to332.view,
                                    from332.view);
    EXPECT_EQ(from332.At(0, 0), 0xE300u); // 224, 96, 0
    EXPECT_TRUE(from332.PaddingUntouched());
}

TEST_F(QrPixelConverterTest, PalettisedSourceIntoMaskedTargetGoesThroughItsColours)
{
    const auto palette = RawPalette({{255, 255, 255}, {255, 0, 0}, {0, 255, 0}});
    Level s(3, 1, 1);
    s.Set(0, 0, 0);
    s.Set(1, 0, 1);
    s.Set(2, 0, 2);
    Level d(3, 1, 2);
    ASSERT_EQ(QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Pal8), Format(plat::PixelFormat::Argb4444),
                                              palette.data(), nullptr, s.view, d.view),
              0u);
    EXPECT_EQ(d.At(0, 0), 0u);
    EXPECT_EQ(d.At(1, 0), 0xFF00u);
    EXPECT_EQ(d.At(2, 0), 0xF0F0u);
}

TEST_F(QrPixelConverterTest, MaskedIntoPalettisedKeysLowAlphaOnly)
{
    QrPointer<QrPalette> target = MakeTargetPalette();
    const QrPixelFormat pal8 = Format(plat::PixelFormat::Pal8);
    Level s8888(3, 1, 4);
    s8888.Set(0, 0, 0x7EFF0000);
    s8888.Set(1, 0, 0x7FFF0000);
    s8888.Set(2, 0, 0x000000FF);
    Level d(3, 1, 1);
    ASSERT_EQ(QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Argb8888), pal8, nullptr, target.Get(),
                                              s8888.view, d.view),
              0u);
    EXPECT_EQ(d.At(0, 0), 0u);
    EXPECT_EQ(d.At(1, 0), 1u);
    EXPECT_EQ(d.At(2, 0), 0u);

    Level s4444(3, 1, 2);
    s4444.Set(0, 0, 0x70F0); // alpha 7 widens to 112
    s4444.Set(1, 0, 0x80F0); // alpha 8 widens to 128
    QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Argb4444), pal8, nullptr, target.Get(), s4444.view,
                                    d.view);
    EXPECT_EQ(d.At(0, 0), 0u);
    EXPECT_EQ(d.At(1, 0), 2u);

    // Without alpha, black is a colour like any other.
    Level s565(1, 1, 2);
    s565.Set(0, 0, 0);
    Level one(1, 1, 1);
    QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Rgb565), pal8, nullptr, target.Get(), s565.view,
                                    one.view);
    EXPECT_EQ(one.At(0, 0), 4u);
    EXPECT_TRUE(one.PaddingUntouched());
}

TEST_F(QrPixelConverterTest, BoxFilterTruncatesEachChannel)
{
    Level parent(2, 2, 4);
    parent.Set(0, 0, 0x01010101);
    parent.Set(1, 0, 0x01010101);
    parent.Set(0, 1, 0x01010101);
    parent.Set(1, 1, 0x02020202);
    Level child(1, 1, 4);
    ASSERT_TRUE(QrPixelConverter::DownsampleLevel(Format(plat::PixelFormat::Argb8888), parent.view, child.view));
    EXPECT_EQ(child.At(0, 0), 0x01010101u);

    // 565: red 31, 31, 30, 30 -> 30; green 63, 0, 0, 0 -> 15; blue 1, 2, 3, 4 -> 2.
    Level p565(2, 2, 2);
    p565.Set(0, 0, (31u << 11) | (63u << 5) | 1);
    p565.Set(1, 0, (31u << 11) | 2);
    p565.Set(0, 1, (30u << 11) | 3);
    p565.Set(1, 1, (30u << 11) | 4);
    Level c565(1, 1, 2);
    ASSERT_TRUE(QrPixelConverter::DownsampleLevel(Format(plat::PixelFormat::Rgb565), p565.view, c565.view));
    EXPECT_EQ(c565.At(0, 0), (30u << 11) | (15u << 5) | 2);
}

TEST_F(QrPixelConverterTest, BoxFilterTakesEachChildsOwnBlock)
{
    Level parent(4, 2, 2);
    for (uint32_t x = 0; x < 4; ++x)
    {
        parent.Set(x, 0, 0xF000 | x);
        parent.Set(x, 1, 0xF000 | (x + 4));
    }
    Level child(2, 1, 2);
    ASSERT_TRUE(QrPixelConverter::DownsampleLevel(Format(plat::PixelFormat::Argb4444), parent.view, child.view));
    EXPECT_EQ(child.At(0, 0), 0xF002u); // (0 + 1 + 4 + 5) / 4
    EXPECT_EQ(child.At(1, 0), 0xF004u); // (2 + 3 + 6 + 7) / 4
    EXPECT_TRUE(child.PaddingUntouched());
}

TEST_F(QrPixelConverterTest, BoxFilterOfAOnePixelHighParentRepeatsItsRow)
{
    Level parent(2, 1, 4);
    parent.Set(0, 0, 0xFF000010);
    parent.Set(1, 0, 0x00000020);
    Level child(1, 1, 4);
    ASSERT_TRUE(QrPixelConverter::DownsampleLevel(Format(plat::PixelFormat::Argb8888), parent.view, child.view));
    EXPECT_EQ(child.At(0, 0), 0x7F000018u);
}

TEST_F(QrPixelConverterTest, LevelsOfDifferentSizesTouchOnlyWhatBothHold)
{
    Level small(2, 1, 4);
    small.Set(0, 0, 0xFF0000FF);
    small.Set(1, 0, 0xFF00FF00);
    Level large(3, 2, 2);
    ASSERT_EQ(QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Argb8888), Format(plat::PixelFormat::Rgb565),
                                              nullptr, nullptr, small.view, large.view),
              0u);
    EXPECT_EQ(large.At(0, 0), 0x001Fu);
    EXPECT_EQ(large.At(1, 0), 0x07E0u);
    EXPECT_EQ(large.At(2, 0), 0xCDCDu);
    EXPECT_EQ(large.At(0, 1), 0xCDCDu);
    Level tiny(1, 1, 4);
    ASSERT_EQ(QrPixelConverter::ConvertPixels(Format(plat::PixelFormat::Rgb565), Format(plat::PixelFormat::Argb8888),
                                              nullptr, nullptr, large.view, tiny.view),
              0u);
    EXPECT_EQ(tiny.At(0, 0), 0x000000F8u);
    EXPECT_TRUE(tiny.PaddingUntouched());
}

TEST_F(QrPixelConverterTest, BoxFilterRefusesPalettisedFormats)
{
    Level parent(2, 2, 1);
    Level child(1, 1, 1);
    EXPECT_FALSE(QrPixelConverter::DownsampleLevel(Format(plat::PixelFormat::Pal8), parent.view, child.view));
    EXPECT_EQ(child.At(0, 0), 0xCDu);
}
