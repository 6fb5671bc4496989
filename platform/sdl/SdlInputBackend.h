#pragma once
// The real mouse and keyboard, on SDL2.
// Implements: the keyboard state through SDL's scancode state mapped to key numbers, the
// mouse's relative motion and buttons (left, right, middle, first extra) and the wheel the
// window's pump collected; a key or button pressed and let go between two reads reads as
// held once; acquisition that follows the window's focus.
// Leaves out: exclusive (captured) mouse modes and buffered device data.

#include "InputAcquisition.h"
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
    InputResult CheckReadable(InputDevice device);

    SdlWindowBackend& m_window;
    InputAcquisition m_acquisition;
};

} // namespace plat
