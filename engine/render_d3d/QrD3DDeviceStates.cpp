// The render-state cache of QrD3DDevice: setters record, appliers send what differs.

#include "Device3D.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrDDContext.h"
#include "QrImage.h"
#include "QrMultiTextureProperty.h"
#include "QrRenderCode.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"

void QrD3DDevice::Render(plat::RenderState state, uint32_t value)
{
    if (m_device)
        m_device->SetRenderState(state, value);
}

void QrD3DDevice::Stage(uint32_t stage, plat::StageState state, uint32_t value)
{
    if (stage < 4)
        m_stageSent[stage][static_cast<uint32_t>(state)] = value;
    if (m_device)
        m_device->SetTextureStageState(stage, state, value);
}

void QrD3DDevice::StageIfChanged(uint32_t stage, plat::StageState state, uint32_t value)
{
    if (stage < 4 && m_stageSent[stage][static_cast<uint32_t>(state)] == value)
        return;
    Stage(stage, state, value);
}

void QrD3DDevice::Light(plat::LightState state, uint32_t value)
{
    if (m_device)
        m_device->SetLightState(state, value);
}

uint32_t QrD3DDevice::SetWireframe(bool on)
{
    Request(kStateWireframe, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetCorrection(bool on)
{
    Request(kStateCorrection, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetSmoothShading(bool on)
{
    Request(kStateGouraud, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetColorKey(bool on)
{
    Request(kStateColorKey, on);
    // The emit kernels are chosen again.
    m_drawFlags |= kDrawStateDirty;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetDither(bool on)
{
    Request(kStateDither, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetSpecular(bool on)
{
    Request(kStateSpecular, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetZBufferTest(bool on)
{
    if (HasDepthBuffer())
        Request(kStateZTest, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetZBufferWrite(bool on)
{
    if (HasDepthBuffer())
        Request(kStateZWrite, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetAlphaBlendRequest(bool on)
{
    Request(kStateAlphaBlend, on);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetBlendFactors(uint32_t source, uint32_t destination)
{
    if (source < kBlendCodes && destination < kBlendCodes)
    {
        m_srcBlendRequested = m_blendTable[source];
        m_destBlendRequested = m_blendTable[destination];
    }
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetTextureFilter(uint32_t mode, uint32_t slot)
{
    if (mode < kFilterModes && slot < 2)
        m_filterRequested[slot] = mode;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetTextureClamp(uint32_t mode, uint32_t slot)
{
    if (mode > QrTextureModeProperty::kWrapBoth || slot > 1)
        return QrRenderCode::kOk;
    // The modes are two bits: one wraps S, the other T.
    constexpr uint32_t kWrapS = QrTextureModeProperty::kWrapSClampT;
    constexpr uint32_t kWrapT = QrTextureModeProperty::kClampSWrapT;
    m_addressURequested[slot] = (mode & kWrapS) ? plat::TextureAddress::Wrap : plat::TextureAddress::Clamp;
    m_addressVRequested[slot] = (mode & kWrapT) ? plat::TextureAddress::Wrap : plat::TextureAddress::Clamp;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetTextureApplyMode(uint32_t mode)
{
    // Replace, decal, modulate, modulate alpha; other codes leave the stage as it was.
    if (mode <= QrTextureModeProperty::kApplyModulateAlpha)
        m_applyMode[0] = mode;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetSecondApplyMode(uint32_t mode)
{
    if (mode < kMultiTextureModes)
        m_applyMode[1] = mode;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetVertexColorMode(uint32_t mode)
{
    m_vertexColorMode = mode;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetStageTexture(QrImage* image, uint32_t slot)
{
    if (slot < 2)
        m_stageTextures[slot] = image;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetFogColor(float red, float green, float blue)
{
    const uint32_t color = PackColor(red, green, blue);
    if (color != m_fogColor)
    {
        m_fogColor = color;
        Render(plat::RenderState::FogColor, color);
    }
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::ApplyRenderStates(bool vertexFog)
{
    using plat::RenderState;
    m_changed = m_requested ^ m_current;
    auto changed = [this](uint32_t bit) { return (m_changed & bit) != 0; };
    auto on = [this](uint32_t bit) { return (m_requested & bit) ? 1u : 0u; };
    auto sent = [this](uint32_t bit) { m_current = (m_current & ~bit) | (m_requested & bit); };

    if (changed(kStateWireframe))
    {
        Render(RenderState::FillMode,
               plat::ToState(on(kStateWireframe) ? plat::FillMode::Wireframe : plat::FillMode::Solid));
        sent(kStateWireframe);
    }
    if (changed(kStateCorrection))
    {
        Render(RenderState::TexturePerspective, on(kStateCorrection));
        sent(kStateCorrection);
    }
    if (changed(kStateGouraud))
    {
        Render(RenderState::ShadeMode,
               plat::ToState(on(kStateGouraud) ? plat::ShadeMode::Gouraud : plat::ShadeMode::Flat));
        sent(kStateGouraud);
    }
    if (changed(kStateColorKey))
    {
        Render(RenderState::ColorKeyEnable, on(kStateColorKey));
        sent(kStateColorKey);
    }
    if (changed(kStateAlphaBlend))
    {
        Render(RenderState::AlphaBlendEnable, on(kStateAlphaBlend));
        // Software devices that can only stipple alpha need stippling switched with blending.
        if (m_kind != plat::DeviceKind::Hardware && (m_description.rasterCaps & plat::kRasterCapsStippledAlpha))
        {
            Render(RenderState::StippleEnable, on(kStateAlphaBlend));
            Render(RenderState::StippledAlpha, on(kStateAlphaBlend));
        }
        sent(kStateAlphaBlend);
    }
    if (m_srcBlendRequested != m_srcBlendCurrent || m_destBlendRequested != m_destBlendCurrent)
    {
        Render(RenderState::SrcBlend, plat::ToState(m_srcBlendRequested));
        Render(RenderState::DestBlend, plat::ToState(m_destBlendRequested));
        m_srcBlendCurrent = m_srcBlendRequested;
        m_destBlendCurrent = m_destBlendRequested;
    }
    if (changed(kStateZTest))
    {
        Render(RenderState::ZFunc,
               plat::ToState(on(kStateZTest) ? plat::CompareFunc::LessEqual : plat::CompareFunc::Always));
        sent(kStateZTest);
    }
    if (changed(kStateZWrite))
    {
        Render(RenderState::ZWriteEnable, on(kStateZWrite));
        sent(kStateZWrite);
    }
    ApplyFog(vertexFog);
    if (changed(kStateDither))
    {
        Render(RenderState::DitherEnable, on(kStateDither));
        sent(kStateDither);
    }
    if (changed(kStateSpecular))
    {
        Render(RenderState::SpecularEnable, on(kStateSpecular));
        sent(kStateSpecular);
    }
    return QrRenderCode::kOk;
}

void QrD3DDevice::ApplyFog(bool vertexFog)
{
    using plat::FogMode;
    using plat::LightState;
    using plat::RenderState;
    if (!m_driver)
        return;
    const QrD3DDriver::FogValues& fog = m_driver->GetFog();
    uint32_t wanted = 0;
    if (fog.enabled)
    {
        if (fog.range)
            wanted = vertexFog ? 1 : 3;
        else if (fog.tableMode && (m_requested & kFactTableFog))
            wanted = 4;
        else
            wanted = vertexFog ? 1 : 2;
    }
    if (wanted == m_fogSetup)
        return;
    m_fogSetup = wanted;
    const uint32_t start = plat::StateFromFloat(fog.start);
    const uint32_t end = plat::StateFromFloat(fog.end);
    switch (wanted)
    {
    case 0:
        Light(LightState::FogMode, plat::ToState(FogMode::None));
        Render(RenderState::FogEnable, 0);
        Render(RenderState::FogTableMode, plat::ToState(FogMode::None));
        break;
    case 1:
        // The vertices carry fog the renderer computed.
        Render(RenderState::FogEnable, 1);
        if (!fog.range)
            Render(RenderState::RangeFogEnable, 0);
        Render(RenderState::FogTableMode, plat::ToState(FogMode::None));
        Light(LightState::FogMode, plat::ToState(FogMode::None));
        break;
    case 2:
        Render(RenderState::FogEnable, 1);
        Render(RenderState::RangeFogEnable, 0);
        Render(RenderState::FogTableMode, plat::ToState(FogMode::None));
        Light(LightState::FogMode, plat::ToState(FogMode::Linear));
        Light(LightState::FogStart, start);
        Light(LightState::FogEnd, end);
        break;
    case 3:
        Render(RenderState::FogEnable, 1);
        Render(RenderState::FogTableMode, plat::ToState(FogMode::None));
        Render(RenderState::RangeFogEnable, 1);
        Light(LightState::FogMode, plat::ToState(FogMode::Linear));
        Light(LightState::FogStart, start);
        Light(LightState::FogEnd, end);
        break;
    default:
        Render(RenderState::FogEnable, 1);
        Render(RenderState::RangeFogEnable, 0);
        Render(RenderState::FogTableMode, plat::ToState(FogMode::Linear));
        Render(RenderState::FogTableStart, start);
        Render(RenderState::FogTableEnd, end);
        break;
    }
}

void QrD3DDevice::ApplyTextureFilter(bool hasMipmaps, bool canInterpolateMipmaps, uint32_t stage, uint32_t slot)
{
    if (stage > 1 || slot > 1)
        return;
    uint32_t mode = m_filterRequested[slot];
    if (!hasMipmaps)
    {
        if (mode == 3 || mode == 4)
            mode = 0;
        else if (mode == 2 || mode == 5)
            mode = 1;
    }
    else if (!canInterpolateMipmaps)
    {
        if (mode == 2)
            mode = 5;
        else if (mode == 4)
            mode = 3;
    }
    if (mode == m_filterSent[stage])
        return;
    m_filterSent[stage] = mode;
    const FilterRow& row = m_filters[mode];
    Stage(stage, plat::StageState::MagFilter, plat::ToState(row.mag));
    Stage(stage, plat::StageState::MinFilter, plat::ToState(row.min));
    Stage(stage, plat::StageState::MipFilter, plat::ToState(row.mip));
}

void QrD3DDevice::ApplyTextureClamp(uint32_t stage, uint32_t slot)
{
    if (stage > 1 || slot > 1)
        return;
    const plat::TextureAddress u = m_addressURequested[slot];
    const plat::TextureAddress v = m_addressVRequested[slot];
    if (!(m_requested & kFactIndependentUV))
    {
        // One address mode for both directions: the U request decides.
        if (u != m_addressUSent[stage])
        {
            m_addressUSent[stage] = u;
            m_addressVSent[stage] = u;
            Stage(stage, plat::StageState::Address, plat::ToState(u));
        }
        return;
    }
    if (u != m_addressUSent[stage])
    {
        m_addressUSent[stage] = u;
        Stage(stage, plat::StageState::AddressU, plat::ToState(u));
    }
    if (v != m_addressVSent[stage])
    {
        m_addressVSent[stage] = v;
        Stage(stage, plat::StageState::AddressV, plat::ToState(v));
    }
}

uint32_t QrD3DDevice::ApplyDefaultStates(uint32_t& driverStateFlags)
{
    driverStateFlags = 0;
    uint32_t failed = 0;
    failed |= SetCorrection(true);
    failed |= SetWireframe(false);
    failed |= SetSmoothShading(true);
    failed |= SetTextureFilter(0, 0);
    failed |= SetTextureFilter(0, 1);
    // Without a depth buffer these change nothing.
    failed |= SetZBufferTest(false);
    failed |= SetZBufferWrite(false);
    return failed ? QrRenderCode::kCreateFailed : QrRenderCode::kOk;
}

QrPointer<QrImage> QrD3DDevice::GetPropertyElement(const QrProperty* object, uint32_t index)
{
    if (const auto* multi = QrDynamicCast<QrMultiTextureProperty>(const_cast<QrProperty*>(object)))
        return multi->GetImage(index);
    if (const auto* texture = QrDynamicCast<QrTextureProperty>(const_cast<QrProperty*>(object)))
        return texture->GetImage(index);
    return nullptr;
}
