#pragma once
// A value control kept between a minimum and a maximum.

#include "uValueControl.h"

class uRangeControl : public uValueControl
{
public:
    uRangeControl(float minimum, float maximum);

    void Increase(float amount) override;
    void Decrease(float amount) override;
    void SetValue(float value) override;

    virtual bool AtMax() const;
    virtual bool AtMin() const;
    // The setters of the limits clamp the value again.
    virtual void SetMin(float minimum);
    virtual void SetMax(float maximum);
    virtual void SetRange(float minimum, float maximum);
    virtual float GetMin() const;
    virtual float GetMax() const;

protected:
    float Clamp(float value) const;

    float m_min;
    float m_max;
};
