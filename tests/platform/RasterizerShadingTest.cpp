// The colour and depth the software rasterizer writes: shading, the depth test, writes and
// bias per buffer format, the eleven blend factors, fog, specular and the stage operations.
// Expected 565 values are worked out by hand from 8-bit channels: products rounded to the
// nearest 1/255, sums saturated, then truncated to 5-6-5 bits.
#include "RasterTestSupport.h"

#include <gtest/gtest.h>

using namespace plat;
using rastertest::Canvas;
using rastertest::Rgb565;
using rastertest::V;

namespace
{

constexpr uint16_t Pack(uint32_t r5, uint32_t g6, uint32_t b5)
{
    return static_cast<uint16_t>(r5 << 11 | g6 << 5 | b5);
}

constexpr uint16_t Grey(uint32_t v)
{
    return Rgb565(v, v, v);
}

} // namespace

TEST(RasterizerShading, GouraudInterpolatesAndFlatTakesTheFirstVertexGiven)
{
    Canvas c(8, 8);
    c.Untextured();
    c.Triangles(std::vector<TlVertex1>{V(0, 0, 0xFFFF0000), V(8, 0, 0xFF00FF00), V(0, 8, 0xFF0000FF)});
    EXPECT_EQ(c.At(0, 0), 0xF800u);
    // Half way along the top edge: 127.5 of red and of green, rounded up.
    EXPECT_EQ(c.At(4, 0), Rgb565(128, 128, 0));
    EXPECT_EQ(c.At(0, 4), Rgb565(128, 0, 128));

    // Flat shading keeps the first vertex as given, its specular colour too.
    c.Fill(0);
    c.Set(RenderState::ShadeMode, ShadeMode::Flat);
    c.Set(RenderState::SpecularEnable, 1);
    c.Triangles(std::vector<TlVertex1>{V(0, 8, 0xFF000080, 0.5f, 1, 0, 0, 0xFF400000), V(8, 0, 0xFF00FF00),
                                       V(0, 0, 0xFFFF0000)});
    for (uint32_t y = 0; y < 7; ++y)
        for (uint32_t x = 0; x + y < 7; ++x)
            EXPECT_EQ(c.At(x, y), Rgb565(0x40, 0, 0x80)) << x << "," << y;
    // Lines too.
    c.Lines(std::vector<TlVertex1>{V(0, 7, 0xFF00FF00), V(8, 7, 0xFFFF0000)});
    EXPECT_EQ(c.At(0, 7), 0x07E0u);
    EXPECT_EQ(c.At(7, 7), 0x07E0u);
}

TEST(RasterizerShading, LessOrEqualDepthKeepsTheNearerAndTheEqual)
{
    Canvas c(4, 4, PixelFormat::Z16);
    c.Untextured();
    c.Rectangle(0, 0, 4, 4, 0xFFFF0000, 0.5f);
    EXPECT_EQ(c.DepthAt(1, 1), 32768u); // 0.5 x 65535 rounded
    c.Rectangle(0, 0, 4, 4, 0xFF00FF00, 0.6f);
    EXPECT_EQ(c.At(1, 1), 0xF800u);
    EXPECT_EQ(c.DepthAt(1, 1), 32768u);
    c.Rectangle(0, 0, 4, 4, 0xFF0000FF, 0.5f);
    EXPECT_EQ(c.At(1, 1), 0x001Fu);
    c.Rectangle(0, 0, 4, 4, 0xFFFFFFFF, 0.25f);
    EXPECT_EQ(c.At(1, 1), 0xFFFFu);
    EXPECT_EQ(c.DepthAt(1, 1), 16384u);
}

TEST(RasterizerShading, AlwaysPassesWriteOffKeepsTheBufferAndZOffIgnoresIt)
{
    Canvas c(4, 4, PixelFormat::Z16);
    c.Untextured();
    c.Rectangle(0, 0, 4, 4, 0xFFFF0000, 0.25f);
    c.Set(RenderState::ZFunc, CompareFunc::Always);
    c.Rectangle(0, 0, 4, 4, 0xFF00FF00, 0.75f);
    EXPECT_EQ(c.At(2, 2), 0x07E0u);
    EXPECT_EQ(c.DepthAt(2, 2), 49151u); // 0.75 x 65535 rounded
    c.Set(RenderState::ZFunc, CompareFunc::LessEqual);
    c.Set(RenderState::ZWriteEnable, 0);
    c.Rectangle(0, 0, 4, 4, 0xFF0000FF, 0.5f);
    EXPECT_EQ(c.At(2, 2), 0x001Fu);
    EXPECT_EQ(c.DepthAt(2, 2), 49151u);
    c.Rectangle(0, 0, 4, 4, 0xFFFFFFFF, 0.9f);
    EXPECT_EQ(c.At(2, 2), 0x001Fu);
    c.Set(RenderState::ZEnable, 0);
    c.Set(RenderState::ZWriteEnable, 1);
    c.Rectangle(0, 0, 4, 4, 0xFFFFFFFF, 0.9f);
    EXPECT_EQ(c.At(2, 2), 0xFFFFu);
    EXPECT_EQ(c.DepthAt(2, 2), 49151u);
}

