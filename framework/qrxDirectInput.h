#pragma once
// The shared input interface behind every mouse and keyboard object: the platform's input
// backend, installed by the first Connect and kept while any input object lives. The
// application and every screen are input objects, so there are many of them but one backend
// and one device of each kind. Main thread only.

#include "InputBackend.h"

#include <cstdint>

namespace plat
{
class WindowBackend;
} // namespace plat

class qrxDirectInput
{
public:
    qrxDirectInput();
    qrxDirectInput(const qrxDirectInput&) = delete;
    qrxDirectInput& operator=(const qrxDirectInput&) = delete;
    virtual ~qrxDirectInput();

    // Installs the backend unless one is; throws the connection message when none is given.
    void Connect(plat::InputBackend* input);

    // Null until connected, and again once the last input object is gone.
    static plat::InputBackend* GetInterface();
    static uint32_t GetUserCount();

    // One shared device and the objects that use it; acquired by the first Connect and let go
    // with the last object.
    struct DeviceSlot
    {
        plat::InputDevice device;
        bool connected = false;
        uint32_t users = 0;
    };

protected:
    static void ReleaseDeviceUser(DeviceSlot& slot);
    // Throws failureText without a window.
    static void ConnectDevice(DeviceSlot& slot, plat::WindowBackend* window, const char* failureText);
    // Reads the device into out; a device that was lost or not yet acquired is acquired again
    // and read once more. False, with out untouched, when it cannot be read.
    template <class State>
    static bool ReadDevice(const DeviceSlot& slot, State& out, plat::InputResult (plat::InputBackend::*read)(State&))
    {
        plat::InputBackend* input = GetInterface();
        if (!input || !slot.connected)
            return false;
        plat::InputResult result = (input->*read)(out);
        if (result != plat::InputResult::Ok && input->Acquire(slot.device))
            result = (input->*read)(out);
        return result == plat::InputResult::Ok;
    }

private:
    static void ReleaseInterface();
};
