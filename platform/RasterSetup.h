#pragma once
// Everything the software rasterizer decides once per draw: the target memory and the
// rectangle it may write (viewport within the surfaces), depth test, write and bias, culling
// and fill, shading, fog, specular, blending, and the texture stages with their samplers.

#include "Combiner.h"
#include "DeviceState.h"
#include "RasterColor.h"
#include "RasterVertex.h"
#include "Rect.h"
#include "SpanShader.h"
#include "TextureSampler.h"

#include <cstdint>

namespace plat
{

struct DrawCall;

struct RasterSetup
{
    // Target. Pixels are written only inside clip.
    uint8_t* color = nullptr;
    int32_t colorPitch = 0;
    uint8_t* depth = nullptr; // null: no depth work at all
    int32_t depthPitch = 0;
    bool depthWide = false; // 4-byte depth words, else 2-byte
    uint32_t depthMax = 0;  // the largest stored depth (the depth bits' mask)
    uint32_t depthKeep = 0; // bits of a depth word kept on writes (stencil)
    double depthBias = 0.0; // in stored units, toward the viewer
    Rect clip;

    bool depthTest = false;
    bool depthWrite = false;
    CullMode cull = CullMode::None;
    bool wireframe = false;
    bool flat = false;
    bool perspective = true;
    bool specular = false;
    bool fog = false;
    bool tableFog = false;
    float fogStart = 0.0f; // table fog, in view depth (1/rhw)
    float fogEnd = 1.0f;
    Rgba fogColor;
    bool blend = false;
    bool dither = false; // ordered dithering on the way to 565, else truncation
    BlendFactor srcBlend = BlendFactor::One;
    BlendFactor destBlend = BlendFactor::Zero;

    Combiner combiner;
    bool combine = false; // false: the vertex colour goes straight on
    TextureSampler samplers[kMaxTextureStages];
    uint32_t sampledStages[kMaxTextureStages] = {}; // stages that read a bound texture
    bool sampled[kMaxTextureStages] = {};
    uint32_t sampledCount = 0;
    uint32_t coordSet[kMaxTextureStages] = {}; // texture-coordinate set per stage
    bool needsInvW = false;                    // some pixel work divides by the interpolated rhw
    uint32_t attributes = 0;                   // bit per RasterAttr the pixels read
    // The same attributes as a list, depth first when read.
    uint8_t attributeList[kAttrStride] = {};
    uint32_t attributeCount = 0;

    // The span loop for this draw (null: the batch pipeline), and what it needs to know.
    RasterPath path = RasterPath::Best; // set by the caller before Prepare
    SpanFunction span = nullptr;
    Combiner::Plain plainColor = Combiner::Plain::Diffuse;
    Combiner::Plain plainAlpha = Combiner::Plain::Diffuse;
    bool spanPow2 = false; // stage 0's levels all have power-of-two sides
    // Span calls whose pixels were all shown to take one mip level, which they then skip
    // working out per pixel (tests read it).
    mutable uint64_t oneLevelCalls = 0;

    // False when the draw can write nothing (no colour memory, empty clip).
    bool Prepare(const DrawCall& call);
};

} // namespace plat
