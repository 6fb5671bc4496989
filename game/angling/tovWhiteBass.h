#pragma once
// A white bass, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovWhiteBass : public tovFish
{
public:
    tovWhiteBass() : tovFish(kWhiteBass) {}

protected:
    ~tovWhiteBass() override = default;
};
