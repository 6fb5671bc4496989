#pragma once
// A walleye, ready to swim: its model comes from the species' file.

#include "tovFish.h"
#include "tovFishSpecies.h"

class tovWalleye : public tovFish
{
public:
    tovWalleye() : tovFish(kWalleye) {}

protected:
    ~tovWalleye() override = default;
};
