#include "QrDDContext.h"

#include "Clipper.h"
#include "DebugOutput.h"
#include "Display.h"
#include "Palette.h"
#include "QrD3DDevice.h"
#include "QrDDBufferImage.h"
#include "QrDDImage.h"
#include "QrRenderCode.h"
#include "QrRenderCreateParams.h"
#include "Surface.h"
#include "WindowBackend.h"

#include <vector>

namespace
{

plat::WindowBackend* g_renderWindow = nullptr;
// The display object the renderers made; the image layer is handed the same one.
std::shared_ptr<plat::Display> g_madeDisplay;
std::shared_ptr<plat::Surface> g_primary;
// Heap-held so that nothing is released during static destruction.
QrPointer<QrImage>* g_primaryImage = new QrPointer<QrImage>;
bool g_cooperativeLevelSet = false;
bool g_onScreenRendererMade = false;

// The surface an image supplied in the creation block draws into; null when it has none.
std::shared_ptr<plat::Surface> SurfaceOf(QrImage* image)
{
    const QrDDImage* ddImage = QrDynamicCast<QrDDImage>(image);
    const QrDDSurfaceRecord* base = ddImage ? ddImage->GetBaseRecord() : nullptr;
    return base ? base->m_surface : nullptr;
}

bool IsLost(const plat::Surface* surface)
{
    return surface && surface->IsLost() == plat::Result::SurfaceLost;
}

} // namespace

QrDDContext::QrDDContext() = default;

QrDDContext::~QrDDContext()
{
    Shutdown();
}

void QrDDContext::SetRenderWindow(plat::WindowBackend* window)
{
    g_renderWindow = window;
}

plat::WindowBackend* QrDDContext::GetRenderWindow()
{
    return g_renderWindow;
}

bool QrDDContext::IsOnScreenRendererMade()
{
    return g_onScreenRendererMade;
}

void QrDDContext::SetOnScreenRendererMade()
{
    g_onScreenRendererMade = true;
}

bool QrDDContext::IsCooperativeLevelSet()
{
    return g_cooperativeLevelSet;
}

plat::Surface* QrDDContext::GetPrimarySurface()
{
    return g_primary.get();
}

QrImage* QrDDContext::GetPrimaryImage()
{
    return g_primaryImage->Get();
}

void QrDDContext::ResetProgramState()
{
    *g_primaryImage = nullptr;
    g_primary.reset();
    g_madeDisplay.reset();
    g_renderWindow = nullptr;
    g_cooperativeLevelSet = false;
    g_onScreenRendererMade = false;
}

uint32_t QrDDContext::Fail(const char* message, uint32_t code)
{
    QrD3DDevice::Log(message, true);
    return code;
}

uint32_t QrDDContext::Initialize(const QrRenderCreateParams& params, QrD3DRender* owner)
{
    if (!owner)
        return QrRenderCode::kBadParameters;
    m_owner = owner;
    m_flags = 0;
    m_display.reset();
    m_front.reset();
    m_back.reset();
    m_zBuffer.reset();
    m_frontImage = params.frontImage;
    m_backImage = params.backImage;
    m_window = params.window;

    uint32_t code = CheckMode(params);
    if (code != QrRenderCode::kOk)
        return code;
    if (!g_renderWindow)
        return Fail("Render create failed: Global window is NULL", QrRenderCode::kNoWindow);

    code = FindDisplayObject(params);
    if (code != QrRenderCode::kOk)
        return code;
    code = ReadDisplayCaps(params);
    if (code != QrRenderCode::kOk)
        return code;

    const plat::Result r = m_display->GetDisplayMode(m_displayMode);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Get Display Mode failed", QrRenderCode::FromResult(r));
    m_displayDepth = m_displayMode.formatInfo.bitCount;
    m_bufferWidth = params.width;
    m_bufferHeight = params.height;
    m_clientLeft = 0;
    m_clientTop = 0;
    m_clientRight = static_cast<int32_t>(params.width);
    m_clientBottom = static_cast<int32_t>(params.height);
    m_presentX = 0;
    m_presentY = 0;
    m_presentWidth = params.width;
    m_presentHeight = params.height;

    if (m_flags & kOffscreen)
        return QrRenderCode::kOk;
    if (m_flags & kWindowed)
        return SetUpWindowed();
    return SetUpFullScreen(params);
}

