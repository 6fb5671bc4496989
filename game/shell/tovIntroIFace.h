#pragma once
// The intro splash (screen 13): leads to the main menu.

#include "tovSplashIFace.h"

class tovIntroIFace : public tovSplashIFace
{
public:
    tovIntroIFace();
    ~tovIntroIFace() override;

    // The one instance, or null.
    static tovIntroIFace* GetInstance();
};
