#include "uVRangeControl.h"

uVRangeControl::uVRangeControl() : uRangeControl(0.0f, 1.0f) {}

void uVRangeControl::StepToTarget(float amount)
{
    if (m_value < m_target)
    {
        m_value += amount * m_step;
        if (m_value > m_target)
            m_value = m_target;
    }
    else if (m_value > m_target)
    {
        m_value -= amount * m_step;
        if (m_value < m_target)
            m_value = m_target;
    }
}

void uVRangeControl::SetTarget(float target)
{
    // The minimum wins when the limits cross.
    m_target = target < m_min ? m_min : (target > m_max ? m_max : target);
}

float uVRangeControl::GetTarget() const
{
    return m_target;
}
