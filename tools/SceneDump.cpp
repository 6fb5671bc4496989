#include "SceneDump.h"

#include "QrAVObject.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrStream.h"

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

} // namespace

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
