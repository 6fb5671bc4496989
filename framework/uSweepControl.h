#pragma once
// A value control kept between -limit and +limit, starting at 0.

#include "uValueControl.h"

class uSweepControl : public uValueControl
{
public:
    explicit uSweepControl(float limit);

    void Increase(float amount) override;
    void Decrease(float amount) override;
    void SetValue(float value) override;

protected:
    float Clamp(float value) const;

    float m_upper;
    float m_lower;
};
