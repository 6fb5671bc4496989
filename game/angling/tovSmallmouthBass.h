#pragma once
// A smallmouth bass, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovSmallmouthBass : public tovFish
{
public:
    tovSmallmouthBass() : tovFish(kSmallmouthBass) {}

protected:
    ~tovSmallmouthBass() override = default;
};
