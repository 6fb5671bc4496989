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

plat::InputBackend* qrxDirectInput::GetInterface()
{
    return g_interface;
}

uint32_t qrxDirectInput::GetUserCount()
{
    return g_users;
}
