#pragma once
// The renderer made as the game makes it (the renderer's image hook, a windowed creation block
// with a depth buffer, a display on it) on a headless 640 x 480 window. The window, the display
// configuration and a quiet debug sink stay installed program-wide while it lives, and its
// destruction runs the game's tear-down. Tools, benchmarks and golden tests draw through it;
// one at a time.

#include "DebugOutput.h"
#include "DisplayConfig.h"
#include "HeadlessWindowBackend.h"
#include "QrD3DRender.h"
#include "QrDisplay.h"
#include "QrPoint3.h"
#include "QrPointer.h"

class QrCamera;

// What the game does when it lets its renderer go: the program-wide slots of the renderer, its
// images and its context put back, the image hook and the display configuration cleared.
void ReleaseRendererProgramState();

class HeadlessRenderer
{
public:
    // An empty factory draws with the display's own rasterizer.
    explicit HeadlessRenderer(plat::RasterizerFactory rasterizer = {});
    ~HeadlessRenderer();
    HeadlessRenderer(const HeadlessRenderer&) = delete;
    HeadlessRenderer& operator=(const HeadlessRenderer&) = delete;

    // Null when creation failed (QrD3DRender::GetLastErrorText says why).
    QrD3DRender* GetRenderer() const { return m_renderer.Get(); }
    QrDisplay* GetDisplay() const { return m_display.Get(); }
    plat::HeadlessWindowBackend& GetWindow() { return m_window; }

    // One presented frame through the camera: the background colour, the viewport from the
    // display, the draw, the end of the frame and the present onto the window.
    void DrawFrame(QrCamera* camera, float time, const QrPoint3& background);

private:
    plat::RecordingDebugSink m_quiet;
    plat::HeadlessWindowBackend m_window;
    plat::DisplayConfig m_config;
    QrPointer<QrD3DRender> m_renderer;
    QrPointer<QrDisplay> m_display;
};