TEST(RasterizerShading, DepthIsStoredInTheBuffersOwnBitsAndStencilIsKept)
{
    {
        Canvas c(2, 2, PixelFormat::Z32);
        c.Untextured();
        c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF, 0.25f);
        EXPECT_EQ(c.DepthAt(0, 0), 1073741824u); // 0.25 x (2^32 - 1) rounded
        c.Rectangle(0, 0, 2, 2, 0xFF000000, 0.2500001f);
        EXPECT_EQ(c.At(0, 0), 0xFFFFu) << "a little farther fails";
    }
    {
        Canvas c(2, 2, PixelFormat::Z24S8);
        c.Untextured();
        c.FillDepth(0xA5FFFFFFu);
        c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF, 0.5f);
        EXPECT_EQ(c.DepthAt(1, 1), 0xA5800000u); // 0.5 x (2^24 - 1) rounded, stencil untouched
        // The stencil bits take no part in the test.
        c.Rectangle(0, 0, 2, 2, 0xFF000000, 0.4f);
        EXPECT_EQ(c.At(1, 1), 0u);
    }
    {
        Canvas c(2, 2, PixelFormat::Z16S8);
        c.Untextured();
        c.FillDepth(0x003CFFFFu);
        c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF, 1.0f);
        EXPECT_EQ(c.DepthAt(0, 1), 0x003CFFFFu);
        c.Rectangle(0, 0, 2, 2, 0xFFFFFFFF, -3.0f); // clamped to 0
        EXPECT_EQ(c.DepthAt(0, 1), 0x003C0000u);
    }
}

TEST(RasterizerShading, BiasDrawsCoplanarAndSlightlyFartherPixelsNearer)
{
    // The second rectangle is three 16-bit steps behind the first.
    const float behind = 32771.0f / 65535.0f;
    for (const auto& [bias, drawn] : {std::pair{0u, false}, {2u, false}, {3u, true}, {4u, true}, {200u, true}})
    {
        Canvas c(2, 2, PixelFormat::Z16);
        c.Untextured();
        c.Rectangle(0, 0, 2, 2, 0xFFFF0000, 0.5f);
        c.Set(RenderState::ZBias, bias);
        c.Rectangle(0, 0, 2, 2, 0xFF00FF00, behind);
        EXPECT_EQ(c.At(1, 1), drawn ? 0x07E0u : 0xF800u) << "bias " << bias;
    }
    // A 32-bit buffer moves by the same share of its range.
    Canvas c(2, 2, PixelFormat::Z32);
    c.Untextured();
    c.Rectangle(0, 0, 2, 2, 0xFFFF0000, 0.5f);
    c.Set(RenderState::ZBias, 4);
    c.Rectangle(0, 0, 2, 2, 0xFF00FF00, behind);
    EXPECT_EQ(c.At(1, 1), 0x07E0u);
}

