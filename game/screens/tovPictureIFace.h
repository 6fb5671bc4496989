#pragma once
// The help picture (screen 22): one full-screen picture and a Back button to the screen it was
// opened from.

#include "tovShellIFace.h"

#include <cstdint>

class tovPictureIFace : public tovShellIFace
{
public:
    tovPictureIFace();
    ~tovPictureIFace() override;

    // The one instance, or null.
    static tovPictureIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
};
