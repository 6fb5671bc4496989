#pragma once
// A display with a call log, a failure injector and a headless window, and small helpers to
// make and fill surfaces, shared by the display, surface, blit and device tests.

#include "CallLog.h"
#include "Display.h"
#include "DisplayConfig.h"
#include "FailureInjector.h"
#include "HeadlessWindowBackend.h"
#include "Surface.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace displaytest
{

struct Rig
{
    plat::CallLog log;
    plat::FailureInjector injector;
    plat::HeadlessWindowBackend window;
    std::shared_ptr<plat::Display> display;

    // An empty rasterizer factory gives 3D devices the software rasterizer.
    explicit Rig(const plat::CapsProfile& profile = plat::CapsProfile::Default(),
                 plat::RasterizerFactory rasterizer = {})
    {
        plat::DisplayConfig config;
        config.profile = profile;
        config.rasterizer = std::move(rasterizer);
        config.injector = &injector;
        config.callLog = &log;
        config.window = &window;
        window.Open({"test", profile.desktop.width, profile.desktop.height});
        EXPECT_EQ(plat::Display::Create(config, display), plat::Result::Ok);
    }

    std::shared_ptr<plat::Surface> Make(uint32_t width, uint32_t height, plat::PixelFormat format,
                                        uint32_t caps = plat::kCapsOffscreenPlain | plat::kCapsSystemMemory)
    {
        plat::SurfaceDesc desc;
        desc.width = width;
        desc.height = height;
        desc.format = format;
        desc.caps = caps;
        std::shared_ptr<plat::Surface> s;
        EXPECT_EQ(display->CreateSurface(desc, s), plat::Result::Ok);
        return s;
    }
};

// Pixel (x, y) of a surface, read without a lock.
inline uint32_t Pixel(const plat::Surface& s, uint32_t x, uint32_t y)
{
    const plat::PixelView v = s.View();
    const uint32_t bpp = plat::BytesPerPixel(v.format);
    return plat::ReadPixel(v.Row(y) + x * bpp, bpp);
}

inline void SetPixel(plat::Surface& s, uint32_t x, uint32_t y, uint32_t value)
{
    const plat::PixelView v = s.View();
    const uint32_t bpp = plat::BytesPerPixel(v.format);
    plat::WritePixel(v.Row(y) + x * bpp, bpp, value);
}

// Every pixel gets a value of its own: 1 + x + 16 y.
inline void FillPattern(plat::Surface& s)
{
    for (uint32_t y = 0; y < s.Height(); ++y)
        for (uint32_t x = 0; x < s.Width(); ++x)
            SetPixel(s, x, y, 1 + x + 16 * y);
}

} // namespace displaytest
