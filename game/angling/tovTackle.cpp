#include "tovTackle.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr std::array<float, tovTackle::kLineTypeCount> kStrength = {5,  10, 20, 30, 40, 10, 12, 14, 24, 28, 10,
                                                                    12, 14, 17, 4,  6,  8,  10, 12, 14, 17, 20};
// Line kinds 0..3 by how plainly fish see them.
constexpr std::array<float, 4> kKindVisibility = {0.6f, 0.8f, 0.2f, 0.5f};

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

void tovTackle::ResetCast()
{
    m_state = kStateNone;
    m_fastReel = false;
    m_reeling = true;
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
    m_reeling = true;
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

tovFightTackle tovTackle::GetFightTackle() const
{
    tovFightTackle tackle;
    tackle.drag = m_drag;
    tackle.lineStrength = m_lineStrength;
    tackle.wear = m_lineWear;
    if (!m_reeling)
        tackle.reel = tovFightTackle::kRest;
    else
        tackle.reel = m_fastReel ? tovFightTackle::kFastReel : tovFightTackle::kReel;
    return tackle;
}

tovFishFight::Outcome tovTackle::StepFight(tovFishFight& fight, double elapsed, uRandom& random)
{
    tovFightTackle tackle = GetFightTackle();
    const tovFishFight::Outcome outcome = fight.Step(elapsed, tackle, random);
    m_lineWear = tackle.wear;
    if (outcome != tovFishFight::kGoing)
        EndFight();
    return outcome;
}

void tovTackle::SetLure(tovLure* lure)
{
    m_lure = lure;
    if (m_lure)
        m_lure->SetLineVisibility(m_lineVisibility);
}
