#include "SdlInputBackend.h"

#include "SdlKeyMap.h"
#include "SdlWindowBackend.h"

#include <SDL.h>

namespace plat
{

bool SdlInputBackend::Acquire(InputDevice device)
{
    if (!m_window.HasFocus())
        return false;
    Device& d = DeviceOf(device);
    if (!d.acquired && device == InputDevice::Mouse)
    {
        // Motion from before the acquisition belongs to nobody.
        SDL_GetRelativeMouseState(nullptr, nullptr);
        m_window.TakeWheelMotion();
    }
    d.acquired = true;
    d.lossesAtAcquire = m_window.FocusLossCount();
    return true;
}

void SdlInputBackend::Unacquire(InputDevice device)
{
    DeviceOf(device).acquired = false;
}

InputResult SdlInputBackend::CheckReadable(Device& device)
{
    if (!device.acquired)
        return InputResult::NotAcquired;
    if (m_window.HasFocus() && m_window.FocusLossCount() == device.lossesAtAcquire)
        return InputResult::Ok;
    device.acquired = false;
    return InputResult::InputLost;
}

InputResult SdlInputBackend::ReadMouse(MouseState& out)
{
    const InputResult result = CheckReadable(m_mouse);
    if (result != InputResult::Ok)
        return result;
    int dx = 0, dy = 0;
    SDL_GetRelativeMouseState(&dx, &dy);
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    out = MouseState{};
    out.x = dx;
    out.y = dy;
    out.z = m_window.TakeWheelMotion();
    // Button order: left, right, middle, first extra.
    const Uint32 masks[4] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK, SDL_BUTTON_X1MASK};
    for (int i = 0; i < 4; ++i)
        out.buttons[i] = (buttons & masks[i]) ? kInputHeld : 0;
    return result;
}

InputResult SdlInputBackend::ReadKeyboard(KeyboardState& out)
{
    const InputResult result = CheckReadable(m_keyboard);
    if (result != InputResult::Ok)
        return result;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    out.fill(0);
    for (int scancode = 0; scancode < count; ++scancode)
    {
        const uint8_t key = state[scancode] ? KeyNumberOfScancode(scancode) : 0;
        if (key != 0)
            out[key] = kInputHeld;
    }
    return result;
}

} // namespace plat
