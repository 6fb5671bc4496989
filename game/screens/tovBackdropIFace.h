#pragma once
// Base of the screens that are one background picture and its buttons: what they do on leave,
// on exit and each frame is the same.

#include "tovShellIFace.h"

#include <cstdint>

class tovBackdropIFace : public tovShellIFace
{
public:
    // Drops the background and the buttons.
    void Leave(int32_t ownId) override;
    // Hides the cursor the screen showed on enter.
    void Exit(int32_t nextId) override;
    // Draws the background, the buttons and any message over them.
    int32_t Update(float now, float elapsed) override;
};
