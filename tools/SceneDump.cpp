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
#include "SceneStage.h"

#include <algorithm>

namespace qrfdump
{

namespace
{

int ReportLoadError(std::FILE* err)
{
    std::fprintf(err, "error %u: %s\n", QrStream::LastErrorCode, QrStream::LastErrorMessage.c_str());
    std::fprintf(err, "  at: %s\n", QrStream::LastErrorContext.c_str());
    return 1;
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

} // namespace

QrPointer<QrCamera> FramingCamera(QrAVObject* root)
{
    const QrBound& bound = root->GetWorldBound();
    const float radius = std::max(bound.GetRadius(), 0.5f);
    // The default frustum's half-angle is atan(1/2): from three radii the sphere fits inside.
    const float distance = 3.0f * radius;
    QrPointer<QrCamera> camera(new QrCamera(0.1f, distance + 2.0f * radius));
    const QrPoint3& c = bound.GetCenter();
    // From in front, a little to the right and above: boxes show three faces.
    QrPoint3 away(0.35f, 0.45f, 1.0f);
    away.Unitize();
    camera->SetTranslate(c.x + away.x * distance, c.y + away.y * distance, c.z + away.z * distance);
    camera->Update(camera->GetCurrentInstance());
    camera->LookAt(c, QrPoint3(0, 1, 0));
    return camera;
}

int RenderSceneFrame(const char* path, std::FILE* out, std::FILE* err)
{
    QrProperty::CreateDefaults();
    tools::SceneStage stage;
    if (!stage.Load(path))
    {
        if (QrStream::LastErrorCode != 0)
            return ReportLoadError(err);
        std::fprintf(err, "error: %s holds nothing to draw\n", path);
        return 1;
    }
    QrCamera* camera = stage.ChooseCamera();
    if (stage.HasOwnCamera())
        std::fprintf(out, "camera \"%s\"\n", camera->GetName() ? camera->GetName() : "");
    else
        std::fprintf(out, "camera framing the world bound\n");

    const QrPointer<QrDisplay> ownDisplay = camera->GetDisplay();
    QrPointer<RecordingRender> render(new RecordingRender);
    render->SetLogQueries(false);
    QrPointer<QrDisplay> display(new QrDisplay);
    display->SetRenderer(render.Get());
    camera->SetDisplay(display.Get());
    render->ClearLog(); // the defaults sent when the display took the renderer
    camera->RenderFrame(0.0f, 0.0f);
    std::fputs(render->GetLogText().c_str(), out);
    camera->SetDisplay(ownDisplay.Get());
    return 0;
}

int DumpSceneFile(const char* path, std::FILE* out, std::FILE* err)
{
    QrStream stream;
    if (!stream.Load(path))
        return ReportLoadError(err);
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

int RoundTripSceneFile(const char* in, const char* out, std::FILE* err)
{
    QrStream loader;
    if (!loader.Load(in))
        return ReportLoadError(err);
    QrStream saver;
    for (uint32_t i = 0; i < loader.GetTopLevelCount(); ++i)
        saver.InsertTopLevelObject(loader.GetTopLevelAt(i));
    if (!saver.Save(out))
    {
        std::fprintf(err, "error: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

} // namespace qrfdump
