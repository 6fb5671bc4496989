#pragma once
// The help picture (screen 22): one full-screen picture and a Back button to the screen it was
// opened from.

#include "tovBackdropIFace.h"

#include <cstdint>

class tovPictureIFace : public tovBackdropIFace
{
public:
    tovPictureIFace();
    ~tovPictureIFace() override;

    // The one instance, or null.
    static tovPictureIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    // Posted lines stand between the key table and the first day's steps.
    plat::Rect PostedTextBand() const override { return {4, 357, 636, 377}; }
    // Back, when opened from a screen that keeps Escape as its own: the main menu would leave
    // that screen's day unclosed (a weigh-in never credited, the other players held).
    bool AllowsEscape() override;

private:
    bool m_escapeIsBack = false;
};
