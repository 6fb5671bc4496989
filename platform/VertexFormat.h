#pragma once
// The two vertex layouts the 3D device draws: pre-transformed, pre-lit vertices with one or
// two texture-coordinate sets. Fields are 4 bytes each, little-endian.

#include <cstdint>

namespace plat
{

enum class VertexFormat : uint8_t
{
    TlTex1, // 32 bytes
    TlTex2  // 40 bytes
};

struct TlVertex1
{
    float x; // screen pixels, y down
    float y;
    float z;           // depth 0..1
    float rhw;         // 1 / w
    uint32_t diffuse;  // 0xAARRGGBB
    uint32_t specular; // top byte: fog factor (255 no fog); low bytes: specular red, green, blue
    float tu;
    float tv;
};
static_assert(sizeof(TlVertex1) == 32);

struct TlVertex2
{
    float x;
    float y;
    float z;
    float rhw;
    uint32_t diffuse;
    uint32_t specular;
    float tu;
    float tv;
    float tu1;
    float tv1;
};
static_assert(sizeof(TlVertex2) == 40);

inline uint32_t VertexStride(VertexFormat format)
{
    return format == VertexFormat::TlTex2 ? 40u : 32u;
}

enum class PrimitiveType : uint8_t
{
    TriangleList,
    LineList
};

// Draw flags, accepted and recorded: vertices are never clipped by the device.
constexpr uint32_t kDrawDoNotClip = 0x1;
constexpr uint32_t kDrawDoNotUpdateExtents = 0x2;
constexpr uint32_t kDrawWait = 0x4;

} // namespace plat
