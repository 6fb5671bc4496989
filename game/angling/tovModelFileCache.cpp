#include "tovModelFileCache.h"

#include "tovInstallSettings.h"

#include "qrxSceneFiles.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace
{

struct FileImage
{
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

std::map<std::string, FileImage>& Files()
{
    static std::map<std::string, FileImage> files;
    return files;
}

} // namespace

QrPointer<QrNode> tovModelFileCache::LoadNode(const char* file, const char* node)
{
    if (!file || !*file || !node)
        return {};
    std::map<std::string, FileImage>& files = Files();
    auto found = files.find(file);
    if (found == files.end())
    {
        found = files.emplace(file, FileImage{}).first;
        found->second.bytes = LoadFileToMemory(DataFilePath(file).c_str(), found->second.size);
    }
    const FileImage& image = found->second;
    if (!image.bytes || image.size == 0)
        return {};
    QrPointer<QrAVObject> object = LoadSceneNode(image.bytes.get(), image.size, node);
    return QrPointer<QrNode>(QrDynamicCast<QrNode>(object.Get()));
}

size_t tovModelFileCache::GetFileCount()
{
    return Files().size();
}

void tovModelFileCache::Clear()
{
    Files().clear();
}
