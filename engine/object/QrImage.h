#pragma once
// A texture source that the renderer turns into its own image: it names an image file or
// holds raw image data. Images are made only through the creation hook the renderer
// installs, and each is prepared for every renderer on the program-wide renderer list.
// Held by texture properties; scene files store it under the class name "QrImage". A scene
// file read while no hook is installed (or the hook makes nothing) gets stand-in images of
// class QrImage itself: they keep the record's source but have no surface.
//
// Main thread only: the hook, the serial counter, the renderer list and the error code are
// program-wide and unlocked. A loader thread decodes with QrImageReader::DecodeFile and
// leaves the image creation to the main thread.

#include "QrObject.h"
#include "QrRawImageData.h"

#include <cstdint>
#include <optional>
#include <string>

class QrRender;

class QrImage : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Makes the renderer's image, not yet holding a source. The kind is passed through: the
    // texture property and the scene-file loader pass 2, the framework 0.
    using CreateHook = QrImage* (*)(uint32_t kind);

    // The program-wide image error code; 8 and above are the renderer's.
    enum : uint32_t
    {
        kErrorNone = 0,
        kErrorHookMadeNothing = 4,
        kErrorNoFileName = 5,
        kErrorNoRawData = 6,
        kErrorReadFailed = 7,
    };
    // Set for images made with kind 1, and with kind 2 while the mipmap switch is on.
    static constexpr uint32_t kFlagMipmaps = 0x8;

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // Build the renderer's surface from the file name or the raw data.
    virtual bool LoadFromFile() = 0;
    virtual bool LoadFromRawData() = 0;
    // Called for each (renderer, id) of the renderer list when the image is made or linked.
    virtual bool PrepareForRenderer(QrRender* renderer, uint32_t id);

    // Null when unnamed.
    const char* GetFileName() const { return m_fileName ? m_fileName->c_str() : nullptr; }
    QrRawImageData* GetRawData() const { return m_rawData.Get(); }
    uint32_t GetSerial() const { return m_serial; }
    uint32_t GetFlags() const { return m_flags; }
    // Kept by the renderer's image.
    uint32_t GetWidth() const { return m_width; }
    uint32_t GetHeight() const { return m_height; }
    uint32_t GetLevelCount() const { return m_levelCount; }
    uint32_t GetPixelRevision() const { return m_pixelRevision; }
    // After writing the pixels: the renderer uploads them again.
    void RaisePixelRevision() { ++m_pixelRevision; }

    // --- creation (main thread)
    // Null with error 5 for a null name, with error 4 when the hook makes nothing, without a
    // code when no hook is installed, and when a renderer refuses the image.
    static QrPointer<QrImage> CreateFromFile(const char* fileName, uint32_t kind = 0);
    // Consumes the reference to the raw data. Null with error 6 for null data, otherwise as
    // CreateFromFile; without an image the raw data is released.
    static QrPointer<QrImage> CreateFromRawData(QrPointer<QrRawImageData> rawData, uint32_t kind);

    static void SetCreateHook(CreateHook hook);
    static CreateHook GetCreateHook();
    // The program-wide switch kind-2 images follow for mipmaps; off until set (the game
    // clears it before it makes its display and renderer).
    static void SetMipmapSwitch(bool on);
    static bool GetMipmapSwitch();

    static uint32_t GetErrorCode();
    static void SetErrorCode(uint32_t code);

    // The renderer list: (renderer, id) pairs in insertion order, not counted. A null
    // renderer is ignored; removal takes the first equal pair.
    static void AddRenderer(QrRender* renderer, uint32_t id);
    static void RemoveRenderer(QrRender* renderer, uint32_t id);
    static uint32_t GetRendererCount();

    // --- file information
    // Fills rawData from the named file, chosen by its extension (see QrImageReader).
    static bool OpenByName(const char* fileName, QrRawImageData& rawData);
    // Reads the file into the program-wide scratch image: the pixel and palette pointers
    // stay valid until the next call. 0, or 7 (also left as the error code) on failure.
    static uint32_t GetFileInfo(const char* fileName, uint32_t& width, uint32_t& height, uint32_t& levels,
                                uint32_t& bitsPerPixel, const uint8_t*& pixels, const uint8_t*& palette);
    // The same report for given raw data; 6 for null data.
    static uint32_t GetRawDataInfo(const QrRawImageData* rawData, uint32_t& width, uint32_t& height, uint32_t& levels,
                                   uint32_t& bitsPerPixel, const uint8_t*& pixels, const uint8_t*& palette);
    // The smaller base-2 exponent when both sides are non-zero powers of two, else 0.
    static uint32_t IsPowerOfTwoSize(uint32_t width, uint32_t height);
    // 8 -> 0, 24 -> 1, 32 -> 2, anything else 4.
    static uint32_t GetFormatFromDepth(uint32_t bits);

protected:
    // Takes the next serial number.
    QrImage();
    ~QrImage() override;

    // Renderer-private words.
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_levelCount = 0;
    // Writers of the pixels change it so that the renderer uploads them again.
    uint32_t m_pixelRevision = 0;
    uint32_t m_flags = 0;

private:
    bool PrepareForAllRenderers();
    static QrPointer<QrImage> Finish(QrPointer<QrImage> image, uint32_t kind);

    std::optional<std::string> m_fileName;
    QrPointer<QrRawImageData> m_rawData;
    uint32_t m_serial = 0;
};
