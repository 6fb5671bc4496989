#pragma once
// The program-wide cache of texture properties made from image files (looked up by path) or
// from raw images. Entries live until the program ends; Reset makes the renderer take every
// image again after the display surfaces were lost. Main thread only.

#include "QrPointer.h"
#include "QrRawImageData.h"
#include "QrTextureProperty.h"

#include <cstdint>
#include <string>
#include <vector>

class qrxAssetCache
{
public:
    // The program's one cache.
    static qrxAssetCache& Get();

    // A counted texture for the file; a file that cannot be loaded is remembered and
    // answered as null without trying again. With the scale flag set, a copy of the file in
    // a "scale" folder beside it is taken instead when there is one.
    QrPointer<QrTextureProperty> Load(const char* path, int32_t tag);
    // A texture holding an image made from the raw pixels. Asking again with the same raw
    // image answers the same texture.
    QrPointer<QrTextureProperty> LoadTexture(QrRawImageData* rawImage, int32_t tag);
    void Reset();

    void SetScaleFlag(bool on) { m_scale = on; }
    bool GetScaleFlag() const { return m_scale; }
    size_t GetFileCount() const { return m_files.size(); }
    size_t GetRawCount() const { return m_raws.size(); }
    // Empties the cache (test fixtures and program exit).
    void Clear();

private:
    struct FileEntry
    {
        std::string path;
        QrPointer<QrTextureProperty> texture;
        int32_t tag = 0;
    };
    struct RawEntry
    {
        QrPointer<QrTextureProperty> texture;
        int32_t tag = 0;
        QrPointer<QrRawImageData> raw;
    };

    static std::string ScaledPath(const std::string& path);

    std::vector<FileEntry> m_files;
    std::vector<RawEntry> m_raws;
    bool m_scale = false;
};
