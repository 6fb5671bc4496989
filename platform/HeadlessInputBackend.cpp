#include "HeadlessInputBackend.h"

#include "HeadlessWindowBackend.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

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
    // Motion from before the acquisition belongs to nobody.
    if (device == InputDevice::Mouse && !m_acquisition.IsAcquired(device))
    {
        m_mouseState.x = m_mouseState.y = m_mouseState.z = 0;
        std::fill(std::begin(m_pressedButtons), std::end(m_pressedButtons), uint8_t{0});
    }
    return m_acquisition.Acquire(device, m_window.HasFocus(), m_window.FocusLossCount());
}

void HeadlessInputBackend::Unacquire(InputDevice device)
{
    m_acquisition.Unacquire(device);
}

InputResult HeadlessInputBackend::CheckReadable(InputDevice device)
{
    return m_acquisition.Check(device, m_window.HasFocus(), m_window.FocusLossCount());
}

bool HeadlessInputBackend::MouseTakesMotion() const
{
    return m_acquisition.IsAcquired(InputDevice::Mouse) && m_window.HasFocus();
}

InputResult HeadlessInputBackend::ReadMouse(MouseState& out)
{
    const InputResult result = CheckReadable(InputDevice::Mouse);
    if (result != InputResult::Ok)
        return result;
    out = m_mouseState;
    for (int i = 0; i < 4; ++i)
        out.buttons[i] |= m_pressedButtons[i];
    std::fill(std::begin(m_pressedButtons), std::end(m_pressedButtons), uint8_t{0});
    m_mouseState.x = m_mouseState.y = m_mouseState.z = 0;
    return result;
}

InputResult HeadlessInputBackend::ReadKeyboard(KeyboardState& out)
{
    const InputResult result = CheckReadable(InputDevice::Keyboard);
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
    if (!MouseTakesMotion())
        return;
    m_mouseState.x = SaturatingAdd(m_mouseState.x, dx);
    m_mouseState.y = SaturatingAdd(m_mouseState.y, dy);
}

void HeadlessInputBackend::TurnWheel(int32_t dz)
{
    if (!MouseTakesMotion())
        return;
    m_mouseState.z = SaturatingAdd(m_mouseState.z, dz);
}

void HeadlessInputBackend::SetButton(int button, bool down)
{
    if (button < 0 || button > 3)
        return;
    m_mouseState.buttons[button] = down ? kInputHeld : 0;
    if (down)
        m_pressedButtons[button] = kInputHeld;
}

} // namespace plat
