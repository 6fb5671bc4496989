#pragma once
// Turns renderer images into device textures for one device (or, for hardware devices, one
// manager shared by all of them). It chooses the device's texture formats once and keeps a
// cache of texture surfaces per texture memory: records filed in 256 buckets by a packed key,
// least recently bound first, evicted when the display refuses a new surface, and a pinned
// list of records that are never evicted. Made by the device when it opens and owned through
// a use count; every manager is on a program-wide list so that a dying image can be purged
// from all of them. Main thread only.

#include "PixelFormat.h"
#include "QrPixelFormat.h"
#include "QrPointer.h"
#include "QrTextureRecord.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrDDContext;
class QrDDImage;
class QrImage;
class QrRender;

namespace plat
{
class Device3D;
class Display;
class Surface;
struct DeviceCaps;
struct SurfaceDesc;
} // namespace plat

class QrTextureManager
{
public:
    // Format kinds; an image without a device texture is kKindNone.
    enum : uint32_t
    {
        kKindRgb = 0,
        kKindAlpha = 1,
        kKindPalettised = 2,
        kKindNone = 3,
        kKindCount = 3,
    };

    // Status bits of a frame; 0x1 is the value at every scene start.
    enum : uint32_t
    {
        kStatusFrame = 0x1,
        kStatusTookOverUnused = 0x2,
        kStatusEvicted = 0x4,
        kStatusTookOverUsed = 0x8,
        kStatusFlushed = 0x10,
        kStatusNothingMade = 0x20,
    };

    static constexpr uint32_t kDefaultMaxTextureSize = 16384;
    static constexpr uint32_t kBucketCount = 256;
    static constexpr uint32_t kSizeClassCount = 16;
    static constexpr uint32_t kRecordsPerBlock = 32;

    // shared: the program-wide manager, built on first use. Raises the use count and empties
    // the manager; null when it cannot be built.
    static QrTextureManager* Create(uint32_t flags, QrDDContext* context, plat::Device3D* device,
                                    const plat::DeviceCaps& description, bool shared);
    // Lowers the use count: at zero the manager goes, otherwise it lets go of every texture.
    static void ReleaseUse(QrTextureManager* manager);
    static const std::vector<QrTextureManager*>& GetManagers();
    static QrTextureManager* GetShared();

    // --- cache keys
    // Bits 0-3 log2 height, 4-7 log2 width, 8 mipmapped, 9-10 kind, 11-13 aspect code, 14-17
    // size class (the byte size's log2 minus 8 for 8-, 16- and 32-bit formats).
    static uint32_t MakeKey(uint32_t logWidth, uint32_t logHeight, bool mipmapped, uint32_t kind, uint32_t depthClass);
    // Size class, aspect code and the kind's high bit: records that can replace each other
    // meet in one bucket.
    static uint32_t BucketOf(uint32_t key) { return (key >> 10) & 255; }
    static uint32_t SizeClassOf(uint32_t key) { return (key >> 14) & 15; }
    static uint32_t AspectOf(uint32_t key) { return (key >> 11) & 7; }

    QrTextureManager(const QrTextureManager&) = delete;
    QrTextureManager& operator=(const QrTextureManager&) = delete;

    // Chooses the texture formats from what the device offers; 0 or the failing code.
    uint32_t Initialize(uint32_t flags, QrDDContext* context, plat::Device3D* device);

    // --- what the device and the renderer ask
    // The kind of the format the image's texture source gets; kKindNone for a null image or
    // one that has no texture source.
    uint32_t GetFormatKind(QrImage* image);
    // Makes sure the image has an up-to-date texture in a memory (-1: the manager chooses);
    // without allowEvict nothing is evicted, taken over or flushed for it. True when it has
    // one afterwards.
    bool PrepareTexture(QrImage* image, bool allowEvict, bool pin, int32_t memory);
    // image null: every cached texture of the memory (-1: of both), the pinned ones too when
    // asked. With an image: its textures in every memory, pinned or not. True.
    bool ReleaseTextures(QrImage* image, bool alsoPinned, int32_t memory);
    // The texture to bind for a draw, made or refreshed on demand. changed: the image differs
    // from lastImage (which then becomes the image) or a new texture was made. A null image
    // gives a null texture and true; an image that cannot have a texture gives false.
    bool GetTexture(int32_t memory, QrImage* image, QrPointer<QrImage>& lastImage,
                    std::shared_ptr<plat::Surface>& texture, bool& changed, bool& mipmapped, bool& hasAlpha);

