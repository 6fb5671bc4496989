#include "uSteeringWheel.h"

uSteeringWheel::uSteeringWheel(float deadZone) : uSweepControl(1.0f), m_deadZone(deadZone) {}

float uSteeringWheel::GetValue() const
{
    const float v = m_value;
    const float z = m_deadZone;
    if (v > z)
        return (v - z) / (m_upper - z);
    if (v < -z)
        return -((z + v) / (m_lower + z));
    return 0.0f;
}
