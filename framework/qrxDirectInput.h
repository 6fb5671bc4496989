#pragma once
// The shared input interface behind every mouse and keyboard object: the platform's input
// backend, installed by the first Connect and kept while any input object lives. The
// application and every screen are input objects, so there are many of them but one backend
// and one device of each kind. Main thread only.

#include <cstdint>

namespace plat
{
class InputBackend;
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

private:
    static void ReleaseInterface();
};
