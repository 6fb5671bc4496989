#pragma once
// The real mouse and keyboard, on SDL2.
// Implements: the keyboard state through SDL's scancode state mapped to key numbers, the
// mouse's relative motion and buttons (left, right, middle, first extra) and the wheel the
// window's pump collected; acquisition that follows the window's focus.
// Leaves out: exclusive (captured) mouse modes and buffered device data.

#include "InputBackend.h"

namespace plat
{

class SdlWindowBackend;

class SdlInputBackend : public InputBackend
{
public:
    // The window is borrowed and must outlive the backend; its pump keeps SDL's state fresh.
    explicit SdlInputBackend(SdlWindowBackend& window) : m_window(window) {}

    bool Acquire(InputDevice device) override;
    void Unacquire(InputDevice device) override;
    InputResult ReadMouse(MouseState& out) override;
    InputResult ReadKeyboard(KeyboardState& out) override;

private:
    struct Device
    {
        bool acquired = false;
        uint32_t lossesAtAcquire = 0; // a later focus loss unacquires the device
    };
    Device& DeviceOf(InputDevice device) { return device == InputDevice::Mouse ? m_mouse : m_keyboard; }
    InputResult CheckReadable(Device& device);

    SdlWindowBackend& m_window;
    Device m_mouse;
    Device m_keyboard;
};

} // namespace plat
