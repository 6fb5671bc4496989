// The span loops against the batch pipeline they stand in for: random triangles under random
// states, drawn over the same random target and depth by every pixel path the build and
// machine offer, must leave identical colour and depth.
#include "RasterPrimitives.h"
#include "RasterSetup.h"
#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
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

// Stage 0's filters, mip filter and addressing at random.
void RandomSampling(DeviceState& state, std::mt19937& random)
{
    auto pick = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    auto stage = [&state](StageState r, uint32_t v) { state.stage[0][ToState(r)] = v; };
    const uint32_t filters[] = {ToState(TextureFilter::Point), ToState(TextureFilter::Linear)};
    stage(StageState::MagFilter, filters[pick(2)]);
    stage(StageState::MinFilter, filters[pick(2)]);
    stage(StageState::MipFilter, pick(3));
    stage(StageState::AddressU, pick(2) ? ToState(TextureAddress::Wrap) : ToState(TextureAddress::Clamp));
    stage(StageState::AddressV, pick(2) ? ToState(TextureAddress::Wrap) : ToState(TextureAddress::Clamp));
}

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
    RandomSampling(s.state, random);

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
    return c.ColorAndDepth();
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

namespace
{

// A triangle's vertex as the rasterizer loads it (stage 0's coordinates divided by w when
// perspective-correct).
RasterVertex Loaded(const TlVertex1& v, bool perspective)
{
    RasterVertex r;
    r.x = v.x;
    r.y = v.y;
    r.attr[kAttrZ] = v.z;
    r.attr[kAttrW] = v.rhw;
    for (uint32_t i = 0; i < 4; ++i)
        r.attr[kAttrDiffuseR + i] = static_cast<float>((v.diffuse >> (i < 3 ? 16 - 8 * i : 24)) & 0xFF);
    for (uint32_t i = 0; i < 3; ++i)
        r.attr[kAttrSpecularR + i] = static_cast<float>((v.specular >> (16 - 8 * i)) & 0xFF);
    r.attr[kAttrFog] = static_cast<float>(v.specular >> 24);
    const float scale = perspective ? v.rhw : 1.0f;
    r.attr[kAttrU0] = r.attr[kAttrU1] = v.tu * scale;
    r.attr[kAttrV0] = r.attr[kAttrV1] = v.tv * scale;
    return r;
}

// Small triangles mapping a 32 x 32 texture of six levels at about 2^lod texels a pixel, the
// lods on and around those where the level or the filter changes, under perspective or not.
struct LevelScene
{
    DeviceState state;
    std::vector<TlVertex1> vertices;
};

LevelScene MipmappedScene(std::mt19937& random)
{
    auto pick = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    auto real = [&random](float lo, float hi)
    { return lo + (hi - lo) * static_cast<float>(random() % 100000) / 100000.0f; };
    LevelScene s;
    s.state = DeviceState::Defaults(true);
    auto set = [&s](RenderState r, uint32_t v) { s.state.render[ToState(r)] = v; };
    auto stage = [&s](StageState r, uint32_t v) { s.state.stage[0][ToState(r)] = v; };
    set(RenderState::CullMode, ToState(CullMode::None));
    set(RenderState::TexturePerspective, pick(3) != 0);
    set(RenderState::FogEnable, pick(2));
    set(RenderState::FogColor, static_cast<uint32_t>(random()));
    stage(StageState::ColorOp, pick(2) ? ToState(TextureOp::Modulate) : ToState(TextureOp::SelectArg1));
    stage(StageState::ColorArg1, TextureArg::kTexture);
    stage(StageState::ColorArg2, TextureArg::kDiffuse);
    RandomSampling(s.state, random);
    const float lods[] = {-1.0f, -0.01f, 0.0f, 0.01f, 0.5f, 0.99f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 4.5f, 5.0f, 6.0f};
    const bool perspective = s.state.render[ToState(RenderState::TexturePerspective)] != 0;
    for (uint32_t t = 0; t < 24; ++t)
    {
        const float step = std::exp2(lods[pick(std::size(lods))] + real(-0.004f, 0.004f)) / 32.0f;
        const float angle = real(0.0f, 6.2832f);
        const float cx = real(0.0f, 48.0f);
        const float cy = real(0.0f, 40.0f);
        const float size = real(2.0f, 14.0f);
        const float rhw = real(0.3f, 1.0f);
        const float u0 = real(-2.0f, 2.0f);
        const float v0 = real(-2.0f, 2.0f);
        for (int k = 0; k < 3; ++k)
        {
            TlVertex1 v{};
            v.x = cx + real(-size, size);
            v.y = cy + real(-size, size);
            v.z = real(0.0f, 1.0f);
            // Perspective bends the mapping across the triangle a little.
            v.rhw = perspective ? rhw * real(0.97f, 1.03f) : rhw;
            v.diffuse = static_cast<uint32_t>(random()) | 0xFF000000u;
            v.specular = static_cast<uint32_t>(random());
            v.tu = u0 + step * (std::cos(angle) * v.x + std::sin(angle) * v.y);
            v.tv = v0 + step * (std::cos(angle) * v.y - std::sin(angle) * v.x);
            s.vertices.push_back(v);
        }
    }
    return s;
}

// The scene's triangles straight through the triangle set-up on a path: the colour and
// depth words in a row; counts the span calls that took one level throughout.
std::vector<uint32_t> DrawLevels(const LevelScene& s, RasterPath path, uint32_t texelSeed, uint64_t& oneLevel)
{
    Canvas c(48, 40, PixelFormat::Z16);
    c.state = s.state;
    c.textures[0] = c.Texture(32, 32, PixelFormat::Rgb565, {}, 6);
    std::mt19937 texels(texelSeed);
    for (uint32_t level = 0; level < 6; ++level)
    {
        auto surface = Canvas::Level(c.textures[0], level);
        for (uint32_t y = 0; y < surface->Height(); ++y)
            for (uint32_t x = 0; x < surface->Width(); ++x)
                displaytest::SetPixel(*surface, x, y, texels() & 0xFFFF);
    }
    DrawCall call;
    call.state = &c.state;
    call.textures[0] = c.textures[0].get();
    call.target.color = c.target->View();
    call.target.depth = c.depth->View();
    call.target.viewport = c.viewport;
    RasterSetup setup;
    setup.path = path;
    EXPECT_TRUE(setup.Prepare(call));
    const bool perspective = setup.perspective;
    auto batch = std::make_unique<PixelBatch>();
    for (size_t i = 0; i + 2 < s.vertices.size(); i += 3)
        DrawTriangle(setup, *batch, Loaded(s.vertices[i], perspective), Loaded(s.vertices[i + 1], perspective),
                     Loaded(s.vertices[i + 2], perspective));
    oneLevel += setup.oneLevelCalls;
    return c.ColorAndDepth();
}

} // namespace

// Triangles that take one mip level throughout skip the per-pixel level of detail: shown so
// by bounds that must hold for every pixel, including lods a hair either side of where the
// level or the filter changes.
TEST(RasterizerPaths, TrianglesOfOneMipLevelDrawWhatTheReferenceDraws)
{
    for (RasterPath path : {RasterPath::Baseline, RasterPath::Avx2})
    {
        if (!RasterPathAvailable(path))
            continue;
        std::mt19937 random(31);
        uint64_t oneLevel = 0;
        uint64_t referenceOneLevel = 0;
        constexpr uint32_t kScenes = 150;
        for (uint32_t n = 0; n < kScenes; ++n)
        {
            const LevelScene scene = MipmappedScene(random);
            const uint32_t texelSeed = static_cast<uint32_t>(random());
            const std::vector<uint32_t> reference =
                DrawLevels(scene, RasterPath::Reference, texelSeed, referenceOneLevel);
            ASSERT_EQ(DrawLevels(scene, path, texelSeed, oneLevel), reference)
                << "path " << static_cast<int>(path) << ", scene " << n;
        }
        // Most scenes' triangles are of one level throughout.
        EXPECT_GT(oneLevel, kScenes * 24 / 4) << "path " << static_cast<int>(path);
    }
}