    // Scene start: the per-frame counters restart and the frame number advances.
    void BeginFrame(QrRender* renderer);
    // The renderer on whose behalf the next calls run.
    void SetRenderer(QrRender* renderer) { m_renderer = renderer; }
    QrRender* GetRenderer() const { return m_renderer; }

    // Alpha, RGB, palettised: those that exist, in that order.
    const std::vector<QrPixelFormat>& GetFormats() const { return m_formats; }
    plat::PixelFormat GetChosenPlatformFormat(uint32_t kind) const;
    bool IsFound(uint32_t kind) const { return kind < kKindCount && m_found[kind] != 0; }
    // 0 for 8 bits per pixel, 1 for 16, 2 for any other depth.
    uint32_t GetDepthClass(uint32_t kind) const { return kind < kKindCount ? m_depthClass[kind] : 0; }
    bool HasSeparateMemories() const { return m_separateMemories != 0; }
    bool UsesScaledUpload() const { return m_upload == &QrTextureManager::UploadScaled; }
    uint32_t GetMemoryKey(uint32_t memory) const { return memory < 2 ? m_memoryKeys[memory] : 0; }
    uint32_t GetUseCount() const { return m_useCount; }
    uint32_t GetMaxTextureWidth() const { return m_maxWidth; }
    uint32_t GetMaxTextureHeight() const { return m_maxHeight; }

    uint32_t GetStatus() const { return m_status; }
    uint32_t GetFrameNumber() const { return m_frame; }
    uint32_t GetResidentCount() const { return m_resident; }
    uint32_t GetUsedThisFrame() const { return m_usedThisFrame; }
    uint32_t GetCreatedThisFrame() const { return m_createdThisFrame; }
    uint32_t GetReleasedThisFrame() const { return m_releasedThisFrame; }

    // --- the cache as it stands (diagnostics)
    // The image's entry for a memory: its record, the sentinel, a record it lost, or null.
    QrTextureRecord* GetRecord(QrImage* image, uint32_t memory) const;
    const QrTextureRecord* GetSentinel() const { return &m_sentinel; }
    const QrTextureRecord* GetBucketHead(uint32_t memory, uint32_t bucket) const;
    const QrTextureRecord* GetPinnedHead(uint32_t memory) const;
    uint32_t GetSizeClassCount(uint32_t memory, uint32_t sizeClass) const;
    uint32_t GetBytesInUse(uint32_t memory) const;
    uint32_t GetRecordBlockCount() const { return static_cast<uint32_t>(m_blocks.size()); }
    uint32_t GetFreeRecordCount() const;

private:
    struct Memory
    {
        QrTextureRecord* heads[kBucketCount];
        QrTextureRecord* pinned;
        QrTextureRecord* tails[kBucketCount];
        uint32_t classCounts[kSizeClassCount];
        uint32_t bytesInUse;
    };

    // The mip level a texture is made from; lower levels are held while in use.
    struct Source
    {
        plat::Surface* level = nullptr;
        std::shared_ptr<plat::Surface> holder;
    };

    using UploadRoutine = void (QrTextureManager::*)(plat::Surface* source, plat::Surface* target);

    QrTextureManager();
    ~QrTextureManager();

