#pragma once
// A northern pike, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovNorthernPike : public tovFish
{
public:
    tovNorthernPike() : tovFish(kNorthernPike) {}

protected:
    ~tovNorthernPike() override = default;
};
