#include "SdlInputBackend.h"

#include "SdlKeyMap.h"
#include "SdlWindowBackend.h"

#include <SDL.h>

namespace plat
{

bool SdlInputBackend::Acquire(InputDevice device)
{
    if (device == InputDevice::Mouse && !m_acquisition.IsAcquired(device) && m_window.HasFocus())
    {
        // Motion from before the acquisition belongs to nobody.
        SDL_GetRelativeMouseState(nullptr, nullptr);
        m_window.TakeWheelMotion();
        m_window.TakePressedButtons();
    }
    if (device == InputDevice::Keyboard && !m_acquisition.IsAcquired(device) && m_window.HasFocus())
        m_window.TakePressedKeys();
    return m_acquisition.Acquire(device, m_window.HasFocus(), m_window.FocusLossCount());
}

void SdlInputBackend::Unacquire(InputDevice device)
{
    m_acquisition.Unacquire(device);
}

InputResult SdlInputBackend::CheckReadable(InputDevice device)
{
    return m_acquisition.Check(device, m_window.HasFocus(), m_window.FocusLossCount());
}

InputResult SdlInputBackend::ReadMouse(MouseState& out)
{
    const InputResult result = CheckReadable(InputDevice::Mouse);
    if (result != InputResult::Ok)
        return result;
    int dx = 0, dy = 0;
    SDL_GetRelativeMouseState(&dx, &dy);
    // A click quicker than a frame is down and up again before this read: it reads as held
    // once, so the next read sees it let go and the click is not lost.
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr) | m_window.TakePressedButtons();
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
    const InputResult result = CheckReadable(InputDevice::Keyboard);
    if (result != InputResult::Ok)
        return result;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    // As with clicks: a tap quicker than a frame reads as held once, then let go.
    out = m_window.TakePressedKeys();
    for (int scancode = 0; scancode < count; ++scancode)
    {
        const uint8_t key = state[scancode] ? KeyNumberOfScancode(scancode) : 0;
        if (key != 0)
            out[key] = kInputHeld;
    }
    return result;
}

} // namespace plat
