// The real backends on a real X server: Xvfb with SDL's x11 driver, input injected through
// the X test extension (xdotool), so keys and buttons travel the whole way from X keycodes
// through SDL to the program's key numbers, messages and snapshots. Skipped where Xvfb or
// xdotool is missing.

#include "KeyNumbers.h"
#include "SdlInputBackend.h"
#include "SdlWindowBackend.h"

#include "DrainMessages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace plat;

namespace
{

bool OnPath(const char* program)
{
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// An Xvfb of our own on the first free display, stopped when the test ends.
class XvfbServer
{
public:
    bool Start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        m_pid = fork();
        if (m_pid == 0)
        {
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its display number once it accepts clients.
        pollfd p{fds[0], POLLIN, 0};
        char buffer[16] = {};
        const bool ready = poll(&p, 1, 10000) == 1 && read(fds[0], buffer, sizeof buffer - 1) > 0;
        close(fds[0]);
        if (!ready || m_pid < 0)
            return false;
        m_display = ":" + std::to_string(std::atoi(buffer));
        return true;
    }
    ~XvfbServer()
    {
        if (m_pid > 0)
        {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

class SdlXvfbTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!OnPath("Xvfb") || !OnPath("xdotool"))
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        if (!m_server.Start())
            GTEST_SKIP() << "Xvfb did not start";
        setenv("DISPLAY", m_server.Display().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        // No desktop bus: the bus library keeps a read buffer it never frees.
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent", 1);
    }

    // Runs xdotool on our display, then gives the server a moment to deliver the events.
    void Xdo(const std::string& arguments)
    {
        ASSERT_EQ(std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()), 0) << arguments;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    XvfbServer m_server;
};

// xdotool presses Num Lock around keypad digits; those presses are left out.
std::vector<uintptr_t> Params(const std::vector<WindowMessage>& messages, uint32_t id)
{
    std::vector<uintptr_t> out;
    for (const WindowMessage& m : messages)
        if (m.message == id && !(id == kMsgKeyDown && m.wParam == kVkNumLock))
            out.push_back(m.wParam);
    return out;
}

} // namespace

TEST_F(SdlXvfbTest, RealKeysAndMouseReachMessagesAndSnapshots)
{
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Xvfb check", 640, 480})) << window.LastError();
    SdlInputBackend input(window);
    Xdo("search --name \"Xvfb check\" windowfocus --sync");
    Xdo("mousemove --window $(xdotool search --name \"Xvfb check\" | head -1) 100 100");
    std::vector<WindowMessage> got = testwindow::DrainMessages(window);
    ASSERT_TRUE(window.HasFocus());
    EXPECT_EQ(Params(got, kMsgActivateApp), (std::vector<uintptr_t>{1}));
    EXPECT_EQ(window.CursorPosition(), (Point{100, 100}));

    ASSERT_TRUE(input.Acquire(InputDevice::Keyboard));
    ASSERT_TRUE(input.Acquire(InputDevice::Mouse));
    Xdo("key Escape q KP_5 KP_Decimal Delete BackSpace");
    Xdo("type 'Hi 7'");
    got = testwindow::DrainMessages(window);
    EXPECT_EQ(Params(got, kMsgKeyDown), (std::vector<uintptr_t>{kVkEscape, 'Q', kVkNumpad0 + 5, kVkDecimal, kVkDelete,
                                                                kVkBack, kVkShift, 'H', 'I', kVkSpace, '7'}));
    EXPECT_EQ(Params(got, kMsgChar), (std::vector<uintptr_t>{'q', '5', '.', 'H', 'i', ' ', '7'}));

    // Held keys show in the snapshot under the numbers the game tests.
    const struct
    {
        const char* name;
        uint8_t key;
    } held[] = {{"Shift_L", kKeyLeftShift},
                {"Shift_R", kKeyRightShift},
                {"Control_L", kKeyLeftCtrl},
                {"Control_R", kKeyRightCtrl},
                {"Alt_L", kKeyLeftAlt},
                {"KP_8", kKeyKeypad8},
                {"KP_0", kKeyKeypad0},
                {"space", kKeySpace},
                {"Up", kKeyUp},
                {"a", kKeyA}};
    for (const auto& h : held)
    {
        Xdo(std::string("keydown ") + h.name);
        testwindow::DrainMessages(window);
        KeyboardState keys{};
        ASSERT_EQ(input.ReadKeyboard(keys), InputResult::Ok);
        EXPECT_EQ(keys[h.key], kInputHeld) << h.name;
        // xdotool holds the left modifier along with a right one; nothing else may show.
        const uint8_t companion = h.key == kKeyRightShift ? kKeyLeftShift : h.key == kKeyRightCtrl ? kKeyLeftCtrl : 0;
        std::string down;
        for (int k = 0; k < 256; ++k)
            if (keys[k] && k != kKeyNumLock && k != companion)
                down += std::string(KeyName(static_cast<uint8_t>(k))) + " ";
        EXPECT_EQ(down, std::string(KeyName(h.key)) + " ") << h.name;
        Xdo(std::string("keyup ") + h.name);
    }

    MouseState mouse;
    testwindow::DrainMessages(window);
    ASSERT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    Xdo("mousemove_relative -- 30 -20");
    Xdo("mousedown 1");
    Xdo("mousedown 3");
    Xdo("click 4");
    got = testwindow::DrainMessages(window);
    EXPECT_FALSE(Params(got, kMsgSetCursor).empty());
    ASSERT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    EXPECT_EQ(mouse.x, 30);
    EXPECT_EQ(mouse.y, -20);
    EXPECT_EQ(mouse.z, 120);
    EXPECT_EQ(mouse.buttons[0], kInputHeld);
    EXPECT_EQ(mouse.buttons[1], kInputHeld);
    EXPECT_EQ(mouse.buttons[2], 0);
    EXPECT_EQ(window.CursorPosition(), (Point{130, 80}));
    Xdo("mouseup 1");
    Xdo("mouseup 3");
    testwindow::DrainMessages(window);
    ASSERT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    EXPECT_EQ(mouse.buttons[0], 0);
    EXPECT_EQ(mouse.x, 0);
}

// What window centring reads and moves: the desktop, the frame, and the frame's new place.
TEST_F(SdlXvfbTest, PlacesTheWindowOnTheDesktop)
{
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Placement", 640, 480})) << window.LastError();
    EXPECT_EQ(window.DesktopSize(), (Size{1024, 768}));
    ASSERT_TRUE(window.MoveFrameTo({192, 96}));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    testwindow::DrainMessages(window);
    const Rect frame = window.FrameRect();
    EXPECT_EQ(frame.left, 192);
    EXPECT_EQ(frame.top, 96);
    EXPECT_GE(frame.Width(), 640);
    EXPECT_GE(frame.Height(), 480);

    std::vector<uint8_t> icon(32 * 32 * 2, 0xF8);
    EXPECT_TRUE(window.SetIcon({icon.data(), 64, 32, 32, PixelFormat::Rgb565}));
    EXPECT_FALSE(window.SetIcon({icon.data(), 32, 32, 32, PixelFormat::Pal8}));
    window.SetTitle("Renamed");
    Xdo("search --name Renamed");
}
