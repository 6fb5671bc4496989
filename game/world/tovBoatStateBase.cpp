#include "tovBoatStateBase.h"

#include "tovWorldServices.h"

#include <algorithm>
#include <cmath>

const tovBoatStateBase::MotorEntry tovBoatStateBase::kMotorTable[kMotorTableSize] = {
    {0, 0.01f * 0.0f},          {500, 0.01f * 6.16f},       {1000, 0.01f * 8.066667f},  {1500, 0.01f * 9.386667f},
    {2000, 0.01f * 10.706667f}, {2500, 0.01f * 12.906667f}, {3000, 0.01f * 32.266666f}, {3500, 0.01f * 51.626667f},
    {4000, 0.01f * 59.546665f}, {4500, 0.01f * 74.21333f},  {5000, 0.01f * 85.50667f},  {5500, 0.01f * 91.37334f},
    {6000, 0.01f * 104.5f},
};

namespace
{
constexpr float kDegreesToRadians = 0.017453333f;
// A frame that would need more look-ahead sub-steps than this is cut short: a stalled
// program or a hostile record never buys unbounded work.
constexpr int32_t kMaxSubSteps = 1024;

bool IsStill(float speed)
{
    return speed > -tovBoatStateBase::kStillSpeed && speed < tovBoatStateBase::kStillSpeed;
}
} // namespace

void tovBoatStateBase::ThrottleToRpm(float throttle, float& speed, int32_t& rpm)
{
    const float x = throttle * 12.0f;
    int32_t i = 0;
    if (std::isfinite(x))
        i = int32_t(std::clamp(std::trunc(x), 0.0f, 12.0f));
    rpm = kMotorTable[i].rpm;
    speed = kMotorTable[i].speed;
    if (i < 12)
    {
        const float f = std::isfinite(x) ? std::clamp(x - float(i), 0.0f, 1.0f) : 0.0f;
        rpm = kMotorTable[i].rpm + int32_t(float(kMotorTable[i + 1].rpm - kMotorTable[i].rpm) * f);
        speed = kMotorTable[i].speed + (kMotorTable[i + 1].speed - kMotorTable[i].speed) * f;
    }
}

float tovBoatStateBase::GetSpeedMph() const
{
    return m_speed * 100.0f * 0.6818182f;
}

float tovBoatStateBase::GetRpm() const
{
    float speed = 0.0f;
    int32_t rpm = 0;
    ThrottleToRpm(std::fabs(GetThrottle()), speed, rpm);
    return float(rpm);
}

void tovBoatStateBase::UpdateTargetSpeed()
{
    const float t = GetThrottle();
    float v = 0.0f;
    int32_t rpm = 0;
    ThrottleToRpm(std::fabs(t), v, rpm);
    if (t < 0.0f)
        v = -v;
    v = v - std::fabs(GetSteering()) * v * 0.1f;
    v = (GetRangeControl() * 0.1f + 1.0f) * v;
    m_targetSpeed = v;
}

void tovBoatStateBase::UpdateTurnTarget(float normSpeed)
{
    float g = normSpeed * 4.0f;
    g = normSpeed >= 0.0f ? std::min(g, 1.0f) : std::max(g, -1.0f);
    m_targetTurnRate = GetSteering() * g * 80.0f;
}

void tovBoatStateBase::UpdatePitchTarget(float normSpeed)
{
    const float a = normSpeed * 6.0f;
    const float b = m_targetSpeed > m_speed ? (m_targetSpeed - m_speed) * 25.0f / kMaxSpeed : 0.0f;
    m_pitchTarget = GetRangeControl() * normSpeed * 4.0f + b + a;
}

void tovBoatStateBase::UpdateRollTarget(float normSpeed)
{
    m_rollTarget = GetSteering() * std::min(normSpeed, 1.0f) * 20.0f;
}

