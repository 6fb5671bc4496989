// Per draw, QrD3DDevice decides how the bound textures reach the screen: one texture, both
// in one pass (stage 1 combining the second with stage 0's result), or two passes where the
// frame buffer's blend does the combining; and it binds the textures through the texture
// manager.

#include "Device3D.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrImage.h"
#include "QrRenderCode.h"
#include "QrTextureManager.h"
#include "QrTextureModeProperty.h"
#include "Surface.h"

namespace
{

using plat::TextureArg;
using plat::TextureOp;

// Frame-buffer blend of each mode's second pass, as engine blend codes (mode 7 has none).
constexpr uint32_t kSecondPassBlend[QrD3DDevice::kMultiTextureModes][2] = {{1, 2}, {1, 3}, {1, 6}, {6, 7},
                                                                           {6, 7}, {0, 0}, {0, 6}, {0, 0}};

constexpr uint32_t kSecondPassZBias = 4;

} // namespace

uint32_t QrD3DDevice::BeginBatch(uint8_t mode)
{
    return m_vertexBuffer.Begin(m_twoSets, mode) ? QrRenderCode::kOk : QrRenderCode::kDrawFailed;
}

void QrD3DDevice::SetStageOpIfChanged(uint32_t stage, TextureOp colorOp, uint32_t colorArg1, uint32_t colorArg2,
                                      TextureOp alphaOp, uint32_t alphaArg1, uint32_t alphaArg2)
{
    StageIfChanged(stage, plat::StageState::ColorOp, plat::ToState(colorOp));
    StageIfChanged(stage, plat::StageState::ColorArg1, colorArg1);
    StageIfChanged(stage, plat::StageState::ColorArg2, colorArg2);
    StageIfChanged(stage, plat::StageState::AlphaOp, plat::ToState(alphaOp));
    StageIfChanged(stage, plat::StageState::AlphaArg1, alphaArg1);
    StageIfChanged(stage, plat::StageState::AlphaArg2, alphaArg2);
}

void QrD3DDevice::SetUpApplyStage(uint32_t stage, uint32_t applyMode, bool hasTexture, bool alphaTexture, int twoPass)
{
    // Stage 2 (vertex-last) combines what stages 0 and 1 made instead of a texture.
    const uint32_t t = stage == 0 ? TextureArg::kTexture : TextureArg::kCurrent;
    const uint32_t v = TextureArg::kDiffuse;
    const bool decalAlpha = (m_description.textureBlendCaps & plat::kTextureBlendCapsDecalAlpha) != 0;
    const bool modulateAlpha = (m_description.textureBlendCaps & plat::kTextureBlendCapsModulateAlpha) != 0;
    // Devices that reject the diffuse colour through argument 2 select it through argument 1.
    const bool arg1 = (m_modeFlags & kModeDiffuseArg1) != 0;
    const TextureOp selectV = arg1 ? TextureOp::SelectArg1 : TextureOp::SelectArg2;
    const uint32_t selectV1 = arg1 ? v : t;
    using Mode = QrTextureModeProperty;

    enum class Part
    {
        T,
        V,
        TV,
        Blend,
    };
    Part colour = Part::T;
    Part alpha = Part::T;
    if (!hasTexture)
    {
        colour = alpha = Part::V;
    }
    else if (twoPass == 0)
    {
        colour = alpha = Part::T;
    }
    else if (twoPass > 0)
    {
        colour = applyMode >= Mode::kApplyModulate ? Part::TV : Part::T;
        alpha = applyMode >= Mode::kApplyModulateAlpha && modulateAlpha ? Part::TV : Part::T;
    }
    else if (stage == 2)
    {
        colour = applyMode >= Mode::kApplyModulate ? Part::TV : Part::T;
        if (applyMode == Mode::kApplyModulate)
            alpha = alphaTexture ? Part::T : Part::V;
        else if (applyMode >= Mode::kApplyModulateAlpha)
            alpha = modulateAlpha ? Part::TV : Part::V;
    }
    else
    {
        switch (applyMode)
        {
        case Mode::kApplyReplace:
            break;
        case Mode::kApplyDecal:
            colour = decalAlpha ? Part::Blend : Part::V;
            alpha = decalAlpha ? Part::V : Part::T;
            break;
        case Mode::kApplyModulate:
            colour = Part::TV;
            alpha = alphaTexture ? Part::T : Part::V;
            break;
        default:
            // Modulate alpha and every code past it modulate, so a texture of a mode we cannot draw still shows, lit.
            colour = Part::TV;
            alpha = modulateAlpha ? Part::TV : Part::T;
            break;
        }
    }

    auto op = [&](Part part, TextureOp& o, uint32_t& a1, uint32_t& a2)
    {
        a1 = t;
        a2 = v;
        switch (part)
        {
        case Part::T:
            o = TextureOp::SelectArg1;
            break;
        case Part::V:
            o = selectV;
            a1 = selectV1;
            break;
        case Part::TV:
            o = TextureOp::Modulate;
            break;
        case Part::Blend:
            o = TextureOp::BlendTextureAlpha;
            break;
        }
    };
    TextureOp colorOp;
    TextureOp alphaOp;
    uint32_t c1;
    uint32_t c2;
    uint32_t a1;
    uint32_t a2;
    op(colour, colorOp, c1, c2);
    op(alpha, alphaOp, a1, a2);
    SetStageOpIfChanged(stage, colorOp, c1, c2, alphaOp, a1, a2);
}

