// Draws one frame of a scene file the way the game does and writes the presented frame.
// The renderer is made as the game makes it (image hook, creation block, the display's
// renderer) on the headless window. The scene is staged as SceneStage describes: its
// animations run to the given time, its own camera or one framing it, and a headlight when the
// file has no light.
#include "DebugOutput.h"
#include "DisplayConfig.h"
#include "HeadlessRenderer.h"
#include "HeadlessWindowBackend.h"
#include "PixelFormat.h"
#include "QrCamera.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrD3DRender.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrDisplay.h"
#include "QrImage.h"
#include "QrPoint3.h"
#include "QrRenderCreateParams.h"
#include "QrStream.h"
#include "SceneStage.h"
#include "ToolExit.h"
#include "qrxFrameworkClasses.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{

const char kUsage[] = "usage: qrrender FILE --out OUT.png [--time SECONDS] [--background R,G,B] [--size WxH]\n"
                      "  Draws one frame of a scene file through the software renderer and writes it as PNG.\n"
                      "  --time SECONDS     run the file's animations to this time first (0 to 600; default 1)\n"
                      "  --background R,G,B clear colour, each 0 to 1 (default 0.45,0.55,0.65)\n"
                      "  --size WxH         frame size in pixels, 16 to 4096 each (default 640x480)\n"
                      "  A file without a light gets a headlight and an ambient light.\n";

// A time at which every sample has moved from its first pose: at the first key after the
// start of the short cycles, with particles in the air and a fade half way.
constexpr float kDefaultTime = 1.0f;

struct Options
{
    const char* in = nullptr;
    const char* out = nullptr;
    float time = kDefaultTime;
    QrPoint3 background{0.45f, 0.55f, 0.65f};
    uint32_t width = 640;
    uint32_t height = 480;
};

bool InRange(float value, float low, float high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

// Fills options from the command line; false on anything it does not understand.
bool Parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i)
    {
        const char* a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        char end = 0;
        if (std::strcmp(a, "--out") == 0 && value)
        {
            o.out = value;
        }
        else if (std::strcmp(a, "--time") == 0 && value)
        {
            if (std::sscanf(value, "%f%c", &o.time, &end) != 1 || !InRange(o.time, 0.0f, 600.0f))
                return false;
        }
        else if (std::strcmp(a, "--background") == 0 && value)
        {
            QrPoint3& c = o.background;
            if (std::sscanf(value, "%f,%f,%f%c", &c.x, &c.y, &c.z, &end) != 3 || !InRange(c.x, 0.0f, 1.0f) ||
                !InRange(c.y, 0.0f, 1.0f) || !InRange(c.z, 0.0f, 1.0f))
                return false;
        }
        else if (std::strcmp(a, "--size") == 0 && value)
        {
            if (std::sscanf(value, "%ux%u%c", &o.width, &o.height, &end) != 2 || o.width < 16 || o.width > 4096 ||
                o.height < 16 || o.height > 4096)
                return false;
        }
        else if (a[0] != '-' && !o.in)
        {
            o.in = a;
            continue;
        }
        else
        {
            return false;
        }
        ++i;
    }
    return o.in && o.out;
}

// Whether any pixel of the presented frame differs from the clear colour.
bool AnythingDrawn(QrD3DRender& renderer, const plat::HeadlessWindowBackend& window)
{
    const uint32_t clear = renderer.GetDriver()->GetDevice()->GetClearColor();
    const auto background = static_cast<uint16_t>(plat::PackColor(plat::PixelFormat::Rgb565, clear));
    const std::vector<uint16_t>& frame = window.Frame();
    return std::any_of(frame.begin(), frame.end(), [&](uint16_t pixel) { return pixel != background; });
}

// Stages the scene and draws it into the display; false when the file does not load.
bool DrawScene(const Options& o, QrD3DRender& renderer, QrDisplay& display)
{
    tools::SceneStage stage;
    if (!stage.Load(o.in))
    {
        if (QrStream::LastErrorCode != 0)
        {
            std::fprintf(stderr, "qrrender: scene file error %u: %s\n  at: %s\n", QrStream::LastErrorCode,
                         QrStream::LastErrorMessage.c_str(), QrStream::LastErrorContext.c_str());
            return false;
        }
        std::fprintf(stderr, "qrrender: %s holds no scene tree to draw\n", o.in);
    }
    stage.RunTo(o.time);
    QrPointer<QrCamera> camera = stage.ChooseCamera();
    if (stage.GetRoot() && !stage.HasLight())
    {
        stage.AddHeadlight();
        std::fprintf(stderr, "qrrender: %s has no light: added a headlight and an ambient light\n", o.in);
    }
    if (!camera)
        camera = new QrCamera(1.0f, 1000.0f);
    renderer.SetBackgroundColor(o.background);
    camera->SetDisplay(&display);
    camera->SetViewportFromDisplay(3);
    camera->RenderFrame(o.time, 1.0f / tools::SceneStage::kFrameRate);
    display.EndFrame();
    display.DisplayFrame();
    camera->SetDisplay(nullptr);
    return true;
}

int Render(const Options& o, plat::HeadlessWindowBackend& window)
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
        std::fprintf(stderr, "qrrender: the renderer could not be made: %s\n", QrD3DRender::GetLastErrorText());
        ReleaseRendererProgramState();
        return tools::kExitInputFailed;
    }
    QrImage::AddRenderer(renderer.Get(), 0);
    QrPointer<QrDisplay> display(new QrDisplay);
    display->SetRenderer(renderer.Get());

    int status = tools::kExitOk;
    if (!DrawScene(o, *renderer, *display))
    {
        status = tools::kExitInputFailed;
    }
    else if (!window.WritePng(o.out))
    {
        std::fprintf(stderr, "qrrender: cannot write %s\n", o.out);
        status = tools::kExitInputFailed;
    }
    else
    {
        if (!AnythingDrawn(*renderer, window))
            std::fprintf(stderr, "qrrender: nothing was drawn: the frame is the background colour only\n");
        std::printf("%s: %u x %u frame at %g s on %s -> %s\n", o.in, window.FrameWidth(), window.FrameHeight(),
                    double(o.time), renderer->GetDeviceName(), o.out);
    }

    display->SetRenderer(nullptr);
    QrImage::RemoveRenderer(renderer.Get(), 0);
    renderer = nullptr;
    ReleaseRendererProgramState();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (tools::IsHelp(argv[i]))
        {
            std::fputs(kUsage, stdout);
            return tools::kExitOk;
        }
    Options options;
    if (!Parse(argc, argv, options))
    {
        std::fputs(kUsage, stderr);
        return tools::kExitUsage;
    }

    RegisterFrameworkClasses();
    // The renderer's progress lines are for the debugger, not for the tool's user.
    plat::RecordingDebugSink quiet;
    plat::SetDebugSink(&quiet);
    plat::HeadlessWindowBackend window;
    window.Open(plat::WindowDesc{"qrrender", options.width, options.height});
    plat::DisplayConfig config;
    config.window = &window;
    // The window shows the whole primary surface, which takes the desktop's size.
    config.profile.desktop.width = options.width;
    config.profile.desktop.height = options.height;
    plat::SetDisplayConfig(&config);
    const int status = Render(options, window);
    plat::SetDisplayConfig(nullptr);
    plat::SetDebugSink(nullptr);
    return status;
}
