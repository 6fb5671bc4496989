// Capability probing of QrD3DDevice: the filter table and blend masks from the device
// description, and the multitexture mode table found by trial drawing.

#include "DebugOutput.h"
#include "Device3D.h"
#include "Display.h"
#include "Format.h"
#include "QrD3DDevice.h"
#include "QrDDContext.h"
#include "QrRenderCode.h"
#include "QrTextureManager.h"
#include "Surface.h"

namespace
{

using plat::TextureFilter;

// Each multitexture mode's frame-buffer blend in two passes, as engine blend codes; mode 7
// has none.
struct TwoPassBlend
{
    int32_t source;
    int32_t destination;
};

constexpr TwoPassBlend kTwoPassBlend[QrD3DDevice::kMultiTextureModes] = {{1, 2}, {1, 3}, {1, 6}, {6, 7},
                                                                         {6, 7}, {0, 0}, {0, 6}, {-1, -1}};

constexpr uint32_t kTrialTextureSize = 16;

} // namespace

uint32_t QrD3DDevice::ProbeBlendCaps()
{
    if (m_description.rasterCaps & plat::kRasterCapsFogTable)
    {
        Log("Render create message: Device supports per-pixel z-based fog", false);
        m_requested |= kFactTableFog;
    }
    else
    {
        m_requested &= ~kFactTableFog;
    }
    const bool filtered = (m_description.filterCaps & plat::kFilterCapsNewStyleMask) ? FillFilterTableNewStyle()
                                                                                     : FillFilterTableOldStyle();
    if (!filtered)
    {
        Log("Render create failed: Device does not support texture filtering", true);
        return QrRenderCode::kDeviceCaps;
    }
    FillBlendMasks();
    return QrRenderCode::kOk;
}

bool QrD3DDevice::FillFilterTableNewStyle()
{
    const uint32_t caps = m_description.filterCaps;
    FilterRow* rows = m_filters;
    rows[0] = FilterRow{TextureFilter::Point, TextureFilter::Point, TextureFilter::None};
    rows[1].mip = TextureFilter::None;
    rows[3].min = rows[3].mag = TextureFilter::Point;
    rows[4].min = rows[4].mag = TextureFilter::Point;

    TextureFilter mag;
    if (caps & plat::kFilterCapsMagLinear)
        mag = TextureFilter::Linear;
    else if (caps & plat::kFilterCapsMagPoint)
        mag = TextureFilter::Point;
    else
        return false;
    TextureFilter min;
    if (caps & plat::kFilterCapsMinLinear)
        min = TextureFilter::Linear;
    else if (caps & plat::kFilterCapsMinPoint)
        min = TextureFilter::Point;
    else
        return false;
    for (uint32_t mode : {1u, 2u, 5u})
    {
        rows[mode].mag = mag;
        rows[mode].min = min;
    }

    m_capabilities |= kCapMipmaps;
    if (caps & plat::kFilterCapsMipFLinear)
    {
        rows[3].mip = rows[5].mip = TextureFilter::Point;
        rows[2].mip = rows[4].mip = TextureFilter::Linear;
    }
    else
    {
        const TextureFilter mip = (caps & plat::kFilterCapsMipPoint) ? TextureFilter::Point : TextureFilter::None;
        rows[2].mip = rows[3].mip = rows[4].mip = rows[5].mip = mip;
        if (mip == TextureFilter::None)
            m_capabilities &= ~kCapMipmaps;
    }
    return true;
}

