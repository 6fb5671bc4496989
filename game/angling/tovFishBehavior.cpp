#include "tovFishBehavior.h"

#include <algorithm>
#include <cmath>

namespace
{
struct Row
{
    int32_t from;
    tovFishBehavior::Event event;
    int32_t to;
};

using B = tovFishBehavior;
constexpr Row kTable[] = {
    {B::kCruise, B::kNoticeLure, B::kAttracted},
    {B::kAttracted, B::kTakeLure, B::kStrike},
    {B::kAttracted, B::kLoseInterest, B::kCruise},
    {B::kStrike, B::kHookSet, B::kFight},
    {B::kStrike, B::kSpit, B::kFlee},
    {B::kCruise, B::kSpook, B::kFlee},
    {B::kAttracted, B::kSpook, B::kFlee},
    {B::kFight, B::kLineBroke, B::kFlee},
    {B::kFight, B::kHookPulled, B::kFlee},
    {B::kFight, B::kLand, B::kLanded},
    {B::kLanded, B::kRelease, B::kFlee},
    {B::kLivewell, B::kRelease, B::kFlee},
    {B::kFlee, B::kCalm, B::kCruise},
};
} // namespace

int32_t tovFishBehavior::Transition(int32_t state, Event event)
{
    for (const Row& row : kTable)
        if (row.from == state && row.event == event)
            return row.to;
    return -1;
}

void tovFishBehavior::SetBehavior(int32_t state)
{
    if (state < 0 || state >= kStateCount)
        return;
    m_state = static_cast<State>(state);
    m_timeInState = 0.0;
}

bool tovFishBehavior::Apply(Event event)
{
    const int32_t next = Transition(m_state, event);
    if (next < 0)
        return false;
    if (event == kLoseInterest)
        m_coolDown = kInterestCoolDown;
    m_state = static_cast<State>(next);
    m_timeInState = 0.0;
    return true;
}

int32_t tovFishBehavior::Step(double elapsed, double hookWindow)
{
    if (!std::isfinite(elapsed) || elapsed <= 0.0)
        return -1;
    m_timeInState += elapsed;
    if (m_coolDown > 0.0)
        m_coolDown = std::max(0.0, m_coolDown - elapsed);
    Event fired = kEventCount;
    if (m_state == kFlee && m_timeInState >= kFleeTime)
        fired = kCalm;
    else if (m_state == kAttracted && m_timeInState >= kFollowTime)
        fired = kLoseInterest;
    else if (m_state == kStrike && m_timeInState >= (std::isfinite(hookWindow) ? hookWindow : 0.0))
        fired = kSpit;
    if (fired == kEventCount)
        return -1;
    Apply(fired);
    return fired;
}
