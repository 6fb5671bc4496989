#include "qrxMouse.h"

#include <utility>

namespace
{
bool g_mouseConnected = false;
uint32_t g_mouseUsers = 0;
} // namespace

qrxMouse::qrxMouse()
{
    ++g_mouseUsers;
}

qrxMouse::~qrxMouse()
{
    if (--g_mouseUsers == 0 && g_mouseConnected)
    {
        if (plat::InputBackend* input = GetInterface())
            input->Unacquire(plat::InputDevice::Mouse);
        g_mouseConnected = false;
    }
}

void qrxMouse::Connect(plat::InputBackend* input, plat::WindowBackend* window)
{
    qrxDirectInput::Connect(input);
    if (g_mouseConnected)
        return;
    if (!window)
        throw "qrxMouse::Connect() -- DirectInputDevice::SetCooperativeLevel() failed.";
    // Without the focus the device is acquired again at the first poll that has it.
    GetInterface()->Acquire(plat::InputDevice::Mouse);
    g_mouseConnected = true;
}

bool qrxMouse::IsDeviceConnected()
{
    return g_mouseConnected;
}

void qrxMouse::Poll()
{
    std::swap(m_previous, m_current);
    plat::InputBackend* input = GetInterface();
    if (input && g_mouseConnected)
    {
        plat::InputResult result = input->ReadMouse(*m_current);
        // A device that was lost or not yet acquired is acquired again and read once more.
        if (result != plat::InputResult::Ok && input->Acquire(plat::InputDevice::Mouse))
            result = input->ReadMouse(*m_current);
        if (result == plat::InputResult::Ok)
            return;
    }
    // An unreadable frame repeats the held buttons without motion, so it makes no edges.
    *m_current = *m_previous;
    m_current->x = m_current->y = m_current->z = 0;
}

bool qrxMouse::Held(const plat::MouseState& state, int button)
{
    return (state.buttons[button] & plat::kInputHeld) != 0;
}

bool qrxMouse::IsButtonDown(int button) const
{
    return button >= 0 && button < kButtonCount && Held(*m_current, button);
}

bool qrxMouse::IsButtonUp(int button) const
{
    return button >= 0 && button < kButtonCount && !Held(*m_current, button);
}

bool qrxMouse::WasButtonPressed(int button) const
{
    return IsButtonDown(button) && !Held(*m_previous, button);
}

bool qrxMouse::WasButtonReleased(int button) const
{
    return IsButtonUp(button) && Held(*m_previous, button);
}

bool qrxMouse::ClearButton(int button)
{
    if (button < 0 || button >= kButtonCount)
        return false;
    m_current->buttons[button] = 0;
    m_previous->buttons[button] = 0;
    return true;
}
