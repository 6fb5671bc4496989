#include "tovTrollingMotor.h"

#include "tovBoatStateBase.h"
#include "tovMotorSound.h"
#include "tovWake.h"

#include "QrAVObject.h"
#include "qrxObjectFlyer.h"

#include <algorithm>
#include <cmath>

int16_t tovTrollingMotor::GetLevel() const
{
    return m_state.m_trollingLevel;
}

int16_t tovTrollingMotor::GetLastCommand() const
{
    return m_state.m_lastTrollingCommand;
}

void tovTrollingMotor::StopTrollingMotor()
{
    m_state.m_trollingLevel = -1;
    m_state.m_lastTrollingCommand = kOff;
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
    int16_t& level = m_state.m_trollingLevel;
    if (command == kSlower)
    {
        level = int16_t(std::max(level, int16_t(0)) - 1);
        if (level <= -1)
            StopTrollingMotor();
        return;
    }
    if (command < kForward || command > kOff)
        return;
    if (level < 0 && m_sound)
        m_sound->PlaySound(tovMotorSound::kTrollingSound, true);
    if (level < 0 || command == m_state.m_lastTrollingCommand)
        level = std::clamp<int16_t>(int16_t(std::max(level, int16_t(-1)) + 1), 0, kMaxLevel);
    m_state.m_lastTrollingCommand = int16_t(command);
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
    ClampState();
    const int16_t level = m_state.m_trollingLevel;
    if (level < 0)
        return;
    DriveTrollingMotor(flyer, dt, m_state.m_lastTrollingCommand, 1.0f + 0.1f * float(level));
    if (!propeller)
        return;
    m_propellerAngle -= float(std::max(level + 1, 4)) * 0.1f * dt * 900.0f;
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

float tovTrollingMotor::SetTrollingMotorDeploy(float fraction, tovWake* const* wakes, int32_t wakeCount)
{
    const float f = std::clamp(std::isfinite(fraction) ? fraction : 0.0f, 0.0f, 1.0f);
    if (f < 1.0f)
        StopTrollingMotor();
    for (int32_t i = 0; wakes && i < wakeCount; ++i)
        if (wakes[i])
            wakes[i]->SetEnabled(f <= 0.0f);
    return f * kDeployedTime;
}

void tovTrollingMotor::ClampState()
{
    m_state.m_trollingLevel = std::clamp<int16_t>(m_state.m_trollingLevel, -1, kMaxLevel);
    m_state.m_lastTrollingCommand = std::clamp<int16_t>(m_state.m_lastTrollingCommand, kForward, kOff);
}
