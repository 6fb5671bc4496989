#include "QrD3DDevice.h"

#include "DebugOutput.h"
#include "Device3D.h"
#include "Display.h"
#include "Format.h"
#include "Graphics3D.h"
#include "QrD3DDriver.h"
#include "QrD3DRender.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrImage.h"
#include "QrPalette.h"
#include "QrPaletteFile.h"
#include "QrPixelFormat.h"
#include "QrRect.h"
#include "QrRenderCode.h"
#include "QrRenderCreateParams.h"
#include "QrTextureManager.h"
#include "Surface.h"

#include <cstring>

std::string QrD3DDevice::ms_lastError;

namespace
{

constexpr uint8_t kPaletteReadOnly = 0x40;
constexpr uint32_t kLastErrorLength = 255;

struct AttemptTexts
{
    const char* attempting;
    const char* failed;
    const char* nameFormat;
};

AttemptTexts TextsFor(plat::DeviceKind kind)
{
    switch (kind)
    {
    case plat::DeviceKind::Hardware:
        return {"Render create message: Attempting to open HW device",
                "Render create message: Attempt to open HW device failed", "%s: HW: DrawPrimitive"};
    case plat::DeviceKind::Mmx:
        return {"Render create message: Attempting to open MMX device",
                "Render create message: Attempt to open MMX device failed", "%s: MMX SW: DrawPrimitive"};
    case plat::DeviceKind::Rgb:
        break;
    }
    return {"Render create message: Attempting to open RGB device",
            "Render create message: Attempt to open RGB device failed", "%s: RGB SW: DrawPrimitive"};
}

} // namespace

QrD3DDevice::QrD3DDevice()
    : m_blendTable{plat::BlendFactor::One,          plat::BlendFactor::Zero,        plat::BlendFactor::SrcColor,
                   plat::BlendFactor::InvSrcColor,  plat::BlendFactor::DestColor,   plat::BlendFactor::InvDestColor,
                   plat::BlendFactor::SrcAlpha,     plat::BlendFactor::InvSrcAlpha, plat::BlendFactor::DestAlpha,
                   plat::BlendFactor::InvDestAlpha, plat::BlendFactor::SrcAlphaSat}
{
}

QrD3DDevice::~QrD3DDevice()
{
    if (!(m_requested & kFactOpened))
        return;
    m_targetFormats.clear();
    m_vertexBuffer.Release();
    if (m_textureManager)
    {
        QrTextureManager::ReleaseUse(m_textureManager);
        m_textureManager = nullptr;
    }
    QrDDImage::ForgetTextureKey(m_serial);
    m_viewport.reset();
    m_device.reset();
    m_graphics.reset();
    m_name.clear();
    if (m_context)
    {
        m_context->Shutdown();
        m_context.reset();
    }
    m_stageTextures[0] = nullptr;
    m_stageTextures[1] = nullptr;
    m_vertexBuffer.FreeStaging();
}

void QrD3DDevice::Log(const char* message, bool keep)
{
    if (keep)
        ms_lastError = message ? std::string(message, strnlen(message, kLastErrorLength)) : std::string();
    std::string line = message ? message : "";
    line += '\n';
    plat::DebugOutput(line.c_str());
}

const char* QrD3DDevice::GetLastError()
{
    return ms_lastError.c_str();
}

void QrD3DDevice::Request(uint32_t bit, bool on)
{
    m_requested = on ? (m_requested | bit) : (m_requested & ~bit);
}

bool QrD3DDevice::HasDepthBuffer() const
{
    return m_context && m_context->GetZBuffer() != nullptr;
}

