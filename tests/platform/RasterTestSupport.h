#pragma once
// A small RGB565 target (with an optional depth buffer), the device states and textures of one
// draw, and the software rasterizer, for the rasterizer tests: draw vertex lists straight into
// the target and read pixels back.

#include "DisplayTestSupport.h"

#include "DeviceState.h"
#include "GoldenImage.h"
#include "Palette.h"
#include "Rasterizer.h"
#include "SoftwareRasterizer.h"
#include "VertexFormat.h"

#include <memory>
#include <vector>

namespace rastertest
{

// The 565 value of an 8-bit colour, each channel truncated to its bits.
constexpr uint16_t Rgb565(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

inline plat::TlVertex1 V(float x, float y, uint32_t diffuse = 0xFFFFFFFF, float z = 0.5f, float rhw = 1.0f,
                         float u = 0.0f, float v = 0.0f, uint32_t specular = 0xFF000000u)
{
    return plat::TlVertex1{x, y, z, rhw, diffuse, specular, u, v};
}

struct Canvas
{
    displaytest::Rig rig;
    std::shared_ptr<plat::Surface> target;
    std::shared_ptr<plat::Surface> depth;
    plat::DeviceState state;
    std::shared_ptr<plat::Surface> textures[plat::kMaxTextureStages];
    plat::Rect viewport;
    plat::SoftwareRasterizer rasterizer;

    // Cleared to black (and depth to its largest value). States: the device defaults with
    // culling off.
    explicit Canvas(uint32_t width = 16, uint32_t height = 16,
                    plat::PixelFormat depthFormat = plat::PixelFormat::Unknown)
    {
        target = rig.Make(width, height, plat::PixelFormat::Rgb565,
                          plat::kCapsOffscreenPlain | plat::kCaps3DDevice | plat::kCapsSystemMemory);
        if (depthFormat != plat::PixelFormat::Unknown)
        {
            depth = rig.Make(width, height, depthFormat, plat::kCapsZBuffer | plat::kCapsSystemMemory);
            FillDepth(0xFFFFFFFFu);
        }
        state = plat::DeviceState::Defaults(depth != nullptr);
        Set(plat::RenderState::CullMode, plat::ToState(plat::CullMode::None));
        viewport = {0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
    }

    uint32_t Width() const { return target->Width(); }
    uint32_t Height() const { return target->Height(); }

    void Set(plat::RenderState s, uint32_t value) { state.render[plat::ToState(s)] = value; }
    void Set(uint32_t stage, plat::StageState s, uint32_t value) { state.stage[stage][plat::ToState(s)] = value; }
    template <typename E> void Set(plat::RenderState s, E value) { Set(s, plat::ToState(value)); }
    template <typename E> void Set(uint32_t stage, plat::StageState s, E value) { Set(stage, s, plat::ToState(value)); }

    // Stage 0 passes the vertex colour and alpha on, whatever is bound.
    void Untextured()
    {
        Set(0, plat::StageState::ColorOp, plat::TextureOp::SelectArg1);
        Set(0, plat::StageState::ColorArg1, plat::TextureArg::kDiffuse);
        Set(0, plat::StageState::AlphaOp, plat::TextureOp::SelectArg1);
        Set(0, plat::StageState::AlphaArg1, plat::TextureArg::kDiffuse);
    }

    // Each hit adds one step of red (8 of 255, one unit of the 5-bit field): Count reads how
    // often a pixel was drawn.
    void Counting()
    {
        Untextured();
        Set(plat::RenderState::AlphaBlendEnable, 1);
        Set(plat::RenderState::SrcBlend, plat::BlendFactor::One);
        Set(plat::RenderState::DestBlend, plat::BlendFactor::One);
    }
    static constexpr uint32_t kCountColor = 0xFF080000u;
    uint32_t Count(uint32_t x, uint32_t y) const { return At(x, y) >> 11; }

    void Fill(uint16_t value)
    {
        for (uint32_t y = 0; y < Height(); ++y)
            for (uint32_t x = 0; x < Width(); ++x)
                displaytest::SetPixel(*target, x, y, value);
    }

    void FillDepth(uint32_t value)
    {
        for (uint32_t y = 0; y < depth->Height(); ++y)
            for (uint32_t x = 0; x < depth->Width(); ++x)
                displaytest::SetPixel(*depth, x, y, value);
    }

    uint16_t At(uint32_t x, uint32_t y) const { return static_cast<uint16_t>(displaytest::Pixel(*target, x, y)); }
    uint32_t DepthAt(uint32_t x, uint32_t y) const { return displaytest::Pixel(*depth, x, y); }

    // The colour words, each followed by its depth word where there is a depth buffer.
    std::vector<uint32_t> ColorAndDepth() const
    {
        std::vector<uint32_t> out;
        for (uint32_t y = 0; y < Height(); ++y)
            for (uint32_t x = 0; x < Width(); ++x)
            {
                out.push_back(At(x, y));
                if (depth)
                    out.push_back(DepthAt(x, y));
            }
        return out;
    }

    template <typename Vertex>
    void Draw(plat::PrimitiveType primitive, const std::vector<Vertex>& vertices,
              const std::vector<uint16_t>& indices = {})
    {
        static_assert(sizeof(Vertex) == 32 || sizeof(Vertex) == 40);
        plat::DrawCall call;
        call.primitive = primitive;
        call.format = sizeof(Vertex) == 40 ? plat::VertexFormat::TlTex2 : plat::VertexFormat::TlTex1;
        call.vertices = reinterpret_cast<const uint8_t*>(vertices.data());
        call.vertexCount = static_cast<uint32_t>(vertices.size());
        call.indices = indices.empty() ? nullptr : indices.data();
        call.indexCount = static_cast<uint32_t>(indices.size());
        call.state = &state;
        for (uint32_t i = 0; i < plat::kMaxTextureStages; ++i)
            call.textures[i] = textures[i].get();
        call.target.color = target->View();
        call.target.colorSurface = target.get();
        if (depth)
        {
            call.target.depth = depth->View();
            call.target.depthSurface = depth.get();
        }
        call.target.viewport = viewport;
        rasterizer.Draw(call);
    }

    template <typename Vertex>
    void Triangles(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices = {})
    {
        Draw(plat::PrimitiveType::TriangleList, vertices, indices);
    }

    template <typename Vertex> void Lines(const std::vector<Vertex>& vertices)
    {
        Draw(plat::PrimitiveType::LineList, vertices);
    }

    // An axis-aligned rectangle as two triangles, one vertex colour, texture coordinates
    // (u0, v0) at the top left to (u1, v1) at the bottom right.
    void Rectangle(float x0, float y0, float x1, float y1, uint32_t diffuse, float z = 0.5f, float u0 = 0.0f,
                   float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f)
    {
        Triangles(std::vector<plat::TlVertex1>{V(x0, y0, diffuse, z, 1.0f, u0, v0), V(x1, y0, diffuse, z, 1.0f, u1, v0),
                                               V(x0, y1, diffuse, z, 1.0f, u0, v1), V(x1, y0, diffuse, z, 1.0f, u1, v0),
                                               V(x1, y1, diffuse, z, 1.0f, u1, v1),
                                               V(x0, y1, diffuse, z, 1.0f, u0, v1)});
    }

    // A texture of the given texels (raw values of its format, rows from the top); with
    // mipLevels > 1 the further levels are filled by the caller through Level.
    std::shared_ptr<plat::Surface> Texture(uint32_t width, uint32_t height, plat::PixelFormat format,
                                           const std::vector<uint32_t>& texels, uint32_t mipLevels = 1)
    {
        uint32_t caps = plat::kCapsTexture | plat::kCapsSystemMemory;
        if (mipLevels > 1)
            caps |= plat::kCapsMipmap | plat::kCapsComplex;
        plat::SurfaceDesc desc;
        desc.width = width;
        desc.height = height;
        desc.format = format;
        desc.caps = caps;
        desc.mipCount = mipLevels > 1 ? mipLevels : 0;
        std::shared_ptr<plat::Surface> s;
        EXPECT_EQ(rig.display->CreateSurface(desc, s), plat::Result::Ok);
        SetTexels(*s, texels);
        return s;
    }

    static void SetTexels(plat::Surface& s, const std::vector<uint32_t>& texels)
    {
        for (uint32_t y = 0; y < s.Height(); ++y)
            for (uint32_t x = 0; x < s.Width(); ++x)
                displaytest::SetPixel(s, x, y, texels.empty() ? 0 : texels[(y * s.Width() + x) % texels.size()]);
    }

    // Mip level i (0 = the texture itself).
    static std::shared_ptr<plat::Surface> Level(const std::shared_ptr<plat::Surface>& texture, uint32_t i)
    {
        std::shared_ptr<plat::Surface> s = texture;
        while (i-- > 0)
        {
            std::shared_ptr<plat::Surface> next;
            EXPECT_EQ(s->GetAttachedSurface(plat::kCapsMipmap, next), plat::Result::Ok);
            s = next;
        }
        return s;
    }

    golden::RgbImage Image() const
    {
        std::vector<uint16_t> pixels;
        for (uint32_t y = 0; y < Height(); ++y)
            for (uint32_t x = 0; x < Width(); ++x)
                pixels.push_back(At(x, y));
        return golden::FromRgb565(pixels.data(), Width(), Height());
    }
};

} // namespace rastertest
