#pragma once
// Which input devices are acquired, for backends whose devices follow the window's focus:
// acquiring needs the focus, and a focus loss after acquiring (even one already over)
// takes the device away, reported once by the next read.

#include "InputBackend.h"

#include <cstdint>

namespace plat
{

class InputAcquisition
{
public:
    // focusLosses: how often the window has lost the focus so far.
    bool Acquire(InputDevice device, bool hasFocus, uint32_t focusLosses);
    void Unacquire(InputDevice device) { DeviceOf(device).acquired = false; }
    bool IsAcquired(InputDevice device) const { return DeviceOf(device).acquired; }
    // Ok when the device may be read now.
    InputResult Check(InputDevice device, bool hasFocus, uint32_t focusLosses);

private:
    struct Device
    {
        bool acquired = false;
        uint32_t lossesAtAcquire = 0;
    };
    Device& DeviceOf(InputDevice device) { return device == InputDevice::Mouse ? m_mouse : m_keyboard; }
    const Device& DeviceOf(InputDevice device) const { return device == InputDevice::Mouse ? m_mouse : m_keyboard; }

    Device m_mouse;
    Device m_keyboard;
};

} // namespace plat
