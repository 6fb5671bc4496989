#pragma once
// A sweep control from -1 to 1 that answers 0 inside its dead zone and runs linearly to the
// limits outside it.

#include "uSweepControl.h"

class uSteeringWheel : public uSweepControl
{
public:
    explicit uSteeringWheel(float deadZone);

    float GetValue() const override;

private:
    float m_deadZone;
};
