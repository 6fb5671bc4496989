#pragma once
// The sponsor list (screen 16): a full-screen picture with one button per sponsor page, which
// opens that page on screen 17, and Back to the main menu.

#include "tovShellIFace.h"

#include <cstdint>

class tovSponsorListIFace : public tovShellIFace
{
public:
    static constexpr int32_t kBackButton = 22;

    tovSponsorListIFace();
    ~tovSponsorListIFace() override;

    // The one instance, or null.
    static tovSponsorListIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;

private:
    void OpenPage(int32_t pageIndex);
};
