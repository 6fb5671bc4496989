#include "tovTackle.h"

#include "QrPoint3.h"
#include "QrVertexColorProperty.h"
#include "qrxVLineStrip.h"

#include <algorithm>
#include <cmath>
#include <vector>

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
    const std::vector<QrPoint3> points(kHolderPoints);
    // A line has no normals to light: lit, it would come out black whatever colour it was given.
    QrPointer<QrVertexColorProperty> ownColour(new QrVertexColorProperty);
    ownColour->m_mode = 1;
    for (QrPointer<qrxVLineStrip>& holder : m_holders)
    {
        holder = new qrxVLineStrip(static_cast<uint16_t>(kHolderPoints), points.data(), nullptr, nullptr);
        holder->SetPointCount(0);
        holder->AttachProperty(ownColour.Get());
    }
}

tovTackle::~tovTackle() = default;

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

qrxVLineStrip* tovTackle::GetLineHolder(int32_t holder) const
{
    return m_holders[holder == 1 ? 1 : 0].Get();
}

void tovTackle::PlaceLine(const QrPoint3& tip, const QrPoint3& end, float water, float sag, bool hidden)
{
    std::array<uint16_t, 2> counts{};
    std::array<QrPoint3*, 2> points = {m_holders[0]->GetPoints(), m_holders[1]->GetPoints()};
    const auto add = [&](int32_t holder, const QrPoint3& a, const QrPoint3& b)
    {
        // Each segment gives a holder one piece at most, so the capacity is never passed.
        if (counts[holder] + 2 > kHolderPoints)
            return;
        points[holder][counts[holder]++] = a;
        points[holder][counts[holder]++] = b;
    };
    QrPoint3 last = tip;
    for (int32_t i = 1; i < kLineNodes && !hidden; ++i)
    {
        const float t = static_cast<float>(i) / static_cast<float>(kLineNodes - 1);
        const QrPoint3 next(tip.x + (end.x - tip.x) * t, tip.y + (end.y - tip.y) * t - sag * 4.0f * t * (1.0f - t),
                            tip.z + (end.z - tip.z) * t);
        const bool lastAbove = last.y >= water;
        const bool nextAbove = next.y >= water;
        if (lastAbove == nextAbove)
        {
            add(lastAbove ? 0 : 1, last, next);
        }
        else
        {
            const float f = (water - last.y) / (next.y - last.y);
            const QrPoint3 cross(last.x + (next.x - last.x) * f, water, last.z + (next.z - last.z) * f);
            add(lastAbove ? 0 : 1, last, cross);
            add(nextAbove ? 0 : 1, cross, next);
        }
        last = next;
    }
    for (int32_t h = 0; h < 2; ++h)
    {
        const std::array<float, 4>& c = m_lineColours[h];
        // Drawn opaque: the stored colours carry the tackle screen's faint alpha.
        m_holders[h]->SetAllColors(QrColorA(c[0], c[1], c[2], 1.0f));
        m_holders[h]->SetPointCount(counts[h]);
        m_holders[h]->MarkVerticesChanged();
        m_holders[h]->UpdateAllInstances();
    }
}

void tovTackle::SetLineUnderwater(bool below)
{
    m_holders[1]->SetAppCulled(below ? 0 : 1);
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
