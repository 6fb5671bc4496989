// Prints what a scene file holds, as the engine's loader sees it.
//   qrfdump FILE                 version, every loaded object in file order, then the node tree
//                                of each top-level positioned object
//   qrfdump --roundtrip IN OUT   load IN and save it again as OUT
// On a failed load: the error code and message, the context on a second line, and the
// error code as exit status.
#include "QrAVObject.h"
#include "QrEngineCoreClasses.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrStream.h"

#include <cstdio>
#include <cstring>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: qrfdump FILE\n       qrfdump --roundtrip IN OUT\n");
    return 64;
}

int ReportLoadError()
{
    std::printf("error %u: %s\n", QrStream::LastErrorCode, QrStream::LastErrorMessage.c_str());
    std::printf("  at: %s\n", QrStream::LastErrorContext.c_str());
    return QrStream::LastErrorCode != 0 ? static_cast<int>(QrStream::LastErrorCode) : 1;
}

bool IsTopLevel(const QrStream& stream, const QrObject* object)
{
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
        if (stream.GetTopLevelAt(i) == object)
            return true;
    return false;
}

// One line per object, indented by depth: class, name, local translation. A leaf under several
// parents appears under each of them, marked shared.
void PrintTree(QrAVObject* object, int depth)
{
    const char* name = object->GetName();
    const QrPoint3& t = object->GetTranslate();
    std::printf("%*s%s", depth * 2, "", object->GetRTTI()->GetName());
    if (name)
        std::printf(" \"%s\"", name);
    std::printf(" at (%g, %g, %g)", double(t.x), double(t.y), double(t.z));
    if (object->GetInstanceCount() > 1)
        std::printf(" [shared by %u parents]", object->GetInstanceCount());
    std::printf("\n");
    if (QrNode* node = QrDynamicCast<QrNode>(object))
        for (uint32_t i = 0; i < node->GetChildCount(); ++i)
            if (QrAVObject* child = node->GetChildAt(i))
                PrintTree(child, depth + 1);
}

int Dump(const char* file)
{
    QrStream stream;
    if (!stream.Load(file))
        return ReportLoadError();
    std::printf("version %s\n", stream.GetVersion());
    std::printf("objects %u, top-level %u\n", stream.GetLoadedCount(), stream.GetTopLevelCount());
    for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
    {
        const QrObject* object = stream.GetLoadedAt(i);
        const char* name = object->GetName();
        std::printf("%c #%u %s", IsTopLevel(stream, object) ? '*' : ' ', stream.GetLoadedLinkID(i),
                    object->GetRTTI()->GetName());
        if (name)
            std::printf(" \"%s\"", name);
        std::printf("\n");
    }
    bool first = true;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
    {
        // Objects inside another tree are printed there.
        QrAVObject* object = QrDynamicCast<QrAVObject>(stream.GetTopLevelAt(i));
        if (!object || object->GetParent())
            continue;
        if (first)
            std::printf("tree\n");
        first = false;
        PrintTree(object, 1);
    }
    return 0;
}

int RoundTrip(const char* in, const char* out)
{
    QrStream loader;
    if (!loader.Load(in))
        return ReportLoadError();
    QrStream saver;
    for (uint32_t i = 0; i < loader.GetTopLevelCount(); ++i)
        saver.InsertTopLevelObject(loader.GetTopLevelAt(i));
    if (!saver.Save(out))
    {
        std::printf("error: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    RegisterEngineCoreClasses();
    if (argc == 2 && argv[1][0] != '-')
        return Dump(argv[1]);
    if (argc == 4 && std::strcmp(argv[1], "--roundtrip") == 0)
        return RoundTrip(argv[2], argv[3]);
    return Usage();
}
