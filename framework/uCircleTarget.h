#pragma once
// A circle control that turns toward a target the shorter way round (ties turn down). While
// stepping the value is not wrapped; GetWrappedValue answers it inside the bounds.

#include "uCircleControl.h"

#include <cstdint>

class uCircleTarget : public uCircleControl
{
public:
    uCircleTarget() = default;

    virtual void StepToTarget(float amount);
    virtual void SetTarget(float target);
    virtual float GetTarget() const;
    virtual float GetWrappedValue() const;

private:
    enum : int32_t
    {
        kDecreasing = 0,
        kIncreasing = 1,
    };

    float m_target = 0.0f;
    // The target one period up and one period down, where stepping stops.
    float m_high = 0.0f;
    float m_low = 0.0f;
    int32_t m_direction = kIncreasing;
};
