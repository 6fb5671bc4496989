#include "RasterSetup.h"

#include "RasterVertex.h"
#include "Rasterizer.h"

#include <algorithm>

namespace plat
{
namespace
{

BlendFactor Factor(uint32_t value, BlendFactor fallback)
{
    return value < static_cast<uint32_t>(BlendFactor::Count) ? static_cast<BlendFactor>(value) : fallback;
}

} // namespace

bool RasterSetup::Prepare(const DrawCall& call)
{
    const RasterTarget& t = call.target;
    const DeviceState& st = *call.state;
    if (!t.color.pixels || t.color.format != PixelFormat::Rgb565)
        return false;
    color = t.color.pixels;
    colorPitch = t.color.pitch;
    clip.left = std::max(t.viewport.left, 0);
    clip.top = std::max(t.viewport.top, 0);
    clip.right = std::min<int64_t>(t.viewport.right, t.color.width);
    clip.bottom = std::min<int64_t>(t.viewport.bottom, t.color.height);

    depth = nullptr;
    depthTest = depthWrite = false;
    const PixelFormatInfo depthInfo = DescribeFormat(t.depth.format);
    const uint32_t depthBits = depthInfo.zBitDepth - depthInfo.stencilBitDepth;
    if (t.depth.pixels && st.Get(RenderState::ZEnable) != 0 && (depthInfo.flags & kPixelFlagZBuffer) &&
        (depthInfo.bitCount == 16 || depthInfo.bitCount == 32) && depthBits > 0)
    {
        depth = t.depth.pixels;
        depthPitch = t.depth.pitch;
        depthWide = depthInfo.bitCount == 32;
        depthMax = depthBits >= 32 ? 0xFFFFFFFFu : (1u << depthBits) - 1;
        depthKeep = depthWide ? ~depthMax : 0;
        // One bias step is one step of a 16-bit buffer, whatever the precision.
        const uint32_t bias = std::min<uint32_t>(st.Get(RenderState::ZBias), 16);
        depthBias = bias * (static_cast<double>(depthMax) / 65535.0);
        depthTest = st.Get(RenderState::ZFunc) != ToState(CompareFunc::Always);
        depthWrite = st.Get(RenderState::ZWriteEnable) != 0;
        clip.right = std::min<int64_t>(clip.right, t.depth.width);
        clip.bottom = std::min<int64_t>(clip.bottom, t.depth.height);
        if (!depthTest && !depthWrite)
            depth = nullptr;
    }
    if (clip.Empty())
        return false;

    const uint32_t cullValue = st.Get(RenderState::CullMode);
    cull = cullValue <= ToState(CullMode::CounterClockwise) ? static_cast<CullMode>(cullValue) : CullMode::None;
    wireframe = st.Get(RenderState::FillMode) == ToState(FillMode::Wireframe);
    flat = st.Get(RenderState::ShadeMode) == ToState(ShadeMode::Flat);
    perspective = st.Get(RenderState::TexturePerspective) != 0;
    specular = st.Get(RenderState::SpecularEnable) != 0;
    fog = st.Get(RenderState::FogEnable) != 0;
    tableFog = fog && st.Get(RenderState::FogTableMode) == ToState(FogMode::Linear);
    fogStart = FloatFromState(st.Get(RenderState::FogTableStart));
    fogEnd = FloatFromState(st.Get(RenderState::FogTableEnd));
    fogColor = UnpackArgb(st.Get(RenderState::FogColor));
    blend = st.Get(RenderState::AlphaBlendEnable) != 0;
    dither = st.Get(RenderState::DitherEnable) != 0;
    srcBlend = Factor(st.Get(RenderState::SrcBlend), BlendFactor::One);
    destBlend = Factor(st.Get(RenderState::DestBlend), BlendFactor::Zero);
    if (blend && srcBlend == BlendFactor::One && destBlend == BlendFactor::Zero)
        blend = false;

    combiner.Configure(st);
    combine = !combiner.PassesDiffuse();
    sampledCount = 0;
    const uint32_t sets = call.format == VertexFormat::TlTex2 ? 2 : 1;
    const bool colorKey = st.Get(RenderState::ColorKeyEnable) != 0;
    for (uint32_t i = 0; combine && i < combiner.StageCount(); ++i)
    {
        const uint32_t index = st.Get(i, StageState::TexCoordIndex);
        coordSet[i] = index < sets ? index : 0;
        sampled[i] = combiner.StageReadsTexture(i) && samplers[i].Bind(call.textures[i], st.stage[i], colorKey);
        if (sampled[i])
            sampledStages[sampledCount++] = i;
    }
    needsInvW = tableFog || (sampledCount > 0 && perspective);

    attributes = 1u << kAttrDiffuseR | 1u << kAttrDiffuseG | 1u << kAttrDiffuseB | 1u << kAttrDiffuseA;
    attributes |= depth ? 1u << kAttrZ : 0u;
    attributes |= needsInvW ? 1u << kAttrW : 0u;
    attributes |= specular ? (1u << kAttrSpecularR | 1u << kAttrSpecularG | 1u << kAttrSpecularB) : 0u;
    attributes |= fog && !tableFog ? 1u << kAttrFog : 0u;
    for (uint32_t j = 0; j < sampledCount; ++j)
        attributes |= 3u << (kAttrU0 + 2 * coordSet[sampledStages[j]]);
    attributeCount = 0;
    for (uint32_t i = 0; i < kAttrCount; ++i)
        if ((attributes >> i) & 1)
            attributeList[attributeCount++] = static_cast<uint8_t>(i);
    ChooseSpanFunction(*this, path);
    return true;
}

} // namespace plat
