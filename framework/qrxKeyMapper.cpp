#include "qrxKeyMapper.h"

#include <utility>

namespace
{
plat::KeyboardState g_keys[2] = {};
plat::KeyboardState* g_previous = &g_keys[0];
plat::KeyboardState* g_current = &g_keys[1];
bool g_clearedOnce = false;
bool g_connected = false;
uint32_t g_users = 0;
bool g_keysActive = true;
// Frame counter and the frame of the last read.
uint64_t g_frame = 1;
uint64_t g_readFrame = 0;
} // namespace

qrxKeyMapper::qrxKeyMapper()
{
    if (!g_clearedOnce)
    {
        Clear();
        g_clearedOnce = true;
    }
    ++g_users;
}

qrxKeyMapper::~qrxKeyMapper()
{
    if (--g_users == 0 && g_connected)
    {
        if (plat::InputBackend* input = GetInterface())
            input->Unacquire(plat::InputDevice::Keyboard);
        g_connected = false;
    }
}

void qrxKeyMapper::Connect(plat::InputBackend* input, plat::WindowBackend* window)
{
    qrxDirectInput::Connect(input);
    if (g_connected)
        return;
    if (!window)
        throw "qrxKeyMapper::Connect() -- DirectInputDevice::SetCooperativeLevel() failed.";
    GetInterface()->Acquire(plat::InputDevice::Keyboard);
    g_connected = true;
}

void qrxKeyMapper::BeginFrame()
{
    ++g_frame;
}

void qrxKeyMapper::Poll()
{
    // A second read in one frame would make the first reader's new presses old news.
    if (g_readFrame == g_frame)
        return;
    g_readFrame = g_frame;
    std::swap(g_previous, g_current);
    plat::InputBackend* input = GetInterface();
    if (input && g_connected)
    {
        plat::InputResult result = input->ReadKeyboard(*g_current);
        // A device that was lost or not yet acquired is acquired again and read once more.
        if (result != plat::InputResult::Ok && input->Acquire(plat::InputDevice::Keyboard))
            result = input->ReadKeyboard(*g_current);
        if (result == plat::InputResult::Ok)
            return;
    }
    // An unreadable frame repeats the last state, so it makes no edges.
    *g_current = *g_previous;
}

void qrxKeyMapper::Clear()
{
    g_keys[0].fill(0);
    g_keys[1].fill(0);
}

bool qrxKeyMapper::IsKeyDown(uint8_t key)
{
    return g_keysActive && ((*g_current)[key] & plat::kInputHeld) != 0;
}

bool qrxKeyMapper::WasKeyPressed(uint8_t key)
{
    return IsKeyDown(key) && ((*g_previous)[key] & plat::kInputHeld) == 0;
}

const plat::KeyboardState& qrxKeyMapper::GetCurrentKeys()
{
    return *g_current;
}

const plat::KeyboardState& qrxKeyMapper::GetPreviousKeys()
{
    return *g_previous;
}

bool qrxKeyMapper::IsKeyboardPresent()
{
    return g_connected;
}

void qrxKeyMapper::SetKeysActive(bool on)
{
    g_keysActive = on;
}

bool qrxKeyMapper::GetKeysActive()
{
    return g_keysActive;
}
