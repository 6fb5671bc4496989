#pragma once
// A lever from 0 to 1 with a reverse setting that its owner switches on; while in reverse it
// answers minus the reverse value, and one Increase brings it back to neutral.

#include "uRangeControl.h"

class uThrottle : public uRangeControl
{
public:
    explicit uThrottle(float reverseValue);

    void Increase(float amount) override;
    void Reset() override;
    float GetValue() const override;

    void SetReverse(bool on) { m_reverse = on ? 1 : 0; }
    bool IsReverse() const { return m_reverse != 0; }

private:
    unsigned char m_reverse = 0;
    float m_reverseValue;
};