uint32_t QrD3DDevice::Open(const QrRenderCreateParams& params, QrD3DRender* owner, std::unique_ptr<QrDDContext> context)
{
    m_requested |= kFactOpened;
    m_capabilities |= kCapOpened;
    m_context = std::move(context);
    m_serial = owner ? owner->GetSerial() : 0;
    Request(kFactHardware, (m_context->GetFlags() & QrDDContext::kHardware3D) != 0);

    plat::Result r = m_context->GetDisplay()->Query3D(m_graphics);
    if (r != plat::Result::Ok)
    {
        Log("Render create failed: Direct3D2 creation failed", true);
        return QrRenderCode::FromResult(r);
    }
    m_requested |= kFactMmx;

    uint32_t code = PreparePalette(params);
    if (code != QrRenderCode::kOk)
        return code;

    for (plat::DeviceKind kind : {plat::DeviceKind::Rgb, plat::DeviceKind::Mmx, plat::DeviceKind::Hardware})
    {
        std::vector<plat::PixelFormat> formats;
        if (m_graphics->EnumDepthFormats(kind, formats) != plat::Result::Ok)
            continue;
        QrZFormatChoice choice;
        for (plat::PixelFormat format : formats)
        {
            if (!EnumZFormatCallback(format, choice))
                break;
        }
        if (choice.rank != 0)
            m_zFormats[static_cast<uint32_t>(kind)] = choice.format;
    }

    m_context->ClearZBuffer();
    code = CreateViewport();
    if (code != QrRenderCode::kOk)
        return code;

    if (m_requested & kFactHardware)
    {
        if (!TryDeviceKind(params, plat::DeviceKind::Hardware, code) && code != QrRenderCode::kOk)
            return code;
    }
    if ((m_requested & kFactMmx) && !m_device)
    {
        if (!TryDeviceKind(params, plat::DeviceKind::Mmx, code) && code != QrRenderCode::kOk)
            return code;
    }
    if (!m_device)
    {
        if (!TryDeviceKind(params, plat::DeviceKind::Rgb, code) && code != QrRenderCode::kOk)
            return code;
    }
    if (!m_device)
    {
        Log("Render create failed: no 3D device could be created", true);
        return QrRenderCode::kNo3D;
    }

    Log("Render create message: Device open succeeded", false);
    code = m_context->WrapSurfaces();
    if (code != QrRenderCode::kOk)
        return code;

    if (plat::Surface* back = m_context->GetBackSurface())
    {
        QrPixelFormat format;
        format.FromSurface(*back);
        m_targetFormats.push_back(format);
    }

    m_name = plat::Format(TextsFor(m_kind).nameFormat, m_context->GetDriverDescription());

    const bool hardware = m_kind == plat::DeviceKind::Hardware;
    const uint32_t bufferVertices =
        m_description.maxVertexCount ? m_description.maxVertexCount : kDefaultVertexCapacity;
    m_vertexCapacity = bufferVertices;
    if (!m_vertexBuffer.Create(hardware, *m_graphics, bufferVertices))
        return QrRenderCode::kFail;
    if (!m_vertexBuffer.AllocateStaging(sizeof(plat::TlVertex1), plat::VertexFormat::TlTex1, bufferVertices,
                                        2 * bufferVertices))
        return QrRenderCode::kNoMemory;
    if (!m_vertexBuffer.ClearLocked())
        return QrRenderCode::kFail;
    // A kernel below the limit may write up to four more vertices.
    m_vertexCapacity -= 3;

    code = AttachViewport();
    if (code != QrRenderCode::kOk)
        return code;

    m_textureManager = QrTextureManager::Create(params.flags, m_context.get(), m_device.get(), m_description, hardware);
    if (!m_textureManager)
    {
        Log("Render create failed: Texture initialization failed", true);
        return QrRenderCode::kNoMemory;
    }
    if (m_textureManager->IsFound(QrTextureManager::kKindAlpha))
        m_capabilities |= kCapAlphaTextures;

    code = SetRenderModes();
    if (code != QrRenderCode::kOk)
        return code;
    if (DetectMultitextureModes(!(params.flags & QrRenderCreateParams::kFlagNoMultitextureTrials)) != QrRenderCode::kOk)
    {
        Log("Render create failed: Multi-Texture initialization failed", true);
        return QrRenderCode::kFail;
    }
    // The trials leave states behind.
    code = SetRenderModes();
    if (code != QrRenderCode::kOk)
        return code;

    m_drawFlags = kDrawFlagsAtOpen;
    m_fogColor = 0;
    return QrRenderCode::kOk;
}

