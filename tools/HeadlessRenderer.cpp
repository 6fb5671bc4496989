#include "HeadlessRenderer.h"

#include "QrCamera.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrImage.h"
#include "QrRenderCreateParams.h"

HeadlessRenderer::HeadlessRenderer(plat::RasterizerFactory rasterizer)
{
    // The renderer's progress lines are for the debugger, not for the tool's user.
    plat::SetDebugSink(&m_quiet);
    m_window.Open(plat::WindowDesc{"headless", 640, 480});
    m_config.window = &m_window;
    m_config.rasterizer = std::move(rasterizer);
    plat::SetDisplayConfig(&m_config);
    QrDDContext::SetRenderWindow(&m_window);
    QrD3DRender::SetImageHook();
    QrRenderCreateParams params;
    params.window = &m_window;
    params.flags = QrRenderCreateParams::kFlagZBuffer | 0x8;
    params.mode = QrRenderCreateParams::kModeWindowed;
    m_renderer = QrD3DRender::Create(params);
    if (!m_renderer)
        return;
    QrImage::AddRenderer(m_renderer.Get(), 0);
    m_display = new QrDisplay;
    m_display->SetRenderer(m_renderer.Get());
}

HeadlessRenderer::~HeadlessRenderer()
{
    if (m_display)
        m_display->SetRenderer(nullptr);
    m_display = nullptr;
    if (m_renderer)
        QrImage::RemoveRenderer(m_renderer.Get(), 0);
    m_renderer = nullptr;
    ReleaseRendererProgramState();
    plat::SetDebugSink(nullptr);
}

void HeadlessRenderer::DrawFrame(QrCamera* camera, float time, const QrPoint3& background)
{
    if (!m_renderer || !camera)
        return;
    m_renderer->SetBackgroundColor(background);
    camera->SetDisplay(m_display.Get());
    camera->SetViewportFromDisplay(3);
    camera->RenderFrame(time, 0.0f);
    m_display->EndFrame();
    m_display->DisplayFrame();
    camera->SetDisplay(nullptr);
}

void ReleaseRendererProgramState()
{
    QrD3DRender::ReleaseCurrentRenderer();
    QrDDImage::ReleaseAllSurfaces();
    QrDDImage::SetGlobalObject(nullptr);
    QrDDImage::SetDirectDraw(nullptr);
    QrDDContext::ResetProgramState();
    QrImage::SetCreateHook(nullptr);
    plat::SetDisplayConfig(nullptr);
}