void QrD3DDevice::DisableStage1()
{
    const uint32_t disable = plat::ToState(TextureOp::Disable);
    const bool wasOn = m_stageSent[1][static_cast<uint32_t>(plat::StageState::ColorOp)] != disable;
    StageIfChanged(1, plat::StageState::ColorOp, disable);
    StageIfChanged(1, plat::StageState::AlphaOp, disable);
    // Nothing after a disabled stage runs.
    m_stageSent[2][static_cast<uint32_t>(plat::StageState::ColorOp)] = disable;
    m_stageSent[2][static_cast<uint32_t>(plat::StageState::AlphaOp)] = disable;
    BindTexture(1, nullptr, 1);
    if (wasOn && !(m_capabilities & kCapHardware) && m_device)
    {
        // Software devices drop their batched state with the stage.
        Render(plat::RenderState::FlushBatch, 0);
        uint32_t passes = 0;
        m_device->Validate(passes);
    }
}

bool QrD3DDevice::BindTexture(uint32_t stage, QrImage* image, uint32_t slot)
{
    if (stage > 1 || !m_device)
        return false;
    std::shared_ptr<plat::Surface> texture;
    bool changed = false;
    bool mipmapped = false;
    bool alpha = false;
    const bool had = m_boundImages[stage] != nullptr;
    bool ok = true;
    if (m_textureManager)
        ok = m_textureManager->GetTexture(static_cast<int32_t>(stage), image, m_boundImages[stage], texture, changed,
                                          mipmapped, alpha);
    else
        ok = !image;
    if (!ok)
    {
        if (m_driver)
            m_driver->SetStateFlag(QrD3DDriver::kStateTextureError, true);
        if (had || changed)
            m_device->SetTexture(stage, nullptr);
        m_boundImages[stage] = nullptr;
        m_boundAlpha[stage] = false;
        return false;
    }
    if (changed)
        m_device->SetTexture(stage, texture);
    m_boundAlpha[stage] = alpha;
    if (image)
    {
        const bool interpolate = m_passMode != 1 || (m_modeFlags & kModeMultiTrilinear);
        ApplyTextureFilter(mipmapped, interpolate, stage, slot);
        ApplyTextureClamp(stage, slot);
    }
    return texture != nullptr;
}

void QrD3DDevice::SetZBias(uint32_t bias)
{
    if (bias == m_zBias)
        return;
    m_zBias = bias;
    Render(plat::RenderState::ZBias, bias);
}

void QrD3DDevice::SendAlphaBlend(bool on, plat::BlendFactor source, plat::BlendFactor destination, bool factors)
{
    // Sent past the cache and recorded as sent, so that the next draw puts the asked state back.
    if (((m_current & kStateAlphaBlend) != 0) != on)
    {
        Render(plat::RenderState::AlphaBlendEnable, on ? 1 : 0);
        m_current = on ? (m_current | kStateAlphaBlend) : (m_current & ~kStateAlphaBlend);
    }
    if (factors && (source != m_srcBlendCurrent || destination != m_destBlendCurrent))
    {
        Render(plat::RenderState::SrcBlend, plat::ToState(source));
        Render(plat::RenderState::DestBlend, plat::ToState(destination));
        m_srcBlendCurrent = source;
        m_destBlendCurrent = destination;
    }
}