bool QrD3DDevice::TryDeviceKind(const QrRenderCreateParams& params, plat::DeviceKind kind, uint32_t& code)
{
    const AttemptTexts texts = TextsFor(kind);
    const bool hardware = kind == plat::DeviceKind::Hardware;
    code = QrRenderCode::kOk;
    Log(texts.attempting, false);

    code = m_context->CreateSurfaces(params, hardware);
    if (code == QrRenderCode::kOk && (params.flags & QrRenderCreateParams::kFlagZBuffer))
        code = m_context->CreateZBuffer(hardware, m_zFormats[static_cast<uint32_t>(kind)]);
    if (code == QrRenderCode::kOk)
        code = m_context->AttachZBuffer();
    if (code == QrRenderCode::kOk && hardware && m_context->GetDisplayDepth() == 8)
        code = QrRenderCode::kUnsupportedMode;
    if (code == QrRenderCode::kOk && !hardware && m_context->GetDisplayDepth() == 8)
    {
        QrPalette* palette = QrDDImage::GetGlobalObject();
        std::shared_ptr<plat::Palette> ddPalette = palette ? palette->CreateDDPalette() : nullptr;
        if (!ddPalette)
        {
            Log("Render create failed: could not get global DirectDraw palette", true);
            code = QrRenderCode::kFail;
        }
        else
        {
            code = m_context->AttachPalettes(ddPalette);
        }
    }
    if (code != QrRenderCode::kOk)
    {
        Log(texts.failed, false);
        return false;
    }

    const uint32_t factsBefore = m_requested & (kFactHardware | kFactMmx);
    if (CreateDevice(kind) != QrRenderCode::kOk)
    {
        Log(texts.failed, false);
        m_context->ReleaseSurfaces();
        return false;
    }
    Request(kFactHardware, kind == plat::DeviceKind::Hardware);
    Request(kFactMmx, kind == plat::DeviceKind::Mmx);
    if (CheckCaps() != QrRenderCode::kOk)
    {
        // The next kind is tried as if this one had never opened, on surfaces of its own.
        Log(texts.failed, false);
        m_device.reset();
        m_requested = (m_requested & ~(kFactHardware | kFactMmx)) | factsBefore;
        m_context->ReleaseSurfaces();
        return false;
    }
    return true;
}

