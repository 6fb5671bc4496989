#pragma once
// A picture's pixel buffer and palette, without the engine object around it: what the image
// readers decode into. It touches no program-wide state, so a loader thread may decode into
// one and hand it to the main thread, which moves it into a QrRawImageData.
//
// Rows run from the top of the picture and are not padded; RGB bytes are red, green, blue
// (then alpha); palette entries are red, green, blue and a fourth byte.

#include <cstddef>
#include <cstdint>
#include <memory>

class QrImagePixels
{
public:
    enum : uint32_t
    {
        kFormatPalettized = 0, // 8-bit indices into a 256-entry palette
        kFormatRGB = 1,
        kFormatRGBA = 2,
    };
    static constexpr uint32_t kPaletteEntries = 256;
    static constexpr uint32_t kPaletteBytes = kPaletteEntries * 4;
    // Limits on what any file may ask for: a side, and the whole pixel block.
    static constexpr uint32_t kMaxSide = 16384;
    static constexpr uint64_t kMaxPixelBytes = 64ull << 20;

    QrImagePixels() = default;
    QrImagePixels(QrImagePixels&& other) noexcept;
    QrImagePixels& operator=(QrImagePixels&& other) noexcept;
    QrImagePixels(const QrImagePixels&) = delete;
    QrImagePixels& operator=(const QrImagePixels&) = delete;
    ~QrImagePixels() = default;

    // 1, 3 or 4; 0 for an unknown format.
    static uint32_t BytesPerPixelOf(uint32_t format);
    // True when a picture of that format and size is within the limits.
    static bool IsAllowed(uint32_t format, uint32_t width, uint32_t height);

    // Frees the old buffers, then makes zeroed pixels (and a zeroed palette for format 0).
    // False for an unknown format or a size beyond the limits; the buffer is then empty.
    bool Allocate(uint32_t format, uint32_t width, uint32_t height);
    // Back to the state of a new buffer: format 1, no pixels.
    void Clear();

    uint32_t GetFormat() const { return m_format; }
    uint32_t GetWidth() const { return m_width; }
    uint32_t GetHeight() const { return m_height; }
    uint32_t GetBytesPerPixel() const { return m_bytesPerPixel; }
    uint32_t GetRowBytes() const { return m_rowBytes; }
    size_t GetPixelBytes() const { return static_cast<size_t>(m_rowBytes) * m_height; }

    uint8_t* GetPixels() { return m_pixels.get(); }
    const uint8_t* GetPixels() const { return m_pixels.get(); }
    uint8_t* GetRow(uint32_t y) { return m_pixels.get() + static_cast<size_t>(y) * m_rowBytes; }
    const uint8_t* GetRow(uint32_t y) const { return m_pixels.get() + static_cast<size_t>(y) * m_rowBytes; }
    // Null unless the format is 0.
    uint8_t* GetPalette() { return m_palette.get(); }
    const uint8_t* GetPalette() const { return m_palette.get(); }

    // Same format, size, palette (format 0) and pixel bytes.
    bool IsEqual(const QrImagePixels& other) const;

private:
    uint32_t m_format = kFormatRGB;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_bytesPerPixel = 3;
    uint32_t m_rowBytes = 0;
    std::unique_ptr<uint8_t[]> m_palette;
    std::unique_ptr<uint8_t[]> m_pixels;
};
