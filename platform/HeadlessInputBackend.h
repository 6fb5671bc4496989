#pragma once
// Mouse and keyboard of a run without a display: their state is set by whoever drives the
// run (an input script, a test), and they follow the focus of the headless window as real
// devices follow the real one.
// Leaves out: auto-repeat and any key not set by the driver.

#include "InputAcquisition.h"
#include "InputBackend.h"

namespace plat
{

class HeadlessWindowBackend;

class HeadlessInputBackend : public InputBackend
{
public:
    // The window is borrowed and must outlive the backend.
    explicit HeadlessInputBackend(const HeadlessWindowBackend& window) : m_window(window) {}

    bool Acquire(InputDevice device) override;
    void Unacquire(InputDevice device) override;
    InputResult ReadMouse(MouseState& out) override;
    InputResult ReadKeyboard(KeyboardState& out) override;

    // What a driver does in place of a user. Motion and wheel add up until the next read
    // and count only while the mouse is acquired, as with a real device.
    void SetKey(uint8_t key, bool down);
    void MoveMouse(int32_t dx, int32_t dy);
    void TurnWheel(int32_t dz);
    // Buttons 0 to 3; others are ignored. A press reads as held at least once, as a real
    // window latches it: a press and release between two reads is a click, not nothing.
    void SetButton(int button, bool down);

private:
    InputResult CheckReadable(InputDevice device);
    bool MouseTakesMotion() const;

    const HeadlessWindowBackend& m_window;
    InputAcquisition m_acquisition;
    KeyboardState m_keys{};
    MouseState m_mouseState;
    uint8_t m_pressedButtons[4] = {};
};

} // namespace plat
