#pragma once
// The world a renderer image lives in, without a renderer: a display with a failure injector
// and call log, a stand-in renderer that answers the image formats of each kind, the image
// hook installed and the renderer entered in the engine's renderer list. Everything is put
// back on tear-down, before the engine fixture counts live objects.

#include "QrDDFormatSource.h"
#include "QrDDImage.h"
#include "QrPalette.h"
#include "QrPixelFormat.h"
#include "QrTestFixture.h"
#include "RecordingRender.h"

#include "CallLog.h"
#include "Display.h"
#include "FailureInjector.h"
#include "Surface.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A renderer that offers image formats per kind and says whether it can mipmap.
class ImageTestRender : public RecordingRender, public QrDDFormatSource
{
public:
    std::vector<QrPixelFormat> m_textureFormats;
    std::vector<QrPixelFormat> m_displayFormats;
    uint32_t m_deviceFlags = 0;
    uint32_t m_displayCaps = 0;

    const QrPixelFormat* GetImageFormats(uint32_t kind, uint32_t& count, uint32_t& caps) override
    {
        const std::vector<QrPixelFormat>& list = kind == 1 ? m_displayFormats : m_textureFormats;
        count = static_cast<uint32_t>(list.size());
        caps = kind == 1 ? m_displayCaps : 0;
        return list.empty() ? nullptr : list.data();
    }
    uint32_t GetDeviceFlags() override { return m_deviceFlags; }

protected:
    ~ImageTestRender() override = default;
};

inline QrPixelFormat FormatOf(plat::PixelFormat format)
{
    return QrPixelFormat(plat::DescribeFormat(format));
}

class ImageTest : public QrEngineTest
{
protected:
    plat::FailureInjector m_injector;
    plat::CallLog m_log;
    std::shared_ptr<plat::Display> m_display;
    QrPointer<ImageTestRender> m_render;

    void SetUp() override
    {
        QrEngineTest::SetUp();
        plat::DisplayConfig config;
        config.injector = &m_injector;
        config.callLog = &m_log;
        ASSERT_EQ(plat::Display::Create(config, m_display), plat::Result::Ok);
        m_render = new ImageTestRender;
        m_render->SetLogQueries(false);
        // A 16-bit display; textures in 565, 4444 and 8888.
        m_render->m_displayFormats = {FormatOf(plat::PixelFormat::Rgb565)};
        m_render->m_textureFormats = {FormatOf(plat::PixelFormat::Rgb565), FormatOf(plat::PixelFormat::Argb4444),
                                      FormatOf(plat::PixelFormat::Argb8888)};
        QrDDImage::SetDirectDraw(m_display);
        QrDDImage::SetCurrentRenderer(m_render.Get());
        QrImage::SetCreateHook(&QrDDImage::Create);
        QrImage::SetErrorCode(0);
    }

    void TearDown() override
    {
        QrImage::RemoveRenderer(m_render.Get(), 0);
        QrImage::RemoveRenderer(m_render.Get(), 1);
        QrImage::SetCreateHook(nullptr);
        QrDDImage::ReleaseAllSurfaces();
        QrDDImage::SetGlobalObject(nullptr);
        QrDDImage::SetDirectDraw(nullptr);
        QrDDImage::SetCurrentRenderer(nullptr);
        QrDDImage::SetReleaseTexturesHook(nullptr);
        m_render = nullptr;
        QrEngineTest::TearDown();
    }

    // A display palette made of the entries (and the default ramp when none are given).
    QrPalette* InstallDisplayPalette(const plat::PaletteEntry* entries)
    {
        QrPointer<QrPalette> palette = new QrPalette(entries);
        QrDDImage::SetGlobalObject(palette.Get());
        return palette.Get();
    }

    std::shared_ptr<plat::Surface> MakeSurface(uint32_t width, uint32_t height, plat::PixelFormat format)
    {
        plat::SurfaceDesc desc;
        desc.width = width;
        desc.height = height;
        desc.format = format;
        desc.caps = plat::kCapsOffscreenPlain | plat::kCapsSystemMemory | plat::kCaps3DDevice;
        std::shared_ptr<plat::Surface> surface;
        EXPECT_EQ(m_display->CreateSurface(desc, surface), plat::Result::Ok);
        return surface;
    }
};

// Pixel (x, y) of a surface, read without a lock.
inline uint32_t PixelAt(const plat::Surface& surface, uint32_t x, uint32_t y)
{
    const plat::PixelView v = surface.View();
    const uint32_t bpp = plat::BytesPerPixel(v.format);
    return plat::ReadPixel(v.Row(y) + x * bpp, bpp);
}

inline void SetPixelAt(plat::Surface& surface, uint32_t x, uint32_t y, uint32_t value)
{
    const plat::PixelView v = surface.View();
    const uint32_t bpp = plat::BytesPerPixel(v.format);
    plat::WritePixel(v.Row(y) + x * bpp, bpp, value);
}
