// Texture reads of the software rasterizer: which texel a pixel takes, addressing per axis,
// colour keys, mip levels by screen footprint, bilinear weights, perspective correction and
// the texel formats.
#include "RasterTestSupport.h"

#include <gtest/gtest.h>

using namespace plat;
using rastertest::Canvas;
using rastertest::Rgb565;
using rastertest::V;

namespace
{

// Texel (x, y) of a coordinate texture: red 60 x, green 60 y.
uint32_t CoordinateTexel(uint32_t x, uint32_t y)
{
    return 0xFF000000u | (60 * x) << 16 | (60 * y) << 8;
}

std::vector<uint32_t> CoordinateTexels(uint32_t w, uint32_t h)
{
    std::vector<uint32_t> texels;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            texels.push_back(CoordinateTexel(x, y));
    return texels;
}

// The texture's colour straight through.
void TextureOnly(Canvas& c)
{
    c.Set(0, StageState::ColorOp, TextureOp::SelectArg1);
    c.Set(0, StageState::ColorArg1, TextureArg::kTexture);
}

} // namespace

TEST(RasterizerTexture, PointSamplingTakesTheTexelUnderThePixelCentre)
{
    Canvas c(8, 2);
    TextureOnly(c);
    c.textures[0] = c.Texture(4, 1, PixelFormat::Argb8888, CoordinateTexels(4, 1));
    c.Rectangle(0, 0, 8, 2, 0xFFFFFFFF);
    // Pixel centre x sits at u = x / 8, in texel x / 2.
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(c.At(x, 1), Rgb565(60 * (x / 2), 0, 0)) << x;
}

TEST(RasterizerTexture, WrapRepeatsAndClampHoldsTheEdgeOnEachAxis)
{
    for (TextureAddress u : {TextureAddress::Wrap, TextureAddress::Clamp})
        for (TextureAddress v : {TextureAddress::Wrap, TextureAddress::Clamp})
        {
            Canvas c(8, 8);
            TextureOnly(c);
            c.textures[0] = c.Texture(4, 4, PixelFormat::Argb8888, CoordinateTexels(4, 4));
            c.Set(0, StageState::AddressU, u);
            c.Set(0, StageState::AddressV, v);
            // u and v run from -1 to 1: pixel x reads texel x - 4 before addressing.
            c.Rectangle(0, 0, 8, 8, 0xFFFFFFFF, 0.5f, -1, -1, 1, 1);
            for (uint32_t y = 0; y < 8; ++y)
                for (uint32_t x = 0; x < 8; ++x)
                {
                    const uint32_t tx = u == TextureAddress::Wrap ? x % 4 : (x < 4 ? 0 : x - 4);
                    const uint32_t ty = v == TextureAddress::Wrap ? y % 4 : (y < 4 ? 0 : y - 4);
                    EXPECT_EQ(c.At(x, y), Rgb565(60 * tx, 60 * ty, 0))
                        << x << "," << y << " u " << ToState(u) << " v " << ToState(v);
                }
        }
    // Without a power-of-two size wrapping still repeats.
    Canvas c(6, 1);
    TextureOnly(c);
    c.textures[0] = c.Texture(3, 1, PixelFormat::Argb8888, CoordinateTexels(3, 1));
    c.Rectangle(0, 0, 6, 1, 0xFFFFFFFF, 0.5f, -1, 0, 1, 1);
    for (uint32_t x = 0; x < 6; ++x)
        EXPECT_EQ(c.At(x, 0), Rgb565(60 * (x % 3), 0, 0)) << x;
}

