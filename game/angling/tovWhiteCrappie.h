#pragma once
// A white crappie, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovWhiteCrappie : public tovFish
{
public:
    tovWhiteCrappie() : tovFish(kWhiteCrappie) {}

protected:
    ~tovWhiteCrappie() override = default;
};
