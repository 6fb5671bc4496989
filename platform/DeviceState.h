#pragma once
// The render, light and texture-stage states a 3D device stores, their values, and the
// table the rasterizer reads at every draw. Float states travel as their bit pattern.

#include <array>
#include <cstdint>
#include <cstring>

namespace plat
{

enum class RenderState : uint8_t
{
    ZEnable,
    ZFunc, // CompareFunc
    ZWriteEnable,
    ZBias,     // 0..16; larger draws nearer
    CullMode,  // CullMode
    FillMode,  // FillMode
    ShadeMode, // ShadeMode
    TexturePerspective,
    ColorKeyEnable, // drop texels that match the texture's source colour key
    AlphaBlendEnable,
    SrcBlend,  // BlendFactor
    DestBlend, // BlendFactor
    FogEnable,
    FogTableMode,  // FogMode; None = fog from the vertices' specular alpha
    FogTableStart, // float, view depth (1 / rhw) where fog begins
    FogTableEnd,   // float, view depth where fog is complete
    RangeFogEnable,
    FogColor, // 0x00RRGGBB
    SpecularEnable,
    DitherEnable,
    AlphaTestEnable,
    MonoEnable,
    LastPixel,
    StippleEnable,
    StippledAlpha,
    Antialias,
    Wrap0,
    Wrap1,
    FlushBatch,
    Count
};

// Fog of untransformed vertices: stored only, pre-transformed vertices carry their fog.
enum class LightState : uint8_t
{
    FogMode,  // FogMode
    FogStart, // float
    FogEnd,   // float
    Count
};

enum class StageState : uint8_t
{
    ColorOp,   // TextureOp
    ColorArg1, // TextureArg
    ColorArg2,
    AlphaOp,
    AlphaArg1,
    AlphaArg2,
    TexCoordIndex,
    Address,  // sets AddressU and AddressV together
    AddressU, // TextureAddress
    AddressV,
    MagFilter, // TextureFilter
    MinFilter,
    MipFilter,
    Count
};

enum class CompareFunc : uint32_t
{
    LessEqual,
    Always
};

enum class CullMode : uint32_t
{
    None,
    Clockwise, // drops triangles whose screen vertices run clockwise (y down)
    CounterClockwise
};

enum class FillMode : uint32_t
{
    Wireframe,
    Solid
};

enum class ShadeMode : uint32_t
{
    Flat, // the first vertex's colours
    Gouraud
};

enum class BlendFactor : uint32_t
{
    Zero,
    One,
    SrcColor,
    InvSrcColor,
    SrcAlpha,
    InvSrcAlpha,
    DestAlpha,
    InvDestAlpha,
    DestColor,
    InvDestColor,
    SrcAlphaSat,
    Count
};

enum class FogMode : uint32_t
{
    None,
    Linear
};

enum class TextureOp : uint32_t
{
    Disable,
    SelectArg1,
    SelectArg2,
    Modulate,
    Add,
    BlendTextureAlpha,
    ModulateAlphaAddColor,
    ModulateColorAddAlpha
};

// A stage argument is one source, optionally with modifiers or'ed in.
struct TextureArg
{
    static constexpr uint32_t kDiffuse = 0;
    static constexpr uint32_t kCurrent = 1;
    static constexpr uint32_t kTexture = 2;
    static constexpr uint32_t kSourceMask = 0xF;
    static constexpr uint32_t kComplement = 0x10;
    static constexpr uint32_t kAlphaReplicate = 0x20;
};

enum class TextureAddress : uint32_t
{
    Wrap,
    Clamp
};

enum class TextureFilter : uint32_t
{
    None, // mip filter only: no mipmapping
    Point,
    Linear
};

constexpr uint32_t kRenderStateCount = static_cast<uint32_t>(RenderState::Count);
constexpr uint32_t kLightStateCount = static_cast<uint32_t>(LightState::Count);
constexpr uint32_t kStageStateCount = static_cast<uint32_t>(StageState::Count);
constexpr uint32_t kMaxTextureStages = 8;

template <typename E> constexpr uint32_t ToState(E value)
{
    return static_cast<uint32_t>(value);
}

inline uint32_t StateFromFloat(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline float FloatFromState(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

struct DeviceState
{
    std::array<uint32_t, kRenderStateCount> render{};
    std::array<uint32_t, kLightStateCount> light{};
    std::array<std::array<uint32_t, kStageStateCount>, kMaxTextureStages> stage{};

    uint32_t Get(RenderState s) const { return render[static_cast<uint32_t>(s)]; }
    uint32_t Get(LightState s) const { return light[static_cast<uint32_t>(s)]; }
    uint32_t Get(uint32_t stageIndex, StageState s) const { return stage[stageIndex][static_cast<uint32_t>(s)]; }

    // The states of a new device: z on when it renders with a depth buffer, less-or-equal
    // test with writes, counter-clockwise culling, solid Gouraud, no blending (one, zero),
    // no fog; stage 0 modulates texture and diffuse, later stages are off; wrap, point
    // filtering, no mipmaps, each stage reading its own coordinate set.
    static DeviceState Defaults(bool hasDepth);
};

const char* RenderStateName(RenderState state);
const char* LightStateName(LightState state);
const char* StageStateName(StageState state);

} // namespace plat
