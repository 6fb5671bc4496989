// Draws one frame of a scene file the way the game does and writes the presented frame.
//   qrrender FILE --out OUT.png [--background R,G,B]
// The renderer is made as the game makes it (image hook, creation block, the display's
// renderer) on the headless window. The frame is drawn by the file's first camera, with its
// own scene root or else the first top-level tree; a file without one is seen by a camera
// that frames the world bound of its first top-level tree. R, G, B are 0..1 (default 0, 0, 0).
#include "HeadlessRenderer.h"
#include "QrAVObject.h"
#include "QrCamera.h"
#include "QrPoint3.h"
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

// The first camera of the file with its own scene root, or else the first top-level tree; a
// file without a camera is seen by one that frames that tree.
QrPointer<QrCamera> ChooseView(QrStream& stream, QrPointer<QrAVObject>& root)
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
    root = camera && camera->GetSceneRoot() ? camera->GetSceneRoot() : firstTree;
    if (root)
        root->UpdateAllInstances();
    if (!camera && root)
        camera = qrfdump::FramingCamera(root.Get());
    if (!camera)
        camera = new QrCamera(1.0f, 1000.0f);
    return camera;
}

int Render(const char* in, const char* out, const QrPoint3& background)
{
    HeadlessRenderer rig;
    if (!rig.GetRenderer())
    {
        std::printf("Renderer Creation Failed!\nMake sure your desktop is set to 16-bit color depth.\n  %s\n",
                    QrD3DRender::GetLastErrorText());
        return 1;
    }
    QrStream stream;
    if (!stream.Load(in))
    {
        std::printf("scene file error %u: %s\n  at: %s\n", QrStream::LastErrorCode, QrStream::LastErrorMessage.c_str(),
                    QrStream::LastErrorContext.c_str());
        return 1;
    }
    QrPointer<QrAVObject> root;
    const QrPointer<QrCamera> camera = ChooseView(stream, root);
    const QrPointer<QrAVObject> ownRoot = camera->GetSceneRoot();
    camera->SetSceneRoot(root.Get());
    camera->UpdateAllInstances();
    rig.DrawFrame(camera.Get(), 0.0f, background);
    camera->SetSceneRoot(ownRoot.Get());
    plat::HeadlessWindowBackend& window = rig.GetWindow();
    if (!window.WritePng(out))
    {
        std::printf("error: cannot write %s\n", out);
        return 1;
    }
    std::printf("%s: %u x %u frame on %s -> %s\n", in, window.FrameWidth(), window.FrameHeight(),
                rig.GetRenderer()->GetDeviceName(), out);
    return 0;
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
    return Render(in, out, background);
}