bool QrD3DDevice::FillFilterTableOldStyle()
{
    const uint32_t caps = m_description.filterCaps;
    FilterRow* rows = m_filters;
    rows[0] = FilterRow{TextureFilter::Point, TextureFilter::Point, TextureFilter::None};
    rows[1].mip = TextureFilter::None;
    rows[3].min = rows[3].mag = TextureFilter::Point;
    rows[4].min = rows[4].mag = TextureFilter::Point;

    TextureFilter filter;
    if (caps & plat::kFilterCapsLinear)
        filter = TextureFilter::Linear;
    else if (caps & plat::kFilterCapsNearest)
        filter = TextureFilter::Point;
    else
        return false;
    for (uint32_t mode : {1u, 2u, 5u})
        rows[mode].min = rows[mode].mag = filter;

    m_capabilities &= ~kCapMipmaps;
    auto mipCap = [&](uint32_t bit, TextureFilter found, TextureFilter otherwise)
    {
        if (!(caps & bit))
            return otherwise;
        m_capabilities |= kCapMipmaps;
        return found;
    };
    rows[3].mip = mipCap(plat::kFilterCapsMipNearest, TextureFilter::Point, TextureFilter::None);
    rows[5].mip = mipCap(plat::kFilterCapsMipLinear, TextureFilter::Point, TextureFilter::None);
    rows[4].mip = mipCap(plat::kFilterCapsLinearMipNearest, TextureFilter::Linear, rows[5].mip);
    rows[2].mip = mipCap(plat::kFilterCapsLinearMipLinear, TextureFilter::Linear, rows[5].mip);
    return true;
}

void QrD3DDevice::FillBlendMasks()
{
    m_srcBlendMask = 0;
    m_destBlendMask = 0;
    for (uint32_t code = 0; code < kBlendCodes; ++code)
    {
        const uint32_t bit = plat::CapsBit(m_blendTable[code]);
        if (m_description.srcBlendCaps & bit)
            m_srcBlendMask |= 1u << code;
        if (m_description.destBlendCaps & bit)
            m_destBlendMask |= 1u << code;
    }
}

uint32_t QrD3DDevice::MultiPassClass(uint32_t mode) const
{
    if (mode >= kMultiTextureModes || kTwoPassBlend[mode].source < 0)
        return 0;
    const bool source = (m_srcBlendMask >> kTwoPassBlend[mode].source) & 1u;
    const bool destination = (m_destBlendMask >> kTwoPassBlend[mode].destination) & 1u;
    return source && destination ? 2 : 0;
}

uint8_t QrD3DDevice::GetModeEntry(uint32_t mode, uint32_t first, uint32_t second) const
{
    if (mode >= kMultiTextureModes || first >= kFormatClasses || second >= kFormatClasses)
        return 0;
    return m_modeTable[mode][first][second];
}

void QrD3DDevice::SetStageOp(uint32_t stage, plat::TextureOp colorOp, uint32_t colorArg1, uint32_t colorArg2,
                             plat::TextureOp alphaOp, uint32_t alphaArg1, uint32_t alphaArg2)
{
    Stage(stage, plat::StageState::ColorOp, plat::ToState(colorOp));
    Stage(stage, plat::StageState::ColorArg1, colorArg1);
    Stage(stage, plat::StageState::ColorArg2, colorArg2);
    Stage(stage, plat::StageState::AlphaOp, plat::ToState(alphaOp));
    Stage(stage, plat::StageState::AlphaArg1, alphaArg1);
    Stage(stage, plat::StageState::AlphaArg2, alphaArg2);
}

void QrD3DDevice::SetStageFilters(uint32_t stage, plat::TextureFilter min, plat::TextureFilter mag,
                                  plat::TextureFilter mip)
{
    Stage(stage, plat::StageState::MinFilter, plat::ToState(min));
    Stage(stage, plat::StageState::MagFilter, plat::ToState(mag));
    Stage(stage, plat::StageState::MipFilter, plat::ToState(mip));
}

