// Whole property states for QrD3DDevice: the known starting state of a fresh device, and the
// check whether a list of properties can be drawn as asked.

#include "Device3D.h"
#include "QrAlphaProperty.h"
#include "QrD3DDevice.h"
#include "QrDDContext.h"
#include "QrDitherProperty.h"
#include "QrFogProperty.h"
#include "QrImage.h"
#include "QrMultiTextureProperty.h"
#include "QrPointerList.h"
#include "QrRenderCode.h"
#include "QrSpecularProperty.h"
#include "QrTextureManager.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrZBufferProperty.h"

uint32_t QrD3DDevice::SetRenderModes()
{
    using plat::RenderState;
    using plat::StageState;
    using plat::TextureArg;
    using plat::TextureOp;
    using plat::ToState;
    if (!m_viewport)
    {
        Log("Render create failed: Cannot set rendering modes without a viewport", true);
        return QrRenderCode::kFail;
    }
    const uint32_t disable = ToState(TextureOp::Disable);

    Render(RenderState::AlphaTestEnable, 0);
    Render(RenderState::CullMode, ToState(plat::CullMode::Clockwise));
    Render(RenderState::MonoEnable, 0);
    Render(RenderState::LastPixel, 0);
    Render(RenderState::StippleEnable, 0);
    Render(RenderState::StippledAlpha, 0);
    Render(RenderState::Antialias, 0);
    Render(RenderState::ZEnable, 1);

    Stage(0, StageState::AlphaArg2, TextureArg::kDiffuse);
    Stage(0, StageState::ColorArg2, TextureArg::kDiffuse);
    Stage(1, StageState::ColorArg2, TextureArg::kCurrent);
    Stage(1, StageState::AlphaArg1, TextureArg::kTexture);
    Stage(1, StageState::AlphaArg2, TextureArg::kCurrent);
    Stage(2, StageState::ColorArg1, TextureArg::kCurrent);
    Stage(2, StageState::ColorArg2, TextureArg::kDiffuse);
    Stage(2, StageState::AlphaArg1, TextureArg::kCurrent);
    Stage(2, StageState::AlphaArg2, TextureArg::kDiffuse);
    Stage(3, StageState::ColorOp, disable);
    Stage(3, StageState::AlphaOp, disable);

    Render(RenderState::AlphaBlendEnable, 0);
    Render(RenderState::SrcBlend, ToState(plat::BlendFactor::SrcAlpha));
    Render(RenderState::DestBlend, ToState(plat::BlendFactor::InvSrcAlpha));
    m_srcBlendCurrent = plat::BlendFactor::SrcAlpha;
    m_destBlendCurrent = plat::BlendFactor::InvSrcAlpha;

    Stage(0, StageState::Address, ToState(plat::TextureAddress::Wrap));
    Render(RenderState::Wrap0, 0);
    Stage(1, StageState::Address, ToState(plat::TextureAddress::Wrap));
    Render(RenderState::Wrap1, 0);
    for (uint32_t stage = 0; stage < 2; ++stage)
    {
        m_addressUSent[stage] = plat::TextureAddress::Wrap;
        m_addressVSent[stage] = plat::TextureAddress::Wrap;
    }

    Render(RenderState::DitherEnable, 0);

    for (uint32_t stage = 0; stage < 2; ++stage)
    {
        Stage(stage, StageState::MagFilter, ToState(plat::TextureFilter::Point));
        Stage(stage, StageState::MinFilter, ToState(plat::TextureFilter::Point));
        Stage(stage, StageState::MipFilter, ToState(plat::TextureFilter::None));
        m_filterSent[stage] = 0;
    }

    Stage(0, StageState::TexCoordIndex, 0);
    Stage(1, StageState::TexCoordIndex, 1);

    Render(RenderState::FogEnable, 0);
    Render(RenderState::FogColor, 0);
    m_fogSetup = 0;
    m_fogColor = 0;

    Render(RenderState::TexturePerspective, 1);
    Render(RenderState::ShadeMode, ToState(plat::ShadeMode::Gouraud));
    Render(RenderState::SpecularEnable, 0);

    Stage(0, StageState::ColorOp, ToState(TextureOp::SelectArg1));
    Stage(0, StageState::ColorArg1, TextureArg::kTexture);
    Stage(0, StageState::AlphaOp, ToState(TextureOp::SelectArg1));
    Stage(0, StageState::AlphaArg1, TextureArg::kTexture);
    Stage(1, StageState::ColorOp, disable);
    Stage(1, StageState::AlphaOp, disable);
    Stage(1, StageState::ColorArg1, TextureArg::kTexture);
    Stage(2, StageState::ColorOp, disable);
    Stage(2, StageState::AlphaOp, disable);

    Render(RenderState::ColorKeyEnable, 0);
    Render(RenderState::FillMode, ToState(plat::FillMode::Solid));
    Render(RenderState::ZWriteEnable, 0);
    Render(RenderState::ZFunc, ToState(plat::CompareFunc::Always));

    // What the device now has: correction and Gouraud on, every other cached state off.
    m_current = kStateCorrection | kStateGouraud;
    return QrRenderCode::kOk;
}