uint32_t QrDDContext::CheckMode(const QrRenderCreateParams& params)
{
    const bool hasFront = params.frontImage != nullptr;
    const bool hasBack = params.backImage != nullptr;
    const bool hasSize = params.width != 0 && params.height != 0;
    switch (params.mode)
    {
    case QrRenderCreateParams::kModeWindowed:
        m_flags |= kWindowed;
        if (!params.window)
            return Fail("Render create failed: invalid parameter set for Windowed renderer",
                        QrRenderCode::kBadParameters);
        return QrRenderCode::kOk;
    case QrRenderCreateParams::kModeFullScreen:
        m_flags |= kFullScreen | kFlipChain;
        m_flags |= (params.flags & QrRenderCreateParams::kFlagFullScreen8Bit) ? kWant8Bit : kWant16Bit;
        if (hasFront != hasBack || !hasSize)
            return Fail("Render create failed: invalid parameter set for Fullscreen renderer",
                        QrRenderCode::kBadParameters);
        return QrRenderCode::kOk;
    case QrRenderCreateParams::kModeOffscreen:
        if (!g_onScreenRendererMade)
            return Fail("Render create failed: can't create offscreen renderer before onscreen renderer",
                        QrRenderCode::kBadParameters);
        m_flags |= kOffscreen | kFlipChain;
        if (!((hasFront && hasBack) || (!hasFront && !hasBack && hasSize)))
            return Fail("Render create failed: invalid parameter set for Offscreen Flipping renderer",
                        QrRenderCode::kBadParameters);
        return QrRenderCode::kOk;
    default:
        // A mode the block does not define would otherwise go on with no surfaces at all.
        return Fail("Render create failed: invalid renderer mode", QrRenderCode::kBadParameters);
    }
}