void QrD3DDevice::SetUpStage1(uint32_t mode)
{
    using plat::TextureArg;
    using plat::TextureOp;
    TextureOp op = TextureOp::Modulate;
    uint32_t arg1 = TextureArg::kTexture;
    switch (mode)
    {
    case 1:
        arg1 |= TextureArg::kComplement;
        break;
    case 2:
        arg1 |= TextureArg::kAlphaReplicate;
        break;
    case 3:
    case 4:
        op = TextureOp::BlendTextureAlpha;
        break;
    case 5:
        op = TextureOp::Add;
        break;
    case 6:
        op = TextureOp::ModulateAlphaAddColor;
        break;
    case 7:
        op = TextureOp::ModulateColorAddAlpha;
        break;
    default:
        break;
    }
    // Stage 1 combines its texture with what stage 0 made; the alpha passes through.
    SetStageOp(1, op, arg1, TextureArg::kCurrent, TextureOp::SelectArg2, TextureArg::kTexture, TextureArg::kCurrent);
}

void QrD3DDevice::SetUpTrialStage0()
{
    using plat::TextureArg;
    using plat::TextureOp;
    if (m_modeFlags & kModeVertexLast)
    {
        // The texture alone on stage 0, the vertex colour applied after both textures.
        SetStageOp(0, TextureOp::SelectArg1, TextureArg::kTexture, TextureArg::kDiffuse, TextureOp::SelectArg1,
                   TextureArg::kTexture, TextureArg::kDiffuse);
        SetStageOp(2, TextureOp::Modulate, TextureArg::kCurrent, TextureArg::kDiffuse, TextureOp::Modulate,
                   TextureArg::kCurrent, TextureArg::kDiffuse);
        return;
    }
    SetStageOp(0, TextureOp::Modulate, TextureArg::kTexture, TextureArg::kDiffuse, TextureOp::Modulate,
               TextureArg::kTexture, TextureArg::kDiffuse);
}

uint32_t QrD3DDevice::DrawTrial()
{
    plat::TlVertex2 vertices[6] = {};
    const float corners[6][2] = {{0, 0}, {0, 2}, {2, 0}, {0, 0}, {2, 0}, {0, 2}};
    for (uint32_t i = 0; i < 6; ++i)
    {
        vertices[i].x = corners[i][0];
        vertices[i].y = corners[i][1];
        vertices[i].z = 0.5f;
        vertices[i].rhw = 0.5f;
    }
    if (m_device->BeginScene() == plat::Result::Ok)
    {
        m_device->DrawPrimitive(plat::PrimitiveType::TriangleList, plat::VertexFormat::TlTex2, vertices, 6,
                                plat::kDrawWait);
        m_device->EndScene();
    }
    uint32_t passes = 0;
    if (m_device->Validate(passes) != plat::Result::Ok)
        return 0;
    return passes;
}

std::shared_ptr<plat::Surface> QrD3DDevice::CreateTrialTexture(plat::PixelFormat format, bool videoMemory,
                                                               int32_t stage)
{
    if (format == plat::PixelFormat::Unknown || !m_context || !m_context->GetDisplay())
        return nullptr;
    plat::Display& display = *m_context->GetDisplay();
    const bool palettised = format == plat::PixelFormat::Pal8;
    plat::SurfaceDesc desc;
    desc.width = kTrialTextureSize;
    desc.height = kTrialTextureSize;
    desc.format = format;
    desc.caps = plat::kCapsTexture | (videoMemory ? plat::kCapsVideoMemory : plat::kCapsSystemMemory);
    if (!palettised)
        desc.caps |= plat::kCapsMipmap | plat::kCapsComplex;
    if (stage >= 0)
        desc.textureStage = static_cast<uint32_t>(stage);
    std::shared_ptr<plat::Surface> surface;
    if (display.CreateSurface(desc, surface) != plat::Result::Ok)
        return nullptr;
    if (palettised)
    {
        const plat::PaletteEntry zeros[256] = {};
        std::shared_ptr<plat::Palette> palette;
        if (display.CreatePalette(plat::kPaletteCaps8Bit | plat::kPaletteCapsInitialize | plat::kPaletteCapsAllow256,
                                  zeros, palette) != plat::Result::Ok ||
            surface->SetPalette(palette) != plat::Result::Ok)
            return nullptr;
    }
    if (surface->QueryTexture() != plat::Result::Ok)
        return nullptr;
    return surface;
}