namespace
{

// The property of each type that applies: the last one given, else the type's default.
void PropertiesByType(const QrPointerList<QrProperty>* properties, QrProperty* (&table)[QrProperty::kTypeCount])
{
    for (uint32_t type = 0; type < QrProperty::kTypeCount; ++type)
        table[type] = QrProperty::GetDefault(type);
    if (!properties)
        return;
    for (QrProperty* property : *properties)
    {
        const uint32_t type = property->Type();
        if (type < QrProperty::kTypeCount)
            table[type] = property;
    }
}

} // namespace

uint32_t QrD3DDevice::ValidatePropertyState(const QrPointerList<QrProperty>* properties)
{
    QrProperty* table[QrProperty::kTypeCount];
    PropertiesByType(properties, table);
    const plat::DeviceCaps& caps = m_description;
    uint32_t flags = 0;

    const auto* alpha = static_cast<const QrAlphaProperty*>(table[QrProperty::kAlpha]);
    const bool alphaOn = alpha->m_enabled != 0;
    if (alphaOn && !CanBlend(*alpha))
        flags = kProblemBlend;

    const auto* dither = static_cast<const QrDitherProperty*>(table[QrProperty::kDither]);
    if (dither->m_enabled && !(caps.rasterCaps & plat::kRasterCapsDither))
        flags |= kProblemDither;

    const auto* multi = static_cast<const QrMultiTextureProperty*>(table[QrProperty::kMultiTexture]);
    if (multi->GetNonNullImageCount() > 1)
        flags |= kProblemMultiTextureCount;
    const QrPointer<QrImage> second = GetPropertyElement(multi, 0);
    const uint32_t multiMode = multi->GetApplyModes() ? multi->GetApplyModes()[0] : 0;
    if (second)
    {
        constexpr uint32_t kNoClampModes = QrTextureModeProperty::kClampBoth;
        flags |= ClampProblems(multi->GetClampModes() ? multi->GetClampModes()[0] : kNoClampModes);
    }

    const auto* specular = static_cast<const QrSpecularProperty*>(table[QrProperty::kSpecular]);
    if (specular->m_enabled && !(caps.shadeCaps & plat::kShadeCapsSpecularGouraudRgb))
        flags |= kProblemSpecular;

    const auto* texture = static_cast<const QrTextureProperty*>(table[QrProperty::kTexture]);
    const auto* mode = static_cast<const QrTextureModeProperty*>(table[QrProperty::kTextureMode]);
    const QrPointer<QrImage> base = texture->GetCurrentImage();
    if (base)
    {
        if (!CanApply(mode->m_applyMode, second != nullptr))
            flags |= kProblemApplyMode;
        flags |= ClampProblems(mode->m_clampMode);
        const auto* transparent = static_cast<const QrTransparentProperty*>(table[QrProperty::kTransparent]);
        if (transparent->m_enabled && !(caps.textureCaps & plat::kTextureCapsTransparency))
            flags |= kProblemDepthOrKey;
    }

    const auto* zbuffer = static_cast<const QrZBufferProperty*>(table[QrProperty::kZBuffer]);
    if (zbuffer->m_test && !(caps.zCompareCaps & plat::CapsBit(plat::CompareFunc::LessEqual)))
        flags |= kProblemDepthOrKey;
    if ((zbuffer->m_test || zbuffer->m_write) && !HasDepthBuffer())
        flags |= kProblemDepthOrKey;

    if (base && second)
    {
        const auto* vertexColor = static_cast<const QrVertexColorProperty*>(table[QrProperty::kVertexColor]);
        flags |= MultiTextureProblems(base.Get(), second.Get(), multiMode, *mode, *vertexColor);
        if ((flags & kProblemPasses) && alphaOn)
            flags |= kProblemPassesWithAlpha;
    }

    const auto* fog = static_cast<const QrFogProperty*>(table[QrProperty::kFog]);
    if (fog->m_enabled && !CanFog(*fog, (flags & kProblemPasses) != 0))
        flags |= kProblemFog;
    return flags;
}

