#pragma once
// A largemouth bass, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovLargemouthBass : public tovFish
{
public:
    tovLargemouthBass() : tovFish(kLargemouthBass) {}

protected:
    ~tovLargemouthBass() override = default;
};
