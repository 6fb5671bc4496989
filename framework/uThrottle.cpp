#include "uThrottle.h"

uThrottle::uThrottle(float reverseValue) : uRangeControl(0.0f, 1.0f), m_reverseValue(reverseValue) {}

void uThrottle::Increase(float amount)
{
    if (m_reverse)
    {
        m_reverse = 0;
        m_value = 0.0f;
        return;
    }
    uRangeControl::Increase(amount);
}

void uThrottle::Reset()
{
    uRangeControl::Reset();
    m_reverse = 0;
}

float uThrottle::GetValue() const
{
    return m_reverse ? -m_reverseValue : m_value;
}
