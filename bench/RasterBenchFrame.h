#pragma once
// The benchmarks' game-like frame for the software rasterizer: three layers of a jittered
// triangle grid, each covering the 640 x 480 target once (about 20,000 triangles, overdraw 3),
// Gouraud-shaded and depth-tested, with a 256 x 256 RGB565 texture at about a texel per pixel,
// drawn middle, near, far in batches the size the renderer uses; and the three cases measured
// on it.
#include "Display.h"
#include "Rasterizer.h"
#include "Surface.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace rasterbench
{

using namespace plat;

constexpr uint32_t kWidth = 640;
constexpr uint32_t kHeight = 480;
constexpr uint32_t kColumns = 58;
constexpr uint32_t kRows = 57;
constexpr uint32_t kLayers = 3;
constexpr uint32_t kBatchTriangles = 680;

// Colour to black, depth to the far end, as every frame begins.
inline void ClearTarget(const PixelView& color, const PixelView& z)
{
    for (uint32_t y = 0; y < kHeight; ++y)
    {
        std::memset(color.Row(y), 0, kWidth * 2);
        std::memset(z.Row(y), 0xFF, kWidth * 2);
    }
}

struct Frame
{
    std::shared_ptr<Display> display;
    std::shared_ptr<Surface> target;
    std::shared_ptr<Surface> depth;
    std::shared_ptr<Surface> texture;
    std::vector<TlVertex1> vertices;
    std::vector<uint16_t> indices[kLayers];
    DeviceState state = DeviceState::Defaults(true);

    Frame()
    {
        DisplayConfig config;
        Display::Create(config, display);
        SurfaceDesc desc;
        desc.width = kWidth;
        desc.height = kHeight;
        desc.format = PixelFormat::Rgb565;
        desc.caps = kCapsOffscreenPlain | kCaps3DDevice | kCapsSystemMemory;
        display->CreateSurface(desc, target);
        desc.format = PixelFormat::Z16;
        desc.caps = kCapsZBuffer | kCapsSystemMemory;
        display->CreateSurface(desc, depth);
        desc.width = desc.height = 256;
        desc.format = PixelFormat::Rgb565;
        desc.caps = kCapsTexture | kCapsMipmap | kCapsComplex | kCapsSystemMemory;
        display->CreateSurface(desc, texture);
        for (const Surface* level = texture.get(); level; level = level->NextMipLevel())
        {
            const PixelView v = level->View();
            for (uint32_t y = 0; y < v.height; ++y)
                for (uint32_t x = 0; x < v.width; ++x)
                {
                    const uint16_t texel =
                        static_cast<uint16_t>((x * 7) ^ (y * 13) ^ ((x / 8 + y / 8) & 1 ? 0xF800 : 0));
                    std::memcpy(v.Row(y) + x * 2, &texel, 2);
                }
        }

        std::minstd_rand random(1234);
        auto jitter = [&random](float range) { return (static_cast<float>(random() % 1000) / 1000.0f - 0.5f) * range; };
        const float cellW = static_cast<float>(kWidth) / kColumns;
        const float cellH = static_cast<float>(kHeight) / kRows;
        for (uint32_t layer = 0; layer < kLayers; ++layer)
        {
            const uint16_t base = static_cast<uint16_t>(vertices.size());
            for (uint32_t r = 0; r <= kRows; ++r)
                for (uint32_t c = 0; c <= kColumns; ++c)
                {
                    const bool inner = r > 0 && r < kRows && c > 0 && c < kColumns;
                    const float x = c * cellW + (inner ? jitter(cellW * 0.6f) : 0.0f);
                    const float y = r * cellH + (inner ? jitter(cellH * 0.6f) : 0.0f);
                    // Depth and 1/w vary across the screen as on a receding plane.
                    const float rhw = 0.2f + 0.6f * y / kHeight + 0.1f * layer;
                    const float z = 0.3f + 0.2f * layer + 0.1f * x / kWidth;
                    const uint32_t diffuse = 0xFF000000u | (random() & 0xFFFFFFu) | 0x404040u;
                    vertices.push_back({x, y, z, rhw, diffuse, 0xFF000000u, x / 256.0f, y / 256.0f});
                }
            for (uint32_t r = 0; r < kRows; ++r)
                for (uint32_t c = 0; c < kColumns; ++c)
                {
                    const uint16_t i = static_cast<uint16_t>(base + r * (kColumns + 1) + c);
                    const uint16_t below = static_cast<uint16_t>(i + kColumns + 1);
                    for (uint16_t index : {i, below, static_cast<uint16_t>(i + 1), static_cast<uint16_t>(i + 1), below,
                                           static_cast<uint16_t>(below + 1)})
                        indices[layer].push_back(index);
                }
        }
    }

    // Colour and depth cleared, then the layers middle, near, far.
    void Draw(Rasterizer& rasterizer) const
    {
        const PixelView color = target->View();
        const PixelView z = depth->View();
        ClearTarget(color, z);
        DrawCall call;
        call.format = VertexFormat::TlTex1;
        call.vertices = reinterpret_cast<const uint8_t*>(vertices.data());
        call.vertexCount = static_cast<uint32_t>(vertices.size());
        call.state = &state;
        call.textures[0] = texture.get();
        call.target.color = color;
        call.target.depth = z;
        call.target.viewport = {0, 0, static_cast<int32_t>(kWidth), static_cast<int32_t>(kHeight)};
        for (uint32_t layer : {1u, 0u, 2u})
        {
            const std::vector<uint16_t>& list = indices[layer];
            for (size_t first = 0; first < list.size(); first += kBatchTriangles * 3)
            {
                call.indices = list.data() + first;
                call.indexCount = static_cast<uint32_t>(std::min<size_t>(kBatchTriangles * 3, list.size() - first));
                rasterizer.Draw(call);
            }
        }
        rasterizer.Flush();
    }

    size_t TriangleCount() const { return (indices[0].size() + indices[1].size() + indices[2].size()) / 3; }
};

enum class Case
{
    TexturedPoint,
    BilinearMipmappedFogged,
    UntexturedBlended,
};

// A case's states over a draw's own.
inline void ApplyCase(DeviceState& state, Case c)
{
    state.render[ToState(RenderState::CullMode)] = ToState(CullMode::None);
    if (c == Case::TexturedPoint)
    {
        auto& stage = state.stage[0];
        stage[ToState(StageState::MagFilter)] = ToState(TextureFilter::Point);
        stage[ToState(StageState::MinFilter)] = ToState(TextureFilter::Point);
        stage[ToState(StageState::MipFilter)] = ToState(TextureFilter::None);
    }
    else if (c == Case::BilinearMipmappedFogged)
    {
        state.render[ToState(RenderState::FogEnable)] = 1;
        state.render[ToState(RenderState::FogColor)] = 0x8090A0;
        auto& stage = state.stage[0];
        stage[ToState(StageState::MagFilter)] = ToState(TextureFilter::Linear);
        stage[ToState(StageState::MinFilter)] = ToState(TextureFilter::Linear);
        stage[ToState(StageState::MipFilter)] = ToState(TextureFilter::Point);
    }
    else if (c == Case::UntexturedBlended)
    {
        state.render[ToState(RenderState::AlphaBlendEnable)] = 1;
        state.render[ToState(RenderState::SrcBlend)] = ToState(BlendFactor::SrcAlpha);
        state.render[ToState(RenderState::DestBlend)] = ToState(BlendFactor::InvSrcAlpha);
        state.stage[0][ToState(StageState::ColorOp)] = ToState(TextureOp::SelectArg2);
        state.stage[0][ToState(StageState::AlphaOp)] = ToState(TextureOp::SelectArg2);
        state.stage[0][ToState(StageState::AlphaArg2)] = TextureArg::kDiffuse;
    }
}

// A case's vertex colours: fog growing toward the top of the screen, or half-transparent.
inline void ApplyCase(TlVertex1& v, Case c)
{
    if (c == Case::BilinearMipmappedFogged)
        v.specular = (255 - static_cast<uint32_t>(std::clamp(v.y * 0.4f, 0.0f, 255.0f))) << 24;
    else if (c == Case::UntexturedBlended)
        v.diffuse = (v.diffuse & 0xFFFFFF) | 0x80000000u;
}

// Sets the frame's states (and vertex colours) for one case.
inline void SetCase(Frame& frame, Case c)
{
    ApplyCase(frame.state, c);
    for (TlVertex1& v : frame.vertices)
        ApplyCase(v, c);
}

} // namespace rasterbench