TEST(RasterizerTexture, ColorKeyDropsKeyedTexelsOnlyWhenEnabled)
{
    Canvas c(4, 1, PixelFormat::Z16);
    TextureOnly(c);
    c.textures[0] = c.Texture(2, 1, PixelFormat::Rgb565, {0x0000, 0xF800});
    const ColorKey key{0, 0};
    ASSERT_EQ(c.textures[0]->SetColorKey(&key), Result::Ok);
    c.Fill(0x001F);
    c.Rectangle(0, 0, 4, 1, 0xFFFFFFFF);
    EXPECT_EQ(c.At(0, 0), 0x0000u);
    EXPECT_EQ(c.At(3, 0), 0xF800u);

    c.Fill(0x001F);
    c.FillDepth(0xFFFF);
    c.Set(RenderState::ColorKeyEnable, 1);
    c.Rectangle(0, 0, 4, 1, 0xFFFFFFFF);
    EXPECT_EQ(c.At(0, 0), 0x001Fu);
    EXPECT_EQ(c.At(1, 0), 0x001Fu);
    EXPECT_EQ(c.DepthAt(1, 0), 0xFFFFu) << "a keyed pixel writes no depth";
    EXPECT_EQ(c.At(2, 0), 0xF800u);
    EXPECT_EQ(c.DepthAt(2, 0), 32768u);

    // Keys cover a range of raw values; a texture without a key keeps everything.
    const ColorKey range{0xF000, 0xF8FF};
    c.textures[0]->SetColorKey(&range);
    c.Fill(0x001F);
    c.FillDepth(0xFFFF);
    c.Rectangle(0, 0, 4, 1, 0xFFFFFFFF);
    EXPECT_EQ(c.At(0, 0), 0x0000u);
    EXPECT_EQ(c.At(3, 0), 0x001Fu);
    c.textures[0]->SetColorKey(nullptr);
    c.Rectangle(0, 0, 4, 1, 0xFFFFFFFF);
    EXPECT_EQ(c.At(3, 0), 0xF800u);
}

TEST(RasterizerTexture, FilteredColorKeyDropsSamplesKeyedByHalfOrMore)
{
    Canvas c(8, 1);
    TextureOnly(c);
    c.textures[0] = c.Texture(2, 1, PixelFormat::Rgb565, {0x0000, 0xF800});
    const ColorKey key{0, 0};
    c.textures[0]->SetColorKey(&key);
    c.Set(RenderState::ColorKeyEnable, 1);
    c.Set(0, StageState::MagFilter, TextureFilter::Linear);
    c.Set(0, StageState::MinFilter, TextureFilter::Linear);
    c.Set(0, StageState::Address, TextureAddress::Clamp);
    c.Set(0, StageState::AddressU, TextureAddress::Clamp);
    c.Set(0, StageState::AddressV, TextureAddress::Clamp);
    c.Fill(0x001F);
    c.Rectangle(0, 0, 8, 1, 0xFFFFFFFF);
    // Pixel x weighs the red texel by (x / 4 - 0.5) clamped to 0..1; the rest is keyed. The
    // red that survives is not darkened by the keyed texel.
    const uint16_t blue = 0x001F;
    const uint16_t red = 0xF800;
    const uint16_t expected[8] = {blue, blue, blue, blue, blue, red, red, red};
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(c.At(x, 0), expected[x]) << x;
}

