#pragma once
// The renderer's engine image: its pixels live in system-memory surfaces. An image keeps one
// base surface in a format chosen from its own depth and makes further surfaces in other
// formats on demand, one per format: texture sources for the texture manager (kind 0) and
// display-format copies for blits (kind 1). The renderer installs Create as the engine's image
// hook, so every engine image is one of these.
//
// Program-wide and main-thread only: the list of live images, the shared display, the display
// palette of palettised modes and the current renderer are unlocked statics.
//
// Failures leave one of the image error codes below in QrImage's error code.

#include "QrDDSurfaceRecord.h"
#include "QrImage.h"
#include "QrPointer.h"

#include "Result.h"

#include <cstdint>
#include <forward_list>
#include <memory>
#include <vector>

namespace plat
{
class Display;
class Surface;
struct PixelView;
} // namespace plat
class QrPalette;
class QrRender;
class QrTextureRecord;
struct QrRect;

class QrDDImage : public QrImage
{
    QR_DECLARE_RTTI

public:
    // Bits of the flags word (kFlagMipmaps, 0x8, is QrImage's).
    static constexpr uint32_t kFlagDisplayPalette = 0x2; // the palettised base uses the display palette
    static constexpr uint32_t kFlagHasSurfaces = 0x4;
    static constexpr uint32_t kFlagPalettePending = 0x40; // palettised buffer made before a display palette

    // Image kinds: the id a renderer is registered under in the engine's renderer list.
    static constexpr uint32_t kKindTextureSource = 0;
    static constexpr uint32_t kKindDisplay = 1;

    enum : uint32_t
    {
        kErrorNoSource = 8,          // reload without a file name or raw data
        kErrorMipmapPalettised = 9,  // mipmaps asked of a palettised format
        kErrorDepth = 10,            // unsupported depth, or a palette on a surface that is not 8-bit
        kErrorDisplayCall = 11,      // a display or surface call failed
        kErrorNoDisplay = 12,        // no shared display
        kErrorNoDisplayPalette = 13, // no display palette where one is needed
        kErrorNoRenderer = 14,       // no renderer, or no base surface to reload
        kErrorSize = 15,             // pixels of another size than the image
        kErrorKind = 16,             // image kind other than 0 and 1
        kErrorNothingToConvert = 17, // no surface, no format list or no pixel source
    };

    // --- program-wide
    // The engine's image hook: a new image without a source (null without memory).
    static QrImage* Create(uint32_t kind);
    // Every live image's surfaces; true.
    static bool ReleaseAllSurfaces();
    // RestoreSurfaces of every live image in creation order; false at the first failure.
    static bool RestoreAllSurfaces();
    // The shared display (null allowed); images make their surfaces and palettes through it.
    static void SetDirectDraw(std::shared_ptr<plat::Display> display);
    // Borrowed; false when none is set.
    static bool GetDirectDraw(plat::Display*& out);
    // The display palette of palettised modes (counted; null clears it).
    static void SetGlobalObject(QrPalette* palette);
    static QrPalette* GetGlobalObject();
    // The renderer used when an operation is given none. Borrowed: whoever sets it clears it
    // before the renderer goes.
    static void SetCurrentRenderer(QrRender* renderer);
    static QrRender* GetCurrentRenderer();
    // Removes a texture manager's key from every live image's texture map (the records
    // themselves are not touched).
    static void ForgetTextureKey(uint32_t key);
    // Called by every image's destructor so that the texture managers drop its textures.
    using ReleaseTexturesHook = void (*)(QrDDImage* image);
    static void SetReleaseTexturesHook(ReleaseTexturesHook hook);
    static uint32_t GetLiveImageCount();

    // --- format choice
    // First preferred format of the list for a source depth, else the fallback: the first
    // format, replaced by each later one that qualifies. Null for an empty list or a depth
    // other than 8, 24 and 32.
    static const QrPixelFormat* ChooseTextureFormat(uint32_t depth, bool needsMipmaps, const QrPixelFormat* list,
                                                    uint32_t count);
    // The same keyed by a source format: palettised without mipmaps, with alpha, or other.
    static const QrPixelFormat* ChooseMatchingFormat(const QrPixelFormat& source, bool needsMipmaps,
                                                     const QrPixelFormat* list, uint32_t count);

    // --- surfaces
    // The base surface, borrowed (null when there is none); always true.
    bool GetSurface(plat::Surface*& out) const;
    // The surface for a renderer (null: the current one) and image kind, made on demand.
    // Borrowed; false with the error code on failure.
    bool GetSurfaceFor(QrRender* renderer, uint32_t kind, plat::Surface*& out);
    bool PrepareForRenderer(QrRender* renderer, uint32_t kind) override;
    // Refill the base surface from the file or the raw data (same size); converted copies
    // are refreshed when next handed out.
    bool LoadFromFile() override;
    bool LoadFromRawData() override;
    bool ReleaseSurfaces();
    // Restores every lost surface; a restored base is filled again from its source.
    bool RestoreSurfaces();

