#include "uCircleTarget.h"

void uCircleTarget::SetTarget(float target)
{
    const float w = Wrap(target);
    m_target = m_high = m_low = w;
    if (w > m_value)
        m_low = w - m_upper;
    else if (w < m_value)
        m_high = w + m_upper;
    m_direction = m_value - m_low <= m_high - m_value ? kDecreasing : kIncreasing;
}

void uCircleTarget::StepToTarget(float amount)
{
    if (m_value == m_target)
        return;
    const float d = amount * m_step;
    if (m_direction == kIncreasing)
    {
        m_value += d;
        if (m_value >= m_high)
            m_value = m_target;
    }
    else
    {
        m_value -= d;
        if (m_value <= m_low)
            m_value = m_target;
    }
}

float uCircleTarget::GetTarget() const
{
    return m_target;
}

float uCircleTarget::GetWrappedValue() const
{
    return Wrap(m_value);
}
