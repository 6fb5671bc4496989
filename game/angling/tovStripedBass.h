#pragma once
// A striped bass, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovStripedBass : public tovFish
{
public:
    tovStripedBass() : tovFish(kStripedBass) {}

protected:
    ~tovStripedBass() override = default;
};
