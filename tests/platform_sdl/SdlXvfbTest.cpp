// The real backends on a real X server: Xvfb with SDL's x11 driver, input injected through
// the X test extension (xdotool), so keys and buttons travel the whole way from X keycodes
// through SDL to the program's key numbers, messages and snapshots, and presented frames read
// back from the server (xwd). Skipped where Xvfb or xdotool (or, for the picture, xwd) is missing.

#include "GccWarnings.h"
#include "KeyNumbers.h"
#include "SdlInputBackend.h"
#include "SdlWindowBackend.h"

#include "DrainMessages.h"
#include "GoldenImage.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
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

// An Xvfb of our own on the first free display, stopped when the test ends. Its standard error
// is kept for the message of a server that did not start.
class XvfbServer
{
public:
    bool Start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return Failed("no pipe");
        const std::string log = m_logDir.File("xvfb.log");
        const std::string fd = std::to_string(fds[1]);
        m_pid = fork();
        if (m_pid == 0)
        {
            close(fds[0]);
            const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0)
                dup2(err, STDERR_FILENO);
            // No auto-repeat: a key held while xdotool is descheduled would repeat.
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   "-noreset", "-r", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        m_displayFd = fds[0];
        if (m_pid < 0)
            return Failed("no fork");
        // Xvfb writes its display number once it accepts clients, and the newline in a write of its
        // own: the pipe stays open until the server is stopped, since a write to a closed pipe
        // kills the server.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline)
        {
            pollfd p{m_displayFd, POLLIN, 0};
            char buffer[16];
            if (poll(&p, 1, 1000) != 1)
                continue;
            const ssize_t got = read(m_displayFd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return Failed("the server closed its display pipe");
            number.append(buffer, static_cast<size_t>(got));
        }
        if (number.find('\n') == std::string::npos)
            return Failed("no display number in 60 s");
        // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
        QR_GCC_STRING_BOUNDS_OFF
        m_display = ":" + std::to_string(std::atoi(number.c_str()));
        QR_GCC_STRING_BOUNDS_ON
        return true;
    }
    ~XvfbServer()
    {
        if (m_pid > 0)
        {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_displayFd >= 0)
            close(m_displayFd);
    }
    const std::string& Display() const { return m_display; }
    // Why the server did not start, or what it said on its standard error so far.
    std::string Report() const
    {
        const std::vector<uint8_t> said = testfiles::ReadBytes(m_logDir.File("xvfb.log"));
        return m_failure + "; its standard error:\n" + std::string(said.begin(), said.end());
    }

private:
    bool Failed(const std::string& why)
    {
        m_failure = why;
        int status = 0;
        if (m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == m_pid)
        {
            m_pid = -1;
            m_failure += WIFEXITED(status) ? ", exit " + std::to_string(WEXITSTATUS(status))
                                           : ", signal " + std::to_string(WTERMSIG(status));
        }
        return false;
    }

    testfiles::TempDir m_logDir;
    std::string m_failure;
    pid_t m_pid = -1;
    int m_displayFd = -1;
    std::string m_display;
};

class SdlXvfbTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!OnPath("Xvfb") || !OnPath("xdotool"))
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        // With both installed, a server that cannot start is a fault of the run, not a reason to
        // pass over the case.
        ASSERT_TRUE(m_server.Start()) << "Xvfb did not start: " << m_server.Report();
        setenv("DISPLAY", m_server.Display().c_str(), 1);
        // Under load the server may name its display before a client gets through.
        ASSERT_TRUE(Until([] { return std::system("timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1") == 0; }))
            << "Xvfb did not accept a client: " << m_server.Report();
        setenv("SDL_VIDEODRIVER", "x11", 1);
        // No desktop bus: the bus library keeps a read buffer it never frees.
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent", 1);
    }

    // Runs xdotool on our display; what it causes is awaited with Until, never a fixed delay.
    void Xdo(const std::string& arguments)
    {
        ASSERT_EQ(std::system(("timeout 20 xdotool " + arguments + " >/dev/null 2>&1").c_str()), 0) << arguments;
    }
    // Takes the window's messages into got until done() holds; false after a generous bound,
    // which only a stalled server reaches.
    template <class Done> bool Until(SdlWindowBackend& window, std::vector<WindowMessage>& got, Done done)
    {
        return Until(
            [&]
            {
                for (WindowMessage& m : testwindow::DrainMessages(window))
                    got.push_back(std::move(m));
                return done();
            });
    }
    template <class Done> static bool Until(Done done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
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

// Pixels with a channel more than one level off, all of them when the sizes differ.
size_t Differing(const golden::RgbImage& expected, const golden::RgbImage& shown)
{
    if (shown.width != expected.width || shown.height != expected.height || shown.rgb.size() != expected.rgb.size())
        return expected.rgb.size() / 3;
    size_t differing = 0;
    for (size_t i = 0; i < expected.rgb.size(); i += 3)
        for (size_t c = i; c < i + 3; ++c)
            if (std::abs(expected.rgb[c] - shown.rgb[c]) > 1)
            {
                ++differing;
                break;
            }
    return differing;
}

} // namespace

