#include "SceneDump.h"

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
