#include "uCircleControl.h"

#include <cmath>

namespace
{
// Beyond this many periods away a value is brought near first, so the loops stay short.
constexpr float kFarPeriods = 1024.0f;
} // namespace

uCircleControl::uCircleControl() : uValueControl(0.0f) {}

float uCircleControl::Wrap(float value) const
{
    const float span = m_upper - m_lower;
    // An empty or inverted span would loop for ever.
    if (!(span > 0.0f) || !std::isfinite(value))
        return value;
    if (std::fabs(value - m_lower) > kFarPeriods * span)
        value = m_lower + std::fmod(value - m_lower, span);
    while (value < m_lower)
        value += span;
    while (value >= m_upper)
        value -= span;
    return value;
}

void uCircleControl::Increase(float amount)
{
    m_value = Wrap(m_value + amount * m_step);
}

void uCircleControl::Decrease(float amount)
{
    m_value = Wrap(m_value - amount * m_step);
}

void uCircleControl::SetValue(float value)
{
    m_value = Wrap(value);
}

void uCircleControl::SetUpper(float upper)
{
    m_upper = upper;
}

float uCircleControl::GetUpper() const
{
    return m_upper;
}

void uCircleControl::SetLower(float lower)
{
    m_lower = lower;
}

float uCircleControl::GetLower() const
{
    return m_lower;
}
