#pragma once
// The real window, on SDL2.
// Implements: a window of the asked client size and title, framed or full screen (the
// display mode nearest the size); presented RGB565 frames through the window's surface
// (scaled when the sizes differ; SDL's plain surface unless SDL_FRAMEBUFFER_ACCELERATION in
// the environment asks for its texture path); the message queue fed from SDL's events (close -> destroy,
// exposure -> paint, focus -> activate, keys -> key-down with virtual keys, typed ASCII ->
// characters, pointer motion -> set-cursor); placement; the pointer position; the system
// cursor; the icon; message boxes. The screen saver stays off while the window is open.
// Leaves out: mouse button and wheel messages (the input backend reads buttons and
// collects the wheel and the presses of buttons and keys from here), other system
// commands, characters outside ASCII.

#include "InputBackend.h"
#include "WindowBackend.h"

#include <memory>
#include <string>

namespace plat
{

class SdlWindowBackend : public WindowBackend
{
public:
    SdlWindowBackend();
    ~SdlWindowBackend() override;
    SdlWindowBackend(const SdlWindowBackend&) = delete;
    SdlWindowBackend& operator=(const SdlWindowBackend&) = delete;

    bool Open(const WindowDesc& desc) override;
    void Close() override;
    bool IsOpen() const override;
    uint32_t ClientWidth() const override;
    uint32_t ClientHeight() const override;
    bool Present(const PixelView& frame) override;

    void SetTitle(const std::string& title) override;
    bool SetFullScreen(bool fullScreen) override;
    bool IsFullScreen() const override;
    bool HasFocus() const override;
    Size DesktopSize() const override;
    Rect FrameRect() const override;
    bool MoveFrameTo(Point topLeft) override;
    Point CursorPosition() const override;
    void ShowSystemCursor(bool visible) override;
    bool SetIcon(const PixelView& picture) override;
    bool OpenWithDesktop(const std::string& path) override;
    void Minimize() override;
    MessageBoxAnswer ShowMessageBox(const std::string& title, const std::string& text, MessageBoxButtons buttons,
                                    MessageBoxIcon icon) override;

    // How often the window has lost the focus: input devices notice a loss between reads.
    uint32_t FocusLossCount() const;
    // Wheel motion collected by the pump since the last call (120 per notch).
    int32_t TakeWheelMotion();
    // The buttons (SDL masks) pressed since the last call, whether or not still held.
    uint32_t TakePressedButtons();
    // The keys (held bit set) that went down since the last call, whether or not still held.
    KeyboardState TakePressedKeys();
    // The reason of the last failure, from SDL.
    const std::string& LastError() const { return m_lastError; }

protected:
    void PumpEvents() override;

private:
    struct Window;
    struct EventSink;
    std::unique_ptr<Window> m_window;
    std::string m_lastError;
};

} // namespace plat
