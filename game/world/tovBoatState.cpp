#include "tovBoatState.h"

void tovBoatState::Update(double dt)
{
    tovBoatStateBase::Update(dt);
    m_changeMask |= kStepMask;
}

void tovBoatState::Assign(const tovBoatState& from, bool apply)
{
    if (!apply)
    {
        *this = from;
        m_changeMask = kAllMask;
        return;
    }
    m_paintScheme = from.m_paintScheme;
    const uint32_t mask = from.m_changeMask;
    if (mask & kThrottle)
        SetThrottle(from.m_throttle);
    if (mask & kSteering)
        SetSteering(from.m_steering);
    if (mask & kTrim)
        SetRangeControl(from.m_trim);
    if (mask & kPosition)
        SetPosition(from.m_position);
    if (mask & kRotation)
        SetRotation(from.m_rotation);
    if (mask & kTrolling)
        SetTackleIds(from.m_lastTrollingCommand, from.m_trollingLevel);
    if (mask & kSpeed)
    {
        m_speed = from.m_speed;
        m_targetSpeed = from.m_targetSpeed;
    }
    if (mask & kTurn)
    {
        m_turnRate = from.m_turnRate;
        m_targetTurnRate = from.m_targetTurnRate;
    }
    if (mask & kPitch)
    {
        m_pitch = from.m_pitch;
        m_pitchTarget = from.m_pitchTarget;
    }
    if (mask & kRoll)
    {
        m_roll = from.m_roll;
        m_rollTarget = from.m_rollTarget;
    }
    m_changeMask |= mask;
}
