#include "DeviceState.h"

namespace plat
{

DeviceState DeviceState::Defaults(bool hasDepth)
{
    DeviceState s;
    auto set = [&s](RenderState state, uint32_t value) { s.render[static_cast<uint32_t>(state)] = value; };
    set(RenderState::ZEnable, hasDepth ? 1 : 0);
    set(RenderState::ZFunc, ToState(CompareFunc::LessEqual));
    set(RenderState::ZWriteEnable, 1);
    set(RenderState::CullMode, ToState(CullMode::CounterClockwise));
    set(RenderState::FillMode, ToState(FillMode::Solid));
    set(RenderState::ShadeMode, ToState(ShadeMode::Gouraud));
    set(RenderState::TexturePerspective, 1);
    set(RenderState::SrcBlend, ToState(BlendFactor::One));
    set(RenderState::DestBlend, ToState(BlendFactor::Zero));
    set(RenderState::FogTableMode, ToState(FogMode::None));
    set(RenderState::FogTableStart, StateFromFloat(0.0f));
    set(RenderState::FogTableEnd, StateFromFloat(1.0f));
    set(RenderState::LastPixel, 1);
    s.light[static_cast<uint32_t>(LightState::FogMode)] = ToState(FogMode::None);
    s.light[static_cast<uint32_t>(LightState::FogStart)] = StateFromFloat(0.0f);
    s.light[static_cast<uint32_t>(LightState::FogEnd)] = StateFromFloat(1.0f);
    for (uint32_t i = 0; i < kMaxTextureStages; ++i)
    {
        auto& st = s.stage[i];
        auto stage = [&st](StageState state, uint32_t value) { st[static_cast<uint32_t>(state)] = value; };
        stage(StageState::ColorOp, ToState(i == 0 ? TextureOp::Modulate : TextureOp::Disable));
        stage(StageState::ColorArg1, TextureArg::kTexture);
        stage(StageState::ColorArg2, TextureArg::kCurrent);
        stage(StageState::AlphaOp, ToState(i == 0 ? TextureOp::SelectArg1 : TextureOp::Disable));
        stage(StageState::AlphaArg1, TextureArg::kTexture);
        stage(StageState::AlphaArg2, TextureArg::kCurrent);
        stage(StageState::TexCoordIndex, i);
        stage(StageState::Address, ToState(TextureAddress::Wrap));
        stage(StageState::AddressU, ToState(TextureAddress::Wrap));
        stage(StageState::AddressV, ToState(TextureAddress::Wrap));
        stage(StageState::MagFilter, ToState(TextureFilter::Point));
        stage(StageState::MinFilter, ToState(TextureFilter::Point));
        stage(StageState::MipFilter, ToState(TextureFilter::None));
    }
    return s;
}

const char* RenderStateName(RenderState state)
{
    static const char* const kNames[] = {"ZEnable",         "ZFunc",
                                         "ZWriteEnable",    "ZBias",
                                         "CullMode",        "FillMode",
                                         "ShadeMode",       "TexturePerspective",
                                         "ColorKeyEnable",  "AlphaBlendEnable",
                                         "SrcBlend",        "DestBlend",
                                         "FogEnable",       "FogTableMode",
                                         "FogTableStart",   "FogTableEnd",
                                         "RangeFogEnable",  "FogColor",
                                         "SpecularEnable",  "DitherEnable",
                                         "AlphaTestEnable", "MonoEnable",
                                         "LastPixel",       "StippleEnable",
                                         "StippledAlpha",   "Antialias",
                                         "Wrap0",           "Wrap1",
                                         "FlushBatch"};
    static_assert(sizeof kNames / sizeof kNames[0] == kRenderStateCount);
    const uint32_t i = static_cast<uint32_t>(state);
    return i < kRenderStateCount ? kNames[i] : "?";
}

const char* LightStateName(LightState state)
{
    static const char* const kNames[] = {"FogMode", "FogStart", "FogEnd"};
    static_assert(sizeof kNames / sizeof kNames[0] == kLightStateCount);
    const uint32_t i = static_cast<uint32_t>(state);
    return i < kLightStateCount ? kNames[i] : "?";
}

const char* StageStateName(StageState state)
{
    static const char* const kNames[] = {"ColorOp",   "ColorArg1",     "ColorArg2", "AlphaOp",  "AlphaArg1",
                                         "AlphaArg2", "TexCoordIndex", "Address",   "AddressU", "AddressV",
                                         "MagFilter", "MinFilter",     "MipFilter"};
    static_assert(sizeof kNames / sizeof kNames[0] == kStageStateCount);
    const uint32_t i = static_cast<uint32_t>(state);
    return i < kStageStateCount ? kNames[i] : "?";
}

} // namespace plat