TEST(RasterizerTexture, MipLevelsFollowTheFootprintOnScreen)
{
    const uint32_t colors[] = {0xFFFF0000, 0xFFC80000, 0xFF006400, 0xFF0000FF, 0xFFFFFFFF};
    Canvas c(32, 32);
    TextureOnly(c);
    c.textures[0] = c.Texture(16, 16, PixelFormat::Argb8888, {}, 5);
    for (uint32_t level = 0; level < 5; ++level)
        Canvas::SetTexels(*Canvas::Level(c.textures[0], level), {colors[level]});
    c.Set(0, StageState::MipFilter, TextureFilter::Point);
    // 16 texels over 32, 16, 8 and 4 pixels: level 0 magnified, 0, 1, 2.
    auto sample = [&c](float size)
    {
        c.Fill(0);
        c.Rectangle(0, 0, size, size, 0xFFFFFFFF);
        return c.At(0, 0);
    };
    EXPECT_EQ(sample(32), Rgb565(255, 0, 0));
    EXPECT_EQ(sample(16), Rgb565(255, 0, 0));
    EXPECT_EQ(sample(8), Rgb565(200, 0, 0));
    EXPECT_EQ(sample(4), Rgb565(0, 100, 0));
    EXPECT_EQ(sample(1), Rgb565(255, 255, 255)) << "beyond the last level it stays";

    // Without mipmapping level 0 serves everything.
    c.Set(0, StageState::MipFilter, TextureFilter::None);
    EXPECT_EQ(sample(4), Rgb565(255, 0, 0));

    // A step along x moves two texels in u and two in v: a footprint of sqrt(8) texels,
    // log2 1.5, half way between levels 1 and 2.
    auto sheared = [&c]()
    {
        c.Fill(0);
        c.Triangles(std::vector<TlVertex1>{V(0, 0, 0xFFFFFFFF, 0.5f, 1, 0, 0), V(8, 0, 0xFFFFFFFF, 0.5f, 1, 1, 1),
                                           V(0, 8, 0xFFFFFFFF, 0.5f, 1, 0, 0)});
        return c.At(2, 1);
    };
    c.Set(0, StageState::MipFilter, TextureFilter::Linear);
    EXPECT_EQ(sheared(), Rgb565(100, 50, 0));
    c.Set(0, StageState::MipFilter, TextureFilter::Point);
    EXPECT_EQ(sheared(), Rgb565(0, 100, 0)) << "1.5 rounds to level 2";
}

TEST(RasterizerTexture, MagnificationAndMinificationFilterSeparately)
{
    Canvas c(16, 16);
    TextureOnly(c);
    c.textures[0] = c.Texture(2, 2, PixelFormat::Argb8888, {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000});
    c.Set(0, StageState::MagFilter, TextureFilter::Linear);
    // Magnified 8 times: pixel (7, 3) lies between the texel columns, so the bilinear filter
    // mixes them; minified the point filter does not.
    c.Rectangle(0, 0, 16, 16, 0xFFFFFFFF);
    EXPECT_NE(c.At(7, 3), 0x0000u);
    EXPECT_NE(c.At(7, 3), 0xFFFFu);
    c.Fill(0);
    c.Rectangle(0, 0, 1, 1, 0xFFFFFFFF);
    const uint16_t minified = c.At(0, 0);
    EXPECT_TRUE(minified == 0x0000u || minified == 0xFFFFu) << minified;
}

TEST(RasterizerTexture, BilinearWeighsTheFourNearestTexels)
{
    Canvas c(8, 8);
    TextureOnly(c);
    c.textures[0] = c.Texture(2, 2, PixelFormat::Argb8888, {0xFFC80000, 0xFF00C800, 0xFF0000C8, 0xFF646464});
    c.Set(0, StageState::MagFilter, TextureFilter::Linear);
    c.Set(0, StageState::MinFilter, TextureFilter::Linear);
    c.Set(0, StageState::AddressU, TextureAddress::Clamp);
    c.Set(0, StageState::AddressV, TextureAddress::Clamp);
    c.Rectangle(0, 0, 8, 8, 0xFFFFFFFF);
    // Pixel (3, 5) samples texel coordinates (0.25, 0.75) past the first centre: weights
    // 192 x 64, 64 x 64, 192 x 192 and 64 x 192 of 65536:
    // red (200 x 12288 + 100 x 12288) / 65536 = 56.25, green (200 x 4096 + 100 x 12288) = 31.25,
    // blue (200 x 36864 + 100 x 12288) = 131.25, each rounded.
    EXPECT_EQ(c.At(3, 5), Rgb565(56, 31, 131));
    // Exactly on a texel centre only that texel counts.
    EXPECT_EQ(c.At(2, 2), Rgb565(200, 0, 0));
    // At the edge clamping repeats the border texel; wrapping mixes in the far side.
    EXPECT_EQ(c.At(0, 2), Rgb565(200, 0, 0));
    c.Set(0, StageState::AddressU, TextureAddress::Wrap);
    c.Rectangle(0, 0, 8, 8, 0xFFFFFFFF);
    EXPECT_EQ(c.At(0, 2), Rgb565(100, 100, 0));
}

