#pragma once
// A spotted bass, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovSpottedBass : public tovFish
{
public:
    tovSpottedBass() : tovFish(kSpottedBass) {}

protected:
    ~tovSpottedBass() override = default;
};
