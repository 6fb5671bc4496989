#pragma once
// A perch, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovPerch : public tovFish
{
public:
    tovPerch() : tovFish(kPerch) {}

protected:
    ~tovPerch() override = default;
};
