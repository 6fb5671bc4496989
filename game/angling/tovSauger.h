#pragma once
// A sauger, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovSauger : public tovFish
{
public:
    tovSauger() : tovFish(kSauger) {}

protected:
    ~tovSauger() override = default;
};
