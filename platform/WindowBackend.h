#pragma once
// The program's one window: opened at start-up, shown the primary surface whenever that
// changes, and the source of the window messages that the window procedures handle. A real
// backend and a headless one implement it, chosen at start-up.

#include "MessageQueue.h"
#include "PixelView.h"
#include "Point.h"
#include "Rect.h"

#include <cstdint>
#include <string>
#include <utility>

namespace plat
{

struct WindowDesc
{
    std::string title;
    uint32_t width = 640; // client area
    uint32_t height = 480;
    bool fullScreen = false;
};

enum class MessageBoxButtons : uint8_t
{
    Ok,
    YesNo,
    RetryCancel,
};

enum class MessageBoxIcon : uint8_t
{
    None,
    Error,
    Warning, // the exclamation box
    Information,
};

enum class MessageBoxAnswer : uint8_t
{
    Ok,
    Yes,
    No,
    Retry,
    Cancel,
    // No box could be shown: nobody answered.
    NotShown,
};

class WindowBackend
{
public:
    virtual ~WindowBackend() = default;

    virtual bool Open(const WindowDesc& desc) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual uint32_t ClientWidth() const = 0;
    virtual uint32_t ClientHeight() const = 0;
    // Shows one RGB565 frame, scaled to the client area when the sizes differ. False when
    // the window is not open or the frame is not RGB565.
    virtual bool Present(const PixelView& frame) = 0;

    virtual void SetTitle(const std::string& title) = 0;
    // Switches between a framed window and full screen, keeping the client size. False when
    // the window is not open or the switch failed (the old mode then stays).
    virtual bool SetFullScreen(bool fullScreen) = 0;
    virtual bool IsFullScreen() const = 0;
    // Whether the window has the keyboard focus (the application is active).
    virtual bool HasFocus() const = 0;

    // Placement, in desktop coordinates. The frame rectangle includes the decorations.
    virtual Size DesktopSize() const = 0;
    virtual Rect FrameRect() const = 0;
    // Moves the frame's top-left corner there, keeping the size.
    virtual bool MoveFrameTo(Point topLeft) = 0;

    // The pointer in client coordinates (it may lie outside the client area).
    virtual Point CursorPosition() const = 0;
    // Shows or hides the system pointer over the window (the program may draw its own).
    virtual void ShowSystemCursor(bool visible) = 0;
    // The window's icon, from a picture in any direct-colour format. False when refused.
    virtual bool SetIcon(const PixelView& picture) = 0;

    // A modal box over the window (or without one when it is not open); blocks until
    // answered. A box closed without a choice answers its last button (Ok, No or Cancel); one
    // that cannot be shown answers NotShown, and its text goes nowhere: the caller passes on
    // what must still be read.
    virtual MessageBoxAnswer ShowMessageBox(const std::string& title, const std::string& text,
                                            MessageBoxButtons buttons, MessageBoxIcon icon) = 0;

    // Hands a local file to the desktop's opener; true when the opener was started.
    virtual bool OpenWithDesktop(const std::string& /*path*/) { return false; }
    // Shrinks the window to the task bar; the user brings it back.
    virtual void Minimize() {}

    // The message pump. PollMessage first moves what the system has into the queue, then
    // takes the oldest message; false means no input is pending.
    bool PollMessage(WindowMessage& out)
    {
        PumpEvents();
        return m_queue.Take(out);
    }
    bool HasPendingMessages()
    {
        PumpEvents();
        return !m_queue.Empty();
    }
    void PostMessage(WindowMessage message) { m_queue.Post(std::move(message)); }
    void PostQuit(int32_t exitCode) { m_queue.PostQuit(exitCode); }
    MessageQueue& Queue() { return m_queue; }

protected:
    // Turns the system's pending events into messages on the queue; never blocks.
    virtual void PumpEvents() = 0;

    MessageQueue m_queue;
};

} // namespace plat
