// Small scenes drawn by the software rasterizer and compared to the bit with the pictures in
// tests/golden (QR_UPDATE_GOLDEN=1 rewrites them; look at the change before committing it).
#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plat;
using rastertest::Canvas;
using rastertest::V;

namespace
{

constexpr uint32_t kSize = 64;

// An 8 x 8 checkerboard of two colours in RGB565, with a mip chain of the same pattern
// averaged down (each level one colour darker so that the levels can be told apart).
std::shared_ptr<Surface> Checker(Canvas& c, uint32_t size, uint32_t levels)
{
    auto texture = c.Texture(size, size, PixelFormat::Rgb565, {}, levels);
    for (uint32_t level = 0; level < levels; ++level)
    {
        auto surface = Canvas::Level(texture, level);
        const uint32_t cells = std::max(1u, surface->Width() / 8);
        const uint16_t light = rastertest::Rgb565(240 - 40 * level, 220 - 30 * level, 120);
        const uint16_t dark = rastertest::Rgb565(40, 60 + 20 * level, 140 - 20 * level);
        for (uint32_t y = 0; y < surface->Height(); ++y)
            for (uint32_t x = 0; x < surface->Width(); ++x)
                displaytest::SetPixel(*surface, x, y, ((x / cells + y / cells) & 1) ? dark : light);
    }
    return texture;
}

} // namespace

TEST(RasterizerGolden, GouraudTrianglesBehindEachOther)
{
    Canvas c(kSize, kSize, PixelFormat::Z16);
    c.Untextured();
    c.Fill(rastertest::Rgb565(16, 16, 32));
    c.Triangles(std::vector<TlVertex1>{V(4.5f, 3.25f, 0xFFFF2000, 0.6f), V(60.0f, 12.75f, 0xFF20FF20, 0.6f),
                                       V(20.25f, 61.5f, 0xFF2040FF, 0.6f)});
    // Nearer at the left, farther at the right: it cuts through the first.
    c.Triangles(std::vector<TlVertex1>{V(2.0f, 40.0f, 0xFFFFFF00, 0.3f), V(62.0f, 30.5f, 0xFFFF00FF, 0.9f),
                                       V(40.0f, 63.0f, 0xFF00FFFF, 0.5f)});
    EXPECT_TRUE(golden::MatchesGoldenImage("raster_gouraud.png", c.Image()));
}

TEST(RasterizerGolden, TexturedFloorInPerspective)
{
    Canvas c(kSize, kSize, PixelFormat::Z16);
    c.textures[0] = Checker(c, 32, 6);
    c.Set(0, StageState::MagFilter, TextureFilter::Linear);
    c.Set(0, StageState::MinFilter, TextureFilter::Linear);
    c.Set(0, StageState::MipFilter, TextureFilter::Linear);
    c.Fill(rastertest::Rgb565(90, 140, 200));
    // A square floor seen from above its near edge: four times as far at the horizon.
    const float nearRhw = 1.0f;
    const float farRhw = 0.25f;
    const std::vector<TlVertex1> quad = {
        V(22, 14, 0xFFFFFFFF, 0.8f, farRhw, 0, 0),
        V(42, 14, 0xFFFFFFFF, 0.8f, farRhw, 2, 0),
        V(-8, 64, 0xFFFFFFFF, 0.2f, nearRhw, 0, 2),
        V(72, 64, 0xFFFFFFFF, 0.2f, nearRhw, 2, 2),
    };
    c.Triangles(quad, {0, 1, 2, 2, 1, 3});
    EXPECT_TRUE(golden::MatchesGoldenImage("raster_receding_floor.png", c.Image()));
}

