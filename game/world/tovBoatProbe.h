#pragma once
// What the local player's boat samples once a frame after its driving step (the fish finder's
// reading of depth, temperature and structure). The fishing mode makes them through the world
// services; without one the boat has no probe.

#include "QrPoint3.h"

class tovLake;

class tovBoatProbe
{
public:
    virtual ~tovBoatProbe() = default;
    virtual bool Sample(double now, double dt, const QrPoint3& position, float speed, float waterTemperature,
                        tovLake* lake) = 0;
};
