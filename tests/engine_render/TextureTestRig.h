#pragma once
// A renderer made for texture tests, on a software device (textures in system memory) or on a
// hardware device whose video memory holds only a few textures, with small raw images to make
// textures of and the steps of a frame.

#include "RenderTestFixture.h"

#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrDDImage.h"
#include "QrImage.h"
#include "QrRawImageData.h"
#include "QrTextureManager.h"
#include "QrTextureRecord.h"

#include "CapsProfile.h"
#include "Device3D.h"
#include "PixelFormat.h"
#include "Surface.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QrTextureTest : public QrRenderTest
{
protected:
    // Bytes of one 32 x 32 texture of 16 bits.
    static constexpr uint32_t kSmallTexture = 2048;

    plat::DeviceProfile& Hardware() { return m_config.profile.Device(plat::DeviceKind::Hardware); }
    plat::DeviceProfile& Software() { return m_config.profile.Device(plat::DeviceKind::Rgb); }

    // The default profile opens the software device: textures in system memory, never evicted.
    void Open(uint32_t flags = 9)
    {
        m_renderer = Create(Windowed(flags));
        ASSERT_TRUE(m_renderer) << QrD3DRender::GetLastErrorText();
        Manager().SetRenderer(m_renderer.Get());
    }
    // A hardware device whose video memory holds this many bytes of textures; Open(11) uses it.
    void HardwareProfile(uint32_t textureBytes)
    {
        m_config.profile = plat::CapsProfile::WithHardware();
        m_config.profile.textureMemoryBytes = textureBytes;
    }
    void OpenHardware(uint32_t textureBytes)
    {
        HardwareProfile(textureBytes);
        Open(11);
        if (!m_renderer)
            return;
        ASSERT_TRUE(m_renderer->GetDeviceFlags() & QrD3DDevice::kCapHardware);
    }
    void TearDown() override
    {
        m_renderer = nullptr;
        QrRenderTest::TearDown();
    }

    QrTextureManager& Manager() { return *Device(*m_renderer).GetTextureManager(); }

    // The next frame: the manager's frame number advances and its counters restart.
    void NextFrame()
    {
        if (Device(*m_renderer).GetDevice3D()->InScene())
        {
            ASSERT_EQ(m_renderer->EndFrame(), 0u);
        }
        ASSERT_EQ(m_renderer->BeginFrame(), 0u);
    }

    // Binds the image's texture for a draw, as a stage does.
    bool Use(QrImage* image, int32_t memory = 0)
    {
        QrPointer<QrImage> last;
        std::shared_ptr<plat::Surface> texture;
        bool changed = false, mipmapped = false, alpha = false;
        return Manager().GetTexture(memory, image, last, texture, changed, mipmapped, alpha) && texture;
    }

    // The texture the image owns in a memory, or null.
    const QrTextureRecord* Record(QrImage* image, uint32_t memory = 0)
    {
        const QrTextureRecord* record = Manager().GetRecord(image, memory);
        if (!record || record == Manager().GetSentinel() || record->m_owner != image ||
            record->m_ownerSerial != image->GetSerial())
            return nullptr;
        return record;
    }
    plat::Surface* TextureOf(QrImage* image, uint32_t memory = 0)
    {
        const QrTextureRecord* record = Record(image, memory);
        return record ? record->m_texture.get() : nullptr;
    }
    uint32_t FreeVideoMemory()
    {
        uint32_t total = 0, free = 0;
        EXPECT_TRUE(m_renderer->GetTextureMemory(&total, &free));
        return free;
    }

public:
    // Raw pictures, rows from the top.
    static QrPointer<QrDDImage> MakeImage(QrPointer<QrRawImageData> raw, uint32_t kind = 0)
    {
        QrPointer<QrImage> image = QrImage::CreateFromRawData(std::move(raw), kind);
        return QrDynamicCast<QrDDImage>(image.Get());
    }
    // 0x00RRGGBB per pixel.
    static QrPointer<QrDDImage> RgbImage(uint32_t width, uint32_t height,
                                         const std::function<uint32_t(uint32_t, uint32_t)>& rgb, uint32_t kind = 0)
    {
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        raw->AllocatePixels(QrImagePixels::kFormatRGB, width, height);
        for (uint32_t y = 0; y < height; ++y)
        {
            for (uint32_t x = 0; x < width; ++x)
            {
                const uint32_t c = rgb(x, y);
                uint8_t* p = raw->GetBuffer().GetRow(y) + 3 * x;
                p[0] = static_cast<uint8_t>(c >> 16);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c);
            }
        }
        return MakeImage(raw, kind);
    }
    // 0xAARRGGBB per pixel.
    static QrPointer<QrDDImage> RgbaImage(uint32_t width, uint32_t height,
                                          const std::function<uint32_t(uint32_t, uint32_t)>& argb, uint32_t kind = 0)
    {
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        raw->AllocatePixels(QrImagePixels::kFormatRGBA, width, height);
        for (uint32_t y = 0; y < height; ++y)
        {
            for (uint32_t x = 0; x < width; ++x)
            {
                const uint32_t c = argb(x, y);
                uint8_t* p = raw->GetBuffer().GetRow(y) + 4 * x;
                p[0] = static_cast<uint8_t>(c >> 16);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c);
                p[3] = static_cast<uint8_t>(c >> 24);
            }
        }
        return MakeImage(raw, kind);
    }
    // Indices into a palette whose entry i is paletteRgb(i), 0x00RRGGBB.
    static QrPointer<QrDDImage> IndexedImage(uint32_t width, uint32_t height,
                                             const std::function<uint8_t(uint32_t, uint32_t)>& index,
                                             const std::function<uint32_t(uint32_t)>& paletteRgb)
    {
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        raw->AllocatePixels(QrImagePixels::kFormatPalettized, width, height);
        for (uint32_t i = 0; i < 256; ++i)
        {
            const uint32_t c = paletteRgb(i);
            uint8_t* e = raw->GetPalette() + 4 * i;
            e[0] = static_cast<uint8_t>(c >> 16);
            e[1] = static_cast<uint8_t>(c >> 8);
            e[2] = static_cast<uint8_t>(c);
        }
        for (uint32_t y = 0; y < height; ++y)
        {
            for (uint32_t x = 0; x < width; ++x)
                raw->GetBuffer().GetRow(y)[x] = index(x, y);
        }
        return MakeImage(raw);
    }
    // A flat picture of one colour.
    static QrPointer<QrDDImage> FlatImage(uint32_t width, uint32_t height, uint32_t rgb = 0x406080)
    {
        return RgbImage(width, height, [rgb](uint32_t, uint32_t) { return rgb; });
    }

protected:
    QrPointer<QrD3DRender> m_renderer;
};

// Pixel (x, y) of a surface, read without a lock.
inline uint32_t TexelAt(const plat::Surface& surface, uint32_t x, uint32_t y)
{
    const plat::PixelView v = surface.View();
    const uint32_t bpp = plat::BytesPerPixel(v.format);
    return plat::ReadPixel(v.Row(y) + x * bpp, bpp);
}
