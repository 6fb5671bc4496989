#pragma once
// The exit splash (screen 24): it takes the player out of a network session at once, and its end
// asks the main window to close, which shuts the program down.

#include "tovSplashIFace.h"

class tovExitIFace : public tovSplashIFace
{
public:
    tovExitIFace();
    ~tovExitIFace() override;

    void Enter(int32_t previousId) override;

    // The one instance, or null.
    static tovExitIFace* GetInstance();

protected:
    void Finish() override;

private:
    bool m_closing = false;
};
