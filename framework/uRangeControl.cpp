#include "uRangeControl.h"

uRangeControl::uRangeControl(float minimum, float maximum) : uValueControl(minimum), m_min(minimum), m_max(maximum) {}

float uRangeControl::Clamp(float value) const
{
    return uValueControl::Clamp(value, m_min, m_max);
}

void uRangeControl::Increase(float amount)
{
    m_value = Clamp(m_value + amount * m_step);
}

void uRangeControl::Decrease(float amount)
{
    m_value = Clamp(m_value - amount * m_step);
}

void uRangeControl::SetValue(float value)
{
    m_value = Clamp(value);
}

bool uRangeControl::AtMax() const
{
    return m_value == m_max;
}

bool uRangeControl::AtMin() const
{
    return m_value == m_min;
}

void uRangeControl::SetMin(float minimum)
{
    m_min = minimum;
    m_value = Clamp(m_value);
}

void uRangeControl::SetMax(float maximum)
{
    m_max = maximum;
    m_value = Clamp(m_value);
}

void uRangeControl::SetRange(float minimum, float maximum)
{
    m_min = minimum;
    m_max = maximum;
    m_value = Clamp(m_value);
}

float uRangeControl::GetMin() const
{
    return m_min;
}

float uRangeControl::GetMax() const
{
    return m_max;
}
