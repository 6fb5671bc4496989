#include "InputAcquisition.h"

namespace plat
{

bool InputAcquisition::Acquire(InputDevice device, bool hasFocus, uint32_t focusLosses)
{
    if (!hasFocus)
        return false;
    Device& d = DeviceOf(device);
    d.acquired = true;
    d.lossesAtAcquire = focusLosses;
    return true;
}

InputResult InputAcquisition::Check(InputDevice device, bool hasFocus, uint32_t focusLosses)
{
    Device& d = DeviceOf(device);
    if (!d.acquired)
        return InputResult::NotAcquired;
    if (hasFocus && focusLosses == d.lossesAtAcquire)
        return InputResult::Ok;
    // Reported once; afterwards the device is simply not acquired.
    d.acquired = false;
    return InputResult::InputLost;
}

} // namespace plat
