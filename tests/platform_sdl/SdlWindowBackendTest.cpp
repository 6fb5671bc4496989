#include "SdlWindowBackend.h"

#include "SdlInputBackend.h"

#include "DrainMessages.h"

#include "Display.h"
#include "KeyNumbers.h"
#include "Surface.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
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

// The window's surface is SDL's plain one, unless the environment asks for SDL's texture path.
TEST_F(SdlWindowBackendTest, TheEnvironmentChoosesTheWindowSurfacesPath)
{
    for (const char* environment : {static_cast<const char*>(nullptr), "1", "0"})
    {
        SCOPED_TRACE(environment ? environment : "unset");
        if (environment)
            setenv("SDL_FRAMEBUFFER_ACCELERATION", environment, 1);
        else
            unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
        SdlWindowBackend window;
        ASSERT_TRUE(window.Open({"Surface path", 640, 480})) << window.LastError();
        EXPECT_STREQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), environment ? environment : "0");
    }
    unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
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

// SDL falls back to a driver that shows nothing when it finds no display, and a program may
// name one through SDL's hint rather than the environment: neither is a window. Only a driver
// the environment names (as these tests do) opens one.
TEST_F(SdlWindowBackendTest, ADriverThatShowsNothingIsNoWindowUnlessTheEnvironmentNamesIt)
{
    unsetenv("SDL_VIDEODRIVER");
    for (const char* driver : {"dummy", "offscreen"})
    {
        SCOPED_TRACE(driver);
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        SdlWindowBackend window;
        EXPECT_FALSE(window.Open({"Hidden", 640, 480}));
        EXPECT_FALSE(window.IsOpen());
        EXPECT_EQ(window.LastError(), "no display");
    }
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlWindowBackend window;
    EXPECT_TRUE(window.Open({"Named", 640, 480})) << window.LastError();
}

namespace
{

void Push(const SDL_Event& event)
{
    SDL_Event copy = event;
    ASSERT_EQ(SDL_PushEvent(&copy), 1) << SDL_GetError();
}

} // namespace

// A few frames of the real loop on the dummy driver: events become the window's messages in
// order, closing twice destroys once, and input follows the focus.
TEST_F(SdlWindowBackendTest, PumpsFramesIntoMessages)
{
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Pump", 640, 480})) << window.LastError();
    SdlInputBackend input(window);
    std::vector<uint16_t> pixels(640 * 480, 0x07E0);
    const PixelView frame{reinterpret_cast<uint8_t*>(pixels.data()), 640 * 2, 640, 480, PixelFormat::Rgb565};
    for (int i = 0; i < 3; ++i)
    {
        testwindow::DrainMessages(window);
        EXPECT_TRUE(window.Present(frame)) << window.LastError();
    }

    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Push(e);
    e = {};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = SDL_SCANCODE_KP_4;
    e.key.keysym.sym = SDLK_KP_4;
    e.key.repeat = 1;
    Push(e);
    e = {};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "a\xC3\xA9z");
    Push(e);
    e = {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = 2;
    Push(e);
    e = {};
    e.type = SDL_QUIT;
    Push(e);
    Push(e);

    std::vector<WindowMessage> got = testwindow::DrainMessages(window);
    std::vector<uint32_t> ids;
    for (const WindowMessage& m : got)
        if (m.message != kMsgPaint) // exposure comes whenever the driver likes
            ids.push_back(m.message);
    const bool gained = !ids.empty() && ids.front() == kMsgActivateApp;
    const std::vector<uint32_t> rest(ids.begin() + (gained ? 1 : 0), ids.end());
    EXPECT_EQ(rest, (std::vector<uint32_t>{kMsgKeyDown, kMsgChar, kMsgChar, kMsgDestroy}));
    for (const WindowMessage& m : got)
        if (m.message == kMsgKeyDown)
        {
            EXPECT_EQ(m.wParam, kVkNumpad0 + 4);
            EXPECT_EQ(m.lParam, 1 | (75 << 16) | kKeyDownRepeatBit);
        }
    EXPECT_TRUE(window.HasFocus());

    ASSERT_TRUE(input.Acquire(InputDevice::Mouse));
    ASSERT_TRUE(input.Acquire(InputDevice::Keyboard));
    MouseState mouse;
    KeyboardState keys{};
    EXPECT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    EXPECT_EQ(mouse.z, 0); // the wheel turned before the mouse was acquired
    EXPECT_EQ(input.ReadKeyboard(keys), InputResult::Ok);

    e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    Push(e);
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Push(e);
    got = testwindow::DrainMessages(window);
    // Lost and back between two reads: the devices were taken away all the same.
    EXPECT_EQ(input.ReadKeyboard(keys), InputResult::InputLost);
    EXPECT_EQ(input.ReadKeyboard(keys), InputResult::NotAcquired);
    EXPECT_TRUE(input.Acquire(InputDevice::Keyboard));
    EXPECT_EQ(input.ReadKeyboard(keys), InputResult::Ok);

    window.PostQuit(7);
    got = testwindow::DrainMessages(window);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back().message, kMsgQuit);
    EXPECT_EQ(got.back().wParam, 7u);
}

// A key pressed and let go between two reads (a tap quicker than a frame) reads as held once
// and then let go, as a click does; a repeat or a press from before the keyboard was acquired
// is no new press.
TEST_F(SdlWindowBackendTest, AQuickKeyTapReadsAsHeldOnce)
{
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Taps", 640, 480})) << window.LastError();
    SdlInputBackend input(window);
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Push(e);
    const auto key = [](uint32_t type, SDL_Scancode code, uint8_t repeat)
    {
        SDL_Event k{};
        k.type = type;
        k.key.keysym.scancode = code;
        k.key.keysym.sym = SDL_GetKeyFromScancode(code);
        k.key.repeat = repeat;
        Push(k);
    };
    key(SDL_KEYDOWN, SDL_SCANCODE_R, 0);
    key(SDL_KEYUP, SDL_SCANCODE_R, 0);
    testwindow::DrainMessages(window);
    ASSERT_TRUE(input.Acquire(InputDevice::Keyboard));

    KeyboardState keys{};
    const auto read = [&]
    {
        testwindow::DrainMessages(window);
        EXPECT_EQ(input.ReadKeyboard(keys), InputResult::Ok);
    };
    read();
    EXPECT_EQ(keys[kKeyR], 0) << "pressed before the keyboard was acquired";
    for (int tap = 0; tap < 2; ++tap) // taken afresh each time
    {
        key(SDL_KEYDOWN, SDL_SCANCODE_K, 0);
        key(SDL_KEYUP, SDL_SCANCODE_K, 0);
        key(SDL_KEYDOWN, SDL_SCANCODE_A, 1);
        read();
        EXPECT_EQ(keys[kKeyK], kInputHeld) << tap;
        EXPECT_EQ(keys[kKeyA], 0) << tap;
        read();
        EXPECT_EQ(keys[kKeyK], 0) << tap;
    }
}
