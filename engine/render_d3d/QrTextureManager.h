#pragma once
// Turns renderer images into device textures for one device (or, for hardware devices, one
// manager shared by all of them): it chooses the device's texture formats once, keeps the
// per-frame counters the renderer reports, and answers which format kind an image gets.
// Made by the device when it opens and owned through a use count; every manager is on a
// program-wide list so that a dying image can be purged from all of them.

#include "PixelFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrDDContext;
class QrImage;
class QrPixelFormat;
class QrRender;

namespace plat
{
class Device3D;
class Display;
struct DeviceCaps;
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

    // shared: the program-wide manager, built on first use. Raises the use count and empties
    // the manager; null when it cannot be built.
    static QrTextureManager* Create(uint32_t flags, QrDDContext* context, plat::Device3D* device,
                                    const plat::DeviceCaps& description, bool shared);
    // Lowers the use count: at zero the manager goes, otherwise it lets go of every texture
    // that belongs to no particular image.
    static void ReleaseUse(QrTextureManager* manager);
    static const std::vector<QrTextureManager*>& GetManagers();
    static QrTextureManager* GetShared();

    QrTextureManager(const QrTextureManager&) = delete;
    QrTextureManager& operator=(const QrTextureManager&) = delete;

    // Chooses the texture formats from what the device offers; 0 or the failing code.
    uint32_t Initialize(uint32_t flags, QrDDContext* context, plat::Device3D* device);

    // The kind of the format the image's texture source gets; kKindNone for a null image or
    // one that has no texture source.
    uint32_t GetFormatKind(QrImage* image);
    // image null: every texture (memory -1: of both memories); pinned ones only when asked.
    bool ReleaseTextures(QrImage* image, bool alsoPinned, int32_t memory);
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
    bool UsesScaledUpload() const { return m_scaledUpload; }
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

private:
    QrTextureManager();
    ~QrTextureManager();

    static QrTextureManager* Build(uint32_t flags, QrDDContext* context, plat::Device3D* device,
                                   const plat::DeviceCaps& description);
    void Choose(uint32_t kind, plat::PixelFormat format);

    // Caps given to the surfaces of texture sources: none.
    uint32_t m_sourceCaps = 0;
    std::vector<QrPixelFormat> m_formats;
    std::shared_ptr<plat::Display> m_display;
    plat::PixelFormat m_chosen[kKindCount] = {};
    uint32_t m_depthClass[kKindCount] = {};
    uint8_t m_found[kKindCount] = {};
    uint32_t m_maxWidth = kDefaultMaxTextureSize;
    uint32_t m_maxHeight = kDefaultMaxTextureSize;
    uint32_t m_resident = 0;
    uint32_t m_usedThisFrame = 0;
    uint32_t m_frameWord = 0;
    uint32_t m_createdThisFrame = 0;
    uint32_t m_releasedThisFrame = 0;
    uint32_t m_status = kStatusFrame;
    uint32_t m_frame = 0;
    QrRender* m_renderer = nullptr;
    uint32_t m_useCount = 0;
    bool m_scaledUpload = false;
    uint8_t m_separateMemories = 0;
    uint32_t m_memoryKeys[2] = {0, 0};
};
