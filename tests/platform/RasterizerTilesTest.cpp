// The software rasterizer's tiled drawing over several threads against one thread: random
// large and small triangles (many of them crossing or touching the tiles' edges) under
// textured, blended and depth-tested states must leave identical colour and depth whatever
// the number of threads. Also run under ThreadSanitizer.
#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace plat;
using rastertest::Canvas;

namespace
{

constexpr uint32_t kWidth = 2 * SoftwareRasterizer::kTileWidth + 29;
constexpr uint32_t kHeight = 4 * SoftwareRasterizer::kTileHeight + 7;

struct TileScene
{
    bool wireframe = false;
    bool bilinear = false;
    bool blend = false;
    std::vector<TlVertex1> vertices;
};

TileScene RandomTileScene(std::mt19937& random)
{
    auto real = [&random](float lo, float hi)
    { return lo + (hi - lo) * static_cast<float>(random() % 100000) / 100000.0f; };
    TileScene s;
    s.wireframe = random() % 6 == 0;
    s.bilinear = random() % 2 == 0;
    s.blend = random() % 2 == 0;
    for (uint32_t t = 0; t < 60; ++t)
    {
        // A third large (reaching past the target), the rest a few pixels across.
        const bool large = t % 3 == 0;
        const float cx = real(-4.0f, kWidth + 4.0f);
        const float cy = real(-4.0f, kHeight + 4.0f);
        const float reach = large ? 80.0f : 6.0f;
        for (int k = 0; k < 3; ++k)
            s.vertices.push_back(rastertest::V(cx + real(-reach, reach), cy + real(-reach, reach),
                                               static_cast<uint32_t>(random()), real(0.0f, 1.0f), real(0.3f, 1.5f),
                                               real(-1.0f, 2.0f), real(-1.0f, 2.0f)));
    }
    return s;
}

std::vector<uint32_t> DrawTiles(const TileScene& s, uint32_t threads)
{
    Canvas c(kWidth, kHeight, PixelFormat::Z16);
    c.rasterizer.SetThreads(threads);
    c.textures[0] = c.Texture(16, 16, PixelFormat::Rgb565, {}, 3);
    for (uint32_t level = 0; level < 3; ++level)
    {
        auto surface = Canvas::Level(c.textures[0], level);
        for (uint32_t y = 0; y < surface->Height(); ++y)
            for (uint32_t x = 0; x < surface->Width(); ++x)
                displaytest::SetPixel(*surface, x, y, (x * 2654435761u) ^ (y * 40503u) ^ level);
    }
    if (s.wireframe)
        c.Set(RenderState::FillMode, FillMode::Wireframe);
    if (s.bilinear)
    {
        c.Set(0, StageState::MagFilter, TextureFilter::Linear);
        c.Set(0, StageState::MinFilter, TextureFilter::Linear);
        c.Set(0, StageState::MipFilter, TextureFilter::Point);
    }
    if (s.blend)
    {
        c.Set(RenderState::AlphaBlendEnable, 1);
        c.Set(RenderState::SrcBlend, BlendFactor::SrcAlpha);
        c.Set(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
        c.Set(0, StageState::AlphaOp, TextureOp::SelectArg2);
        c.Set(0, StageState::AlphaArg2, TextureArg::kDiffuse);
    }
    c.Triangles(s.vertices);
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
        {
            out.push_back(c.At(x, y));
            out.push_back(c.DepthAt(x, y));
        }
    return out;
}

} // namespace

TEST(RasterizerTiles, AnyNumberOfThreadsDrawsWhatOneThreadDraws)
{
    std::mt19937 random(4242);
    for (uint32_t n = 0; n < 12; ++n)
    {
        const TileScene scene = RandomTileScene(random);
        const std::vector<uint32_t> one = DrawTiles(scene, 1);
        for (uint32_t threads : {2u, 3u, 8u})
            ASSERT_EQ(DrawTiles(scene, threads), one) << threads << " threads, scene " << n;
    }
}
