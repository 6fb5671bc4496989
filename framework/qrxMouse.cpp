#include "qrxMouse.h"

#include <utility>

namespace
{
qrxDirectInput::DeviceSlot g_mouse{plat::InputDevice::Mouse};
plat::MouseState g_mouseStates[2];
plat::MouseState* g_mousePrevious = &g_mouseStates[0];
plat::MouseState* g_mouseCurrent = &g_mouseStates[1];
// Frame counter and the frame of the last read.
uint64_t g_mouseFrame = 1;
uint64_t g_mouseReadFrame = 0;
} // namespace

qrxMouse::qrxMouse()
{
    ++g_mouse.users;
}

qrxMouse::~qrxMouse()
{
    ReleaseDeviceUser(g_mouse);
    // A device acquired again later starts with nothing held.
    if (g_mouse.users == 0)
        g_mouseStates[0] = g_mouseStates[1] = plat::MouseState{};
}

void qrxMouse::Connect(plat::InputBackend* input, plat::WindowBackend* window)
{
    qrxDirectInput::Connect(input);
    ConnectDevice(g_mouse, window, "qrxMouse::Connect() -- DirectInputDevice::SetCooperativeLevel() failed.");
}

bool qrxMouse::IsDeviceConnected()
{
    return g_mouse.connected;
}

void qrxMouse::BeginFrame()
{
    ++g_mouseFrame;
}

void qrxMouse::Poll()
{
    // A second read in one frame would take a short click's latch from the later readers.
    if (g_mouseReadFrame == g_mouseFrame)
        return;
    g_mouseReadFrame = g_mouseFrame;
    std::swap(g_mousePrevious, g_mouseCurrent);
    if (ReadDevice(g_mouse, *g_mouseCurrent, &plat::InputBackend::ReadMouse))
        return;
    // An unreadable frame repeats the held buttons without motion, so it makes no edges.
    *g_mouseCurrent = *g_mousePrevious;
    g_mouseCurrent->x = g_mouseCurrent->y = g_mouseCurrent->z = 0;
}

const plat::MouseState& qrxMouse::GetCurrentState() const
{
    return *g_mouseCurrent;
}

const plat::MouseState& qrxMouse::GetPreviousState() const
{
    return *g_mousePrevious;
}

bool qrxMouse::Held(const plat::MouseState& state, int button)
{
    return (state.buttons[button] & plat::kInputHeld) != 0;
}

bool qrxMouse::IsButtonDown(int button) const
{
    return button >= 0 && button < kButtonCount && Held(*g_mouseCurrent, button);
}

bool qrxMouse::IsButtonUp(int button) const
{
    return button >= 0 && button < kButtonCount && !Held(*g_mouseCurrent, button);
}

bool qrxMouse::WasButtonPressed(int button) const
{
    return IsButtonDown(button) && !Held(*g_mousePrevious, button);
}

bool qrxMouse::WasButtonReleased(int button) const
{
    return IsButtonUp(button) && Held(*g_mousePrevious, button);
}

bool qrxMouse::ClearButton(int button)
{
    if (button < 0 || button >= kButtonCount)
        return false;
    g_mouseCurrent->buttons[button] = 0;
    g_mousePrevious->buttons[button] = 0;
    return true;
}