TEST(RasterizerGolden, OverlappingBlendedTriangles)
{
    Canvas c(kSize, kSize);
    c.Untextured();
    c.Fill(rastertest::Rgb565(200, 200, 200));
    c.Set(RenderState::AlphaBlendEnable, 1);
    c.Set(RenderState::SrcBlend, BlendFactor::SrcAlpha);
    c.Set(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
    c.Triangles(std::vector<TlVertex1>{V(4, 4, 0xC0FF0000), V(50, 10, 0x40FF0000), V(10, 56, 0xFFFF0000)});
    c.Triangles(std::vector<TlVertex1>{V(14, 8, 0x8000FF00), V(60, 30, 0x8000FF00), V(20, 60, 0x2000FF00)});
    // Added light, then darkened by the destination colour.
    c.Set(RenderState::SrcBlend, BlendFactor::One);
    c.Set(RenderState::DestBlend, BlendFactor::One);
    c.Triangles(std::vector<TlVertex1>{V(30, 2, 0xFF000060), V(62, 62, 0xFF0000C0), V(2, 40, 0xFF000030)});
    c.Set(RenderState::SrcBlend, BlendFactor::Zero);
    c.Set(RenderState::DestBlend, BlendFactor::SrcColor);
    c.Rectangle(24, 24, 40, 40, 0xFF8080FF);
    EXPECT_TRUE(golden::MatchesGoldenImage("raster_blended.png", c.Image()));
}

TEST(RasterizerGolden, FoggedStripWithSpecularHighlights)
{
    Canvas c(kSize, kSize, PixelFormat::Z16);
    c.textures[0] = Checker(c, 16, 1);
    c.Fill(rastertest::Rgb565(180, 190, 200));
    c.Set(RenderState::FogEnable, 1);
    c.Set(RenderState::FogColor, 0x00B4BEC8u);
    c.Set(RenderState::SpecularEnable, 1);
    // A road receding to the top: fog thickens and a highlight runs down its middle.
    std::vector<TlVertex1> strip;
    std::vector<uint16_t> indices;
    for (int row = 0; row <= 6; ++row)
    {
        const float t = row / 6.0f;
        const float y = 62.0f - 52.0f * t;
        const float half = 30.0f - 24.0f * t;
        const float rhw = 1.0f - 0.8f * t;
        const uint32_t fog = static_cast<uint32_t>(255.0f * (1.0f - t)) << 24;
        const uint32_t shine = static_cast<uint32_t>(96.0f * (1.0f - std::fabs(t - 0.4f))) * 0x010101u;
        strip.push_back(V(32 - half, y, 0xFFE0E0E0, 0.5f, rhw, 0, 6 * t, fog));
        strip.push_back(V(32, y, 0xFFFFFFFF, 0.5f, rhw, 1, 6 * t, fog | shine));
        strip.push_back(V(32 + half, y, 0xFFE0E0E0, 0.5f, rhw, 2, 6 * t, fog));
    }
    for (uint16_t row = 0; row < 6; ++row)
        for (uint16_t col = 0; col < 2; ++col)
        {
            const uint16_t i = static_cast<uint16_t>(row * 3 + col);
            indices.insert(indices.end(),
                           {i, static_cast<uint16_t>(i + 1), static_cast<uint16_t>(i + 3), static_cast<uint16_t>(i + 1),
                            static_cast<uint16_t>(i + 4), static_cast<uint16_t>(i + 3)});
        }
    c.Triangles(strip, indices);
    EXPECT_TRUE(golden::MatchesGoldenImage("raster_fogged_strip.png", c.Image()));
}

TEST(RasterizerGolden, WireframeLinesAndAKeyedDecalOverALightmap)
{
    Canvas c(kSize, kSize);
    c.Fill(rastertest::Rgb565(20, 20, 30));
    // A base texture lit by a second one through its own coordinates, holes keyed out.
    c.textures[0] = c.Texture(4, 4, PixelFormat::Rgb565,
                              {0xFFE0, 0x0000, 0xFFE0, 0x07FF, 0x0000, 0xFFE0, 0x07FF, 0xFFE0, 0xFFE0, 0x07FF, 0xFFE0,
                               0x0000, 0x07FF, 0xFFE0, 0x0000, 0xFFE0});
    const ColorKey key{0, 0};
    c.textures[0]->SetColorKey(&key);
    c.textures[1] = c.Texture(2, 2, PixelFormat::Argb4444, {0xFFFF, 0xF444, 0xF888, 0xFCCC});
    c.Set(RenderState::ColorKeyEnable, 1);
    c.Set(0, StageState::ColorOp, TextureOp::SelectArg1);
    c.Set(1, StageState::ColorOp, TextureOp::Modulate);
    c.Set(1, StageState::ColorArg1, TextureArg::kTexture);
    c.Set(1, StageState::ColorArg2, TextureArg::kCurrent);
    c.Set(1, StageState::TexCoordIndex, 1);
    c.Set(1, StageState::MagFilter, TextureFilter::Linear);
    c.Set(1, StageState::MinFilter, TextureFilter::Linear);
    auto vertex = [](float x, float y, float u, float v, float u1, float v1)
    { return TlVertex2{x, y, 0.5f, 1.0f, 0xFFFFFFFF, 0xFF000000, u, v, u1, v1}; };
    c.Triangles(std::vector<TlVertex2>{vertex(6, 6, 0, 0, 0, 0), vertex(58, 10, 2, 0, 1, 0), vertex(10, 58, 0, 2, 0, 1),
                                       vertex(58, 10, 2, 0, 1, 0), vertex(54, 54, 2, 2, 1, 1),
                                       vertex(10, 58, 0, 2, 0, 1)});

    c.Untextured();
    c.Set(1, StageState::ColorOp, TextureOp::Disable);
    c.Set(RenderState::FillMode, FillMode::Wireframe);
    c.Triangles(std::vector<TlVertex1>{V(2, 30, 0xFFFF0000), V(30, 2, 0xFF00FF00), V(62, 40, 0xFF0000FF)});
    std::vector<TlVertex1> lines;
    for (int i = 0; i < 8; ++i)
    {
        const float angle = 0.4f * static_cast<float>(i);
        lines.push_back(V(32, 32, 0xFFFFFFFF));
        lines.push_back(V(32 + 30 * std::cos(angle), 32 + 30 * std::sin(angle), 0xFF404040 + 0x200000 * i));
    }
    c.Lines(lines);
    EXPECT_TRUE(golden::MatchesGoldenImage("raster_wire_decal.png", c.Image()));
}

TEST(RasterizerGolden, FogRampBandsWithoutDitheringAndNotWithIt)
{
    // Vertex fog from none at the left to full at the right over a dark surface: truncated
    // to 565 in the top half, dithered in the bottom half.
    Canvas c(128, 64);
    c.Untextured();
    c.Set(RenderState::FogEnable, 1);
    c.Set(RenderState::FogColor, 0x00A0B4C8u);
    for (uint32_t dither : {0u, 1u})
    {
        c.Set(RenderState::DitherEnable, dither);
        const float top = 32.0f * static_cast<float>(dither);
        const std::vector<TlVertex1> quad = {V(0, top, 0xFF203028, 0.5f, 1.0f, 0, 0, 0xFF000000u),
                                             V(128, top, 0xFF203028, 0.5f, 1.0f, 0, 0, 0),
                                             V(0, top + 32, 0xFF203028, 0.5f, 1.0f, 0, 0, 0xFF000000u),
                                             V(128, top + 32, 0xFF203028, 0.5f, 1.0f, 0, 0, 0)};
        c.Triangles(quad, {0, 1, 2, 2, 1, 3});
    }
    EXPECT_TRUE(golden::MatchesGoldenImage("raster_fog_ramp_dither.png", c.Image()));
}