TEST_F(SdlXvfbTest, RealKeysAndMouseReachMessagesAndSnapshots)
{
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Xvfb check", 640, 480})) << window.LastError();
    SdlInputBackend input(window);
    Xdo("search --sync --name \"Xvfb check\" windowfocus --sync");
    // The id is searched anew on each try: under load a search has named a window the server no
    // longer knew (BadWindow), and only visible windows are ours to move over.
    ASSERT_TRUE(Until(
        []
        {
            return std::system("timeout 20 xdotool mousemove --window "
                               "$(xdotool search --onlyvisible --name \"Xvfb check\" | head -1) 100 100 "
                               ">/dev/null 2>&1") == 0;
        }));
    std::vector<WindowMessage> got;
    ASSERT_TRUE(Until(window, got,
                      [&] {
                          return window.HasFocus() && !Params(got, kMsgActivateApp).empty() &&
                                 window.CursorPosition() == Point{100, 100};
                      }));
    EXPECT_EQ(Params(got, kMsgActivateApp), (std::vector<uintptr_t>{1}));

    ASSERT_TRUE(input.Acquire(InputDevice::Keyboard));
    ASSERT_TRUE(input.Acquire(InputDevice::Mouse));
    Xdo("key Escape q KP_5 KP_Decimal Delete BackSpace Return KP_Enter");
    Xdo("type 'Hi 7'");
    got.clear();
    const std::vector<uintptr_t> keysDown = {kVkEscape, 'Q',       kVkNumpad0 + 5, kVkDecimal, kVkDelete, kVkBack,
                                             kVkReturn, kVkReturn, kVkShift,       'H',        'I',       kVkSpace,
                                             '7'};
    const std::vector<uintptr_t> chars = {'q', '5', '.', 13, 13, 'H', 'i', ' ', '7'};
    EXPECT_TRUE(Until(window, got,
                      [&] {
                          return Params(got, kMsgKeyDown).size() >= keysDown.size() &&
                                 Params(got, kMsgChar).size() >= chars.size();
                      }));
    EXPECT_EQ(Params(got, kMsgKeyDown), keysDown);
    EXPECT_EQ(Params(got, kMsgChar), chars);
    // Each Enter's character comes right after its key-down.
    int32_t enters = 0;
    for (size_t i = 0; i + 1 < got.size(); ++i)
        if (got[i].message == kMsgKeyDown && got[i].wParam == kVkReturn)
        {
            ++enters;
            EXPECT_EQ(got[i + 1].message, kMsgChar);
            EXPECT_EQ(got[i + 1].wParam, 13u);
        }
    EXPECT_EQ(enters, 2);

    // xdotool's taps are down and up again long before a frame's read, yet each reads as held
    // once (the Shift that typed the H too), and then as let go.
    KeyboardState keys{};
    const auto readKeys = [&] { return input.ReadKeyboard(keys) == InputResult::Ok; };
    const auto downKeys = [&](uint8_t except)
    {
        std::string down;
        for (int k = 0; k < 256; ++k)
            if (keys[k] && k != kKeyNumLock && k != except)
                down += std::string(KeyName(static_cast<uint8_t>(k))) + " ";
        return down;
    };
    ASSERT_TRUE(readKeys());
    EXPECT_EQ(downKeys(0), "Escape 7 Backspace Q I Return H LeftShift Space Keypad5 KeypadDecimal KeypadEnter Delete ");
    ASSERT_TRUE(Until(window, got, [&] { return readKeys() && downKeys(0).empty(); }));

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
        ASSERT_TRUE(Until(window, got, [&] { return readKeys() && keys[h.key] == kInputHeld; })) << h.name;
        // xdotool holds the left modifier along with a right one; nothing else may show.
        const uint8_t companion = h.key == kKeyRightShift ? kKeyLeftShift : h.key == kKeyRightCtrl ? kKeyLeftCtrl : 0;
        EXPECT_EQ(downKeys(companion), std::string(KeyName(h.key)) + " ") << h.name;
        Xdo(std::string("keyup ") + h.name);
        ASSERT_TRUE(Until(window, got,
                          [&] { return readKeys() && keys[h.key] == 0 && (companion == 0 || keys[companion] == 0); }))
            << h.name;
    }

    // The mouse reports movement since the last read: the reads while waiting are summed.
    MouseState mouse;
    MouseState sum;
    const auto readMouse = [&]
    {
        if (input.ReadMouse(mouse) != InputResult::Ok)
            return false;
        sum.x += mouse.x;
        sum.y += mouse.y;
        sum.z += mouse.z;
        return true;
    };
    got.clear();
    ASSERT_TRUE(readMouse());
    sum = {};
    Xdo("mousemove_relative -- 30 -20");
    Xdo("mousedown 1");
    Xdo("mousedown 3");
    Xdo("click 4");
    EXPECT_TRUE(Until(window, got,
                      [&]
                      {
                          return readMouse() && sum.x == 30 && sum.y == -20 && sum.z == 120 &&
                                 mouse.buttons[0] == kInputHeld && mouse.buttons[1] == kInputHeld &&
                                 window.CursorPosition() == Point{130, 80} && !Params(got, kMsgSetCursor).empty();
                      }));
    EXPECT_EQ(sum.x, 30);
    EXPECT_EQ(sum.y, -20);
    EXPECT_EQ(sum.z, 120);
    EXPECT_EQ(mouse.buttons[0], kInputHeld);
    EXPECT_EQ(mouse.buttons[1], kInputHeld);
    EXPECT_EQ(mouse.buttons[2], 0);
    EXPECT_EQ(window.CursorPosition(), (Point{130, 80}));
    Xdo("mouseup 1");
    Xdo("mouseup 3");
    sum = {};
    EXPECT_TRUE(Until(window, got, [&] { return readMouse() && mouse.buttons[0] == 0 && mouse.buttons[1] == 0; }));
    EXPECT_EQ(sum.x, 0);

    // A click whose press and release both come between two reads (a slow frame) still reads
    // as held once and then let go, and so does the key after it, whose message shows both
    // were pumped before the read.
    got.clear();
    Xdo("click 1 key b");
    ASSERT_TRUE(Until(window, got, [&] { return !Params(got, kMsgKeyDown).empty(); }));
    ASSERT_TRUE(readMouse());
    EXPECT_EQ(mouse.buttons[0], kInputHeld);
    ASSERT_TRUE(readMouse());
    EXPECT_EQ(mouse.buttons[0], 0);
    ASSERT_TRUE(readKeys());
    EXPECT_EQ(keys[kKeyB], kInputHeld);
    ASSERT_TRUE(Until(window, got, [&] { return readKeys() && keys[kKeyB] == 0; }));
}

