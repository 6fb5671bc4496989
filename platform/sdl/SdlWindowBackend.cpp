#include "SdlWindowBackend.h"

#include "DebugOutput.h"
#include "KeyNumbers.h"
#include "SdlKeyMap.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace plat
{

// SDL types stay in this file.
struct SdlWindowBackend::Window
{
    SDL_Window* window = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    bool fullScreen = false;
    bool focus = false;
    uint32_t focusLosses = 0;
    bool destroyPosted = false; // the window is destroyed once, however often it is closed
    int32_t wheel = 0;
    uint32_t pressedButtons = 0; // SDL button masks pressed since the input last took them
    KeyboardState pressedKeys{}; // and keys, by key number
};

namespace
{

constexpr int32_t kWheelNotch = 120;

WindowMessage Message(uint32_t id, uintptr_t wParam = 0, intptr_t lParam = 0)
{
    WindowMessage m;
    m.message = id;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

} // namespace

// Turns one SDL event into messages on the queue.
struct SdlWindowBackend::EventSink
{
    SdlWindowBackend& owner;
    Window& w;
    bool moved = false;

    void Destroy()
    {
        if (w.destroyPosted)
            return;
        w.destroyPosted = true;
        owner.PostMessage(Message(kMsgDestroy));
    }

    void Focus(bool focus)
    {
        if (focus == w.focus)
            return;
        w.focus = focus;
        if (!focus)
            ++w.focusLosses;
        owner.PostMessage(Message(kMsgActivateApp, focus ? 1 : 0));
    }

    void Key(const SDL_KeyboardEvent& key)
    {
        const uint32_t virtualKey = VirtualKeyOfSdlKey(key.keysym.scancode, key.keysym.sym);
        if (virtualKey == 0)
            return;
        const uint8_t number = KeyNumberOfScancode(key.keysym.scancode);
        owner.PostMessage(Message(kMsgKeyDown, virtualKey, KeyDownParam(number, key.repeat != 0)));
        // Enter types no text here, yet text fields take it as character 13.
        if (virtualKey == kVkReturn)
            owner.PostMessage(Message(kMsgChar, 13, 1));
    }

    void Text(const char* text)
    {
        // ASCII only: bytes of longer UTF-8 sequences are all 0x80 or above.
        for (const char* c = text; *c; ++c)
            if (*c >= 0x20 && *c <= 0x7E)
                owner.PostMessage(Message(kMsgChar, static_cast<uintptr_t>(*c), 1));
    }

    void Handle(const SDL_Event& e)
    {
        switch (e.type)
        {
        case SDL_QUIT:
            Destroy();
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE)
                Destroy();
            else if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
                owner.PostMessage(Message(kMsgPaint));
            else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                Focus(true);
            else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                Focus(false);
            break;
        case SDL_KEYDOWN:
            if (e.key.repeat == 0)
                if (const uint8_t number = KeyNumberOfScancode(e.key.keysym.scancode); number != 0)
                    w.pressedKeys[number] = kInputHeld;
            Key(e.key);
            break;
        case SDL_TEXTINPUT:
            Text(e.text.text);
            break;
        case SDL_MOUSEMOTION:
            moved = true;
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button >= 1 && e.button.button <= 32)
                w.pressedButtons |= SDL_BUTTON(e.button.button);
            break;
        case SDL_MOUSEWHEEL:
        {
            const int32_t steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            w.wheel = std::clamp(w.wheel + steps * kWheelNotch, -(1 << 24), 1 << 24);
            break;
        }
        default:
            break;
        }
    }
};

SdlWindowBackend::SdlWindowBackend() = default;

SdlWindowBackend::~SdlWindowBackend()
{
    Close();
}

