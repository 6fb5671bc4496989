#pragma once
// What a 3D device hands its rasterizer for one draw: the target (colour, depth, the current
// viewport to scissor to), the vertices, the indices, the stored states and the bound
// textures. The device has checked everything (scene, ranges, locks, lost surfaces) before
// it calls; the rasterizer only draws, now or at its next Flush.

#include "DeviceState.h"
#include "PixelView.h"
#include "Rect.h"
#include "VertexFormat.h"

#include <cstdint>
#include <string>

namespace plat
{

class Surface;

struct RasterTarget
{
    PixelView color;
    PixelView depth; // pixels null without a depth buffer
    Rect viewport;   // within the colour surface
    const Surface* colorSurface = nullptr;
    const Surface* depthSurface = nullptr;
};

struct DrawCall
{
    PrimitiveType primitive = PrimitiveType::TriangleList;
    VertexFormat format = VertexFormat::TlTex1;
    const uint8_t* vertices = nullptr;
    uint32_t vertexCount = 0;
    // Null: the vertices in order. Every index is below vertexCount.
    const uint16_t* indices = nullptr;
    uint32_t indexCount = 0;
    const DeviceState* state = nullptr;
    // Per stage; a texture's mip levels, colour key and palette are read through the surface.
    const Surface* textures[kMaxTextureStages] = {};
    RasterTarget target;
};

class Rasterizer
{
public:
    virtual ~Rasterizer() = default;
    virtual void Draw(const DrawCall& call) = 0;
    // A rasterizer may hold draws and write them later; this writes everything held. Called
    // before any memory a draw reads or writes (target, depth, textures) is touched outside it.
    virtual void Flush() {}
    // What draws, in words for the log; empty when there is nothing to say.
    virtual std::string Describe() const { return {}; }
};

} // namespace plat
