#include "QrD3DRender.h"

#include "Display.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrPixelFormat.h"
#include "QrPoint3.h"
#include "QrRect.h"
#include "QrRenderCode.h"
#include "QrRenderCreateParams.h"
#include "QrTextureManager.h"
#include "Surface.h"

#include <algorithm>

QR_IMPLEMENT_RTTI(QrD3DRender, QrRender)

namespace
{

// The first renderer made; heap-held so that nothing is released during static destruction.
QrPointer<QrD3DRender>* g_current = new QrPointer<QrD3DRender>;
uint32_t g_nextSerial = 1;

} // namespace

QrD3DRender::QrD3DRender() : m_serial(g_nextSerial++) {}

QrD3DRender::~QrD3DRender()
{
    m_driver.reset();
}

bool QrD3DRender::SetImageHook()
{
    QrImage::SetCreateHook(&QrDDImage::Create);
    // A dying image leaves no texture behind in any texture manager.
    QrDDImage::SetReleaseTexturesHook(&QrD3DDevice::PurgeTextures);
    return true;
}

QrPointer<QrD3DRender> QrD3DRender::Create(const QrRenderCreateParams& params)
{
    SetImageHook();
    QrPointer<QrD3DRender> renderer(new QrD3DRender);
    renderer->m_driver = std::make_unique<QrD3DDriver>();
    if (renderer->m_driver->Initialize(params, renderer.Get()) != QrRenderCode::kOk)
        return nullptr;
    if (!*g_current)
    {
        *g_current = renderer;
        QrDDImage::SetCurrentRenderer(renderer.Get());
    }
    return renderer;
}

QrD3DRender* QrD3DRender::GetCurrentRenderer()
{
    return g_current->Get();
}

void QrD3DRender::ReleaseCurrentRenderer()
{
    QrDDImage::SetCurrentRenderer(nullptr);
    *g_current = nullptr;
}

const char* QrD3DRender::GetLastErrorText()
{
    return QrD3DDevice::GetLastError();
}

bool QrD3DRender::PresentIsMovable() const
{
    const uint32_t flags = m_driver->GetDevice()->GetContext()->GetFlags();
    return (flags & QrDDContext::kWindowed) ||
           ((flags & QrDDContext::kOffscreen) && !(flags & (QrDDContext::kFlipChain | QrDDContext::kNoPresent)));
}

const char* QrD3DRender::GetDeviceName()
{
    return m_driver->GetDevice()->GetName();
}

uint32_t QrD3DRender::GetDeviceFlags()
{
    return m_driver->GetDevice()->GetCapabilities();
}

uint32_t QrD3DRender::SetPropertyState(const QrPointerList<QrProperty>* properties)
{
    QrD3DDevice& device = *m_driver->GetDevice();
    if (QrTextureManager* manager = device.GetTextureManager())
        manager->SetRenderer(this);
    return device.ValidatePropertyState(properties);
}

uint32_t QrD3DRender::BeginFrame()
{
    const uint32_t code = m_driver->GetDevice()->BeginScene(this);
    if (code != QrRenderCode::kOk)
        return code;
    return m_driver->UpdateCamera();
}

uint32_t QrD3DRender::EndFrame()
{
    const uint32_t code = m_driver->GetDevice()->EndScene();
    if (code == QrRenderCode::kOk)
        m_driver->ClearClipPlanes();
    return code;
}

uint32_t QrD3DRender::DisplayFrame()
{
    m_driver->GetDevice()->Present();
    return QrRenderCode::kOk;
}

uint32_t QrD3DRender::ClearBuffer(const QrRect* rect, uint32_t flags)
{
    return m_driver->GetDevice()->Clear(rect, flags);
}

void QrD3DRender::SetBackgroundColor(const QrPoint3& color)
{
    m_driver->GetDevice()->SetClearColor(color.x, color.y, color.z);
}

uint32_t QrD3DRender::GetBackgroundColor() const
{
    return m_driver->GetDevice()->GetClearColor();
}

void QrD3DRender::UpdateLight(const QrLight* light, uint32_t enable)
{
    if (light)
        m_driver->GetLightCache().Update(*light, (enable & 0xFF) != 0);
}

void QrD3DRender::SetMaterial(const QrMaterialProperty* material)
{
    m_driver->GetMaterialCache().SetCurrent(material);
}

