#include "qrxDirectInput.h"

#include "InputBackend.h"

namespace
{
plat::InputBackend* g_interface = nullptr;
// Live input objects; the interface stays installed while there is one.
uint32_t g_users = 0;
} // namespace

qrxDirectInput::qrxDirectInput()
{
    ++g_users;
}

qrxDirectInput::~qrxDirectInput()
{
    if (--g_users == 0)
        ReleaseInterface();
}

void qrxDirectInput::Connect(plat::InputBackend* input)
{
    if (g_interface)
        return;
    if (!input)
        throw "qrxDirectInput::Connect() -- DirectInputCreate() failed.";
    g_interface = input;
}

void qrxDirectInput::ReleaseInterface()
{
    g_interface = nullptr;
}

void qrxDirectInput::ReleaseDeviceUser(DeviceSlot& slot)
{
    if (--slot.users == 0 && slot.connected)
    {
        if (g_interface)
            g_interface->Unacquire(slot.device);
        slot.connected = false;
    }
}

void qrxDirectInput::ConnectDevice(DeviceSlot& slot, plat::WindowBackend* window, const char* failureText)
{
    if (slot.connected)
        return;
    if (!window)
        throw failureText;
    // Without the focus the device is acquired again at the first poll that has it.
    g_interface->Acquire(slot.device);
    slot.connected = true;
}

plat::InputBackend* qrxDirectInput::GetInterface()
{
    return g_interface;
}

uint32_t qrxDirectInput::GetUserCount()
{
    return g_users;
}
