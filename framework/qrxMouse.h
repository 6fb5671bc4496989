#pragma once
// The mouse: one program-wide pair of states (the previous and the current read) shared by
// every mouse object, as the keyboard's are. The device is read at most once a frame, however
// many objects poll it, so a click quicker than a frame (latched by the window as held for one
// read) shows its press to every reader in that frame, not only to the first. The edges
// (pressed or released since the previous read) come from comparing the two states. Every
// mouse object shares one device, acquired by the first Connect and let go with the last one.
// One pair for all, not one an object: an object reading the device itself lost such a click.

#include "qrxDirectInput.h"

#include "InputBackend.h"

#include <cstdint>

class qrxMouse : public qrxDirectInput
{
public:
    static constexpr int kButtonCount = 4;

    qrxMouse();
    ~qrxMouse() override;

    // Throws the connection message of the failing step.
    void Connect(plat::InputBackend* input, plat::WindowBackend* window);
    // Reads the device unless it was read in this frame already. A device that cannot be
    // read leaves the state as it was: no edges, no motion.
    void Poll();
    // Starts a frame: the next Poll reads the device. The application's frames and a wait's
    // own frames each begin one.
    static void BeginFrame();

    // Buttons 0 to 3; any other number answers false.
    bool IsButtonDown(int button) const;
    bool IsButtonUp(int button) const;
    bool WasButtonPressed(int button) const;
    bool WasButtonReleased(int button) const;
    // Forgets the button in both states until the next read; false for numbers outside 0..3.
    bool ClearButton(int button);

    const plat::MouseState& GetCurrentState() const;
    const plat::MouseState& GetPreviousState() const;

    static bool IsDeviceConnected();

private:
    static bool Held(const plat::MouseState& state, int button);
};