uint32_t QrDDContext::ReadDisplayCaps(const QrRenderCreateParams& params)
{
    const plat::Result r = m_display->GetCaps(&m_hardwareCaps, &m_emulationCaps);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Direct Draw Caps query failed", QrRenderCode::FromResult(r));
    bool checkEmulation = true;
    if (params.flags & QrRenderCreateParams::kFlagPreferHardware)
    {
        if (m_hardwareCaps.has3D)
        {
            m_flags |= kHardware3D;
            checkEmulation = false;
        }
        else
        {
            plat::DebugOutput("Hardware DirectDraw has no 3D capabilities\n");
            plat::DebugOutput("Using DirectDraw software\n");
        }
    }
    if (checkEmulation && !m_emulationCaps.has3D)
        return Fail("Render create failed: Software DirectDraw has no 3D capabilities", QrRenderCode::kNo3D);
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::SetUpWindowed()
{
    if (m_displayDepth != 8 && m_displayDepth != 16)
        return Fail("Render create failed: Windowed mode must be 8 or 16-bit", QrRenderCode::kUnsupportedMode);
    // The window's client area starts at the screen's origin.
    m_clientRight = static_cast<int32_t>(m_window->ClientWidth());
    m_clientBottom = static_cast<int32_t>(m_window->ClientHeight());
    m_bufferWidth = m_window->ClientWidth();
    m_bufferHeight = m_window->ClientHeight();
    m_presentWidth = m_bufferWidth;
    m_presentHeight = m_bufferHeight;
    if (!g_cooperativeLevelSet)
    {
        const plat::Result r =
            m_display->SetCooperativeLevel(g_renderWindow, plat::kCoopNormal | plat::kCoopMultithreaded);
        if (r != plat::Result::Ok)
            return Fail("Render create failed: Set Cooperative Level failed", QrRenderCode::FromResult(r));
        g_cooperativeLevelSet = true;
    }
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::SetUpFullScreen(const QrRenderCreateParams& params)
{
    m_displayDepth = (m_flags & kWant8Bit) ? 8 : 16;
    if (params.frontImage != nullptr)
    {
        g_cooperativeLevelSet = true;
        return QrRenderCode::kOk;
    }
    m_window = nullptr;
    std::vector<plat::DisplayMode> modes;
    plat::Result r = m_display->EnumDisplayModes(modes);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Enumeration of display modes failed", QrRenderCode::FromResult(r));
    if (modes.size() > kMaxDisplayModes)
        modes.resize(kMaxDisplayModes);
    bool found = false;
    for (const plat::DisplayMode& mode : modes)
    {
        if (mode.height == params.height && mode.width == params.width && mode.bitsPerPixel == m_displayDepth)
        {
            found = true;
            break;
        }
    }
    if (!found)
        return Fail("Render create failed: desired fullscreen display mode not supported", QrRenderCode::kFail);
    if (!g_cooperativeLevelSet)
    {
        r = m_display->SetCooperativeLevel(g_renderWindow, plat::kCoopFullScreen | plat::kCoopAllowReboot |
                                                               plat::kCoopExclusive | plat::kCoopMultithreaded);
        if (r != plat::Result::Ok)
            return Fail("Render create failed: Set Cooperative Level failed", QrRenderCode::FromResult(r));
        g_cooperativeLevelSet = true;
    }
    r = m_display->SetDisplayMode(params.width, params.height, m_displayDepth);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Set Display Mode failed", QrRenderCode::FromResult(r));
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::FindDisplayObject(const QrRenderCreateParams& params)
{
    // The image layer's display is the one an earlier renderer made, unless the program has
    // let it go since.
    plat::Display* existing = nullptr;
    if (QrDDImage::GetDirectDraw(existing) && existing && existing == g_madeDisplay.get())
    {
        m_display = g_madeDisplay;
        m_primaryDriver = 0;
        m_description = "Existing Driver (Previous Renderer)";
        return QrRenderCode::kOk;
    }

    // A new display object: nothing of an earlier one may be reused.
    g_madeDisplay.reset();
    g_cooperativeLevelSet = false;
    g_primary.reset();
    *g_primaryImage = nullptr;

    if ((m_flags & kFullScreen) && (params.flags & QrRenderCreateParams::kFlagPreferHardware) &&
        !(params.flags & QrRenderCreateParams::kFlagNoDriverEnumeration))
    {
        std::vector<plat::DisplayDriver> drivers;
        const plat::Result r = plat::EnumerateDisplayDrivers(drivers);
        if (r != plat::Result::Ok)
            return Fail("Render create failed:Error in DD init", QrRenderCode::FromResult(r));
        for (const plat::DisplayDriver& driver : drivers)
        {
            // The primary display driver is not listed: it has no identity of its own.
            std::shared_ptr<plat::Display> candidate;
            if (plat::Display::Create(driver, candidate) != plat::Result::Ok)
                continue;
            plat::DisplayCaps hardware;
            if (candidate->GetCaps(&hardware, nullptr) == plat::Result::Ok && hardware.has3D)
            {
                m_display = candidate;
                m_description = driver.description.substr(0, 255);
                break;
            }
        }
    }

    if (m_display)
    {
        m_primaryDriver = 0;
    }
    else
    {
        const plat::Result r = plat::Display::Create(m_display);
        if (r != plat::Result::Ok)
            return Fail("Render create failed: DirectDrawCreate for HEL failed", QrRenderCode::FromResult(r));
        m_primaryDriver = 1;
        m_description = "Primary Display Driver";
    }
    g_madeDisplay = m_display;
    QrDDImage::SetDirectDraw(m_display);
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::ClaimPrimary(const std::shared_ptr<plat::Surface>& surface)
{
    if (g_primary && g_primary != surface)
        return Fail("Render create failed: Sent different primary surface from existing", QrRenderCode::kPrimaryExists);
    g_primary = surface;
    m_flags |= kOwnsPrimary;
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::CreateSurfaces(const QrRenderCreateParams& params, bool hardware)
{
    if (m_flags & kWindowed)
        return CreateWindowedSurfaces(params, hardware);
    if (m_flags & kFullScreen)
        return CreateFullScreenSurfaces(params);
    return CreateOffscreenSurfaces(params, hardware);
}

uint32_t QrDDContext::CreateWindowedSurfaces(const QrRenderCreateParams& params, bool hardware)
{
    plat::Result r = plat::Result::Ok;
    if (params.frontImage)
    {
        m_front = SurfaceOf(params.frontImage);
        if (!m_front)
            return Fail("Render create failed: Front Buffer Surface Creation failed", QrRenderCode::kInvalidSurface);
        if (m_front->Caps() & plat::kCapsPrimary)
        {
            const uint32_t code = ClaimPrimary(m_front);
            if (code != QrRenderCode::kOk)
                return code;
        }
    }
    else if (g_primary)
    {
        m_front = g_primary;
        m_flags |= kOwnsPrimary;
    }
    else
    {
        plat::SurfaceDesc desc;
        desc.caps = plat::kCapsPrimary;
        r = m_display->CreateSurface(desc, m_front);
        if (r != plat::Result::Ok)
            return Fail("Render create failed: Front Buffer Surface Creation failed", QrRenderCode::FromResult(r));
        g_primary = m_front;
        m_flags |= kOwnsPrimary;
    }

    if (params.backImage)
    {
        m_back = SurfaceOf(params.backImage);
        if (!m_back)
            return Fail("Render create failed: Back Buffer Surface Creation failed", QrRenderCode::kInvalidSurface);
        m_bufferWidth = m_presentWidth = m_back->Width();
        m_bufferHeight = m_presentHeight = m_back->Height();
    }
    else
    {
        plat::SurfaceDesc desc;
        desc.width = m_bufferWidth;
        desc.height = m_bufferHeight;
        desc.caps = hardware ? plat::kCapsLocalVideoMemory | plat::kCapsVideoMemory | plat::kCaps3DDevice
                             : plat::kCapsSystemMemory | plat::kCaps3DDevice | plat::kCapsOffscreenPlain;
        r = m_display->CreateSurface(desc, m_back);
        if (r != plat::Result::Ok)
            return Fail("Render create failed: Back Buffer Surface Creation failed", QrRenderCode::FromResult(r));
    }

    r = m_display->CreateClipper(m_clipper);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Clipper Creation failed", QrRenderCode::FromResult(r));
    m_clipper->SetWindow(m_window);
    r = m_front->SetClipper(m_clipper);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Clipper Window Attach failed", QrRenderCode::FromResult(r));
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::CreateFullScreenSurfaces(const QrRenderCreateParams& params)
{
    if (!params.frontImage)
        return CreateFlippingChain((params.flags & QrRenderCreateParams::kFlagTripleBuffer) ? 2 : 1);
    m_front = SurfaceOf(params.frontImage);
    if (!m_front)
        return Fail("Render create failed: supplied front buffer image is invalid", QrRenderCode::kInvalidSurface);
    m_back = SurfaceOf(params.backImage);
    if (!m_back)
        return Fail("Render create failed: supplied back buffer image is invalid", QrRenderCode::kInvalidSurface);
    return ClaimPrimary(m_front);
}

uint32_t QrDDContext::CreateFlippingChain(uint32_t backBufferCount)
{
    if (g_primary)
        return Fail("Render create failed: Error creating fullscreen frontbuffer", QrRenderCode::kPrimaryExists);
    plat::SurfaceDesc desc;
    desc.caps = plat::kCapsPrimary | plat::kCapsFlip | plat::kCapsComplex | plat::kCaps3DDevice;
    desc.backBufferCount = backBufferCount;
    plat::Result r = m_display->CreateSurface(desc, m_front);
    if (r != plat::Result::Ok && backBufferCount == 2)
    {
        desc.backBufferCount = backBufferCount = 1;
        r = m_display->CreateSurface(desc, m_front);
    }
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Error creating fullscreen frontbuffer", QrRenderCode::FromResult(r));
    if (backBufferCount > 1)
        plat::DebugOutput("Quarrender D3DDriver Info: Using Triple Buffering\n");
    g_primary = m_front;
    m_flags |= kOwnsPrimary;
    r = m_front->GetAttachedSurface(plat::kCapsBackBuffer, m_back);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: error creating fullscreen backbuffer", QrRenderCode::FromResult(r));
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::CreateOffscreenSurfaces(const QrRenderCreateParams& params, bool hardware)
{
    if (params.frontImage)
    {
        m_front = SurfaceOf(params.frontImage);
        m_back = SurfaceOf(params.backImage);
        if (!m_front)
            return Fail("Render create failed: supplied front buffer image is invalid", QrRenderCode::kInvalidSurface);
        if (!m_back)
            return Fail("Render create failed: supplied back buffer image is invalid", QrRenderCode::kInvalidSurface);
        m_flags &= ~kFlipChain;
        m_bufferWidth = m_presentWidth = m_back->Width();
        m_bufferHeight = m_presentHeight = m_back->Height();
    }
    else
    {
        const uint32_t memory =
            hardware ? plat::kCapsVideoMemory | plat::kCapsLocalVideoMemory : plat::kCapsSystemMemory;
        plat::SurfaceDesc desc;
        desc.width = m_bufferWidth;
        desc.height = m_bufferHeight;
        desc.caps = memory | plat::kCaps3DDevice | plat::kCapsTexture | plat::kCapsFlip | plat::kCapsComplex;
        desc.backBufferCount = 1;
        plat::Result r = m_display->CreateSurface(desc, m_front);
        if (r == plat::Result::Ok && hardware && (m_front->Caps() & plat::kCapsNonLocalVideoMemory))
        {
            m_front.reset();
            r = plat::Result::Unsupported;
        }
        if (r == plat::Result::Ok)
            r = m_front->GetAttachedSurface(plat::kCapsBackBuffer, m_back);
        if (r == plat::Result::Ok)
        {
            m_flags |= kFlipChain;
        }
        else
        {
            // Two separate surfaces, presented by a copy.
            m_flags &= ~kFlipChain;
            desc.caps = memory | plat::kCaps3DDevice | plat::kCapsOffscreenPlain;
            desc.backBufferCount = 0;
            r = m_display->CreateSurface(desc, m_front);
            if (r != plat::Result::Ok)
                return Fail("Render create failed: Front Buffer Surface Creation failed", QrRenderCode::FromResult(r));
            r = m_display->CreateSurface(desc, m_back);
            if (r != plat::Result::Ok)
                return Fail("Render create failed: Back Buffer Surface Creation failed", QrRenderCode::FromResult(r));
        }
    }
    const plat::PixelFormatInfo info = plat::DescribeFormat(m_back->Format());
    m_displayDepth = (info.flags & plat::kPixelFlagPaletteIndexed8) ? 8 : info.bitCount;
    if (m_displayDepth == 0)
        return Fail("Render create failed: invalid screen or buffer depth", QrRenderCode::kInvalidSurface);
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::CreateZBuffer(bool hardware, plat::PixelFormat zFormat)
{
    if (zFormat == plat::PixelFormat::Unknown)
        return QrRenderCode::kNoZBufferHardware;
    std::shared_ptr<plat::Surface> attached;
    plat::Result r = m_back->GetAttachedSurface(plat::kCapsZBuffer, attached);
    if (r == plat::Result::Ok)
    {
        QrD3DDevice::Log("Render create info: Found attached Z-Buffer", true);
        m_zBuffer = attached;
        return QrRenderCode::kOk;
    }
    if (r != plat::Result::NotFound)
        return Fail("Render create failed: Error searching back buffer for Z-buffer", QrRenderCode::FromResult(r));
    plat::SurfaceDesc desc;
    desc.width = m_bufferWidth;
    desc.height = m_bufferHeight;
    desc.format = zFormat;
    desc.caps = plat::kCapsZBuffer | (hardware ? plat::kCapsVideoMemory : plat::kCapsSystemMemory);
    r = m_display->CreateSurface(desc, m_zBuffer);
    if (r != plat::Result::Ok)
        return Fail("Render create failed: ZBuffer Surface Creation failed", QrRenderCode::FromResult(r));
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::AttachZBuffer()
{
    std::shared_ptr<plat::Surface> attached;
    plat::Result r = m_back->GetAttachedSurface(plat::kCapsZBuffer, attached);
    if (r == plat::Result::NotFound)
    {
        if (m_zBuffer)
        {
            r = m_back->AddAttachedSurface(m_zBuffer);
            if (r != plat::Result::Ok)
                return Fail("Render create failed: ZBuffer Surface Attachment failed", QrRenderCode::FromResult(r));
        }
        return QrRenderCode::kOk;
    }
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Error searching back buffer for Z-buffer", QrRenderCode::FromResult(r));
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::WrapSurfaces()
{
    if (m_front)
    {
        if (m_front == g_primary)
        {
            QrPointer<QrImage>& primaryImage = *g_primaryImage;
            if (primaryImage)
            {
                if (m_frontImage && m_frontImage != primaryImage.Get())
                    return Fail("Render create failed: new primary surface image does not match previous primary image",
                                QrRenderCode::kFail);
                m_frontImage = primaryImage;
            }
            else
            {
                if (!m_frontImage)
                    m_frontImage = QrDDBufferImage::Create(m_front);
                if (!m_frontImage)
                    return Fail("Render create failed: primary surface image could not be created",
                                QrRenderCode::kFail);
                primaryImage = m_frontImage;
            }
        }
        else if (!m_frontImage)
        {
            m_frontImage = QrDDBufferImage::Create(m_front);
        }
        if (!m_frontImage)
            return Fail("Render create failed: front buffer surface image could not be created",
                        QrRenderCode::kInvalidSurface);
    }
    if (m_back)
    {
        if (!m_backImage)
            m_backImage = QrDDBufferImage::Create(m_back);
        if (!m_backImage)
            return Fail("Render create failed: back buffer surface image could not be created",
                        QrRenderCode::kInvalidSurface);
    }
    else
    {
        m_backImage = nullptr;
    }
    if (!m_frontImage)
        m_frontImage = m_backImage;
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::AttachPalettes(const std::shared_ptr<plat::Palette>& palette)
{
    m_palette = palette;
    plat::SurfaceDesc desc;
    plat::Result r = m_back ? m_back->GetDesc(desc) : plat::Result::InvalidParams;
    if (r != plat::Result::Ok)
        return Fail("Render create failed: Back Buffer Get Surface Desc failed", QrRenderCode::FromResult(r));
    if ((desc.formatInfo.flags & plat::kPixelFlagPaletteIndexed8) == 0)
        return QrRenderCode::kOk;
    r = m_back->SetPalette(m_palette);
    if (r != plat::Result::Ok)
    {
        m_palette.reset();
        return Fail("Render create failed: Back Buffer Palette Attach failed", QrRenderCode::FromResult(r));
    }
    r = m_front->SetPalette(m_palette);
    if (r != plat::Result::Ok)
    {
        m_palette.reset();
        return Fail("Render create failed: Front Buffer Palette Attach failed", QrRenderCode::FromResult(r));
    }
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::RefreshPalette()
{
    if (m_palette && m_front)
    {
        plat::Result r = m_front->SetPalette(m_palette);
        if (r != plat::Result::Ok)
            r = m_front->SetPalette(m_palette);
        if (r == plat::Result::SurfaceLost && m_front->Restore() == plat::Result::Ok)
            m_front->SetPalette(m_palette);
    }
    if (m_frontImage)
        m_frontImage->RaisePixelRevision();
    return QrRenderCode::kOk;
}

plat::Result QrDDContext::RestoreOne(plat::Surface* surface, const char* failure)
{
    if (!IsLost(surface))
        return plat::Result::Ok;
    const plat::Result r = surface->Restore();
    if (r != plat::Result::Ok)
        plat::DebugOutput(failure);
    return r;
}

uint32_t QrDDContext::Present()
{
    if (!m_front || !m_back)
        return QrRenderCode::kOk;
    if (m_flags & kNoPresent)
    {
        plat::PixelView view;
        if (m_back->Lock(plat::kLockWait, view) == plat::Result::Ok)
            m_back->Unlock();
        return QrRenderCode::kOk;
    }

    const bool flipChain = (m_flags & kFlipChain) != 0;
    if (IsLost(m_front.get()) || IsLost(m_back.get()) || (m_zBuffer && m_zBuffer->IsLost() != plat::Result::Ok))
    {
        // What was drawn into a lost surface is gone: restore and skip this frame.
        if (RestoreOne(m_front.get(), "could not restore front buffer") == plat::Result::Ok &&
            (flipChain || RestoreOne(m_back.get(), "could not restore back buffer") == plat::Result::Ok))
            RestoreOne(m_zBuffer.get(), "could not restore z-buffer");
        return QrRenderCode::kOk;
    }

    if (m_clipper)
        m_front->SetClipper(m_clipper);
    if (!(m_flags & kOffscreen) && !flipChain)
    {
        // The client area starts at the screen's origin, so client and screen agree.
        const plat::Rect destination{m_presentX, m_presentY, m_presentX + static_cast<int32_t>(m_presentWidth),
                                     m_presentY + static_cast<int32_t>(m_presentHeight)};
        const plat::Rect source{0, 0, static_cast<int32_t>(m_bufferWidth), static_cast<int32_t>(m_bufferHeight)};
        if (m_front->Blt(&destination, m_back.get(), &source, plat::kBltWait, nullptr) != plat::Result::Ok)
            plat::DebugOutput("error blitting back surface to front");
    }
    else if (!flipChain)
    {
        if (m_front->BltFast(0, 0, m_back.get(), nullptr, plat::kBltWait) != plat::Result::Ok)
            plat::DebugOutput("error blitting back surface to front");
    }
    else
    {
        plat::Result r;
        do
        {
            r = m_front->Flip(0);
        } while (r == plat::Result::WasStillDrawing);
        if (r != plat::Result::Ok)
            plat::DebugOutput("error flipping surfaces");
        else
            m_flipPending = 1;
    }
    if (m_frontImage)
        m_frontImage->RaisePixelRevision();
    if (m_backImage && m_backImage != m_frontImage)
        m_backImage->RaisePixelRevision();
    return QrRenderCode::kOk;
}

uint32_t QrDDContext::RestoreSurfaces()
{
    plat::Result r = RestoreOne(m_front.get(), "could not restore front buffer");
    if (r == plat::Result::Ok && !(m_flags & kFlipChain))
        r = RestoreOne(m_back.get(), "could not restore back buffer");
    if (r == plat::Result::Ok)
        r = RestoreOne(m_zBuffer.get(), "could not restore z-buffer");
    return QrRenderCode::FromResult(r);
}

uint32_t QrDDContext::GetDrawingWidth() const
{
    const plat::Surface* drawn = (m_flags & kFlipChain) ? m_front.get() : m_back.get();
    return drawn ? drawn->Width() : 0;
}

uint32_t QrDDContext::GetDrawingHeight() const
{
    const plat::Surface* drawn = (m_flags & kFlipChain) ? m_front.get() : m_back.get();
    return drawn ? drawn->Height() : 0;
}

void QrDDContext::ReleasePrimary()
{
    // The slots keep their reference while some other context or holder still has one.
    QrPointer<QrImage>& primaryImage = *g_primaryImage;
    if (primaryImage && primaryImage->GetRefCount() == 1)
        primaryImage = nullptr;
    if (g_primary && g_primary.use_count() == 1)
        g_primary.reset();
    m_flags &= ~kOwnsPrimary;
}

void QrDDContext::ReleaseSurfaces()
{
    m_clipper.reset();
    m_front.reset();
    m_zBuffer.reset();
    m_back.reset();
    if (m_flags & kOwnsPrimary)
        ReleasePrimary();
}

void QrDDContext::Shutdown()
{
    m_frontImage = nullptr;
    m_backImage = nullptr;
    m_clipper.reset();
    m_palette.reset();
    m_front.reset();
    m_back.reset();
    m_zBuffer.reset();
    if ((m_flags & kFullScreen) && m_display)
    {
        if (m_display->RestoreDisplayMode() != plat::Result::Ok)
            QrD3DDevice::Log("Render create failed: Restore Display Mode failed", true);
        if (m_display->SetCooperativeLevel(g_renderWindow, plat::kCoopNormal) != plat::Result::Ok)
            QrD3DDevice::Log("Render create failed: Set Cooperative Level failed", true);
    }
    if (m_flags & kOwnsPrimary)
        ReleasePrimary();
    m_display.reset();
    m_flags = 0;
}

void QrDDContext::ResetCooperativeLevel()
{
    if (m_display && m_display->SetCooperativeLevel(g_renderWindow, plat::kCoopNormal) != plat::Result::Ok)
        QrD3DDevice::Log("Set Cooperative Level failed", false);
}