void QrD3DDevice::ChooseMultitexturePath(bool twoSetVertices)
{
    m_drawTwoSets = twoSetVertices;
    m_drawBase = m_stageTextures[0].Get();
    m_drawSecond = m_stageTextures[1].Get();
    m_passMode = 0;
    if (!m_drawSecond)
        return;
    const uint32_t mode = m_applyMode[1];
    const uint32_t first = m_textureManager ? m_textureManager->GetFormatKind(m_drawBase) : kNoTextureClass;
    const uint32_t second = m_textureManager ? m_textureManager->GetFormatKind(m_drawSecond) : kNoTextureClass;
    if (first == kNoTextureClass)
    {
        m_drawBase = nullptr;
        if (second == kNoTextureClass)
        {
            m_drawSecond = nullptr;
            return;
        }
        m_passMode = MultiPassClass(mode) ? 2 : 0;
        return;
    }
    if (second == kNoTextureClass)
    {
        m_drawSecond = nullptr;
        return;
    }
    const uint8_t entry = GetModeEntry(mode, first, second);
    const bool vertexFirst = !(m_modeFlags & kModeVertexLast);
    if ((entry & kSinglePass) && !(vertexFirst && m_applyMode[0] && m_vertexColorMode && mode))
    {
        m_passMode = 1;
        return;
    }
    m_passMode = (entry & ~kSinglePass) ? 2 : 0;
}

bool QrD3DDevice::SetUpPass(uint32_t pass)
{
    const uint32_t mode = m_applyMode[1];
    const uint32_t applyMode = m_applyMode[0];
    if (m_passMode == 1)
    {
        SetUpStage1(mode, true);
        const bool swapped = mode == 4;
        QrImage* images[2] = {swapped ? m_drawSecond : m_drawBase, swapped ? m_drawBase : m_drawSecond};
        const uint32_t slots[2] = {swapped ? 1u : 0u, swapped ? 0u : 1u};
        bool bound[2];
        for (uint32_t stage = 0; stage < 2; ++stage)
        {
            bound[stage] = BindTexture(stage, images[stage], slots[stage]);
            StageIfChanged(stage, plat::StageState::TexCoordIndex, m_drawTwoSets ? slots[stage] : 0);
        }
        if (m_modeFlags & kModeVertexLast)
        {
            SetStageOpIfChanged(0, TextureOp::SelectArg1, TextureArg::kTexture, TextureArg::kDiffuse,
                                TextureOp::SelectArg1, TextureArg::kTexture, TextureArg::kDiffuse);
            SetUpApplyStage(2, applyMode, true, m_boundAlpha[0], -1);
        }
        else
        {
            SetUpApplyStage(0, applyMode, bound[0], m_boundAlpha[0], -1);
        }
        SetZBias(0);
        return false;
    }

    DisableStage1();
    if (m_passMode == 0)
    {
        const bool bound = BindTexture(0, m_drawBase, 0);
        StageIfChanged(0, plat::StageState::TexCoordIndex, 0);
        SetUpApplyStage(0, applyMode, bound, m_boundAlpha[0], -1);
        SetZBias(0);
        return false;
    }

    // Two passes: the first texture drawn as usual, the second blended over it.
    const bool swapped = mode == 4;
    uint32_t index;
    bool more;
    if (pass == 0)
    {
        index = swapped ? 1 : 0;
        SendAlphaBlend(false, m_srcBlendCurrent, m_destBlendCurrent, false);
        more = true;
    }
    else
    {
        index = swapped ? 0 : 1;
        const uint32_t m = mode < kMultiTextureModes ? mode : 0;
        SendAlphaBlend(true, m_blendTable[kSecondPassBlend[m][0]], m_blendTable[kSecondPassBlend[m][1]], true);
        more = false;
    }
    QrImage* image = index == 0 ? m_drawBase : m_drawSecond;
    const bool bound = BindTexture(0, image, index);
    StageIfChanged(0, plat::StageState::TexCoordIndex, m_drawTwoSets ? index : 0);
    const bool vertexColour = pass == 0 || mode >= 3;
    SetUpApplyStage(0, applyMode, bound, m_boundAlpha[0], vertexColour ? 1 : 0);
    SetZBias(kSecondPassZBias * pass);
    return more;
}
