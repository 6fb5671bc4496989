#include "qrxMouse.h"

#include <utility>

namespace
{
qrxDirectInput::DeviceSlot g_mouse{plat::InputDevice::Mouse};
} // namespace

qrxMouse::qrxMouse()
{
    ++g_mouse.users;
}

qrxMouse::~qrxMouse()
{
    ReleaseDeviceUser(g_mouse);
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

void qrxMouse::Poll()
{
    std::swap(m_previous, m_current);
    if (ReadDevice(g_mouse, *m_current, &plat::InputBackend::ReadMouse))
        return;
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
