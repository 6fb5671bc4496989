#include "tovTrollingMotor.h"

#include "tovMotorSound.h"
#include "tovWake.h"

#include "QrAVObject.h"
#include "qrxObjectFlyer.h"

#include <algorithm>
#include <cmath>

void tovTrollingMotor::StopTrollingMotor()
{
    m_level = -1;
    m_lastCommand = kOff;
    if (m_sound)
        m_sound->StopSound(tovMotorSound::kTrollingSound);
}

void tovTrollingMotor::OnMotorEvent(int32_t command)
{
    if (command == kOff)
    {
        StopTrollingMotor();
        return;
    }
    if (command == kSlower)
    {
        if (--m_level <= -1)
            StopTrollingMotor();
        return;
    }
    if (command < kForward || command > kOff)
        return;
    if (m_level < 0 && m_sound)
        m_sound->PlaySound(tovMotorSound::kTrollingSound, true);
    if (m_level < 0 || command == m_lastCommand)
        m_level = std::min<int16_t>(int16_t(m_level + 1), kMaxLevel);
    m_lastCommand = int16_t(command);
}

void tovTrollingMotor::DriveTrollingMotor(qrxObjectFlyer& flyer, float dt, int32_t command, float factor)
{
    switch (command)
    {
    case kForward:
        flyer.MoveForward(factor, dt);
        break;
    case kBack:
        flyer.MoveBackward(factor, dt);
        break;
    case kLeft:
        flyer.TurnLeft(factor, dt);
        break;
    case kRight:
        flyer.TurnRight(factor, dt);
        break;
    default:
        break;
    }
}

void tovTrollingMotor::Step(qrxObjectFlyer& flyer, QrAVObject* propeller, float dt)
{
    if (m_level < 0)
        return;
    DriveTrollingMotor(flyer, dt, m_lastCommand, 1.0f + 0.1f * float(m_level));
    if (!propeller)
        return;
    m_propellerAngle -= float(std::max(m_level + 1, 4)) * 0.1f * dt * 900.0f;
    // Kept within a turn so that a long run keeps its precision.
    m_propellerAngle = std::fmod(m_propellerAngle, 360.0f);
    const float radians = m_propellerAngle * 0.017453292f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    QrMatrix3& r = propeller->GetRotate();
    r.m[0][0] = c, r.m[0][1] = s, r.m[0][2] = 0.0f;
    r.m[1][0] = -s, r.m[1][1] = c, r.m[1][2] = 0.0f;
    r.m[2][0] = 0.0f, r.m[2][1] = 0.0f, r.m[2][2] = 1.0f;
}

void tovTrollingMotor::SetTrollingMotorDeploy(float fraction, tovWake* const* wakes, int32_t wakeCount)
{
    const float f = std::clamp(std::isfinite(fraction) ? fraction : 0.0f, 0.0f, 1.0f);
    m_timeWanted = f * kDeployedTime;
    if (f < 1.0f)
        StopTrollingMotor();
    for (int32_t i = 0; wakes && i < wakeCount; ++i)
        if (wakes[i])
            wakes[i]->SetEnabled(f <= 0.0f);
}

void tovTrollingMotor::SetState(int16_t level, int16_t lastCommand)
{
    m_level = std::clamp<int16_t>(level, -1, kMaxLevel);
    m_lastCommand = std::clamp<int16_t>(lastCommand, kForward, kOff);
}

bool tovTrollingMotor::TakeAnimationTime(float& time)
{
    if (m_timeWanted == m_timeApplied)
        return false;
    m_timeApplied = m_timeWanted;
    time = m_timeApplied;
    return true;
}