bool SdlWindowBackend::Open(const WindowDesc& desc)
{
    Close();
    if (desc.width == 0 || desc.height == 0)
    {
        m_lastError = "window size is zero";
        return false;
    }
    // SDL's window surface would otherwise be a texture that a GL draws, with no GPU a second
    // renderer with threads of its own. At normal priority, so that the environment still chooses.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        m_lastError = SDL_GetError();
        return false;
    }
    // Without a display SDL falls back to drawing where nobody sees it; only a driver asked for
    // by name (tests) may do that.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!SDL_getenv("SDL_VIDEODRIVER") && driver &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
    {
        m_lastError = "no display";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    const Uint32 flags = desc.fullScreen ? SDL_WINDOW_FULLSCREEN : 0;
    SDL_Window* window = SDL_CreateWindow(desc.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          static_cast<int>(desc.width), static_cast<int>(desc.height), flags);
    if (!window)
    {
        m_lastError = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    m_window = std::make_unique<Window>();
    m_window->window = window;
    m_window->width = desc.width;
    m_window->height = desc.height;
    m_window->fullScreen = desc.fullScreen;
    m_window->focus = (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
    SDL_DisableScreenSaver();
    SDL_StartTextInput();
    m_queue.Clear();
    return true;
}

void SdlWindowBackend::Close()
{
    if (!m_window)
        return;
    SDL_StopTextInput();
    SDL_DestroyWindow(m_window->window);
    m_window.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // The last user of SDL shuts it down whole, which also closes its desktop-bus link.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
}

bool SdlWindowBackend::IsOpen() const
{
    return m_window != nullptr;
}

uint32_t SdlWindowBackend::ClientWidth() const
{
    return m_window ? m_window->width : 0;
}

uint32_t SdlWindowBackend::ClientHeight() const
{
    return m_window ? m_window->height : 0;
}

bool SdlWindowBackend::Present(const PixelView& frame)
{
    if (!m_window || frame.format != PixelFormat::Rgb565 || !frame.pixels || frame.width == 0 || frame.height == 0)
        return false;
    SDL_Surface* screen = SDL_GetWindowSurface(m_window->window);
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormatFrom(frame.pixels, static_cast<int>(frame.width), static_cast<int>(frame.height),
                                           16, frame.pitch, SDL_PIXELFORMAT_RGB565);
    if (!screen || !source)
    {
        m_lastError = SDL_GetError();
        SDL_FreeSurface(source);
        return false;
    }
    int rc;
    if (static_cast<int>(frame.width) == screen->w && static_cast<int>(frame.height) == screen->h)
        rc = SDL_BlitSurface(source, nullptr, screen, nullptr);
    else
        rc = SDL_BlitScaled(source, nullptr, screen, nullptr);
    SDL_FreeSurface(source);
    if (rc != 0 || SDL_UpdateWindowSurface(m_window->window) != 0)
    {
        m_lastError = SDL_GetError();
        return false;
    }
    return true;
}

void SdlWindowBackend::SetTitle(const std::string& title)
{
    if (m_window)
        SDL_SetWindowTitle(m_window->window, title.c_str());
}

bool SdlWindowBackend::SetFullScreen(bool fullScreen)
{
    if (!m_window)
        return false;
    if (SDL_SetWindowFullscreen(m_window->window, fullScreen ? SDL_WINDOW_FULLSCREEN : 0) != 0)
    {
        m_lastError = SDL_GetError();
        return false;
    }
    m_window->fullScreen = fullScreen;
    return true;
}

bool SdlWindowBackend::IsFullScreen() const
{
    return m_window && m_window->fullScreen;
}

bool SdlWindowBackend::HasFocus() const
{
    return m_window && m_window->focus;
}

Size SdlWindowBackend::DesktopSize() const
{
    SDL_DisplayMode mode;
    const int display = m_window ? SDL_GetWindowDisplayIndex(m_window->window) : 0;
    if (SDL_GetDesktopDisplayMode(std::max(display, 0), &mode) != 0)
        return {};
    return {mode.w, mode.h};
}

Rect SdlWindowBackend::FrameRect() const
{
    if (!m_window)
        return {};
    int x = 0, y = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowPosition(m_window->window, &x, &y);
    // Without a window manager there are no borders; SDL then answers an error, left as 0.
    SDL_GetWindowBordersSize(m_window->window, &top, &left, &bottom, &right);
    return {x - left, y - top, x + static_cast<int32_t>(m_window->width) + right,
            y + static_cast<int32_t>(m_window->height) + bottom};
}

bool SdlWindowBackend::MoveFrameTo(Point topLeft)
{
    if (!m_window)
        return false;
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowBordersSize(m_window->window, &top, &left, &bottom, &right);
    SDL_SetWindowPosition(m_window->window, topLeft.x + left, topLeft.y + top);
    return true;
}

Point SdlWindowBackend::CursorPosition() const
{
    if (!m_window)
        return {};
    if (SDL_GetMouseFocus() == m_window->window)
    {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        return {x, y};
    }
    // Outside the window: the desktop position less the client origin.
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(m_window->window, &wx, &wy);
    return {gx - wx, gy - wy};
}

void SdlWindowBackend::ShowSystemCursor(bool visible)
{
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlWindowBackend::SetIcon(const PixelView& picture)
{
    if (!m_window || !picture.pixels || picture.width == 0 || picture.height == 0 ||
        picture.format == PixelFormat::Pal8 || picture.format == PixelFormat::Unknown || IsDepthFormat(picture.format))
        return false;
    std::vector<uint32_t> argb(static_cast<size_t>(picture.width) * picture.height);
    const uint32_t bytes = BytesPerPixel(picture.format);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x)
            argb[static_cast<size_t>(y) * picture.width + x] =
                ExpandColor(picture.format, ReadPixel(picture.Row(y) + x * bytes, bytes));
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        argb.data(), static_cast<int>(picture.width), static_cast<int>(picture.height), 32,
        static_cast<int>(picture.width * 4), SDL_PIXELFORMAT_ARGB8888);
    if (!icon)
    {
        m_lastError = SDL_GetError();
        return false;
    }
    SDL_SetWindowIcon(m_window->window, icon);
    SDL_FreeSurface(icon);
    return true;
}

MessageBoxAnswer SdlWindowBackend::ShowMessageBox(const std::string& title, const std::string& text,
                                                  MessageBoxButtons buttons, MessageBoxIcon icon)
{
    struct Choice
    {
        MessageBoxAnswer answer;
        const char* label;
        Uint32 flags;
    };
    std::vector<Choice> choices;
    switch (buttons)
    {
    case MessageBoxButtons::Ok:
        choices = {{MessageBoxAnswer::Ok, "OK",
                    SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
        break;
    case MessageBoxButtons::YesNo:
        choices = {{MessageBoxAnswer::Yes, "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT},
                   {MessageBoxAnswer::No, "No", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
        break;
    case MessageBoxButtons::RetryCancel:
        choices = {{MessageBoxAnswer::Retry, "Retry", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT},
                   {MessageBoxAnswer::Cancel, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
        break;
    }
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < choices.size(); ++i)
        data.push_back({choices[i].flags, static_cast<int>(i), choices[i].label});
    const Uint32 iconFlag = icon == MessageBoxIcon::Error         ? SDL_MESSAGEBOX_ERROR
                            : icon == MessageBoxIcon::Warning     ? SDL_MESSAGEBOX_WARNING
                            : icon == MessageBoxIcon::Information ? SDL_MESSAGEBOX_INFORMATION
                                                                  : 0;
    const SDL_MessageBoxData box = {iconFlag,     m_window ? m_window->window : nullptr, title.c_str(),
                                    text.c_str(), static_cast<int>(data.size()),         data.data(),
                                    nullptr};
    int pressed = -1;
    const int rc = SDL_ShowMessageBox(&box, &pressed);
    if (rc != 0)
    {
        // The text is the caller's to pass on: a failure's reason reaches standard error once, from the program.
        DebugOutput(("no message box for \"" + title + "\": " + SDL_GetError()).c_str());
        return MessageBoxAnswer::NotShown;
    }
    // Closed without a choice: the last button, the one that gives up.
    if (pressed < 0 || pressed >= static_cast<int>(choices.size()))
        return choices.back().answer;
    return choices[static_cast<size_t>(pressed)].answer;
}

uint32_t SdlWindowBackend::FocusLossCount() const
{
    return m_window ? m_window->focusLosses : 0;
}

int32_t SdlWindowBackend::TakeWheelMotion()
{
    if (!m_window)
        return 0;
    const int32_t wheel = m_window->wheel;
    m_window->wheel = 0;
    return wheel;
}

uint32_t SdlWindowBackend::TakePressedButtons()
{
    if (!m_window)
        return 0;
    const uint32_t pressed = m_window->pressedButtons;
    m_window->pressedButtons = 0;
    return pressed;
}

KeyboardState SdlWindowBackend::TakePressedKeys()
{
    KeyboardState pressed{};
    if (m_window)
        std::swap(pressed, m_window->pressedKeys);
    return pressed;
}

void SdlWindowBackend::PumpEvents()
{
    if (!m_window)
        return;
    EventSink sink{*this, *m_window};
    SDL_Event event;
    while (SDL_PollEvent(&event))
        sink.Handle(event);
    if (sink.moved)
        PostMessage(Message(kMsgSetCursor));
}

bool SdlWindowBackend::OpenWithDesktop(const std::string& path)
{
    // The opener gets the path as one argument, never through a shell.
    std::vector<char> file(path.begin(), path.end());
    file.push_back('\0');
    char opener[] = "xdg-open";
    char* argv[] = {opener, file.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    // xdg-open hands the file on and returns at once.
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SdlWindowBackend::Minimize()
{
    if (m_window && m_window->window)
        SDL_MinimizeWindow(m_window->window);
}

} // namespace plat