void QrD3DDevice::RunTrials(std::shared_ptr<plat::Surface> (&textures)[3][2], uint32_t& single, uint32_t& multi,
                            uint32_t& unavailable, bool& stage1Tested)
{
    single = multi = unavailable = 0;
    for (uint32_t mode = 0; mode < kMultiTextureModes; ++mode)
    {
        const uint8_t passClass = static_cast<uint8_t>(MultiPassClass(mode));
        SetUpStage1(mode);
        for (uint32_t a = 0; a < kFormatClasses; ++a)
        {
            for (uint32_t b = 0; b < kFormatClasses; ++b)
            {
                uint8_t& entry = m_modeTable[mode][a][b];
                entry = 0;
                if (a == kNoTextureClass || b == kNoTextureClass)
                    continue;
                // Mode 4 puts the second texture on stage 0.
                const std::shared_ptr<plat::Surface>& stage0 = mode == 4 ? textures[b][0] : textures[a][0];
                const std::shared_ptr<plat::Surface>& stage1 = mode == 4 ? textures[a][1] : textures[b][1];
                if (!stage0 || !stage1)
                    continue;
                m_device->SetTexture(0, stage0);
                m_device->SetTexture(1, stage1);
                SetUpTrialStage0();
                const uint32_t passes = DrawTrial();
                if (passes != 1)
                {
                    entry = passClass;
                    if (passClass != 0 || passes > 1)
                        ++multi;
                    else
                        ++unavailable;
                    continue;
                }
                entry = passClass | kSinglePass;
                ++single;
                if (!stage1Tested)
                {
                    stage1Tested = true;
                    SetStageFilters(1, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::Linear);
                    if (DrawTrial() == 0)
                        m_modeFlags &= ~kModeStage1Trilinear;
                    SetStageFilters(1, TextureFilter::Point, TextureFilter::Point, TextureFilter::None);
                }
            }
        }
    }
}

