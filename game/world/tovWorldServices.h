#pragma once
// The fishing world as the lake world sees it. The fishing world lives in a higher layer and
// installs itself here; without one the pointer is null and the world's actions do nothing.

#include "QrPoint3.h"

class tovWorldServices
{
public:
    virtual ~tovWorldServices() = default;

    // Switches the whole scene (scene root, line, wakes, sky, sectors, camera range) between
    // its above-water and below-water looks.
    virtual void SetUnderwater(bool below) = 0;
    // Moves the light that follows the camera.
    virtual void SetLightAPosition(const QrPoint3& position) = 0;
};

// Borrowed; null removes it.
void SetWorldServices(tovWorldServices* services);
tovWorldServices* GetWorldServices();