TEST(RasterizerShading, EachBlendFactorAsSourceAndAsDestination)
{
    // Source (200, 100, 40) with alpha 96 over a target of 565 (20, 40, 10), which reads back
    // as (165, 162, 82).
    struct Case
    {
        BlendFactor factor;
        uint16_t asSource;      // source x factor, destination x zero
        uint16_t asDestination; // source x zero, destination x factor
    };
    const Case cases[] = {
        {BlendFactor::Zero, Pack(0, 0, 0), Pack(0, 0, 0)},
        {BlendFactor::One, Pack(25, 25, 5), Pack(20, 40, 10)},
        {BlendFactor::SrcColor, Pack(19, 9, 0), Pack(16, 16, 1)},     // (157, 39, 6), (129, 64, 13)
        {BlendFactor::InvSrcColor, Pack(5, 15, 4), Pack(4, 24, 8)},   // (43, 61, 34), (36, 98, 69)
        {BlendFactor::SrcAlpha, Pack(9, 9, 1), Pack(7, 15, 3)},       // (75, 38, 15), (62, 61, 31)
        {BlendFactor::InvSrcAlpha, Pack(15, 15, 3), Pack(12, 25, 6)}, // (125, 62, 25), (103, 101, 51)
        {BlendFactor::DestAlpha, Pack(25, 25, 5), Pack(20, 40, 10)},  // the target is opaque
        {BlendFactor::InvDestAlpha, Pack(0, 0, 0), Pack(0, 0, 0)},
        {BlendFactor::DestColor, Pack(16, 16, 1), Pack(13, 25, 3)}, // (129, 64, 13), (107, 103, 26)
        {BlendFactor::InvDestColor, Pack(8, 9, 3), Pack(7, 14, 7)}, // (71, 36, 27), (58, 59, 56)
        {BlendFactor::SrcAlphaSat, Pack(0, 0, 0), Pack(0, 0, 0)},   // min(alpha, 1 - opaque)
    };
    for (const Case& k : cases)
    {
        for (bool source : {true, false})
        {
            Canvas c(2, 2);
            c.Untextured();
            c.Fill(Pack(20, 40, 10));
            c.Set(RenderState::AlphaBlendEnable, 1);
            c.Set(RenderState::SrcBlend, source ? k.factor : BlendFactor::Zero);
            c.Set(RenderState::DestBlend, source ? BlendFactor::Zero : k.factor);
            c.Rectangle(0, 0, 2, 2, 0x60C86428);
            EXPECT_EQ(c.At(1, 1), source ? k.asSource : k.asDestination)
                << "factor " << ToState(k.factor) << (source ? " as source" : " as destination");
        }
    }
}

TEST(RasterizerShading, BlendSumsSaturateAndBlendingOffWritesTheSource)
{
    auto draw = [](bool enable, BlendFactor src, BlendFactor dest)
    {
        Canvas c(2, 2);
        c.Untextured();
        c.Fill(Pack(20, 40, 10));
        c.Set(RenderState::AlphaBlendEnable, enable ? 1 : 0);
        c.Set(RenderState::SrcBlend, src);
        c.Set(RenderState::DestBlend, dest);
        c.Rectangle(0, 0, 2, 2, 0x60C86428);
        return c.At(0, 0);
    };
    // (75 + 103, 38 + 101, 15 + 51)
    EXPECT_EQ(draw(true, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha), Pack(22, 34, 8));
    // (200 + 165, 100 + 162, 40 + 82) saturated
    EXPECT_EQ(draw(true, BlendFactor::One, BlendFactor::One), Pack(31, 63, 15));
    EXPECT_EQ(draw(false, BlendFactor::One, BlendFactor::One), Pack(25, 25, 5));
}

TEST(RasterizerShading, VertexFogMovesTowardTheFogColourByTheSpecularAlpha)
{
    Canvas c(4, 2);
    c.Untextured();
    c.Set(RenderState::FogColor, 0x000000FFu);
    c.Set(RenderState::FogEnable, 1);
    c.Rectangle(0, 0, 4, 2, 0xFFFFFFFF);
    EXPECT_EQ(c.At(1, 1), 0xFFFFu) << "fog byte 255: no fog";
    auto fogged = [](uint32_t fogByte)
    {
        const uint32_t specular = fogByte << 24;
        return std::vector<TlVertex1>{V(0, 0, 0xFFFFFFFF, 0.5f, 1, 0, 0, specular),
                                      V(4, 0, 0xFFFFFFFF, 0.5f, 1, 0, 0, specular),
                                      V(0, 2, 0xFFFFFFFF, 0.5f, 1, 0, 0, specular)};
    };
    c.Triangles(fogged(128));
    // White toward blue by 127/255: (128, 128, 255).
    EXPECT_EQ(c.At(0, 0), Rgb565(128, 128, 255));
    c.Triangles(fogged(0));
    EXPECT_EQ(c.At(0, 0), 0x001Fu);
    c.Set(RenderState::FogEnable, 0);
    c.Triangles(fogged(0));
    EXPECT_EQ(c.At(0, 0), 0xFFFFu);
}

