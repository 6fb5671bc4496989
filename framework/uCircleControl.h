#pragma once
// A value control that wraps around the period from its lower to its upper bound (headings
// in degrees). The owner sets the bounds before any value operation.

#include "uValueControl.h"

class uCircleControl : public uValueControl
{
public:
    uCircleControl();

    void Increase(float amount) override;
    void Decrease(float amount) override;
    void SetValue(float value) override;

    virtual void SetUpper(float upper);
    virtual float GetUpper() const;
    virtual void SetLower(float lower);
    virtual float GetLower() const;

protected:
    // Into [lower, upper); a value is answered unchanged when the bounds leave no span.
    float Wrap(float value) const;

    float m_upper = 0.0f;
    float m_lower = 0.0f;
};