TEST(RasterizerTexture, PerspectiveCorrectionDividesByTheInterpolatedRhw)
{
    Canvas c(20, 2);
    TextureOnly(c);
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 10; ++i)
        texels.push_back(0xFF000000u | (20 * i) << 16);
    c.textures[0] = c.Texture(10, 1, PixelFormat::Argb8888, texels);
    // The right end is three times as far away.
    const std::vector<TlVertex1> tri = {V(0, 0, 0xFFFFFFFF, 0.5f, 1.0f, 0, 0),
                                        V(20, 0, 0xFFFFFFFF, 0.5f, 1.0f / 3, 1, 0),
                                        V(0, 2, 0xFFFFFFFF, 0.5f, 1.0f, 0, 0)};
    c.Triangles(tri);
    // At x = 9 (0.45 of the way on screen): u = (0.45 / 3) / (0.55 + 0.45 / 3) = 0.214.
    EXPECT_EQ(c.At(9, 0), Rgb565(40, 0, 0));
    c.Set(RenderState::TexturePerspective, 0);
    c.Triangles(tri);
    EXPECT_EQ(c.At(9, 0), Rgb565(80, 0, 0)) << "affine: u = 0.45";
}

TEST(RasterizerTexture, EveryTexelFormatReadsAsTheSurfaceConversionSays)
{
    struct Case
    {
        PixelFormat format;
        uint32_t raw;
    };
    const Case cases[] = {
        {PixelFormat::Rgb565, 0x8A51},       {PixelFormat::Argb1555, 0x4A52}, {PixelFormat::Argb1555, 0xCA52},
        {PixelFormat::Argb4444, 0x7C3A},     {PixelFormat::Rgb888, 0x80C040}, {PixelFormat::Xrgb8888, 0x12345678},
        {PixelFormat::Argb8888, 0x5AC08040},
    };
    for (const Case& k : cases)
    {
        Canvas c(2, 2);
        c.textures[0] = c.Texture(1, 1, k.format, {k.raw});
        TextureOnly(c);
        c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF);
        const uint32_t argb = ExpandColor(k.format, k.raw);
        EXPECT_EQ(c.At(0, 0), PackColor(PixelFormat::Rgb565, argb)) << static_cast<int>(k.format);
        // Stage 1 shows the texel's alpha as grey.
        c.Set(1, StageState::ColorOp, TextureOp::SelectArg1);
        c.Set(1, StageState::ColorArg1, TextureArg::kCurrent | TextureArg::kAlphaReplicate);
        c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF);
        const uint32_t alpha = argb >> 24;
        EXPECT_EQ(c.At(0, 0), Rgb565(alpha, alpha, alpha)) << static_cast<int>(k.format);
    }

    // Palettised texels through the attached palette; without one they read black.
    Canvas c(2, 2);
    TextureOnly(c);
    c.textures[0] = c.Texture(1, 1, PixelFormat::Pal8, {7});
    c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF);
    EXPECT_EQ(c.At(0, 0), 0x0000u);
    PaletteEntry entries[256] = {};
    entries[7] = {0x30, 0xA0, 0xF0, 0};
    std::shared_ptr<Palette> palette;
    ASSERT_EQ(c.rig.display->CreatePalette(kPaletteCaps8Bit | kPaletteCapsInitialize | kPaletteCapsAllow256, entries,
                                           palette),
              Result::Ok);
    ASSERT_EQ(c.textures[0]->SetPalette(palette), Result::Ok);
    c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF);
    EXPECT_EQ(c.At(0, 0), Rgb565(0x30, 0xA0, 0xF0));
}
