#pragma once
// A mouse reader with its own previous and current state, polled once a frame; the edges
// (pressed or released since the previous poll) come from comparing the two. Every mouse
// object shares one device, acquired by the first Connect and let go with the last object.

#include "qrxDirectInput.h"

#include "InputBackend.h"

class qrxMouse : public qrxDirectInput
{
public:
    static constexpr int kButtonCount = 4;

    qrxMouse();
    ~qrxMouse() override;

    // Throws the connection message of the failing step.
    void Connect(plat::InputBackend* input, plat::WindowBackend* window);
    // A device that cannot be read leaves the state as it was: no edges, no motion.
    void Poll();

    // Buttons 0 to 3; any other number answers false.
    bool IsButtonDown(int button) const;
    bool IsButtonUp(int button) const;
    bool WasButtonPressed(int button) const;
    bool WasButtonReleased(int button) const;
    // Forgets the button in both states until the next poll; false for numbers outside 0..3.
    bool ClearButton(int button);

    const plat::MouseState& GetCurrentState() const { return *m_current; }
    const plat::MouseState& GetPreviousState() const { return *m_previous; }

    static bool IsDeviceConnected();

private:
    static bool Held(const plat::MouseState& state, int button);

    plat::MouseState m_states[2];
    plat::MouseState* m_previous = &m_states[0];
    plat::MouseState* m_current = &m_states[1];
};