uint32_t QrD3DDevice::ClampProblems(uint32_t clampMode) const
{
    // A clamp mode the device cannot address as asked.
    const bool decalAlpha = (m_description.textureBlendCaps & plat::kTextureBlendCapsDecalAlpha) != 0;
    if (!decalAlpha && clampMode <= QrTextureModeProperty::kWrapSClampT)
        return kProblemClamp;
    if (decalAlpha && !(m_requested & kFactIndependentUV) &&
        (clampMode == QrTextureModeProperty::kClampSWrapT || clampMode == QrTextureModeProperty::kWrapSClampT))
        return kProblemMixedClamp;
    return 0;
}

uint32_t QrD3DDevice::MultiTextureProblems(QrImage* base, QrImage* second, uint32_t multiMode,
                                           const QrTextureModeProperty& mode,
                                           const QrVertexColorProperty& vertexColor) const
{
    const uint32_t a = m_textureManager ? m_textureManager->GetFormatKind(base) : kNoTextureClass;
    const uint32_t b = m_textureManager ? m_textureManager->GetFormatKind(second) : kNoTextureClass;
    if (a == kNoTextureClass)
        return kProblemTexture;
    if (b == kNoTextureClass)
        return 0;
    const uint8_t entry = GetModeEntry(multiMode, a, b);
    if (!(entry & kSinglePass))
    {
        const uint32_t passClass = entry & 0x7Fu;
        if (passClass == 0)
            return kProblemTexture;
        // Class 1 draws in one pass; 2 and up need more.
        if (passClass >= 2)
            return kProblemPasses;
        return 0;
    }
    uint32_t flags = 0;
    if (!(m_modeFlags & kModeMultiTrilinear) && (mode.m_filterMode == 2 || mode.m_filterMode == 4))
        flags |= kProblemTrilinear;
    if (!(m_modeFlags & kModeVertexLast) && mode.m_applyMode != QrTextureModeProperty::kApplyReplace &&
        vertexColor.m_mode != 0 && multiMode != 0)
        flags |= kProblemVertexStage | kProblemPasses;
    return flags;
}

bool QrD3DDevice::CanFog(const QrFogProperty& fog, bool multiPass) const
{
    const plat::DeviceCaps& caps = m_description;
    if (caps.rasterCaps & plat::kRasterCapsFogVertex)
        return !multiPass;
    if (fog.m_mode != 0 || !(caps.rasterCaps & plat::kRasterCapsFogTable))
        return false;
    return !multiPass;
}

bool QrD3DDevice::CanBlend(const QrAlphaProperty& alpha) const
{
    const bool source = alpha.m_source < kBlendCodes && ((m_srcBlendMask >> alpha.m_source) & 1u);
    const bool destination = alpha.m_destination < kBlendCodes && ((m_destBlendMask >> alpha.m_destination) & 1u);
    return source && destination;
}

bool QrD3DDevice::CanApply(uint32_t applyMode, bool secondTexture) const
{
    const uint32_t blendCaps = m_description.textureBlendCaps;
    // One past the named modes is reported too: the device has nothing for it.
    constexpr uint32_t kApplyPastLast = QrTextureModeProperty::kApplyModulateAlpha + 1;
    if (applyMode == QrTextureModeProperty::kApplyModulateAlpha)
        return (blendCaps & plat::kTextureBlendCapsModulateAlpha) != 0;
    if (applyMode == QrTextureModeProperty::kApplyDecal)
        return (blendCaps & plat::kTextureBlendCapsDecalAlpha) != 0 && !secondTexture;
    return applyMode != kApplyPastLast;
}
