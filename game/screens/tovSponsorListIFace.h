#pragma once
// The sponsor list (screen 16): a full-screen picture with one button per sponsor page, which
// opens that page on screen 17, and Back to the main menu.

#include "tovBackdropIFace.h"

#include <cstdint>

class tovSponsorListIFace : public tovBackdropIFace
{
public:
    static constexpr int32_t kBackButton = 22;

    tovSponsorListIFace();
    ~tovSponsorListIFace() override;

    // The one instance, or null.
    static tovSponsorListIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    // Posted lines stand under the sponsors' buttons, above the title.
    plat::Rect PostedTextBand() const override { return {4, 410, 636, 434}; }

private:
    void OpenPage(int32_t pageIndex);
};
