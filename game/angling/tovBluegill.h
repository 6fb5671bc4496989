#pragma once
// A bluegill, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovBluegill : public tovFish
{
public:
    tovBluegill() : tovFish(kBluegill) {}

protected:
    ~tovBluegill() override = default;
};
