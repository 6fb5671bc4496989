#pragma once
// A sunfish, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovSunfish : public tovFish
{
public:
    tovSunfish() : tovFish(kSunfish) {}

protected:
    ~tovSunfish() override = default;
};
