#pragma once
// A black crappie, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovBlackCrappie : public tovFish
{
public:
    tovBlackCrappie() : tovFish(kBlackCrappie) {}

protected:
    ~tovBlackCrappie() override = default;
};