uint32_t QrD3DDevice::DetectMultitextureModes(bool runTrials)
{
    using plat::TextureArg;
    using plat::TextureOp;
    m_modeFlags &= ~(kModeVertexLast | kModeSeparateMemories | kModeDiffuseArg1Again);
    m_modeFlags |= kModeMultiTrilinear | kModeStage1Trilinear;

    // Some devices cannot take the vertex colour through the second argument.
    m_device->SetTexture(0, nullptr);
    m_device->SetTexture(1, nullptr);
    Stage(0, plat::StageState::ColorOp, plat::ToState(TextureOp::SelectArg2));
    Stage(0, plat::StageState::ColorArg2, TextureArg::kDiffuse);
    Stage(0, plat::StageState::AlphaOp, plat::ToState(TextureOp::SelectArg2));
    Stage(0, plat::StageState::AlphaArg2, TextureArg::kDiffuse);
    uint32_t passes = 0;
    if (m_device->Validate(passes) != plat::Result::Ok)
    {
        m_modeFlags |= kModeDiffuseArg1;
        Stage(0, plat::StageState::AlphaOp, plat::ToState(TextureOp::SelectArg1));
        Stage(0, plat::StageState::AlphaArg1, TextureArg::kDiffuse);
        if (m_device->Validate(passes) != plat::Result::Ok)
            m_modeFlags |= kModeDiffuseArg1Again;
    }
    else
    {
        m_modeFlags &= ~kModeDiffuseArg1;
    }

    const uint32_t stages = m_description.maxTextureBlendStages;
    const uint32_t simultaneous = m_description.maxSimultaneousTextures;
    if (stages >= 2 && simultaneous >= 2 && (m_description.deviceCaps & plat::kDevCapsSeparateTextureMemories))
        m_modeFlags |= kModeSeparateMemories;
    if (stages < 2 || simultaneous < 2 || !runTrials)
    {
        for (uint32_t mode = 0; mode < kMultiTextureModes; ++mode)
        {
            const auto passClass = static_cast<uint8_t>(MultiPassClass(mode));
            for (auto& row : m_modeTable[mode])
            {
                for (uint8_t& entry : row)
                    entry = passClass;
            }
        }
        return QrRenderCode::kOk;
    }

    // One trial texture per format kind and stage.
    std::shared_ptr<plat::Surface> textures[3][2];
    const bool separate = (m_modeFlags & kModeSeparateMemories) != 0;
    const bool videoMemory = (m_capabilities & kCapHardware) != 0;
    for (uint32_t kind = 0; kind < 3; ++kind)
    {
        const plat::PixelFormat format =
            m_textureManager ? m_textureManager->GetChosenPlatformFormat(kind) : plat::PixelFormat::Unknown;
        for (int32_t stage = 0; stage < 2; ++stage)
            textures[kind][stage] = CreateTrialTexture(format, videoMemory, separate ? stage : -1);
    }

    uint32_t single = 0;
    uint32_t multi = 0;
    uint32_t unavailable = 0;
    bool stage1Tested = false;
    for (uint32_t attempt = 0; attempt < 2; ++attempt)
    {
        RunTrials(textures, single, multi, unavailable, stage1Tested);
        if (single > 0)
        {
            plat::DebugOutput((m_modeFlags & kModeVertexLast)
                                  ? "Quarrender D3DDriver Info: Supports vertex-last single pass multitexturing\n"
                                  : "Quarrender D3DDriver Info: Supports vertex-first single pass multitexturing\n");
            break;
        }
        if (m_modeFlags & kModeVertexLast)
        {
            m_modeFlags &= ~kModeVertexLast;
            plat::DebugOutput(
                "Quarrender D3DDriver Info: Cannot find any single-pass vertex-first or vertex-last modes\n");
            break;
        }
        if (simultaneous >= stages)
        {
            plat::DebugOutput("Quarrender D3DDriver Info: Cannot find any single-pass vertex-first modes - and cannot "
                              "be vertex-last\n");
            break;
        }
        m_modeFlags |= kModeVertexLast;
        plat::DebugOutput("Quarrender D3DDriver Info: Cannot find any single-pass vertex-first modes - trying "
                          "vertex-last\n");
    }
    plat::DebugOutput(
        plat::Format("Quarrender D3DDriver Info: Number of available single-pass multitexture modes: %u\n", single)
            .c_str());
    plat::DebugOutput(
        plat::Format("Quarrender D3DDriver Info: Number of available multi-pass multitexture modes: %u\n", multi)
            .c_str());
    plat::DebugOutput(
        plat::Format("Quarrender D3DDriver Info: Number of available unavailable multitexture modes: %u\n", unavailable)
            .c_str());

    if ((m_description.filterCaps & plat::kFilterCapsMipFLinear) && textures[0][0] && textures[0][1])
    {
        m_device->SetTexture(0, textures[0][0]);
        m_device->SetTexture(1, textures[0][1]);
        SetStageFilters(0, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::Linear);
        SetStageFilters(1, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::Linear);
        if (!(m_modeFlags & kModeVertexLast))
            SetStageOp(0, TextureOp::Modulate, TextureArg::kTexture, TextureArg::kDiffuse, TextureOp::Modulate,
                       TextureArg::kTexture, TextureArg::kDiffuse);
        for (uint32_t mode = 0; mode < kMultiTextureModes; ++mode)
        {
            if (!(m_modeTable[mode][0][0] & kSinglePass))
                continue;
            SetUpStage1(mode);
            if (DrawTrial() == 0)
                m_modeFlags &= ~kModeMultiTrilinear;
        }
    }
    if (!(m_modeFlags & kModeMultiTrilinear))
        plat::DebugOutput("Quarrender D3DDriver Info: Device cannot do trilerp in multitexture mode\n");

    m_device->SetTexture(0, nullptr);
    m_device->SetTexture(1, nullptr);
    return QrRenderCode::kOk;
}
