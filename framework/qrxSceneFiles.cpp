#include "qrxSceneFiles.h"

#include "qrxGraphSearcher.h"

#include "QrStream.h"

#include "Files.h"

#include <cstring>
#include <vector>

namespace
{

QrPointer<QrAVObject> TakeNamedObject(QrStream& stream, const char* nodeName)
{
    qrxGraphSearcher searcher;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
    {
        QrNode* top = QrDynamicCast<QrNode>(stream.GetTopLevelAt(i));
        if (!top)
            continue;
        QrAVObject* found = QrDynamicCast<QrAVObject>(searcher.Find(top, nodeName));
        if (!found)
            continue;
        QrPointer<QrAVObject> model(found);
        if (QrNode* parent = found->GetParent())
            parent->DetachChild(found);
        return model;
    }
    return nullptr;
}

} // namespace

QrPointer<QrAVObject> LoadSceneObject(const char* path, const char* nodeName)
{
    QrStream stream;
    if (!path || !nodeName || !stream.Load(path))
        return nullptr;
    return TakeNamedObject(stream, nodeName);
}

QrPointer<QrAVObject> LoadSceneNode(const uint8_t* bytes, size_t count, const char* nodeName)
{
    QrStream stream;
    if (!bytes || !nodeName || !stream.LoadFromMemory(bytes, count))
        return nullptr;
    return TakeNamedObject(stream, nodeName);
}

std::unique_ptr<uint8_t[]> LoadFileToMemory(const char* path, size_t& size)
{
    size = 0;
    std::vector<uint8_t> bytes;
    if (!path || !plat::ReadFile(path, bytes) || bytes.empty())
        return nullptr;
    auto block = std::make_unique<uint8_t[]>(bytes.size());
    std::memcpy(block.get(), bytes.data(), bytes.size());
    size = bytes.size();
    return block;
}
