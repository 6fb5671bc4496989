#include "SceneDump.h"

#include "QrAVObject.h"
#include "QrBound.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrProperty.h"
#include "QrStream.h"
#include "RecordingRender.h"

#include <algorithm>

namespace qrfdump
{

namespace
{

int ReportLoadError(std::FILE* out)
{
    std::fprintf(out, "error %u: %s\n", QrStream::LastErrorCode, QrStream::LastErrorMessage.c_str());
    std::fprintf(out, "  at: %s\n", QrStream::LastErrorContext.c_str());
    return QrStream::LastErrorCode != 0 ? static_cast<int>(QrStream::LastErrorCode) : 1;
}

// One line per object, indented by depth: class, name, local translation. A leaf under several
// parents appears under each of them, marked shared.
void PrintTree(std::FILE* out, QrAVObject* object, int depth)
{
    const QrPoint3& t = object->GetTranslate();
    std::fprintf(out, "%*s%s", depth * 2, "", object->GetRTTI()->GetName());
    if (const char* name = object->GetName())
        std::fprintf(out, " \"%s\"", name);
    std::fprintf(out, " at (%g, %g, %g)", double(t.x), double(t.y), double(t.z));
    if (object->GetInstanceCount() > 1)
        std::fprintf(out, " [shared by %u parents]", object->GetInstanceCount());
    std::fprintf(out, "\n");
    if (QrNode* node = QrDynamicCast<QrNode>(object))
        for (uint32_t i = 0; i < node->GetChildCount(); ++i)
            if (QrAVObject* child = node->GetChildAt(i))
                PrintTree(out, child, depth + 1);
}

// A camera outside the scene that sees the whole of root's world bound, looking down -z.
QrPointer<QrCamera> FramingCamera(QrAVObject* root)
{
    const QrBound& bound = root->GetWorldBound();
    const float radius = std::max(bound.GetRadius(), 0.5f);
    // The default frustum's half-angle is atan(1/2): from three radii the sphere fits inside.
    const float distance = 3.0f * radius;
    QrPointer<QrCamera> camera(new QrCamera(0.1f, distance + 2.0f * radius));
    const QrPoint3& c = bound.GetCenter();
    camera->SetTranslate(c.x, c.y, c.z + distance);
    camera->Update(camera->GetCurrentInstance());
    camera->LookAt(c, QrPoint3(0, 1, 0));
    return camera;
}

} // namespace

int RenderSceneFrame(const char* path, std::FILE* out)
{
    QrProperty::CreateDefaults();
    QrStream stream;
    if (!stream.Load(path))
        return ReportLoadError(out);

    QrPointer<QrCamera> camera;
    for (uint32_t i = 0; i < stream.GetLoadedCount() && !camera; ++i)
        camera = QrDynamicCast<QrCamera>(stream.GetLoadedAt(i));
    QrPointer<QrAVObject> root = camera ? camera->GetSceneRoot() : nullptr;
    for (uint32_t i = 0; i < stream.GetTopLevelCount() && !root; ++i)
    {
        QrAVObject* object = QrDynamicCast<QrAVObject>(stream.GetTopLevelAt(i));
        if (object && !object->GetParent() && !QrDynamicCast<QrCamera>(object))
            root = object;
    }
    if (!root)
    {
        std::fprintf(out, "error: %s holds nothing to draw\n", path);
        return 1;
    }
    root->UpdateAllInstances();
    if (camera)
    {
        camera->UpdateAllInstances();
        std::fprintf(out, "camera \"%s\"\n", camera->GetName() ? camera->GetName() : "");
    }
    else
    {
        camera = FramingCamera(root.Get());
        std::fprintf(out, "camera framing the world bound\n");
    }
    // The camera's own root, or the tree chosen above, for this frame only.
    const QrPointer<QrAVObject> ownRoot = camera->GetSceneRoot();
    const QrPointer<QrDisplay> ownDisplay = camera->GetDisplay();
    camera->SetSceneRoot(root.Get());

    QrPointer<RecordingRender> render(new RecordingRender);
    render->SetLogQueries(false);
    QrPointer<QrDisplay> display(new QrDisplay);
    display->SetRenderer(render.Get());
    camera->SetDisplay(display.Get());
    render->ClearLog(); // the defaults sent when the display took the renderer
    camera->RenderFrame(0.0f, 0.0f);
    std::fputs(render->GetLogText().c_str(), out);

    camera->SetDisplay(ownDisplay.Get());
    camera->SetSceneRoot(ownRoot.Get());
    return 0;
}

int DumpSceneFile(const char* path, std::FILE* out)
{
    QrStream stream;
    if (!stream.Load(path))
        return ReportLoadError(out);
    std::fprintf(out, "version %s\n", stream.GetVersion());
    std::fprintf(out, "objects %u, top-level %u\n", stream.GetLoadedCount(), stream.GetTopLevelCount());
    for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
    {
        const QrObject* object = stream.GetLoadedAt(i);
        std::fprintf(out, "%c #%u %s", stream.IsTopLevel(object) ? '*' : ' ', stream.GetLoadedLinkID(i),
                     object->GetRTTI()->GetName());
        if (const char* name = object->GetName())
            std::fprintf(out, " \"%s\"", name);
        std::fprintf(out, "\n");
    }
    bool first = true;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
    {
        // Objects inside another tree are printed there.
        QrAVObject* object = QrDynamicCast<QrAVObject>(stream.GetTopLevelAt(i));
        if (!object || object->GetParent())
            continue;
        if (first)
            std::fprintf(out, "tree\n");
        first = false;
        PrintTree(out, object, 1);
    }
    return 0;
}

int RoundTripSceneFile(const char* in, const char* out, std::FILE* log)
{
    QrStream loader;
    if (!loader.Load(in))
        return ReportLoadError(log);
    QrStream saver;
    for (uint32_t i = 0; i < loader.GetTopLevelCount(); ++i)
        saver.InsertTopLevelObject(loader.GetTopLevelAt(i));
    if (!saver.Save(out))
    {
        std::fprintf(log, "error: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

} // namespace qrfdump
