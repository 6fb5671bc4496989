#include "uValueControl.h"

uValueControl::uValueControl(float value) : m_value(value), m_default(value) {}

void uValueControl::Increase(float amount)
{
    m_value += amount * m_step;
}

void uValueControl::Decrease(float amount)
{
    m_value -= amount * m_step;
}

void uValueControl::Reset()
{
    m_value = m_default;
}

void uValueControl::SetValue(float value)
{
    m_value = value;
}

float uValueControl::GetValue() const
{
    return m_value;
}

void uValueControl::SetStep(float step)
{
    m_step = step;
}

float uValueControl::GetStep() const
{
    return m_step;
}

void uValueControl::SetDefault(float value)
{
    m_default = value;
}

float uValueControl::GetDefault() const
{
    return m_default;
}
