#include "qrxAssetCache.h"

#include "QrDDImage.h"

#include "Display.h"
#include "Path.h"

namespace
{

// The framework makes its images with kind 0.
constexpr uint32_t kImageKind = 0;

QrPointer<QrTextureProperty> TextureHolding(QrPointer<QrImage> image)
{
    if (!image)
        return nullptr;
    QrPointer<QrTextureProperty> texture = new QrTextureProperty;
    texture->SetImage(image.Get(), 0);
    texture->SetCurrentIndex(0);
    return texture;
}

} // namespace

qrxAssetCache& qrxAssetCache::Get()
{
    static qrxAssetCache cache;
    return cache;
}

std::string qrxAssetCache::ScaledPath(const std::string& path)
{
    return plat::JoinPath(plat::JoinPath(plat::FolderOf(path), "scale"), plat::FileNameOf(path));
}

// The cache grows as needed: a fixed table that answers its first entry once full would
// hand out the wrong picture.
QrPointer<QrTextureProperty> qrxAssetCache::Load(const char* path, int32_t tag)
{
    if (!path)
        return nullptr;
    std::string key = path;
    if (m_scale)
    {
        std::string scaled = ScaledPath(key);
        if (plat::FindPathCaseInsensitive(scaled, plat::PathKind::kFile))
            key = std::move(scaled);
    }
    for (const FileEntry& entry : m_files)
    {
        if (entry.path == key)
            return entry.texture;
    }
    FileEntry entry;
    entry.path = key;
    entry.tag = tag;
    entry.texture = TextureHolding(QrImage::CreateFromFile(key.c_str(), kImageKind));
    m_files.push_back(entry);
    return entry.texture;
}

QrPointer<QrTextureProperty> qrxAssetCache::LoadTexture(QrRawImageData* rawImage, int32_t tag)
{
    if (!rawImage)
        return nullptr;
    for (const RawEntry& entry : m_raws)
    {
        if (entry.raw.Get() == rawImage)
            return entry.texture;
    }
    RawEntry entry;
    entry.raw = rawImage;
    entry.tag = tag;
    entry.texture = TextureHolding(QrImage::CreateFromRawData(entry.raw, kImageKind));
    m_raws.push_back(entry);
    return entry.texture;
}

void qrxAssetCache::Reset()
{
    plat::Display* display = nullptr;
    if (QrDDImage::GetDirectDraw(display) && display)
        QrDDImage::RestoreAllSurfaces();
    for (FileEntry& entry : m_files)
    {
        if (!entry.texture)
            continue;
        for (uint32_t i = 0; i < entry.texture->GetImageCount(); ++i)
        {
            entry.texture->SetCurrentIndex(static_cast<int32_t>(i));
            if (QrPointer<QrImage> image = entry.texture->GetCurrentImage())
                image->RaisePixelRevision();
        }
        entry.texture->SetCurrentIndex(0);
    }
    for (RawEntry& entry : m_raws)
    {
        QrPointer<QrImage> image = QrImage::CreateFromRawData(entry.raw, kImageKind);
        if (!entry.texture)
            entry.texture = TextureHolding(image);
        else
        {
            entry.texture->SetImage(image.Get(), 0);
            entry.texture->SetCurrentIndex(0);
        }
    }
}

void qrxAssetCache::Clear()
{
    m_files.clear();
    m_raws.clear();
    m_scale = false;
}