void QrD3DRender::SetCameraData(const QrPoint3& location, const QrPoint3& /*nearPoint*/, const QrPoint3& direction,
                                const QrPoint3& up, const float (&frustum)[6], const float (&viewport)[4])
{
    m_driver->SetCameraData(location, direction, up, frustum, viewport);
}

void QrD3DRender::SetWorldTransform(const QrPoint3&, const QrMatrix3&, float) {}

uint32_t QrD3DRender::RenderShape(uint16_t triangleCount, uint16_t vertexCount, const QrPoint3* vertices,
                                  const QrPoint3* normals, const QrPlane* planes, uint16_t textureSetCount,
                                  const QrPoint3* textureCoords, const QrColorA* colors, const uint16_t* indices,
                                  const QrBound& worldBound, const QrPoint3& eye)
{
    return m_driver->RenderShape(worldBound, eye, triangleCount, vertexCount, vertices, normals, planes, textureCoords,
                                 textureSetCount, colors, indices);
}

uint32_t QrD3DRender::RenderTriangles(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                                      const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                                      const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye)
{
    return m_driver->RenderTriangles(worldBound, eye, triangleCount, vertices, normals, planes, textureCoords,
                                     textureSetCount, colors);
}

uint32_t QrD3DRender::RenderTristrips(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                                      const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                                      const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye)
{
    return m_driver->RenderTristrips(worldBound, eye, triangleCount, vertices, normals, planes, textureCoords,
                                     textureSetCount, colors);
}

uint32_t QrD3DRender::RenderPoints(uint16_t count, const QrPoint3* vertices, const QrPoint3* normals,
                                   const QrColorA* colors, float pointSize, const QrBound& worldBound)
{
    return m_driver->RenderPoints(worldBound, count, vertices, normals, colors, pointSize);
}

uint32_t QrD3DRender::RenderLines(uint16_t lineCount, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                  const QrColorA* colors, const QrBound& worldBound)
{
    return m_driver->RenderLines(worldBound, lineCount, vertices, textureCoords, colors);
}

uint32_t QrD3DRender::RenderScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                          const QrColorA* colors)
{
    return m_driver->RenderScreenPolygon(count, vertices, textureCoords, colors);
}

void QrD3DRender::SetFog(uint8_t enabled, float depth, uint32_t mode, const QrPoint3& color)
{
    m_driver->SetFog(enabled, depth, mode);
    m_driver->GetDevice()->SetFogColor(color.x, color.y, color.z);
}

void QrD3DRender::SetAlphaBlending(uint8_t enabled, uint32_t source, uint32_t destination)
{
    QrD3DDevice& device = *m_driver->GetDevice();
    if (!enabled)
    {
        // The factors stay for the next time blending is switched on.
        device.SetAlphaBlendRequest(false);
        return;
    }
    if (device.SetAlphaBlendRequest(true) == QrRenderCode::kOk)
        device.SetBlendFactors(source, destination);
}

void QrD3DRender::SetZBufferTest(uint8_t flag)
{
    m_driver->GetDevice()->SetZBufferTest(flag != 0);
}

void QrD3DRender::SetZBufferWrite(uint8_t flag)
{
    m_driver->GetDevice()->SetZBufferWrite(flag != 0);
}

void QrD3DRender::SetShade(uint8_t flag)
{
    m_driver->GetDevice()->SetSmoothShading(flag != 0);
}

void QrD3DRender::SetWireframe(uint8_t flag)
{
    m_driver->GetDevice()->SetWireframe(flag != 0);
}

void QrD3DRender::SetDither(uint8_t flag)
{
    m_driver->GetDevice()->SetDither(flag != 0);
}

void QrD3DRender::SetSpecular(uint8_t flag)
{
    m_driver->SetStateFlag(QrD3DDriver::kStateSpecular, flag != 0);
}

void QrD3DRender::SetVertexColorMode(uint32_t mode)
{
    m_driver->GetDevice()->SetVertexColorMode(mode);
}

void QrD3DRender::SetTransparent(uint8_t flag)
{
    m_driver->GetDevice()->SetColorKey(flag != 0);
}

void QrD3DRender::SetTransparentValue(uint32_t) {}

