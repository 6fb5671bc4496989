#include "tovTackle.h"

#include "uRandom.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr std::array<float, tovTackle::kLineTypeCount> kStrength = {5,  10, 20, 30, 40, 10, 12, 14, 24, 28, 10,
                                                                    12, 14, 17, 4,  6,  8,  10, 12, 14, 17, 20};
// Line kinds 0..3 by how plainly fish see them.
constexpr std::array<float, 4> kKindVisibility = {0.6f, 0.8f, 0.2f, 0.5f};
constexpr float kRodLag = 0.15f;
constexpr float kWearThreshold = 0.7f;
constexpr float kSlackTension = 0.2f;
constexpr double kSlackGrace = 2.0;
constexpr double kSlackPullRate = 0.3;
constexpr float kReelPull = 0.5f;
constexpr float kFastReelPull = 1.5f;
constexpr float kReelSpeed = 0.1f;

int32_t KindOfType(int32_t type)
{
    if (type <= 4)
        return 1;
    if (type <= 9)
        return 0;
    if (type <= 13)
        return 2;
    return 3;
}

bool IsLineType(int32_t type)
{
    return type >= 0 && type < tovTackle::kLineTypeCount;
}
} // namespace

tovTackle::tovTackle()
{
    SetLureType(0);
    SetDrag(m_lineStrength * 0.5f);
}

void tovTackle::DecRefCount()
{
    if (--m_refCount == 0)
        delete this;
}

float tovTackle::StrengthOfType(int32_t type)
{
    return IsLineType(type) ? kStrength[static_cast<size_t>(type)] : 0.0f;
}

float tovTackle::VisibilityOfType(int32_t type)
{
    if (!IsLineType(type))
        return 0.0f;
    const float kind = kKindVisibility[static_cast<size_t>(KindOfType(type))];
    return std::clamp(kind * (0.7f + 0.3f * StrengthOfType(type) / 40.0f), 0.0f, 1.0f);
}

int32_t tovTackle::GetState() const
{
    if (m_state == kStateFishOn)
        return m_fastReel ? kStateFastReel : kStateReel;
    return m_state;
}

void tovTackle::SetFastReel(bool fast)
{
    m_fastReel = fast;
    if (m_state == kStateReel || m_state == kStateFastReel)
        m_state = fast ? kStateFastReel : kStateReel;
}

void tovTackle::SetLureType(int32_t type)
{
    if (!IsLineType(type))
        return;
    m_lineType = type;
    m_lineWear = 0.0f;
    m_lineStrength = StrengthOfType(type);
    m_lineVisibility = VisibilityOfType(type);
    SetDrag(m_drag);
    if (m_lure)
        m_lure->SetLineVisibility(m_lineVisibility);
}

float tovTackle::GetBreakingTension() const
{
    return m_lineStrength * (1.0f - 0.5f * m_lineWear);
}

void tovTackle::ResetFightState()
{
    m_smoothedTension = 0.0f;
    m_slackTime = 0.0;
}

void tovTackle::ResetCast()
{
    m_state = kStateNone;
    m_fastReel = false;
    ResetFightState();
    if (m_lure)
        m_lure->Initialise();
}

void tovTackle::StartCast()
{
    ResetCast();
    m_state = kStateCastFlight;
}

void tovTackle::Splashdown()
{
    if (m_state != kStateCastFlight)
        return;
    m_state = m_fastReel ? kStateFastReel : kStateReel;
    if (m_lure)
        m_lure->SetInWater(true);
}

void tovTackle::HookFish()
{
    ResetFightState();
    m_state = kStateFishOn;
}

void tovTackle::EndFight()
{
    ResetCast();
}

void tovTackle::SetLinePointCount(const std::array<float, 4>& colour)
{
    m_lineColours[0] = colour;
    m_lineColours[1] = colour;
}

const std::array<float, 4>& tovTackle::GetLineColour(int32_t holder) const
{
    return m_lineColours[holder == 1 ? 1 : 0];
}

void tovTackle::SetDrag(float pounds)
{
    const float top = std::max(kMinDrag, m_lineStrength);
    // NaN from a bad caller lands on the lowest setting.
    if (!(pounds >= kMinDrag))
        pounds = kMinDrag;
    const float stepped = std::round(pounds / kDragStep) * kDragStep;
    m_drag = std::clamp(stepped, kMinDrag, top);
}

float tovTackle::GetReelPull() const
{
    return m_fastReel ? kFastReelPull : kReelPull;
}

float tovTackle::GetReelSpeed() const
{
    return m_fastReel ? 2.0f * kReelSpeed : kReelSpeed;
}

tovTackle::LineResult tovTackle::StepLine(float tension, float lineOut, double dt, uRandom& random)
{
    if (!(dt > 0.0))
        return LineResult::Holding;
    if (!(tension >= 0.0f))
        tension = 0.0f;
    const float follow = 1.0f - static_cast<float>(std::exp(-dt / kRodLag));
    m_smoothedTension += follow * (tension - m_smoothedTension);

    if (m_lineStrength > 0.0f)
    {
        const float over = m_smoothedTension / m_lineStrength - kWearThreshold;
        m_lineWear = std::min(1.0f, m_lineWear + static_cast<float>(dt) * std::max(0.0f, over));
    }
    if (m_smoothedTension > GetBreakingTension() || lineOut > kSpoolLength)
    {
        EndFight();
        return LineResult::Broke;
    }
    if (m_smoothedTension >= kSlackTension)
    {
        m_slackTime = 0.0;
        return LineResult::Holding;
    }
    m_slackTime += dt;
    if (m_slackTime <= kSlackGrace)
        return LineResult::Holding;
    const double chance = std::min(1.0, kSlackPullRate * dt);
    if (random.uniform() < chance)
    {
        EndFight();
        return LineResult::HookPulled;
    }
    return LineResult::Holding;
}

void tovTackle::SetLure(tovLure* lure)
{
    m_lure = lure;
    if (m_lure)
        m_lure->SetLineVisibility(m_lineVisibility);
}
