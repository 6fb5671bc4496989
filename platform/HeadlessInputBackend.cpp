#include "HeadlessInputBackend.h"

#include "HeadlessWindowBackend.h"

#include <algorithm>
#include <cstdint>

namespace plat
{

namespace
{

// Motion adds up between reads; a driver that never reads must not overflow it.
int32_t SaturatingAdd(int32_t a, int32_t b)
{
    const int64_t sum = int64_t{a} + b;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

} // namespace

bool HeadlessInputBackend::Acquire(InputDevice device)
{
    if (!m_window.HasFocus())
        return false;
    Device& d = DeviceOf(device);
    if (!d.acquired && device == InputDevice::Mouse)
    {
        // Motion from before the acquisition belongs to nobody.
        m_mouseState.x = m_mouseState.y = m_mouseState.z = 0;
    }
    d.acquired = true;
    d.lossesAtAcquire = m_window.FocusLossCount();
    return true;
}

void HeadlessInputBackend::Unacquire(InputDevice device)
{
    DeviceOf(device).acquired = false;
}

InputResult HeadlessInputBackend::CheckReadable(Device& device)
{
    if (!device.acquired)
        return InputResult::NotAcquired;
    if (m_window.HasFocus() && m_window.FocusLossCount() == device.lossesAtAcquire)
        return InputResult::Ok;
    // Reported once; afterwards the device is simply not acquired.
    device.acquired = false;
    return InputResult::InputLost;
}

InputResult HeadlessInputBackend::ReadMouse(MouseState& out)
{
    const InputResult result = CheckReadable(m_mouse);
    if (result != InputResult::Ok)
        return result;
    out = m_mouseState;
    m_mouseState.x = m_mouseState.y = m_mouseState.z = 0;
    return result;
}

InputResult HeadlessInputBackend::ReadKeyboard(KeyboardState& out)
{
    const InputResult result = CheckReadable(m_keyboard);
    if (result == InputResult::Ok)
        out = m_keys;
    return result;
}

void HeadlessInputBackend::SetKey(uint8_t key, bool down)
{
    m_keys[key] = down ? kInputHeld : 0;
}

void HeadlessInputBackend::MoveMouse(int32_t dx, int32_t dy)
{
    if (!m_mouse.acquired || !m_window.HasFocus())
        return;
    m_mouseState.x = SaturatingAdd(m_mouseState.x, dx);
    m_mouseState.y = SaturatingAdd(m_mouseState.y, dy);
}

void HeadlessInputBackend::TurnWheel(int32_t dz)
{
    if (!m_mouse.acquired || !m_window.HasFocus())
        return;
    m_mouseState.z = SaturatingAdd(m_mouseState.z, dz);
}

void HeadlessInputBackend::SetButton(int button, bool down)
{
    if (button < 0 || button > 3)
        return;
    m_mouseState.buttons[button] = down ? kInputHeld : 0;
}

} // namespace plat
