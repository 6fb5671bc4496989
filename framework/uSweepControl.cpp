#include "uSweepControl.h"

uSweepControl::uSweepControl(float limit) : uValueControl(0.0f), m_upper(limit), m_lower(-limit) {}

float uSweepControl::Clamp(float value) const
{
    return uValueControl::Clamp(value, m_lower, m_upper);
}

void uSweepControl::Increase(float amount)
{
    m_value = Clamp(m_value + amount * m_step);
}

void uSweepControl::Decrease(float amount)
{
    m_value = Clamp(m_value - amount * m_step);
}

void uSweepControl::SetValue(float value)
{
    m_value = Clamp(value);
}
