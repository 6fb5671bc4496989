#include "tovFishFight.h"

#include "tovFishSpecies.h"

#include "uRandom.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kMinStamina = 0.05f;
constexpr float kMinEffort = 0.25f;    // of the fish's strength, in the tiring
constexpr float kFullBrakeDrag = 2.5f; // lb: the tackle's drag as it comes
constexpr float kReelPull = 0.5f;      // lb while reeling
constexpr float kFastReelPull = 1.5f;  // lb while fast-reeling
constexpr float kReelSpeed = 0.1f;     // units per second, twice as fast when fast-reeling
constexpr float kRunSpeed = 0.02f;     // units per second per pound of excess pull per pound of fish
constexpr float kRodLag = 0.15f;       // seconds
constexpr float kSlackTension = 0.2f;  // lb
constexpr float kSlackGrace = 2.0f;    // seconds before a slack line risks the hook
constexpr float kHookPullRate = 0.3f;  // per second on a slack line
constexpr float kMaxStep = 0.25f;      // a long frame is split so that the rod's lag stays stable

float Sane(float x, float lo, float hi, float fallback)
{
    return std::isfinite(x) ? std::clamp(x, lo, hi) : fallback;
}
} // namespace

void tovFishFight::Start(int32_t species, float weight, float lineOut, uRandom& random)
{
    m_weight = Sane(weight, 1.0f / 16.0f, 1000.0f, 1.0f);
    m_strength = m_weight * GetSpeciesPullFactor(species);
    m_stamina = 1.0f;
    m_lineOut = Sane(lineOut, 0.0f, kMaxLineOut, 0.0f);
    m_tension = 0.0f;
    m_pull = 0.0f;
    m_slackTime = 0.0f;
    m_surgeLeft = 0.0f;
    m_running = false;
    m_outcome = kGoing;
    StepSurge(0.0f, random);
}

void tovFishFight::StepSurge(float dt, uRandom& random)
{
    m_surgeLeft -= dt;
    if (m_surgeLeft > 0.0f)
        return;
    m_surge = static_cast<float>(random.uniform());
    m_surgeLeft = 0.5f + static_cast<float>(random.uniform());
}

tovFishFight::Outcome tovFishFight::Finish(Outcome outcome)
{
    m_outcome = outcome;
    m_running = false;
    return outcome;
}

tovFishFight::Outcome tovFishFight::Step(double elapsed, tovFightTackle& tackle, uRandom& random)
{
    if (m_outcome != kGoing || !std::isfinite(elapsed) || elapsed <= 0.0)
        return m_outcome;
    double left = std::min(elapsed, 10.0);
    while (left > 0.0 && m_outcome == kGoing)
    {
        const float dt = static_cast<float>(std::min<double>(left, kMaxStep));
        left -= dt;
        const float strength = Sane(tackle.lineStrength, 0.5f, 200.0f, 0.5f);
        const float drag = Sane(tackle.drag, 0.5f, strength, strength);
        const float wear = Sane(tackle.wear, 0.0f, 1.0f, 0.0f);
        const bool reeling = tackle.reel != tovFightTackle::kRest;
        const bool fast = tackle.reel == tovFightTackle::kFastReel;
        const float reelPull = reeling ? (fast ? kFastReelPull : kReelPull) : 0.0f;

        StepSurge(dt, random);
        m_pull = m_strength * m_stamina * (0.6f + 0.4f * m_surge);
        float tension = 0.0f;
        m_running = m_pull > drag;
        if (m_running)
        {
            m_lineOut += kRunSpeed * (m_pull - drag) / m_weight * dt;
            tension = drag + reelPull;
        }
        else
        {
            m_lineOut = std::max(0.0f, m_lineOut - (reeling ? kReelSpeed * (fast ? 2.0f : 1.0f) : 0.0f) * dt);
            tension = m_pull + reelPull;
        }
        m_tension += (tension - m_tension) * std::min(1.0f, dt / kRodLag);

        tackle.wear = std::min(1.0f, wear + dt * std::max(0.0f, m_tension / strength - 0.7f));
        if (m_tension > strength * (1.0f - 0.5f * tackle.wear))
            return Finish(kLineBroke);
        if (m_lineOut > kMaxLineOut)
            return Finish(kSpoolEmpty);

        // A run tires the fish a twentieth faster than holding against the reel. Against a drag
        // of the tackle's usual setting or more a fish tires at least as fast as a quarter of its
        // own strength held would tire it, so that a heavy fish is a fight of a minute, not
        // many; a looser drag brakes it less, and a big fish may take the whole spool.
        const float brake = std::min(1.0f, drag / kFullBrakeDrag);
        const float effort = std::max(kMinEffort * brake, m_tension / m_strength);
        const float drain = 0.08f * effort * (m_running ? 1.05f : 1.0f);
        m_stamina = std::max(kMinStamina, m_stamina - dt * drain);

        m_slackTime = m_tension < kSlackTension ? m_slackTime + dt : 0.0f;
        if (m_slackTime > kSlackGrace && random.uniform() < kHookPullRate * dt)
            return Finish(kHookPulled);
        if (m_lineOut < kLandDistance && m_stamina < kLandStamina)
            return Finish(kLanded);
    }
    return m_outcome;
}