uint32_t QrD3DDevice::CreateDevice(plat::DeviceKind kind)
{
    m_device.reset();
    if (m_graphics->CreateDevice(kind, m_context->GetBackSurfacePointer(), m_device) != plat::Result::Ok)
    {
        m_device.reset();
        return QrRenderCode::kFail;
    }
    plat::DeviceCaps hardwareDesc;
    plat::DeviceCaps emulationDesc;
    if (m_device->GetCaps(&hardwareDesc, &emulationDesc) != plat::Result::Ok)
    {
        m_device.reset();
        return QrRenderCode::kFail;
    }
    m_description = hardwareDesc.hasTriangleCaps ? hardwareDesc : emulationDesc;
    m_kind = kind;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::CheckCaps()
{
    const plat::DeviceCaps& d = m_description;
    if (!d.hasTriangleCaps)
    {
        Log("Render create failed: Device does not support triangles", true);
        return QrRenderCode::kDeviceCaps;
    }
    if (!(d.textureCaps & plat::kTextureCapsPerspective))
    {
        Log("Render create failed: Device does not support perspective-correct textures", true);
        return QrRenderCode::kDeviceCaps;
    }
    if (!(d.shadeCaps & plat::kShadeCapsColorGouraudRgb))
    {
        Log("Render create failed: Device does not support Gouraud shading", true);
        return QrRenderCode::kDeviceCaps;
    }
    const bool squareOnly = (d.textureCaps & plat::kTextureCapsSquareOnly) != 0;
    Request(kFactSquareOnly, squareOnly);
    m_capabilities = squareOnly ? (m_capabilities | kCapSquareOnly) : (m_capabilities & ~kCapSquareOnly);
    const bool hardware = m_kind == plat::DeviceKind::Hardware;
    m_capabilities = hardware ? (m_capabilities | kCapHardware) : (m_capabilities & ~kCapHardware);

    const uint32_t code = ProbeBlendCaps();
    if (code != QrRenderCode::kOk)
        return code;

    if (hardware && (d.deviceCaps & plat::kDevCapsTextureSystemMemory))
    {
        m_capabilities |= kCapSystemMemoryTextures;
        plat::DebugOutput("Quarrender D3DDriver Info: Hardware supports system memory textures\n");
    }
    else
    {
        m_capabilities &= ~kCapSystemMemoryTextures;
    }

    const plat::DisplayCaps& display = m_context->GetHardwareCaps();
    Request(kFactAgp1x | kFactAgp2x, false);
    if (hardware && (d.deviceCaps & plat::kDevCapsTextureNonLocalVideoMemory) && display.nonLocalVideoMemory)
    {
        if (display.nonLocalVideoMemoryCaps)
        {
            m_requested |= kFactAgp1x;
            plat::DebugOutput("Quarrender D3DDriver Info: 1x (DMA) AGP support detected\n");
        }
        else
        {
            m_requested |= kFactAgp2x;
            plat::DebugOutput("Quarrender D3DDriver Info: 2x (Execute) AGP support detected\n");
        }
    }
    else
    {
        plat::DebugOutput("Quarrender D3DDriver Info: No AGP support detected\n");
    }

    Request(kFactIndependentUV, (d.addressCaps & plat::kAddressCapsIndependentUV) != 0);
    return QrRenderCode::kOk;
}

bool QrD3DDevice::EnumZFormatCallback(plat::PixelFormat format, QrZFormatChoice& choice)
{
    const plat::PixelFormatInfo info = plat::DescribeFormat(format);
    if (!(info.flags & plat::kPixelFlagZBuffer))
        return true;
    const bool hasStencil = (info.flags & plat::kPixelFlagStencil) != 0;
    const uint32_t depth = info.zBitDepth - (hasStencil ? info.stencilBitDepth : 0);
    uint32_t rank = depth == 16 ? 1 : depth > 16 && depth <= 24 ? 2 : depth > 24 ? 3 : 4;
    if (hasStencil != (choice.wantStencil != 0))
        rank += 4;
    // The first of equal ranks stays.
    if (choice.rank == 0 || rank < choice.rank)
    {
        choice.rank = rank;
        choice.format = format;
        choice.hasStencil = hasStencil ? 1 : 0;
    }
    return true;
}

uint32_t QrD3DDevice::PreparePalette(const QrRenderCreateParams& params)
{
    if (QrPalette* global = QrDDImage::GetGlobalObject())
    {
        const plat::PaletteEntry* entries = global->GetEntries();
        if (!entries)
        {
            Log("Render create failed: could not get global palette entries", true);
            return QrRenderCode::kFail;
        }
        std::memcpy(m_palette.data(), entries, sizeof(plat::PaletteEntry) * m_palette.size());
        return QrRenderCode::kOk;
    }

    m_context->GetDisplay()->GetSystemPaletteEntries(0, 256, m_palette.data());
    for (plat::PaletteEntry& entry : m_palette)
        entry.flags = kPaletteReadOnly;
    std::array<plat::PaletteEntry, 256> file{};
    if (params.paletteFile && QrPaletteFile::Load(params.paletteFile, file.data()) == QrPaletteFile::kRead)
    {
        // An 8-bit desktop keeps its fixed colours at both ends; full screen keeps only 0 and 255.
        uint32_t first = 0;
        uint32_t last = 255;
        if (m_context->GetDisplayDepth() == 8)
        {
            const bool fullScreen = params.mode == QrRenderCreateParams::kModeFullScreen;
            first = fullScreen ? 1 : 10;
            last = fullScreen ? 254 : 245;
        }
        for (uint32_t i = first; i <= last; ++i)
        {
            m_palette[i].red = file[i].red;
            m_palette[i].green = file[i].green;
            m_palette[i].blue = file[i].blue;
        }
    }
    QrPointer<QrPalette> palette(new QrPalette(m_palette.data()));
    QrDDImage::SetGlobalObject(palette.Get());
    return QrRenderCode::kOk;
}

const std::vector<QrPixelFormat>* QrD3DDevice::GetTargetFormats(uint32_t kind) const
{
    if (kind == 1)
        return &m_targetFormats;
    return m_textureManager ? &m_textureManager->GetFormats() : nullptr;
}

uint32_t QrD3DDevice::GetTargetFormatCount(uint32_t kind) const
{
    const std::vector<QrPixelFormat>* formats = GetTargetFormats(kind);
    return formats ? static_cast<uint32_t>(formats->size()) : 0;
}

void QrD3DDevice::PurgeTextures(QrDDImage* image)
{
    for (QrTextureManager* manager : QrTextureManager::GetManagers())
        manager->ReleaseTextures(image, true, -1);
}

QrImage* QrD3DDevice::GetStageTexture(uint32_t slot) const
{
    return slot < 2 ? m_stageTextures[slot].Get() : nullptr;
}

// --- viewport and frame

uint32_t QrD3DDevice::CreateViewport()
{
    const plat::Result r = m_graphics->CreateViewport(m_viewport);
    if (r != plat::Result::Ok)
    {
        Log("Render create failed: Direct 3D Create Viewport failed", true);
        return QrRenderCode::FromResult(r);
    }
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::AttachViewport()
{
    plat::Result r = m_device->AddViewport(m_viewport);
    if (r != plat::Result::Ok)
    {
        Log("Render create failed: Direct 3D Add Viewport failed", true);
        return QrRenderCode::FromResult(r);
    }
    FillViewportRecord();
    r = m_viewport->SetViewport(m_viewportRecord);
    if (r != plat::Result::Ok)
    {
        Log("Render create failed: D3D Set Viewport failed", true);
        return QrRenderCode::FromResult(r);
    }
    r = m_device->SetCurrentViewport(m_viewport);
    if (r != plat::Result::Ok)
    {
        Log("Render create failed: D3D Set Current Viewport failed", true);
        return QrRenderCode::FromResult(r);
    }
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::SetViewport()
{
    const plat::Result r = m_viewport ? m_viewport->SetViewport(m_viewportRecord) : plat::Result::NotAttached;
    if (r != plat::Result::Ok)
        plat::DebugOutput("D3D Set Viewport failed");
    return QrRenderCode::FromResult(r);
}

bool QrD3DDevice::FillViewportRecord()
{
    const uint32_t width = m_context ? m_context->GetDrawingWidth() : 0;
    const uint32_t height = m_context ? m_context->GetDrawingHeight() : 0;
    if (width == 0 || height == 0)
        return false;
    // The viewport always covers the whole target: the camera's viewport only steers the
    // renderer's own transform.
    m_viewportRecord = plat::ViewportDesc{};
    m_viewportRecord.width = width;
    m_viewportRecord.height = height;
    m_viewportRecord.clipWidth = static_cast<float>(width);
    m_viewportRecord.clipHeight = static_cast<float>(height);
    m_viewportRecord.minZ = 0.0f;
    m_viewportRecord.maxZ = 1.0f;
    return true;
}

uint32_t QrD3DDevice::Clear(const QrRect* rect, uint32_t flags)
{
    uint32_t clearFlags = 0;
    if (flags & 0x1)
        clearFlags |= plat::kClearTarget;
    if ((flags & 0x2) && HasDepthBuffer())
        clearFlags |= plat::kClearZBuffer;
    if (m_requested & kFactSuspended)
        return QrRenderCode::kOk;
    if (m_context->RestoreSurfaces() != QrRenderCode::kOk)
    {
        plat::DebugOutput("Restore Surfaces failed");
        return QrRenderCode::kFail;
    }
    if (clearFlags == 0)
        return QrRenderCode::kOk;

    const int32_t bufferHeight = static_cast<int32_t>(m_context->GetBufferHeight());
    plat::Rect target{0, 0, static_cast<int32_t>(m_context->GetBufferWidth()), bufferHeight};
    if (rect)
        target = plat::Rect{rect->left, bufferHeight - rect->top, rect->right, bufferHeight - rect->bottom};
    const plat::Result r = m_viewport->Clear(1, &target, clearFlags, m_clearColor, kFarDepth, 0);
    if (r != plat::Result::Ok)
    {
        plat::DebugOutput("Viewport Clear failed");
        return QrRenderCode::FromResult(r);
    }
    m_context->SetFlipPending(false);
    if (QrImage* back = m_context->GetBackImage())
        back->RaisePixelRevision();
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::BeginScene(QrD3DRender* renderer)
{
    if (m_textureManager)
        m_textureManager->BeginFrame(renderer);
    m_frameTextures = 0;
    if (m_context->IsFlipPending())
    {
        if (plat::Surface* front = m_context->GetFrontSurface())
        {
            while (front->GetFlipStatus(plat::kFlipStatusIsFlipDone) == plat::Result::WasStillDrawing)
            {
            }
        }
        m_context->SetFlipPending(false);
    }
    const plat::Result r = m_device->BeginScene();
    if (r != plat::Result::Ok)
    {
        plat::DebugOutput("Begin Scene failed\n");
        return QrRenderCode::FromResult(r);
    }
    m_drawFlags |= kDrawInScene;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::EndScene()
{
    const plat::Result r = m_device->EndScene();
    if (r != plat::Result::Ok)
        return QrRenderCode::FromResult(r);
    m_drawFlags &= ~kDrawInScene;
    if (QrImage* back = m_context->GetBackImage())
        back->RaisePixelRevision();
    SetViewport();
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::Present()
{
    if (m_requested & kFactSuspended)
        return QrRenderCode::kOk;
    m_context->Present();
    return QrRenderCode::kOk;
}

uint32_t QrD3DDevice::PackColor(float red, float green, float blue)
{
    // Truncating, keeping the low eight bits; values no integer holds give 0.
    auto byte = [](float v) -> uint32_t
    {
        const float scaled = v * 255.0f;
        if (!(scaled > -2147483648.0f && scaled < 2147483648.0f))
            return 0;
        return static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 255u;
    };
    return byte(red) << 16 | byte(green) << 8 | byte(blue);
}

void QrD3DDevice::SetClearColor(float red, float green, float blue)
{
    m_clearColor = PackColor(red, green, blue);
}