void tovBoatStateBase::Step(double dt)
{
    UpdateTargetSpeed();
    const float k = float(std::min(dt * 1.665, 1.0));
    m_speed = m_speed + (m_targetSpeed - m_speed) * k;
    const float n = m_speed / kMaxSpeed;
    const QrPoint3 p = ComputeMove(dt);
    UpdateTurnTarget(n);
    const float k2 = float(std::min(dt * 16.65, 1.0));
    m_turnRate = m_turnRate + (m_targetTurnRate - m_turnRate) * k2;
    const float a = float(double(m_turnRate) * dt * double(kDegreesToRadians));
    if (!IsStill(m_speed))
        SetPosition(p);
    const float c = std::cos(a);
    const float s = std::sin(a);
    QrMatrix3 r = GetRotation();
    for (int i = 0; i < 3; ++i)
    {
        const float r0 = r.m[i][0];
        const float r2 = r.m[i][2];
        r.m[i][0] = r0 * c + r2 * s;
        r.m[i][2] = r2 * c - r0 * s;
    }
    SetRotation(r);
}

QrPoint3 tovBoatStateBase::ComputeMove(double dt)
{
    QrPoint3 p = GetPosition();
    if (IsStill(m_speed))
        return p;
    const QrPoint3 forward = GetWorldRotation().GetColumn(2);
    const QrPoint3 d = forward * float(double(m_speed) * dt);
    const QrPoint3 ahead = forward * (m_speed > 0.0f ? kLookAhead : -kLookAhead);
    p += d;
    CheckGround(p, ahead, false);
    return p;
}

float tovBoatStateBase::GroundAhead(const QrPoint3& p, const QrPoint3& ahead)
{
    tovWorldServices* world = GetWorldServices();
    if (!world || !world->IsOnLake(p))
        return 0.0f;
    return std::max(world->GroundHeight(p), world->GroundHeight(p + ahead));
}

bool tovBoatStateBase::CheckGround(QrPoint3& newPos, const QrPoint3& ahead, bool keepSpeed)
{
    const QrPoint3 c = GetPosition();
    const float hc = GroundAhead(c, ahead);
    const float hn = GroundAhead(newPos, ahead);
    if (hn <= kDraftLimit || hn < hc)
        return false;
    const QrPoint3 s = (newPos - c) * 0.125f;
    QrPoint3 p = newPos;
    for (int32_t i = 1; i <= 7; ++i)
    {
        p -= s;
        if (GroundAhead(p, ahead) <= kDraftLimit)
        {
            newPos = p;
            if (!keepSpeed)
                m_speed = m_targetSpeed = m_speed * float(8 - i) / 8.0f;
            return true;
        }
    }
    newPos = c;
    if (!keepSpeed)
        m_speed = m_targetSpeed = 0.0f;
    return true;
}

double tovBoatStateBase::SubStepLength(double dt) const
{
    double h = dt <= 0.25 ? dt : (dt > 5.0 ? dt * 0.05 : 0.25);
    // One sub-step never moves further than the look-ahead, so the ground and boat checks see
    // every spit and every boat the path crosses. The step's speed lies between the current
    // speed and the target the controls give.
    float target = 0.0f;
    int32_t rpm = 0;
    ThrottleToRpm(std::fabs(GetThrottle()), target, rpm);
    target *= GetRangeControl() * 0.1f + 1.0f;
    const double fastest = std::max(std::fabs(double(m_speed)), std::fabs(double(target)));
    if (fastest * h > double(kLookAhead))
        h = std::max(double(kLookAhead) / fastest, dt / kMaxSubSteps);
    return h;
}

void tovBoatStateBase::Update(double dt)
{
    if (m_speed == 0.0f && GetThrottle() == 0.0f)
        return;
    if (!std::isfinite(dt) || dt < 0.0)
        return;
    const double h = SubStepLength(dt);
    if (dt <= h)
    {
        Step(dt);
        return;
    }
    double left = dt;
    for (int32_t i = 0; left > h && i < kMaxSubSteps; ++i)
    {
        Step(h);
        left -= h;
    }
    Step(std::min(left, h));
}