    static QrTextureManager* Build(uint32_t flags, QrDDContext* context, plat::Device3D* device,
                                   const plat::DeviceCaps& description);
    void Choose(uint32_t kind, plat::PixelFormat format);
    uint32_t KindOf(plat::PixelFormat format) const;
    // The renderer whose user word and device flags apply: the recorded one, else the images'
    // current renderer.
    QrRender* Renderer() const;
    uint32_t DeviceFlags() const;
    uint32_t ChooseMemory(QrDDImage* image, int32_t memory) const;
    // The record the image owns in a memory, or null; lost and failed entries are not its own.
    QrTextureRecord* OwnRecord(QrDDImage* image, uint32_t memory) const;
    bool GetImage(QrDDImage* image);
    Memory& Current() { return *m_memories[m_current]; }

    // --- cache and upload (in the current memory)
    bool DescribeTexture(QrDDImage* image, Source& source, plat::SurfaceDesc& description, uint32_t& key);
    QrTextureRecord* CreateTexture(QrDDImage* image);
    QrTextureRecord* AcquireSurface(QrDDImage* image, const plat::SurfaceDesc& description, plat::Surface* source,
                                    uint32_t key);
    QrTextureRecord* CreateSurface(plat::SurfaceDesc description, QrDDImage* image, plat::Surface* source,
                                   uint32_t key);
    QrTextureRecord* EvictAndCreate(QrDDImage* image, const plat::SurfaceDesc& description, plat::Surface* source,
                                    uint32_t key);
    // Gives a cached record to another image; on failure the record is released.
    QrTextureRecord* TakeOver(QrDDImage* image, plat::Surface* source, QrTextureRecord* record, uint32_t status);
    bool BindRecord(QrDDImage* image, plat::Surface* source, QrTextureRecord* record);
    // Uploads changed pixels; a texture of another key replaces the record. The record the
    // image has afterwards, or null.
    QrTextureRecord* RefreshTexture(QrTextureRecord* record, QrDDImage* image);
    void ReleaseRecord(QrTextureRecord* record);
    // ReleaseRecord without counting: undoes a record that never became a texture.
    void DropRecord(QrTextureRecord* record);
    void ReleaseMemory(uint32_t memory, bool cached, bool pinned);
    void UnlinkRecord(QrTextureRecord* record);
    void LinkAtTail(QrTextureRecord* record);
    void MoveToTail(QrTextureRecord* record);
    void Pin(QrTextureRecord* record);
    QrTextureRecord* AllocRecord(QrDDImage* image, uint32_t key, uint32_t memory);
    void FreeRecord(QrTextureRecord* record);
    void AddRecordBlock();
    void Upload(plat::Surface* source, plat::Surface* target);
    void UploadScaled(plat::Surface* source, plat::Surface* target);

    // Caps given to the surfaces of texture sources: none.
    uint32_t m_sourceCaps = 0;
    std::vector<QrPixelFormat> m_formats;
    plat::PixelFormat m_chosen[kKindCount] = {};
    uint32_t m_depthClass[kKindCount] = {};
    uint8_t m_found[kKindCount] = {};
    // Marks an image that failed its check in a memory: it is not tried again.
    QrTextureRecord m_sentinel;
    uint32_t m_maxWidth = kDefaultMaxTextureSize;
    uint32_t m_maxHeight = kDefaultMaxTextureSize;
    uint32_t m_resident = 0;
    uint32_t m_usedThisFrame = 0;
    uint32_t m_frameWord = 0;
    uint32_t m_createdThisFrame = 0;
    uint32_t m_releasedThisFrame = 0;
    uint32_t m_status = kStatusFrame;
    uint32_t m_frame = 0;
    std::shared_ptr<plat::Display> m_display;
    QrRender* m_renderer = nullptr;
    uint32_t m_useCount = 0;
    UploadRoutine m_upload = &QrTextureManager::Upload;
    std::unique_ptr<Memory> m_memories[2];
    uint8_t m_noEvict = 0;
    uint8_t m_separateMemories = 0;
    uint32_t m_current = 0;
    QrTextureRecord* m_free = nullptr;
    std::vector<std::unique_ptr<QrTextureRecord[]>> m_blocks;
    uint32_t m_memoryKeys[2] = {0, 0};
};