// What window centring reads and moves: the desktop, the frame, and the frame's new place.
TEST_F(SdlXvfbTest, PlacesTheWindowOnTheDesktop)
{
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Placement", 640, 480})) << window.LastError();
    EXPECT_EQ(window.DesktopSize(), (Size{1024, 768}));
    ASSERT_TRUE(window.MoveFrameTo({192, 96}));
    std::vector<WindowMessage> got;
    Rect frame{};
    EXPECT_TRUE(Until(window, got,
                      [&]
                      {
                          frame = window.FrameRect();
                          return frame.left == 192 && frame.top == 96;
                      }));
    EXPECT_EQ(frame.left, 192);
    EXPECT_EQ(frame.top, 96);
    EXPECT_GE(frame.Width(), 640);
    EXPECT_GE(frame.Height(), 480);

    std::vector<uint8_t> icon(32 * 32 * 2, 0xF8);
    EXPECT_TRUE(window.SetIcon({icon.data(), 64, 32, 32, PixelFormat::Rgb565}));
    EXPECT_FALSE(window.SetIcon({icon.data(), 32, 32, 32, PixelFormat::Pal8}));
    window.SetTitle("Renamed");
    Xdo("search --sync --name Renamed");
}

// A presented frame shows on the server pixel for pixel: every RGB565 value appears in it, each
// channel within a level of its widening by repeated top bits (SDL's blitter rounds its own way).
TEST_F(SdlXvfbTest, APresentedFrameShowsPixelForPixel)
{
    if (!OnPath("xwd"))
        GTEST_SKIP() << "xwd is not installed";
    constexpr uint32_t kWidth = 640;
    constexpr uint32_t kHeight = 480;
    SdlWindowBackend window;
    ASSERT_TRUE(window.Open({"Picture check", kWidth, kHeight})) << window.LastError();
    std::vector<uint16_t> pixels(kWidth * kHeight);
    // An odd factor walks all 65,536 values in scrambled order.
    for (uint32_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint16_t>(i * 40503u);
    PixelView frame;
    frame.pixels = reinterpret_cast<uint8_t*>(pixels.data());
    frame.pitch = kWidth * 2;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.format = PixelFormat::Rgb565;
    const golden::RgbImage expected = golden::FromRgb565(pixels.data(), kWidth, kHeight);

    testfiles::TempDir dir;
    const std::string dump = dir.File("window.xwd");
    const std::string png = dir.File("window.png");
    const std::string read = "timeout 20 xwd -silent -id $(xdotool search --onlyvisible --name \"Picture check\" | "
                             "head -1) -out " +
                             dump + " && " XWDPNG_PATH " " + dump + " --out " + png + " >/dev/null 2>&1";
    golden::RgbImage shown;
    std::vector<WindowMessage> got;
    // The server maps the window some time after it opens: the frame goes again until it shows.
    EXPECT_TRUE(Until(window, got,
                      [&]
                      {
                          return window.Present(frame) && std::system(read.c_str()) == 0 &&
                                 golden::ReadPng(png, shown) && Differing(expected, shown) == 0;
                      }));
    EXPECT_EQ(Differing(expected, shown), 0u) << "pixels that differ of " << kWidth * kHeight;
}
