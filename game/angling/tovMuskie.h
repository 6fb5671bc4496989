#pragma once
// A muskie, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovMuskie : public tovFish
{
public:
    tovMuskie() : tovFish(kMuskie) {}

protected:
    ~tovMuskie() override = default;
};