TEST(RasterizerShading, TableFogIsLinearInViewDepthBetweenStartAndEnd)
{
    Canvas c(2, 2);
    c.Untextured();
    c.Set(RenderState::FogEnable, 1);
    c.Set(RenderState::FogTableMode, FogMode::Linear);
    c.Set(RenderState::FogTableStart, StateFromFloat(10.0f));
    c.Set(RenderState::FogTableEnd, StateFromFloat(30.0f));
    c.Set(RenderState::FogColor, 0x000000FFu);
    auto at = [&c](float viewDepth)
    {
        const float rhw = 1.0f / viewDepth;
        // The vertices' own fog bytes say "all fog": table fog ignores them.
        c.Triangles(std::vector<TlVertex1>{V(0, 0, 0xFFFFFFFF, 0.5f, rhw, 0, 0, 0),
                                           V(2, 0, 0xFFFFFFFF, 0.5f, rhw, 0, 0, 0),
                                           V(0, 2, 0xFFFFFFFF, 0.5f, rhw, 0, 0, 0)});
        return c.At(0, 0);
    };
    EXPECT_EQ(at(5.0f), 0xFFFFu);
    EXPECT_EQ(at(15.0f), Rgb565(191, 191, 255)); // (30 - 15) / 20 of the colour kept
    EXPECT_EQ(at(40.0f), 0x001Fu);
}

TEST(RasterizerShading, SpecularIsAddedAfterTheStagesAndSaturates)
{
    Canvas c(2, 2);
    c.textures[0] = c.Texture(1, 1, PixelFormat::Argb8888, {0xFF404040});
    const std::vector<TlVertex1> tri = {V(0, 0, 0xFFFFFFFF, 0.5f, 1, 0, 0, 0xFFC0C010),
                                        V(2, 0, 0xFFFFFFFF, 0.5f, 1, 0, 0, 0xFFC0C010),
                                        V(0, 2, 0xFFFFFFFF, 0.5f, 1, 0, 0, 0xFFC0C010)};
    c.Triangles(tri);
    EXPECT_EQ(c.At(0, 0), Grey(64));
    c.Set(RenderState::SpecularEnable, 1);
    c.Triangles(tri);
    EXPECT_EQ(c.At(0, 0), Rgb565(255, 255, 80));
}

TEST(RasterizerShading, EachStageOperationCombinesItsArguments)
{
    // Texel (192, 96, 32) alpha 128; vertex colour (32, 64, 128) alpha 64.
    struct Case
    {
        TextureOp op;
        uint32_t arg1;
        uint16_t expected;
    };
    const uint32_t tex = TextureArg::kTexture;
    const Case cases[] = {
        {TextureOp::SelectArg1, tex, Rgb565(192, 96, 32)},
        {TextureOp::SelectArg2, tex, Rgb565(32, 64, 128)},
        {TextureOp::Modulate, tex, Rgb565(24, 24, 16)},
        {TextureOp::Add, tex, Rgb565(224, 160, 160)},
        {TextureOp::BlendTextureAlpha, tex, Rgb565(112, 80, 80)},
        {TextureOp::ModulateAlphaAddColor, tex, Rgb565(208, 128, 96)},  // t + t.a x d
        {TextureOp::ModulateColorAddAlpha, tex, Rgb565(152, 152, 144)}, // t x d + t.a
        {TextureOp::SelectArg1, tex | TextureArg::kComplement, Rgb565(63, 159, 223)},
        {TextureOp::SelectArg1, tex | TextureArg::kAlphaReplicate, Grey(128)},
        {TextureOp::SelectArg1, tex | TextureArg::kComplement | TextureArg::kAlphaReplicate, Grey(127)},
        {TextureOp::Disable, tex, Rgb565(32, 64, 128)},
    };
    for (const Case& k : cases)
    {
        Canvas c(2, 2);
        c.textures[0] = c.Texture(1, 1, PixelFormat::Argb8888, {0x80C06020});
        c.Set(0, StageState::ColorOp, k.op);
        c.Set(0, StageState::ColorArg1, k.arg1);
        c.Set(0, StageState::ColorArg2, TextureArg::kDiffuse);
        c.Rectangle(0, 0, 2, 2, 0x40204080);
        EXPECT_EQ(c.At(1, 1), k.expected) << "op " << ToState(k.op) << " arg " << k.arg1;
    }
}

