// The software rasterizer's tiled drawing over several threads against one thread: random
// large and small triangles (many of them crossing or touching the tiles' edges) under
// textured, blended and depth-tested states must leave identical colour and depth whatever
// the number of threads, one draw or many held ones; and through a 3D device, whatever
// touches surface memory between held draws sees them drawn. Also run under ThreadSanitizer.
#include "RasterTestSupport.h"

#include "Device3D.h"
#include "Graphics3D.h"
#include "Viewport3D.h"

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

// A mipmapped 16 x 16 texture of hashed texels; seed tells two textures apart.
std::shared_ptr<Surface> HashedTexture(Canvas& c, uint32_t seed)
{
    std::shared_ptr<Surface> texture = c.Texture(16, 16, PixelFormat::Rgb565, {}, 3);
    for (uint32_t level = 0; level < 3; ++level)
    {
        auto surface = Canvas::Level(texture, level);
        for (uint32_t y = 0; y < surface->Height(); ++y)
            for (uint32_t x = 0; x < surface->Width(); ++x)
                displaytest::SetPixel(*surface, x, y, (x * 2654435761u) ^ (y * 40503u) ^ level ^ seed);
    }
    return texture;
}

std::vector<uint32_t> DrawTiles(const TileScene& s, uint32_t threads)
{
    Canvas c(kWidth, kHeight, PixelFormat::Z16);
    c.rasterizer.SetThreads(threads);
    c.textures[0] = HashedTexture(c, 0);
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
    c.rasterizer.Flush();
    return c.ColorAndDepth();
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

namespace
{

// A frame of many draws held together, each with its own states, texture, viewport and list:
// indexed or not, flat, culled, depth always or not written, wireframe, and line lists
// between them.
std::vector<uint32_t> DrawHeldFrame(uint32_t seed, uint32_t threads)
{
    std::mt19937 random(seed);
    Canvas c(kWidth, kHeight, PixelFormat::Z16);
    c.rasterizer.SetThreads(threads);
    const std::shared_ptr<Surface> textures[] = {HashedTexture(c, 0), HashedTexture(c, 0x5A5A)};
    auto below = [&random](uint32_t n) { return static_cast<int32_t>(random() % n); };
    for (uint32_t d = 0; d < 14; ++d)
    {
        const TileScene s = RandomTileScene(random);
        c.state = DeviceState::Defaults(true);
        c.Set(RenderState::CullMode, static_cast<CullMode>(below(3)));
        c.Set(RenderState::ShadeMode, below(3) == 0 ? ShadeMode::Flat : ShadeMode::Gouraud);
        c.Set(RenderState::ZFunc, below(4) == 0 ? CompareFunc::Always : CompareFunc::LessEqual);
        c.Set(RenderState::ZWriteEnable, below(4) == 0 ? 0u : 1u);
        if (s.wireframe)
            c.Set(RenderState::FillMode, FillMode::Wireframe);
        if (s.blend)
        {
            c.Set(RenderState::AlphaBlendEnable, 1);
            c.Set(RenderState::SrcBlend, BlendFactor::SrcAlpha);
            c.Set(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
        }
        if (s.bilinear)
        {
            c.Set(0, StageState::MagFilter, TextureFilter::Linear);
            c.Set(0, StageState::MinFilter, TextureFilter::Linear);
        }
        const int32_t texture = below(3);
        c.textures[0] = texture < 2 ? textures[texture] : nullptr;
        if (texture == 2)
            c.Untextured();
        // Mostly part of the target, so that the tile grid grows while draws are held.
        const int32_t left = below(kWidth / 2);
        const int32_t top = below(kHeight / 2);
        c.viewport = below(3) == 0 ? Rect{0, 0, static_cast<int32_t>(kWidth), static_cast<int32_t>(kHeight)}
                                   : Rect{left, top, left + 1 + below(kWidth - left), top + 1 + below(kHeight - top)};
        const int32_t kind = below(6);
        if (kind == 0)
            c.Lines(s.vertices);
        else if (kind == 1)
        {
            std::vector<uint16_t> indices;
            for (size_t i = 0; i < s.vertices.size(); ++i)
                indices.push_back(static_cast<uint16_t>(random() % s.vertices.size()));
            c.Triangles(s.vertices, indices);
        }
        else
            c.Triangles(s.vertices);
    }
    c.rasterizer.Flush();
    return c.ColorAndDepth();
}

} // namespace

TEST(RasterizerTiles, HeldDrawsOfChangingStatesDrawWhatOneThreadDraws)
{
    for (uint32_t seed = 1; seed <= 6; ++seed)
    {
        const std::vector<uint32_t> one = DrawHeldFrame(seed, 1);
        for (uint32_t threads : {2u, 3u, 8u})
            ASSERT_EQ(DrawHeldFrame(seed, threads), one) << threads << " threads, seed " << seed;
    }
}

namespace
{

constexpr uint32_t kDeviceWidth = 160;
constexpr uint32_t kDeviceHeight = 96;
constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kGreen = 0x07E0;

// A 3D device on the software rasterizer with the given threads, drawing into a target with
// 16-bit depth through a viewport over all of it.
struct HeldDevice
{
    displaytest::Rig rig;
    std::shared_ptr<Graphics3D> graphics;
    std::shared_ptr<Surface> target;
    std::shared_ptr<Device3D> device;
    std::shared_ptr<Viewport3D> viewport;

    explicit HeldDevice(uint32_t threads)
        : rig(CapsProfile::Default(),
              [threads]
              {
                  auto r = std::make_unique<SoftwareRasterizer>();
                  r->SetThreads(threads);
                  return r;
              })
    {
        EXPECT_EQ(rig.display->Query3D(graphics), Result::Ok);
        target = rig.Make(kDeviceWidth, kDeviceHeight, PixelFormat::Rgb565,
                          kCapsOffscreenPlain | kCaps3DDevice | kCapsSystemMemory);
        EXPECT_EQ(target->AddAttachedSurface(
                      rig.Make(kDeviceWidth, kDeviceHeight, PixelFormat::Z16, kCapsZBuffer | kCapsSystemMemory)),
                  Result::Ok);
        EXPECT_EQ(graphics->CreateDevice(DeviceKind::Rgb, target, device), Result::Ok);
        EXPECT_EQ(graphics->CreateViewport(viewport), Result::Ok);
        EXPECT_EQ(device->AddViewport(viewport), Result::Ok);
        ViewportDesc vp;
        vp.width = kDeviceWidth;
        vp.height = kDeviceHeight;
        EXPECT_EQ(viewport->SetViewport(vp), Result::Ok);
        EXPECT_EQ(device->SetCurrentViewport(viewport), Result::Ok);
        // Texels go straight on, untextured draws take the vertex colour.
        device->SetTextureStageState(0, StageState::ColorArg1, TextureArg::kTexture);
        device->SetTextureStageState(0, StageState::ColorArg2, TextureArg::kDiffuse);
    }

    void Textured(bool on)
    {
        device->SetTextureStageState(0, StageState::ColorOp,
                                     ToState(on ? TextureOp::SelectArg1 : TextureOp::SelectArg2));
    }

    void Quad(float x0, float y0, float x1, float y1, uint32_t diffuse, float z)
    {
        const TlVertex1 v[] = {rastertest::V(x0, y0, diffuse, z),
                               rastertest::V(x1, y0, diffuse, z, 1.0f, 1.0f),
                               rastertest::V(x0, y1, diffuse, z, 1.0f, 0.0f, 1.0f),
                               rastertest::V(x1, y0, diffuse, z, 1.0f, 1.0f),
                               rastertest::V(x1, y1, diffuse, z, 1.0f, 1.0f, 1.0f),
                               rastertest::V(x0, y1, diffuse, z, 1.0f, 0.0f, 1.0f)};
        EXPECT_EQ(device->DrawPrimitive(PrimitiveType::TriangleList, VertexFormat::TlTex1, v, 6, 0), Result::Ok);
    }

    void Line(float x0, float y0, float x1, float y1, uint32_t diffuse)
    {
        const TlVertex1 v[] = {rastertest::V(x0, y0, diffuse, 0.1f), rastertest::V(x1, y1, diffuse, 0.1f)};
        EXPECT_EQ(device->DrawPrimitive(PrimitiveType::LineList, VertexFormat::TlTex1, v, 2, 0), Result::Ok);
    }

    std::shared_ptr<Surface> Texture(uint16_t texel)
    {
        auto t = rig.Make(8, 8, PixelFormat::Rgb565, kCapsTexture | kCapsSystemMemory);
        Paint(*t, texel);
        return t;
    }

    // Through a lock, as the program writes.
    static void Paint(Surface& s, uint16_t value)
    {
        PixelView view;
        ASSERT_EQ(s.Lock(kLockWait, view), Result::Ok);
        for (uint32_t y = 0; y < view.height; ++y)
            for (uint32_t x = 0; x < view.width; ++x)
                WritePixel(view.Row(y) + 2 * x, 2, value);
        EXPECT_EQ(s.Unlock(), Result::Ok);
    }

    static uint32_t LockedPixel(Surface& s, uint32_t x, uint32_t y)
    {
        PixelView view;
        EXPECT_EQ(s.Lock(kLockReadOnly, view), Result::Ok);
        const uint32_t value = ReadPixel(view.Row(y) + 2 * x, 2);
        EXPECT_EQ(s.Unlock(), Result::Ok);
        return value;
    }
};

// What the program sees of one scene with every kind of access between held draws: pixels
// read through locks and blits in the middle, then the whole target and depth after it.
std::vector<uint32_t> DeviceScene(uint32_t threads)
{
    HeldDevice d(threads);
    std::vector<uint32_t> seen;
    const Rect all{0, 0, static_cast<int32_t>(kDeviceWidth), static_cast<int32_t>(kDeviceHeight)};
    EXPECT_EQ(d.device->BeginScene(), Result::Ok);
    EXPECT_EQ(d.viewport->Clear(1, &all, kClearTarget | kClearZBuffer, 0x000000u, 1.0f, 0), Result::Ok);
    // A texture rewritten through a lock between two draws that sample it.
    std::shared_ptr<Surface> texture = d.Texture(kRed);
    d.device->SetTexture(0, texture);
    d.Textured(true);
    d.Quad(0, 0, 80, 48, 0xFFFFFFFFu, 0.5f);
    HeldDevice::Paint(*texture, kGreen);
    d.Quad(80, 0, 160, 48, 0xFFFFFFFFu, 0.5f);
    // The target locked and copied by a blit between draws.
    seen.push_back(HeldDevice::LockedPixel(*d.target, 40, 24));
    seen.push_back(HeldDevice::LockedPixel(*d.target, 120, 24));
    d.Quad(0, 48, 160, 96, 0xFFFFFFFFu, 0.6f);
    auto copy = d.rig.Make(kDeviceWidth, kDeviceHeight, PixelFormat::Rgb565);
    EXPECT_EQ(copy->Blt(nullptr, d.target.get(), nullptr, kBltWait, nullptr), Result::Ok);
    seen.push_back(displaytest::Pixel(*copy, 40, 72));
    // Lines between filled draws, over and under them.
    d.Textured(false);
    d.Quad(20, 20, 140, 76, 0xFF2040C0u, 0.4f);
    d.Line(0, 40, 160, 44, 0xFFFFFF00u);
    d.Quad(60, 30, 100, 60, 0xFFC020A0u, 0.05f);
    // A clear between draws.
    const Rect middle{50, 10, 110, 86};
    EXPECT_EQ(d.viewport->Clear(1, &middle, kClearTarget | kClearZBuffer, 0x808080u, 0.9f, 0), Result::Ok);
    d.Quad(90, 5, 150, 50, 0xFF30F030u, 0.3f);
    // A draw sampling a texture that is locked, rewritten after it and then unlocked.
    d.device->SetTexture(0, texture);
    d.Textured(true);
    PixelView locked;
    EXPECT_EQ(texture->Lock(kLockWait, locked), Result::Ok);
    d.Quad(100, 60, 150, 90, 0xFFFFFFFFu, 0.1f);
    for (uint32_t y = 0; y < locked.height; ++y)
        for (uint32_t x = 0; x < locked.width; ++x)
            WritePixel(locked.Row(y) + 2 * x, 2, kRed);
    EXPECT_EQ(texture->Unlock(), Result::Ok);
    // A texture released while a held draw samples it (AddressSanitizer sees a late read).
    {
        std::shared_ptr<Surface> passing = d.Texture(0x001F);
        d.device->SetTexture(0, passing);
        d.Quad(10, 60, 70, 90, 0xFFFFFFFFu, 0.2f);
        d.device->SetTexture(0, nullptr);
    }
    // Still held at the end of the scene.
    d.Textured(false);
    d.Quad(0, 0, 30, 30, 0xFF804020u, 0.0f);
    EXPECT_EQ(d.device->EndScene(), Result::Ok);
    const Surface& depth = *d.target->AttachedDepth();
    for (uint32_t y = 0; y < kDeviceHeight; ++y)
        for (uint32_t x = 0; x < kDeviceWidth; ++x)
        {
            seen.push_back(displaytest::Pixel(*d.target, x, y));
            seen.push_back(displaytest::Pixel(depth, x, y));
        }
    return seen;
}

} // namespace

TEST(RasterizerTiles, DeviceDrawsHeldWorkBeforeSurfacesAreTouched)
{
    const std::vector<uint32_t> one = DeviceScene(1);
    // The reference itself: each half sampled the texture as it was at its draw, the blit saw
    // the lower quad, and the last draw sampled green although red was written before unlock.
    ASSERT_EQ(one[0], kRed);
    ASSERT_EQ(one[1], kGreen);
    ASSERT_EQ(one[2], kGreen);
    const size_t last = 3 + 2 * (75 * kDeviceWidth + 125);
    ASSERT_EQ(one[last], kGreen);
    for (uint32_t threads : {2u, 3u, 8u})
        EXPECT_EQ(DeviceScene(threads), one) << threads << " threads";
}
