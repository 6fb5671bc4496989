#pragma once
// A pickerel, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovPickerel : public tovFish
{
public:
    tovPickerel() : tovFish(kPickerel) {}

protected:
    ~tovPickerel() override = default;
};
