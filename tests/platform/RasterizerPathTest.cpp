// The span loops against the batch pipeline they stand in for: random triangles under random
// states, drawn over the same random target and depth by every pixel path the build and
// machine offer, must leave identical colour and depth.
#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

using namespace plat;
using rastertest::Canvas;

namespace
{

constexpr uint32_t kWidth = 37;
constexpr uint32_t kHeight = 29;

struct Scene
{
    PixelFormat depthFormat = PixelFormat::Z16;
    DeviceState state;
    std::vector<TlVertex2> vertices;
    uint32_t textureSide[2] = {8, 8};
    uint32_t mipLevels = 1;
    PixelFormat textureFormat = PixelFormat::Rgb565;
    bool keyed = false;
    std::vector<uint32_t> fill; // target then depth words
};

Scene RandomScene(std::mt19937& random)
{
    auto pick = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    auto real = [&random](float lo, float hi)
    { return lo + (hi - lo) * static_cast<float>(random() % 100000) / 100000.0f; };
    Scene s;
    const PixelFormat depths[] = {PixelFormat::Z16, PixelFormat::Z16, PixelFormat::Unknown, PixelFormat::Z32};
    s.depthFormat = depths[pick(4)];
    s.state = DeviceState::Defaults(s.depthFormat != PixelFormat::Unknown);
    auto set = [&s](RenderState r, uint32_t v) { s.state.render[ToState(r)] = v; };
    auto stage = [&s](StageState r, uint32_t v) { s.state.stage[0][ToState(r)] = v; };
    set(RenderState::CullMode, ToState(CullMode::None));
    set(RenderState::ZFunc, pick(3) ? ToState(CompareFunc::LessEqual) : ToState(CompareFunc::Always));
    set(RenderState::ZWriteEnable, pick(4) != 0);
    set(RenderState::ZBias, pick(3));
    set(RenderState::ShadeMode, pick(4) ? ToState(ShadeMode::Gouraud) : ToState(ShadeMode::Flat));
    set(RenderState::TexturePerspective, pick(4) != 0);
    set(RenderState::SpecularEnable, pick(2));
    set(RenderState::FogEnable, pick(2));
    set(RenderState::FogColor, static_cast<uint32_t>(random()));
    set(RenderState::FogTableMode, pick(3) ? ToState(FogMode::None) : ToState(FogMode::Linear));
    const float fogStart = real(0.5f, 3.0f);
    set(RenderState::FogTableStart, StateFromFloat(fogStart));
    set(RenderState::FogTableEnd, StateFromFloat(pick(5) ? fogStart + real(0.5f, 6.0f) : fogStart));
    set(RenderState::AlphaBlendEnable, pick(2));
    set(RenderState::SrcBlend, pick(static_cast<uint32_t>(BlendFactor::Count)));
    set(RenderState::DestBlend, pick(static_cast<uint32_t>(BlendFactor::Count)));
    set(RenderState::DitherEnable, pick(2));
    set(RenderState::ColorKeyEnable, 1);

    // Mostly the plain stages the span loops take, sometimes others that they leave alone.
    const uint32_t ops[] = {ToState(TextureOp::Modulate), ToState(TextureOp::SelectArg1),
                            ToState(TextureOp::SelectArg2), ToState(TextureOp::Add)};
    const uint32_t args[] = {TextureArg::kTexture, TextureArg::kDiffuse, TextureArg::kCurrent,
                             TextureArg::kTexture | TextureArg::kComplement};
    stage(StageState::ColorOp, ops[pick(pick(5) ? 3 : 4)]);
    stage(StageState::ColorArg1, args[pick(pick(5) ? 3 : 4)]);
    stage(StageState::ColorArg2, args[pick(3)]);
    stage(StageState::AlphaOp, pick(4) ? ops[pick(3)] : ToState(TextureOp::Disable));
    stage(StageState::AlphaArg1, args[pick(3)]);
    stage(StageState::AlphaArg2, args[pick(3)]);
    const uint32_t filters[] = {ToState(TextureFilter::Point), ToState(TextureFilter::Linear)};
    stage(StageState::MagFilter, filters[pick(2)]);
    stage(StageState::MinFilter, filters[pick(2)]);
    stage(StageState::MipFilter, pick(3));
    stage(StageState::AddressU, pick(2) ? ToState(TextureAddress::Wrap) : ToState(TextureAddress::Clamp));
    stage(StageState::AddressV, pick(2) ? ToState(TextureAddress::Wrap) : ToState(TextureAddress::Clamp));

    const uint32_t sides[] = {8, 16, 4, 6, 10};
    s.textureSide[0] = sides[pick(pick(3) ? 3 : 5)];
    s.textureSide[1] = sides[pick(pick(3) ? 3 : 5)];
    s.mipLevels = 1 + pick(3);
    s.textureFormat = pick(6) ? PixelFormat::Rgb565 : PixelFormat::Argb4444;
    s.keyed = pick(6) == 0;

    const uint32_t triangles = 4 + pick(12);
    for (uint32_t i = 0; i < triangles * 3; ++i)
    {
        TlVertex2 v{};
        v.x = real(-8.0f, kWidth + 8.0f);
        v.y = real(-8.0f, kHeight + 8.0f);
        v.z = real(-0.1f, 1.1f);
        v.rhw = real(0.2f, 1.5f);
        v.diffuse = static_cast<uint32_t>(random());
        v.specular = static_cast<uint32_t>(random());
        v.tu = real(-2.0f, 3.0f);
        v.tv = real(-2.0f, 3.0f);
        v.tu1 = v.tu;
        v.tv1 = v.tv;
        s.vertices.push_back(v);
    }
    for (uint32_t i = 0; i < kWidth * kHeight * 2; ++i)
        s.fill.push_back(static_cast<uint32_t>(random()));
    return s;
}

// A random scene held to the states the game draws with most, each of which has a span loop
// of its own: plain texturing of an RGB565 texture by point, bilinear or mipmapped sampling,
// blending by source alpha, vertex and table fog, dithering.
Scene CommonScene(std::mt19937& random)
{
    Scene s = RandomScene(random);
    auto pick = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    auto set = [&s](RenderState r, uint32_t v) { s.state.render[ToState(r)] = v; };
    auto stage = [&s](StageState r, uint32_t v) { s.state.stage[0][ToState(r)] = v; };
    if (s.depthFormat == PixelFormat::Z32)
        s.depthFormat = PixelFormat::Z16;
    s.textureFormat = PixelFormat::Rgb565;
    s.keyed = false;
    if (pick(3) != 0)
    {
        set(RenderState::SrcBlend, ToState(BlendFactor::SrcAlpha));
        set(RenderState::DestBlend, ToState(BlendFactor::InvSrcAlpha));
    }
    const uint32_t ops[] = {ToState(TextureOp::Modulate), ToState(TextureOp::SelectArg1),
                            ToState(TextureOp::SelectArg2)};
    stage(StageState::ColorOp, ops[pick(3)]);
    stage(StageState::ColorArg1, TextureArg::kTexture);
    stage(StageState::ColorArg2, TextureArg::kDiffuse);
    stage(StageState::AlphaOp, ops[pick(3)]);
    stage(StageState::AlphaArg1, TextureArg::kTexture);
    stage(StageState::AlphaArg2, TextureArg::kDiffuse);
    return s;
}

// The scene drawn by one path: the target's and depth buffer's pixels in a row.
std::vector<uint32_t> Draw(const Scene& s, RasterPath path, std::mt19937& texels, uint64_t& spanDraws)
{
    Canvas c(kWidth, kHeight, s.depthFormat);
    c.rasterizer = SoftwareRasterizer(path);
    c.state = s.state;
    c.textures[0] = c.Texture(s.textureSide[0], s.textureSide[1], s.textureFormat, {}, s.mipLevels);
    for (uint32_t level = 0; level < s.mipLevels; ++level)
    {
        auto surface = Canvas::Level(c.textures[0], level);
        for (uint32_t y = 0; y < surface->Height(); ++y)
            for (uint32_t x = 0; x < surface->Width(); ++x)
                displaytest::SetPixel(*surface, x, y, texels() & 0xFFFF);
    }
    const ColorKey key{0x0000, 0x3FFF};
    if (s.keyed)
        c.textures[0]->SetColorKey(&key);
    uint32_t i = 0;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
        {
            displaytest::SetPixel(*c.target, x, y, s.fill[i] & 0xFFFF);
            if (c.depth)
                displaytest::SetPixel(*c.depth, x, y, s.fill[i + 1] & 0xFFFF);
            i += 2;
        }
    c.Triangles(s.vertices);
    spanDraws += c.rasterizer.SpanDraws();
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
        {
            out.push_back(c.At(x, y));
            if (c.depth)
                out.push_back(c.DepthAt(x, y));
        }
    return out;
}

// Draws scenes made by `make` on the path and on the reference, which must agree to the bit;
// counts the draws the span loops took. The reference itself never takes them.
void DrawLikeTheReference(RasterPath path, Scene (*make)(std::mt19937&), uint32_t seed, uint32_t scenes,
                          uint64_t& spanDraws)
{
    std::mt19937 random(seed);
    uint64_t referenceSpans = 0;
    for (uint32_t n = 0; n < scenes; ++n)
    {
        const Scene scene = make(random);
        const uint32_t texelSeed = static_cast<uint32_t>(random());
        std::mt19937 texels(texelSeed);
        const std::vector<uint32_t> reference = Draw(scene, RasterPath::Reference, texels, referenceSpans);
        texels.seed(texelSeed);
        const std::vector<uint32_t> fast = Draw(scene, path, texels, spanDraws);
        ASSERT_EQ(fast, reference) << "path " << static_cast<int>(path) << ", scene " << n;
    }
    EXPECT_EQ(referenceSpans, 0u);
}

} // namespace

TEST(RasterizerPaths, EveryPathDrawsWhatTheReferenceDraws)
{
    for (RasterPath path : {RasterPath::Baseline, RasterPath::Avx2})
    {
        if (!RasterPathAvailable(path))
        {
            std::printf("pixel path %d not offered here\n", static_cast<int>(path));
            continue;
        }
        constexpr uint32_t kScenes = 400;
        uint64_t spanDraws = 0;
        DrawLikeTheReference(path, &RandomScene, 2024, kScenes, spanDraws);
        // Most scenes are of the kinds the span loops take.
        EXPECT_GT(spanDraws, kScenes / 3) << "path " << static_cast<int>(path);
    }
}

TEST(RasterizerPaths, TheGamesCommonStatesDrawWhatTheReferenceDraws)
{
    for (RasterPath path : {RasterPath::Baseline, RasterPath::Avx2})
    {
        if (!RasterPathAvailable(path))
            continue;
        constexpr uint32_t kScenes = 300;
        uint64_t spanDraws = 0;
        DrawLikeTheReference(path, &CommonScene, 77, kScenes, spanDraws);
        // Every scene is of a kind the span loops take.
        EXPECT_EQ(spanDraws, kScenes) << "path " << static_cast<int>(path);
    }
}
