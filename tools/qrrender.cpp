// Draws one frame of a scene file the way the game does and writes the presented frame.
//   qrrender FILE --out OUT.png [--background R,G,B]
// The renderer is made as the game makes it (image hook, creation block, the display's
// renderer) on the headless window. The frame is drawn by the file's first camera, with its
// own scene root or else the first top-level tree; a file without one is seen by a camera
// that frames the world bound of its first top-level tree. R, G, B are 0..1 (default 0, 0, 0).
#include "DebugOutput.h"
#include "DisplayConfig.h"
#include "HeadlessWindowBackend.h"
#include "QrAVObject.h"
#include "QrCamera.h"
#include "QrD3DRender.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrDisplay.h"
#include "QrImage.h"
#include "QrPoint3.h"
#include "QrRenderCreateParams.h"
#include "QrStream.h"
#include "SceneDump.h"
#include "qrxFrameworkClasses.h"

#include <cstdio>
#include <cstring>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: qrrender FILE --out OUT.png [--background R,G,B]\n");
    return 64;
}

// What the game does when it lets its renderer go.
void ReleaseRenderer()
{
    QrD3DRender::ReleaseCurrentRenderer();
    QrDDImage::ReleaseAllSurfaces();
    QrDDImage::SetGlobalObject(nullptr);
    QrDDImage::SetDirectDraw(nullptr);
}

int Render(const char* in, const char* out, const QrPoint3& background, plat::HeadlessWindowBackend& window)
{
    QrDDContext::SetRenderWindow(&window);
    QrD3DRender::SetImageHook();
    QrRenderCreateParams params;
    params.window = &window;
    params.flags = QrRenderCreateParams::kFlagZBuffer | 0x8;
    params.mode = QrRenderCreateParams::kModeWindowed;
    QrPointer<QrD3DRender> renderer = QrD3DRender::Create(params);
    if (!renderer)
    {
        std::printf("Renderer Creation Failed!\nMake sure your desktop is set to 16-bit color depth.\n  %s\n",
                    QrD3DRender::GetLastErrorText());
        ReleaseRenderer();
        return 1;
    }
    QrImage::AddRenderer(renderer.Get(), 0);
    QrPointer<QrDisplay> display(new QrDisplay);
    display->SetRenderer(renderer.Get());

    int status = 0;
    {
        QrStream stream;
        if (!stream.Load(in))
        {
            std::printf("scene file error %u: %s\n  at: %s\n", QrStream::LastErrorCode,
                        QrStream::LastErrorMessage.c_str(), QrStream::LastErrorContext.c_str());
            status = 1;
        }
        else
        {
            QrPointer<QrCamera> camera;
            for (uint32_t i = 0; i < stream.GetLoadedCount() && !camera; ++i)
                camera = QrDynamicCast<QrCamera>(stream.GetLoadedAt(i));
            QrAVObject* firstTree = nullptr;
            for (uint32_t i = 0; i < stream.GetTopLevelCount() && !firstTree; ++i)
            {
                auto* object = QrDynamicCast<QrAVObject>(stream.GetTopLevelAt(i));
                if (object && !object->GetParent() && !QrDynamicCast<QrCamera>(object))
                    firstTree = object;
            }
            QrPointer<QrAVObject> root = camera && camera->GetSceneRoot() ? camera->GetSceneRoot() : firstTree;
            if (root)
                root->UpdateAllInstances();
            if (!camera && root)
                camera = qrfdump::FramingCamera(root.Get());
            if (!camera)
                camera = new QrCamera(1.0f, 1000.0f);
            const QrPointer<QrAVObject> ownRoot = camera->GetSceneRoot();
            camera->SetSceneRoot(root.Get());
            camera->UpdateAllInstances();
            camera->SetDisplay(display.Get());

            renderer->SetBackgroundColor(background);
            camera->SetViewportFromDisplay(3);
            camera->RenderFrame(0.0f, 0.0f);
            display->EndFrame();
            display->DisplayFrame();
            camera->SetDisplay(nullptr);
            camera->SetSceneRoot(ownRoot.Get());
            if (!window.WritePng(out))
            {
                std::printf("error: cannot write %s\n", out);
                status = 1;
            }
            else
            {
                std::printf("%s: %u x %u frame on %s -> %s\n", in, window.FrameWidth(), window.FrameHeight(),
                            renderer->GetDeviceName(), out);
            }
        }
    }

    display->SetRenderer(nullptr);
    QrImage::RemoveRenderer(renderer.Get(), 0);
    renderer = nullptr;
    ReleaseRenderer();
    QrDDContext::ResetProgramState();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const char* in = nullptr;
    const char* out = nullptr;
    QrPoint3 background;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
        {
            out = argv[++i];
        }
        else if (std::strcmp(argv[i], "--background") == 0 && i + 1 < argc)
        {
            if (std::sscanf(argv[++i], "%f,%f,%f", &background.x, &background.y, &background.z) != 3)
                return Usage();
        }
        else if (argv[i][0] != '-' && !in)
        {
            in = argv[i];
        }
        else
        {
            return Usage();
        }
    }
    if (!in || !out)
        return Usage();

    RegisterFrameworkClasses();
    // The renderer's progress lines are for the debugger, not for the tool's user.
    plat::RecordingDebugSink quiet;
    plat::SetDebugSink(&quiet);
    plat::HeadlessWindowBackend window;
    window.Open(plat::WindowDesc{"qrrender", 640, 480});
    plat::DisplayConfig config;
    config.window = &window;
    plat::SetDisplayConfig(&config);
    const int status = Render(in, out, background, window);
    plat::SetDisplayConfig(nullptr);
    plat::SetDebugSink(nullptr);
    return status;
}
