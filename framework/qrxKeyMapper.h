#pragma once
// The keyboard: one program-wide pair of 256-key states (numbered by key number, bit 7 =
// down) shared by every keyboard object. The device is read at most once per frame, however
// many objects poll it, so every reader in a frame sees the same new presses.

#include "qrxDirectInput.h"

#include "InputBackend.h"

#include <cstdint>

class qrxKeyMapper : public qrxDirectInput
{
public:
    qrxKeyMapper();
    ~qrxKeyMapper() override;

    // Throws the connection message of the failing step.
    void Connect(plat::InputBackend* input, plat::WindowBackend* window);
    // Reads the device unless it was read in this frame already.
    void Poll();
    static void Clear();
    // Reads the device into both states: keys pressed while nobody read them (a blocking wait)
    // lead nowhere, and keys still held read as held, not as new presses.
    static void DropPresses();

    // False for every key while keys are inactive.
    static bool IsKeyDown(uint8_t key);
    // Down now and up at the previous read.
    static bool WasKeyPressed(uint8_t key);
    static const plat::KeyboardState& GetCurrentKeys();
    static const plat::KeyboardState& GetPreviousKeys();
    static bool IsKeyboardPresent();

    // The game turns keys off together with the buttons.
    static void SetKeysActive(bool on);
    static bool GetKeysActive();
    // The application starts each frame with this; the next Poll reads the device.
    static void BeginFrame();
    // Counts the reads of the device's keys (one a frame at most): a read newer than another
    // holds new presses.
    static uint64_t GetReadFrame();
};
