#pragma once
// A carp, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovCarp : public tovFish
{
public:
    tovCarp() : tovFish(kCarp) {}

protected:
    ~tovCarp() override = default;
};
