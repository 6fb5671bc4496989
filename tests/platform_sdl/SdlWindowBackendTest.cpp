#include "SdlWindowBackend.h"

#include "Display.h"
#include "Surface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace plat;

namespace
{

// Runs without a screen: SDL's dummy video driver has windows and window surfaces but shows
// nothing.
class SdlWindowBackendTest : public testing::Test
{
protected:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
};

} // namespace

TEST_F(SdlWindowBackendTest, OpensAndPresentsFrames)
{
    SdlWindowBackend window;
    EXPECT_FALSE(window.IsOpen());
    ASSERT_TRUE(window.Open({"Smoke test", 640, 480})) << window.LastError();
    EXPECT_TRUE(window.IsOpen());
    EXPECT_EQ(window.ClientWidth(), 640u);
    EXPECT_EQ(window.ClientHeight(), 480u);

    std::vector<uint16_t> pixels(640 * 480, 0xF800);
    PixelView frame;
    frame.pixels = reinterpret_cast<uint8_t*>(pixels.data());
    frame.pitch = 640 * 2;
    frame.width = 640;
    frame.height = 480;
    frame.format = PixelFormat::Rgb565;
    EXPECT_TRUE(window.Present(frame)) << window.LastError();

    // A frame of another size is scaled to the window.
    frame.width = 320;
    frame.height = 240;
    EXPECT_TRUE(window.Present(frame)) << window.LastError();
    frame.format = PixelFormat::Argb4444;
    EXPECT_FALSE(window.Present(frame));

    window.Close();
    EXPECT_FALSE(window.IsOpen());
    frame.format = PixelFormat::Rgb565;
    EXPECT_FALSE(window.Present(frame));
}

TEST_F(SdlWindowBackendTest, DisplayPresentsItsPrimaryToTheWindow)
{
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Display", 640, 480})) << window.LastError();
    DisplayConfig config;
    config.window = &window;
    std::shared_ptr<Display> display;
    ASSERT_EQ(Display::Create(config, display), Result::Ok);
    SurfaceDesc d;
    d.caps = kCapsPrimary;
    std::shared_ptr<Surface> primary;
    ASSERT_EQ(display->CreateSurface(d, primary), Result::Ok);
    SurfaceDesc b;
    b.width = 640;
    b.height = 480;
    b.caps = kCapsOffscreenPlain | kCapsSystemMemory;
    std::shared_ptr<Surface> back;
    ASSERT_EQ(display->CreateSurface(b, back), Result::Ok);
    EXPECT_EQ(primary->Blt(nullptr, back.get(), nullptr, kBltWait, nullptr), Result::Ok);
    EXPECT_TRUE(window.LastError().empty()) << window.LastError();
}