bool QrD3DRender::PrepareTexture(QrImage* image, uint8_t allowEvict, uint8_t pin, int32_t memory)
{
    QrTextureManager* manager = m_driver->GetDevice()->GetTextureManager();
    if (!manager)
        return false;
    manager->SetRenderer(this);
    return manager->PrepareTexture(image, allowEvict != 0, pin != 0, memory);
}

bool QrD3DRender::PrepareTexturePair(QrImage* first, QrImage* second, uint8_t allowEvict, uint8_t pin,
                                     int32_t firstMemory, int32_t secondMemory)
{
    if (firstMemory == -1 && secondMemory == -1)
    {
        firstMemory = 0;
        secondMemory = 1;
    }
    const bool firstDone = PrepareTexture(first, allowEvict, pin, firstMemory);
    const bool secondDone = PrepareTexture(second, allowEvict, pin, secondMemory);
    return firstDone && secondDone;
}

bool QrD3DRender::ReleaseTextures(uint8_t alsoPinned)
{
    QrTextureManager* manager = m_driver->GetDevice()->GetTextureManager();
    if (!manager)
        return false;
    manager->SetRenderer(this);
    return manager->ReleaseTextures(nullptr, alsoPinned != 0, -1);
}

bool QrD3DRender::ReleaseObjectTextures(QrImage* image)
{
    QrTextureManager* manager = m_driver->GetDevice()->GetTextureManager();
    if (!manager)
        return false;
    manager->SetRenderer(this);
    return manager->ReleaseTextures(image, true, -1);
}

bool QrD3DRender::GetTextureMemory(uint32_t* total, uint32_t* available)
{
    uint32_t t = 0;
    uint32_t f = 0;
    const auto& display = m_driver->GetDevice()->GetContext()->GetDisplay();
    const bool ok = display && display->GetAvailableVideoMemory(plat::kCapsTexture, t, f) == plat::Result::Ok;
    if (!ok)
        t = f = 0;
    if (total)
        *total = t;
    if (available)
        *available = f;
    return ok;
}

bool QrD3DRender::GetTextureStatistics(uint32_t* resident, uint32_t* usedThisFrame, uint32_t* frameCounter,
                                       uint32_t* createdThisFrame, uint32_t* releasedThisFrame)
{
    const QrD3DDevice& device = *m_driver->GetDevice();
    QrTextureManager* manager = device.GetTextureManager();
    if (!manager)
        return false;
    manager->SetRenderer(this);
    auto put = [](uint32_t* out, uint32_t value)
    {
        if (out)
            *out = value;
    };
    put(resident, manager->GetResidentCount());
    put(usedThisFrame, manager->GetUsedThisFrame());
    put(frameCounter, device.GetFrameTextureCount());
    put(createdThisFrame, manager->GetCreatedThisFrame());
    put(releasedThisFrame, manager->GetReleasedThisFrame());
    return true;
}

uint32_t QrD3DRender::GetTextureStatus()
{
    QrTextureManager* manager = m_driver->GetDevice()->GetTextureManager();
    if (!manager)
        return 0;
    manager->SetRenderer(this);
    return manager->GetStatus();
}

bool QrD3DRender::SetUserWord(uint32_t word)
{
    m_userWord = word;
    return true;
}

uint32_t QrD3DRender::GetUserWord()
{
    return m_userWord;
}

void QrD3DRender::SetTexture(QrImage* image)
{
    m_driver->GetDevice()->SetStageTexture(image, 0);
}

void QrD3DRender::SetMultiTexture(QrImage* const* images, const uint32_t* applyModes, const uint32_t* clampModes,
                                  const uint32_t* filterModes)
{
    QrD3DDevice& device = *m_driver->GetDevice();
    device.SetStageTexture(images ? images[0] : nullptr, 1);
    if (applyModes)
        device.SetSecondApplyMode(applyModes[0]);
    if (clampModes)
        device.SetTextureClamp(clampModes[0], 1);
    if (filterModes)
        device.SetTextureFilter(filterModes[0], 1);
}

void QrD3DRender::SetTextureApplyMode(uint32_t mode)
{
    m_driver->GetDevice()->SetTextureApplyMode(mode);
}

void QrD3DRender::SetTextureFilterMode(uint32_t mode)
{
    m_driver->GetDevice()->SetTextureFilter(mode, 0);
}

