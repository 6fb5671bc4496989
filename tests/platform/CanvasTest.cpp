#include "Canvas.h"
#include "Font.h"

#include "GoldenImage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace plat;

namespace
{

struct Picture
{
    Picture(uint32_t w, uint32_t h, PixelFormat format) : bytes(BytesPerPixel(format))
    {
        pixels.assign(static_cast<size_t>(PitchFor(format, w)) * h, 0);
        view.pixels = pixels.data();
        view.pitch = PitchFor(format, w);
        view.width = w;
        view.height = h;
        view.format = format;
    }
    uint32_t At(uint32_t x, uint32_t y) const { return ReadPixel(view.Row(y) + x * bytes, bytes); }

    uint32_t bytes;
    std::vector<uint8_t> pixels;
    PixelView view;
};

golden::RgbImage ToRgb(const Picture& p)
{
    golden::RgbImage image{p.view.width, p.view.height, {}};
    for (uint32_t y = 0; y < p.view.height; ++y)
        for (uint32_t x = 0; x < p.view.width; ++x)
        {
            const uint32_t argb = ExpandColor(p.view.format, p.At(x, y));
            image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                                               static_cast<uint8_t>(argb)});
        }
    return image;
}

} // namespace

// The overlays of the game: one-line text in both faces on black, wrapped centred text,
// needles of width 1 and frames of width 2.
TEST(Canvas, OverlaysMatchTheGoldenPicture)
{
    const auto verdana18 = Font::Create("Verdana", 18, 400);
    const auto verdana20 = Font::Create("Verdana", 20, 400);
    const auto arial28 = Font::Create("Arial", 28, 700);
    ASSERT_TRUE(verdana18 && verdana20 && arial28);
    Picture p(320, 200, PixelFormat::Rgb888);
    Canvas canvas(p.view);
    canvas.Fill({0, 0, 320, 200}, MakeColorRef(40, 60, 90));
    const Size size = canvas.Text(4, 4, "Are you sure you want to quit?", *verdana18, 255, kColorBlack);
    EXPECT_EQ(size, verdana18->MeasureText("Are you sure you want to quit?"));
    canvas.Text(4, 26, "Weigh-in 12.50", *arial28, kColorWhite, kColorBlack);
    canvas.Rectangle({4, 62, 316, 126}, {MakeColorRef(0, 255, 0), 2}, true, kColorBlack);
    canvas.TextInBox({6, 64, 314, 124}, "Unable to find the disc.\tPlace it in the drive and press Retry.", *verdana20,
                     kColorWhite);
    canvas.Rectangle({4, 132, 84, 196}, {MakeColorRef(255, 255, 0), 1}, false, 0);
    canvas.Line({44, 164}, {80, 136}, {kColorWhite, 1});
    canvas.Line({44, 164}, {8, 190}, {255, 2});
    canvas.Line({100, 140}, {300, 140}, {MakeColorRef(0, 255, 255), 2});
    canvas.Line({100, 150}, {100, 195}, {MakeColorRef(255, 0, 255), 1});
    EXPECT_TRUE(golden::MatchesGoldenImage("canvas_overlays.png", ToRgb(p)));
}

// Overlays are copied with black as the transparent colour: a text pixel may be dark but
// never black, whatever the target format rounds to; fills write exactly what they are told.
TEST(Canvas, TextNeverTurnsIntoTheTransparentBlack)
{
    const auto font = Font::Create("Arial", 28, 700);
    ASSERT_TRUE(font);
    const PixelFormat formats[] = {PixelFormat::Rgb565, PixelFormat::Rgb888, PixelFormat::Xrgb8888};
    for (const PixelFormat format : formats)
    {
        Picture p(200, 40, format);
        Canvas canvas(p.view);
        canvas.Text(0, 0, "Wake 0123", *font, MakeColorRef(3, 3, 3), kColorBlack);
        uint32_t lit = 0, expected = 0;
        int32_t pen = 0;
        for (const char c : std::string_view("Wake 0123"))
        {
            const Glyph& g = font->GlyphOf(static_cast<uint8_t>(c));
            for (int32_t y = 0; y < g.rows; ++y)
                for (int32_t x = 0; x < g.width; ++x)
                    expected += g.coverage[static_cast<size_t>(y) * g.width + x] >= Canvas::kCoverageThreshold;
            pen += g.advance;
        }
        for (uint32_t y = 0; y < 40; ++y)
            for (uint32_t x = 0; x < 200; ++x)
                lit += p.At(x, y) != 0;
        EXPECT_EQ(lit, expected) << int(format); // glyphs of these characters do not overlap
        EXPECT_GT(lit, 100u);
    }
}

TEST(Canvas, DrawsInEveryDirectFormatAndClipsToTheTarget)
{
    const struct
    {
        PixelFormat format;
        bool redFirst;
        std::vector<uint8_t> red; // bytes of one red pixel
    } cases[] = {
        {PixelFormat::Rgb565, false, {0x00, 0xF8}},   {PixelFormat::Rgb888, false, {0, 0, 255}},
        {PixelFormat::Rgb888, true, {255, 0, 0}},     {PixelFormat::Xrgb8888, false, {0, 0, 255, 0}},
        {PixelFormat::Argb4444, false, {0x00, 0xFF}},
    };
    for (const auto& c : cases)
    {
        // An 8 x 8 view in the middle of a 16 x 16 picture: the border must stay untouched.
        Picture whole(16, 16, c.format);
        std::fill(whole.pixels.begin(), whole.pixels.end(), 0xA5);
        PixelView view = whole.view;
        view.pixels = whole.view.Row(4) + 4 * whole.bytes;
        view.width = view.height = 8;
        Canvas canvas(view, c.redFirst);
        ASSERT_TRUE(canvas.IsUsable());
        canvas.Fill({-100, -100, 100, 100}, 255);
        EXPECT_EQ(std::vector<uint8_t>(view.pixels, view.pixels + whole.bytes), c.red) << int(c.format);
        canvas.Line({-50, -40}, {60, 70}, {kColorWhite, 3});
        canvas.Line({INT32_MIN, 0}, {4, INT32_MAX}, {kColorWhite, 1}); // refused, not walked
        canvas.Rectangle({-3, -3, 20, 20}, {kColorWhite, 2}, true, 0);
        const auto font = Font::Create("Verdana", 18, 400);
        canvas.Text(-7, 3, "clipped", *font, kColorWhite, kColorBlack);
        canvas.TextInBox({-20, -5, 30, 30}, "clipped text in a box", *font, kColorWhite);
        for (uint32_t y = 0; y < 16; ++y)
            for (uint32_t x = 0; x < 16; ++x)
            {
                if (x < 4 || x >= 12 || y < 4 || y >= 12)
                {
                    ASSERT_EQ(whole.view.Row(y)[x * whole.bytes], 0xA5) << x << "," << y;
                }
            }
    }
    uint8_t palettised[4] = {};
    PixelView pal{palettised, 2, 2, 2, PixelFormat::Pal8};
    Canvas refused(pal);
    EXPECT_FALSE(refused.IsUsable());
    refused.Fill({0, 0, 2, 2}, kColorWhite);
    EXPECT_EQ(palettised[0], 0);
}
