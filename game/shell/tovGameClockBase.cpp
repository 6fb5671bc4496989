#include "tovGameClockBase.h"

#include "qrxClock.h"

double tovGameClockBase::Now()
{
    return GetTimeMs() * 0.001;
}

void tovGameClockBase::SetFlags(uint32_t flags)
{
    m_flags = flags;
    if (IsRunning())
        m_lastStamp = Now();
}

void tovGameClockBase::Update()
{
    const double now = Now();
    if (IsRunning())
        m_gameTime += (now - m_lastStamp + m_offset) * m_rate;
    m_lastStamp = now;
}

void tovGameClockBase::ClearOffset(int)
{
    m_offset = 0.0;
}