TEST(RasterizerShading, AlphaOperationsFeedTheNextStage)
{
    // Stage 1 shows stage 0's alpha as grey.
    struct Case
    {
        TextureOp op;
        uint32_t arg1;
        uint32_t alpha;
    };
    const uint32_t tex = TextureArg::kTexture;
    const Case cases[] = {
        {TextureOp::SelectArg1, tex, 128},
        {TextureOp::SelectArg2, tex, 64},
        {TextureOp::Modulate, tex, 32},
        {TextureOp::Add, tex, 192},
        {TextureOp::BlendTextureAlpha, tex, 96},
        {TextureOp::ModulateAlphaAddColor, tex, 128}, // a colour-only mix picks argument 1
        {TextureOp::SelectArg1, tex | TextureArg::kComplement, 127},
        {TextureOp::Disable, tex, 64}, // alpha passes on
    };
    for (const Case& k : cases)
    {
        Canvas c(2, 2);
        c.textures[0] = c.Texture(1, 1, PixelFormat::Argb8888, {0x80C06020});
        c.Set(0, StageState::AlphaOp, k.op);
        c.Set(0, StageState::AlphaArg1, k.arg1);
        c.Set(0, StageState::AlphaArg2, TextureArg::kDiffuse);
        c.Set(1, StageState::ColorOp, TextureOp::SelectArg1);
        c.Set(1, StageState::ColorArg1, TextureArg::kCurrent | TextureArg::kAlphaReplicate);
        c.Rectangle(0, 0, 2, 2, 0x40204080);
        EXPECT_EQ(c.At(1, 1), Grey(k.alpha)) << "op " << ToState(k.op) << " arg " << k.arg1;
    }
}

TEST(RasterizerShading, TwoStagesReadTheirOwnTexturesAndCoordinateSets)
{
    Canvas c(4, 2);
    c.textures[0] = c.Texture(4, 1, PixelFormat::Argb8888, {0xFFFF8040, 0xFF000000, 0xFF000000, 0xFF000000});
    c.textures[1] = c.Texture(4, 1, PixelFormat::Argb8888, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF80FF80});
    c.Set(0, StageState::ColorOp, TextureOp::SelectArg1);
    c.Set(1, StageState::ColorOp, TextureOp::Modulate);
    c.Set(1, StageState::ColorArg1, TextureArg::kTexture);
    c.Set(1, StageState::ColorArg2, TextureArg::kCurrent);
    c.Set(1, StageState::TexCoordIndex, 1);
    // Set 0 reads texel 0 of the first texture, set 1 texel 3 of the second.
    auto vertex = [](float x, float y)
    { return TlVertex2{x, y, 0.5f, 1, 0xFFFFFFFF, 0xFF000000, 0.1f, 0.5f, 0.9f, 0.5f}; };
    c.Triangles(std::vector<TlVertex2>{vertex(0, 0), vertex(4, 0), vertex(0, 2)});
    EXPECT_EQ(c.At(0, 0), Rgb565(128, 128, 32)); // (255, 128, 64) x (128, 255, 128)

    // Stage 1 off: the first texture alone; stage 1 without a texture reads white.
    c.Set(1, StageState::ColorOp, TextureOp::Disable);
    c.Triangles(std::vector<TlVertex2>{vertex(0, 0), vertex(4, 0), vertex(0, 2)});
    EXPECT_EQ(c.At(0, 0), Rgb565(255, 128, 64));
    c.Set(1, StageState::ColorOp, TextureOp::Modulate);
    c.textures[1].reset();
    c.Triangles(std::vector<TlVertex2>{vertex(0, 0), vertex(4, 0), vertex(0, 2)});
    EXPECT_EQ(c.At(0, 0), Rgb565(255, 128, 64));
}

TEST(RasterizerShading, DitheringAveragesToTheColourAndKeepsBlackAndWhiteFlat)
{
    // Each grey over a 4 x 4 block: the reconstructed channels average to it within a step's
    // rounding, and the extremes are never dithered away from themselves.
    Canvas c(4, 4);
    c.Untextured();
    c.Set(RenderState::DitherEnable, 1);
    for (uint32_t grey = 0; grey <= 255; ++grey)
    {
        c.Rectangle(0, 0, 4, 4, 0xFF000000u | grey * 0x010101u);
        double sum[3] = {};
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
            {
                const Rgba p = UnpackRgb565(c.At(x, y));
                sum[0] += p.r;
                sum[1] += p.g;
                sum[2] += p.b;
                if (grey == 0 || grey == 255)
                {
                    EXPECT_EQ(c.At(x, y), grey ? 0xFFFF : 0x0000) << x << "," << y;
                }
            }
        for (double s : sum)
            EXPECT_NEAR(s / 16.0, grey, 1.0) << "grey " << grey;
    }
}
