#pragma once
// What the boat asks of the angler figure standing in it: a figure node that also derives from
// this takes the boat's paint scheme as its look and follows the wheel with its drive pose. A
// figure without it simply stands.

#include <cstdint>

class tovBoatRider
{
public:
    virtual ~tovBoatRider() = default;
    // -1 keeps a colour.
    virtual void SetAppearance(int32_t look, int32_t colour1, int32_t colour2) = 0;
    // The wheel's value, -1 to 1.
    virtual void SetDriveLevel(float level) = 0;
};
