#pragma once
// A red sunfish, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovRedSunfish : public tovFish
{
public:
    tovRedSunfish() : tovFish(kRedSunfish) {}

protected:
    ~tovRedSunfish() override = default;
};