void QrD3DRender::SetTextureClampMode(uint32_t mode)
{
    m_driver->GetDevice()->SetTextureClamp(mode, 0);
}

void QrD3DRender::SetCorrection(uint8_t flag)
{
    m_driver->GetDevice()->SetCorrection(flag != 0);
}

void QrD3DRender::SetClipPlanes(const QrPlane* const* planes, uint32_t count, uint32_t, uint32_t)
{
    m_driver->SetClipPlanes(planes, count);
}

uint32_t QrD3DRender::GetBufferWidth()
{
    return m_driver->GetDevice()->GetContext()->GetDrawingWidth();
}

uint32_t QrD3DRender::GetBufferHeight()
{
    return m_driver->GetDevice()->GetContext()->GetDrawingHeight();
}

QrImage* QrD3DRender::GetBufferImage(uint32_t kind)
{
    const QrDDContext& context = *m_driver->GetDevice()->GetContext();
    if (kind == 1)
        return context.GetBackImage();
    if (kind == 2)
        return context.GetFrontImage() ? context.GetFrontImage() : context.GetBackImage();
    return nullptr;
}

void QrD3DRender::BlitImage(QrImage* image, const QrRect* source, int32_t x, int32_t y, uint8_t keyed)
{
    // Clipped at the left and top too, not only the right and bottom: a blit handed a rectangle
    // reaching outside the back buffer would write outside its memory.
    auto* target = QrDynamicCast<QrDDImage>(GetBufferImage(1));
    if (image && target)
        QrDDImage::BlitImage(this, target, image, source, x, y, keyed != 0);
}

uint32_t QrD3DRender::BlitImageRect(QrImage* image, const QrRect* source, const QrRect* destination, uint8_t keyed)
{
    auto* target = QrDynamicCast<QrDDImage>(GetBufferImage(1));
    if (!image || !target)
        return QrRenderCode::kOk;
    return QrRenderCode::FromResult(QrDDImage::BlitImageRect(this, target, image, source, destination, keyed != 0));
}

bool QrD3DRender::GetWindowOrigin(int32_t* x, int32_t* y)
{
    const QrDDContext& context = *m_driver->GetDevice()->GetContext();
    const bool movable = PresentIsMovable();
    if (x)
        *x = movable ? context.m_presentX : 0;
    if (y)
        *y = movable ? context.m_presentY : 0;
    return true;
}

bool QrD3DRender::SetWindowOrigin(int32_t x, int32_t y)
{
    if (!PresentIsMovable())
        return false;
    QrDDContext& context = *m_driver->GetDevice()->GetContext();
    context.m_presentX = x;
    context.m_presentY = y;
    return true;
}

bool QrD3DRender::GetPresentSize(uint32_t* width, uint32_t* height)
{
    const QrDDContext& context = *m_driver->GetDevice()->GetContext();
    if (context.GetFlags() & QrDDContext::kNoPresent)
        return false;
    if (width)
        *width = context.m_presentWidth;
    if (height)
        *height = context.m_presentHeight;
    return true;
}

bool QrD3DRender::SetPresentSize(uint32_t width, uint32_t height)
{
    if (!PresentIsMovable())
        return false;
    QrDDContext& context = *m_driver->GetDevice()->GetContext();
    context.m_presentWidth = width;
    context.m_presentHeight = height;
    return true;
}

uint32_t QrD3DRender::RefreshPalette()
{
    return m_driver->GetDevice()->GetContext()->RefreshPalette();
}

bool QrD3DRender::GetFormatList(uint32_t kind, const std::vector<QrPixelFormat>*& out)
{
    out = m_driver->GetDevice()->GetTargetFormats(kind);
    return false;
}

uint32_t QrD3DRender::GetFormatCount(uint32_t kind)
{
    return m_driver->GetDevice()->GetTargetFormatCount(kind);
}

const QrPixelFormat* QrD3DRender::GetImageFormats(uint32_t kind, uint32_t& count, uint32_t& caps)
{
    caps = 0;
    const std::vector<QrPixelFormat>* formats =
        m_driver && m_driver->GetDevice() ? m_driver->GetDevice()->GetTargetFormats(kind) : nullptr;
    count = formats ? static_cast<uint32_t>(formats->size()) : 0;
    return count ? formats->data() : nullptr;
}