    const QrDDSurfaceRecord* GetBaseRecord() const { return m_base; }
    const QrDDSurfaceRecord* GetOwnPaletteRecord() const { return m_ownPalette; }
    const QrDDSurfaceRecord* GetDisplayPaletteRecord() const { return m_displayPalette; }
    // Non-palettised records in list order (the base first when it is one of them).
    const std::vector<QrDDSurfaceRecord*>& GetConvertedRecords() const { return m_converted; }

    // --- texture map: one texture record per texture-manager memory key
    QrTextureRecord* GetTextureRecord(uint32_t key) const;
    void SetTextureRecord(uint32_t key, QrTextureRecord* record);

    // --- blits onto a renderer's back-buffer image
    // Copies sourceRect of the image (null: all of it; rows from the top) with its top-left
    // corner at (x, y) of the target, clipped at every edge of both pictures; keyed skips
    // source pixels of value 0. Ok when nothing is left to copy.
    static plat::Result BlitImage(QrRender* renderer, QrDDImage* target, QrImage* source, const QrRect* sourceRect,
                                  int32_t x, int32_t y, bool keyed);
    // Copies (stretching) a rectangle into a rectangle; null rectangles are the whole pictures.
    static plat::Result BlitImageRect(QrRender* renderer, QrDDImage* target, QrImage* source, const QrRect* sourceRect,
                                      const QrRect* destRect, bool keyed);

    // --- surface chains
    // Fills every lower level of a mip chain from the level above.
    static bool BuildMipmaps(plat::Surface* surface, const QrPixelFormat& format);
    // Locks both chains and converts level by level (building the target's lower levels when
    // the source has none).
    static bool ConvertSurface(const QrPixelFormat& sourceFormat, const QrPixelFormat& targetFormat,
                               const uint8_t* sourcePalette, const QrPalette* targetPalette, plat::Surface* source,
                               plat::Surface* target);
    // Lock with lost surfaces restored first and busy answers retried; unlock accepting a
    // surface that is not locked.
    static plat::Result LockSurface(plat::Surface* surface, plat::PixelView& out);
    static plat::Result UnlockSurface(plat::Surface* surface);

protected:
    QrDDImage();
    ~QrDDImage() override;

    // Takes ownership of a record.
    QrDDSurfaceRecord* AdoptRecord(std::unique_ptr<QrDDSurfaceRecord> record);
    bool AttachDisplayPalette();

    QrDDSurfaceRecord* m_base = nullptr;
    QrDDSurfaceRecord* m_ownPalette = nullptr;
    QrDDSurfaceRecord* m_displayPalette = nullptr;
    std::vector<QrDDSurfaceRecord*> m_converted;

private:
    struct TextureLink
    {
        QrTextureRecord* record;
        uint32_t key;
    };

    bool NeedsMipmaps(QrRender* renderer) const;
    bool CreateSurface(QrRender* renderer, const QrPixelFormat& format, uint32_t caps,
                       std::shared_ptr<plat::Surface>& out);
    bool CreateBaseSurface(QrRender* renderer, uint32_t kind, QrDDSurfaceRecord*& out);
    bool FillSurface(uint32_t width, uint32_t height, const uint8_t* const* levels, uint32_t levelCount,
                     const uint8_t* sourcePalette, const QrPalette* targetPalette, uint32_t sourceCode,
                     const QrPixelFormat& targetFormat, plat::Surface* surface);
    bool MakeConvertedSurface(QrRender* renderer, const QrPixelFormat& format, uint32_t caps, QrDDSurfaceRecord*& inOut,
                              bool ownPalette);
    bool GetTextureSourceSurface(QrRender* renderer, QrDDSurfaceRecord*& out);
    bool GetDisplaySurface(QrRender* renderer, QrDDSurfaceRecord*& out);
    // Converts a stale or outdated copy again from the base.
    bool Refresh(QrRender* renderer, QrDDSurfaceRecord* record);
    QrDDSurfaceRecord* FindConverted(const QrPixelFormat& format) const;
    // Writes new pixels of the image's size into the base surface by the base's rules.
    bool WriteBase(uint32_t width, uint32_t height, uint32_t bitsPerPixel, const uint8_t* pixels,
                   const uint8_t* palette);
    bool RefillBaseFromSource();
    // Both reloads: the same steps, reading the picture from the file or from the raw data.
    enum class Source
    {
        kFile,
        kRawData,
    };
    bool LoadBase(Source source);
    void MarkCopiesStale();

    std::vector<std::unique_ptr<QrDDSurfaceRecord>> m_records; // owns every record above
    uint32_t m_textureKey = 0;
    QrTextureRecord* m_textureRecord = nullptr;
    std::forward_list<TextureLink> m_textureChain;
    void* m_liveNode = nullptr; // this image's node in the live-image list
};
