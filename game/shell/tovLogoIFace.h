#pragma once
// The logo splash (screen 25): leads to the intro.

#include "tovSplashIFace.h"

class tovLogoIFace : public tovSplashIFace
{
public:
    tovLogoIFace();
    ~tovLogoIFace() override;

    // The one instance, or null.
    static tovLogoIFace* GetInstance();
};
