#pragma once
// A vertex as the software rasterizer interpolates it: screen position and the attributes
// that vary linearly in screen space (depth, 1/w, colours, fog, and texture coordinates
// already multiplied by 1/w when the draw is perspective-correct).

#include <cstdint>

namespace plat
{

enum RasterAttr : uint32_t
{
    kAttrZ,
    kAttrW, // the vertex's rhw
    kAttrDiffuseR,
    kAttrDiffuseG,
    kAttrDiffuseB,
    kAttrDiffuseA,
    kAttrSpecularR,
    kAttrSpecularG,
    kAttrSpecularB,
    kAttrFog, // 255 = no fog
    kAttrU0,
    kAttrV0,
    kAttrU1,
    kAttrV1,
    kAttrCount
};

// A multiple of four so that stepping all of them vectorises.
constexpr uint32_t kAttrStride = 16;

struct RasterVertex
{
    float x = 0.0f;
    float y = 0.0f;
    float attr[kAttrStride] = {};
};

} // namespace plat
