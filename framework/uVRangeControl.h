#pragma once
// A range control from 0 to 1 that steps toward a target inside its limits, stopping on it.

#include "uRangeControl.h"

class uVRangeControl : public uRangeControl
{
public:
    uVRangeControl();

    virtual void StepToTarget(float amount);
    virtual void SetTarget(float target);
    virtual float GetTarget() const;

private:
    float m_target = 0.0f;
};
