#include "qrxKeyMapper.h"

#include <utility>

namespace
{
plat::KeyboardState g_keys[2] = {};
plat::KeyboardState* g_previous = &g_keys[0];
plat::KeyboardState* g_current = &g_keys[1];
bool g_clearedOnce = false;
qrxDirectInput::DeviceSlot g_keyboard{plat::InputDevice::Keyboard};
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
    ++g_keyboard.users;
}

qrxKeyMapper::~qrxKeyMapper()
{
    ReleaseDeviceUser(g_keyboard);
}

void qrxKeyMapper::Connect(plat::InputBackend* input, plat::WindowBackend* window)
{
    qrxDirectInput::Connect(input);
    ConnectDevice(g_keyboard, window, "qrxKeyMapper::Connect() -- DirectInputDevice::SetCooperativeLevel() failed.");
}

void qrxKeyMapper::BeginFrame()
{
    ++g_frame;
}

uint64_t qrxKeyMapper::GetReadFrame()
{
    return g_readFrame;
}

void qrxKeyMapper::Poll()
{
    // A second read in one frame would make the first reader's new presses old news.
    if (g_readFrame == g_frame)
        return;
    g_readFrame = g_frame;
    std::swap(g_previous, g_current);
    if (ReadDevice(g_keyboard, *g_current, &plat::InputBackend::ReadKeyboard))
        return;
    // An unreadable frame repeats the last state, so it makes no edges.
    *g_current = *g_previous;
}

void qrxKeyMapper::Clear()
{
    g_keys[0].fill(0);
    g_keys[1].fill(0);
}

void qrxKeyMapper::DropPresses()
{
    plat::KeyboardState now{};
    if (!ReadDevice(g_keyboard, now, &plat::InputBackend::ReadKeyboard))
        return;
    // A tap the device kept reads as held this once: the next read sees it let go, no edge.
    *g_previous = now;
    *g_current = now;
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
    return g_keyboard.connected;
}

void qrxKeyMapper::SetKeysActive(bool on)
{
    g_keysActive = on;
}

bool qrxKeyMapper::GetKeysActive()
{
    return g_keysActive;
}
