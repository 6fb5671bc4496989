#pragma once
// An in-memory picture: palettised 8-bit, RGB 24-bit or RGBA 32-bit, rows from the top and
// unpadded. Images made from raw data hold one; scene files store it as its own record.
// Main thread only, like every engine object; a loader thread decodes into QrImagePixels.

#include "QrImagePixels.h"
#include "QrObject.h"

class QrRawImageData : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrRawImageData() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // Frees the old buffers and makes zeroed ones for the format (0, 1 or 2) and size.
    bool AllocatePixels(uint32_t format, uint32_t width, uint32_t height)
    {
        return m_pixels.Allocate(format, width, height);
    }

    uint32_t GetFormat() const { return m_pixels.GetFormat(); }
    uint32_t GetWidth() const { return m_pixels.GetWidth(); }
    uint32_t GetHeight() const { return m_pixels.GetHeight(); }
    uint32_t GetBytesPerPixel() const { return m_pixels.GetBytesPerPixel(); }
    uint32_t GetRowBytes() const { return m_pixels.GetRowBytes(); }
    uint8_t* GetPixels() { return m_pixels.GetPixels(); }
    const uint8_t* GetPixels() const { return m_pixels.GetPixels(); }
    uint8_t* GetPalette() { return m_pixels.GetPalette(); }
    const uint8_t* GetPalette() const { return m_pixels.GetPalette(); }

    QrImagePixels& GetBuffer() { return m_pixels; }
    const QrImagePixels& GetBuffer() const { return m_pixels; }
    // Takes over a decoded buffer (the source is left empty).
    void SetBuffer(QrImagePixels&& pixels) { m_pixels = std::move(pixels); }
    // Hands the buffers out; this object is left as a new one.
    QrImagePixels TakeBuffer() { return std::move(m_pixels); }

protected:
    ~QrRawImageData() override = default;

private:
    QrImagePixels m_pixels;
};
