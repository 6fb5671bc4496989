#pragma once
// Mouse and keyboard snapshots, read once a frame. Like the window they belong to, a real
// backend and a headless one implement them. Devices work only while the window has the
// focus: losing it unacquires them, and they must be acquired again once it is back.

#include <array>
#include <cstddef>
#include <cstdint>

namespace plat
{

// Motion since the previous read, in mickeys (pixels here), and four buttons whose bit 7
// means held. The layout is fixed: 16 bytes, as the framework stores it.
struct MouseState
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0; // wheel, 120 per notch, positive away from the user
    uint8_t buttons[4] = {};
};
static_assert(sizeof(MouseState) == 16, "the mouse state is 16 bytes");

constexpr uint8_t kInputHeld = 0x80;
constexpr size_t kKeyCount = 256;
// Indexed by key number (KeyNumbers.h); bit 7 means down.
using KeyboardState = std::array<uint8_t, kKeyCount>;

enum class InputDevice : uint8_t
{
    Mouse,
    Keyboard,
};

enum class InputResult : uint8_t
{
    Ok,
    InputLost,   // the device was taken away (focus lost) since it was acquired
    NotAcquired, // never acquired, or not again since it was lost
};

class InputBackend
{
public:
    virtual ~InputBackend() = default;

    // False while the window lacks the focus. Acquiring an acquired device succeeds.
    virtual bool Acquire(InputDevice device) = 0;
    virtual void Unacquire(InputDevice device) = 0;
    // On Ok, the state now; on failure `out` is left as it was.
    virtual InputResult ReadMouse(MouseState& out) = 0;
    virtual InputResult ReadKeyboard(KeyboardState& out) = 0;
};

} // namespace plat
