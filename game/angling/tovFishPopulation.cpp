#include "tovFishPopulation.h"

#include "tovAnglingWorld.h"
#include "tovFishSpecies.h"
#include "tovLure.h"
#include "tovTackle.h"
#include "tovWeather.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kFeetPerUnit = 100.0f;
constexpr float kHomeRange = 0.5f;       // units a cruising fish strays from home
constexpr float kCruiseSpeed = 0.3f;     // of the species' swim speed
constexpr float kTurnRate = 2.0f;        // radians a second at most
constexpr float kSpookDistance = 0.1f;   // units
constexpr float kSpookSpeed = 10.0f;     // mph
constexpr int32_t kPlaceAttempts = 60;   // per fish
constexpr float kDepthMatchRange = 0.1f; // units of depth over which appeal halves
// Chance per second that a cruising fish in reach notices a fully appealing lure, and the
// reach: tuned so that a newcomer casting from the start has a strike within a few minutes,
// yet most casts come back empty.
constexpr double kNoticeRate = 0.1;
constexpr float kNoticeReach = 0.15f;        // units, in murky water
constexpr float kNoticeReachClarity = 0.25f; // more in clear water
// Chance per second, times the lure's appeal, that a fish at the lure takes it.
constexpr double kTakeRate = 0.8;
// A fish that has noticed the lure closes in at a dash, faster than a lure is reeled.
constexpr float kChaseSpeed = 2.0f;

// 1 for equal values, down to 0.5 a whole unit apart.
float Match(float x, float y)
{
    return 1.0f - 0.5f * std::min(1.0f, std::fabs(x - y));
}

float Distance2D(const QrPoint3& a, const QrPoint3& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

struct Conditions
{
    float water = 0.5f;
    float clarity = 0.5f;
    float wave = 0.5f;
    float behavior = 0.5f;
};

Conditions Read(const tovWeather* weather)
{
    Conditions c;
    if (weather == nullptr)
        return c;
    auto fraction = [](float x, float fallback) { return std::isfinite(x) ? std::clamp(x, 0.0f, 1.0f) : fallback; };
    c.water = fraction(weather->GetWaterNormalised(), 0.5f);
    c.clarity = fraction(weather->GetClarity(), 0.5f);
    c.wave = fraction(weather->GetWave(), 0.5f);
    c.behavior = fraction(weather->GetBehavior(), 0.5f);
    return c;
}
} // namespace

tovLurePresence tovLurePresence::Of(const tovLure& lure, const tovTackle& tackle, float waterHeight)
{
    tovLurePresence presence;
    presence.position = lure.GetPosition();
    presence.depth = std::max(0.0f, waterHeight - lure.GetPosition().y);
    presence.inWater = lure.IsInWater() && !lure.IsHidden();
    const int32_t state = tackle.GetState();
    if (tackle.IsReeling() && (state == tovTackle::kStateReel || state == tovTackle::kStateFastReel))
        presence.retrieve = tackle.IsFastReel() ? tovFightTackle::kFastReel : tovFightTackle::kReel;
    const tovLure::Attraction& a = lure.GetAttraction();
    presence.speciesRow = a.speciesRow;
    presence.temperature = a.temperature;
    presence.clarity = a.clarity;
    presence.wave = a.wave;
    presence.lineVisibility = lure.GetLineVisibility();
    return presence;
}

tovFishPopulation::tovFishPopulation(const tovAnglingWorld& world) : m_world(world)
{
    m_activity.fill(1.0f);
}

void tovFishPopulation::Clear()
{
    m_fish.clear();
    m_hooked = -1;
    m_strike = -1;
}

void tovFishPopulation::SetSkill(int32_t skill)
{
    static constexpr float kWindows[3] = {2.0f, 1.5f, 1.0f};
    m_hookWindow = kWindows[std::clamp(skill, 0, 2)];
}

int32_t tovFishPopulation::PickSpecies(const SpeciesTables& tables)
{
    std::array<float, kSpeciesCount> weights{};
    float total = 0.0f;
    for (int32_t k = 0; k < kSpeciesCount; ++k)
        total += weights[k] = std::max(0.0f, std::isfinite(tables[0][k]) ? tables[0][k] : 0.0f);
    // A lake that gives no species a share holds the three bass alike; the triples' third values
    // are the computer anglers' and the weigh-in's, the same on every lake.
    if (!(total > 0.0f) || !std::isfinite(total))
    {
        weights.fill(0.0f);
        weights[kLargemouthBass] = weights[kSmallmouthBass] = weights[kSpottedBass] = 1.0f;
        total = 3.0f;
    }
    float pick = static_cast<float>(m_random.uniform()) * total;
    for (int32_t k = 0; k < kSpeciesCount; ++k)
    {
        if (pick < weights[k])
            return k;
        pick -= weights[k];
    }
    return kLargemouthBass;
}

bool tovFishPopulation::PlaceFish(Fish& fish, const SpeciesTables& tables, float x0, float z0, float x1, float z1)
{
    const float preferred = std::isfinite(tables[1][fish.species]) ? tables[1][fish.species] / kFeetPerUnit : 0.0f;
    for (int32_t attempt = 0; attempt < kPlaceAttempts; ++attempt)
    {
        const QrPoint3 at(x0 + (x1 - x0) * static_cast<float>(m_random.uniform()), 0.0f,
                          z0 + (z1 - z0) * static_cast<float>(m_random.uniform()));
        const float cover = std::clamp(m_world.GetPopulationDensity(at), 0.0f, 1.0f);
        const bool accept = m_random.uniform() < 0.25 + 0.75 * cover;
        if (!m_world.IsOnLake(at) || !accept)
            continue;
        const float local = m_world.WaterHeight() - m_world.GroundHeight(at);
        if (!(local > 0.0f))
            continue;
        fish.depth = preferred > 0.0f ? std::min(preferred, local) : local * static_cast<float>(m_random.uniform());
        fish.map = fish.home = m_world.WorldToMap(at);
        return true;
    }
    return false;
}

void tovFishPopulation::Populate(int32_t seed, const SpeciesTables& tables, float x0, float z0, float x1, float z1,
                                 int32_t count, int32_t skill)
{
    Clear();
    m_random.seed(seed);
    SetSkill(skill);
    for (int32_t k = 0; k < kSpeciesCount; ++k)
    {
        const float activity = tables[2][k];
        m_activity[k] = std::isfinite(activity) && activity > 0.0f ? std::min(activity, 4.0f) : 1.0f;
    }
    if (!std::isfinite(x0) || !std::isfinite(z0) || !std::isfinite(x1) || !std::isfinite(z1))
        return;
    count = std::clamp(count, 0, kMaxCount);
    m_fish.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
    {
        Fish fish;
        fish.species = PickSpecies(tables);
        float b1 = 0.0f, b2 = 0.0f;
        m_world.GetSpeciesBounds(fish.species, b1, b2);
        DrawFishSizeForSpecies(fish.species, fish.weight, fish.length, static_cast<float>(m_random.uniform()), b1, b2,
                               skill, 0, 1.0f);
        // Headings spread by the golden angle, with no draw that would move the placements.
        fish.heading = 2.3999632f * static_cast<float>(i);
        if (PlaceFish(fish, tables, x0, z0, x1, z1))
            m_fish.push_back(fish);
    }
}

QrPoint3 tovFishPopulation::WorldOf(const Fish& fish) const
{
    return m_world.MapToWorld(fish.map);
}

float tovFishPopulation::Appeal(const Fish& fish, const tovLurePresence& lure) const
{
    const Conditions c = Read(m_world.GetWeather());
    const float depthGap = std::fabs(lure.depth - fish.depth) / kDepthMatchRange;
    return GetLureAttraction(lure.speciesRow, fish.species) * Match(lure.temperature, c.water) *
           Match(lure.clarity, c.clarity) * Match(lure.wave, c.wave) * (1.0f - 0.5f * std::min(1.0f, depthGap));
}

void tovFishPopulation::Wander(Fish& fish, float dt)
{
    // Speeds and ranges are world units; the record keeps the lake-map place. A fish keeps its
    // heading and turns a little at a time, so it roams its home water and passes by a lure
    // that stays in one place; at the edge of its range it turns back toward home.
    const bool fleeing = fish.behavior.GetState() == tovFishBehavior::kFlee;
    const float speed = GetSpeciesSwimSpeed(fish.species) * (fleeing ? 2.0f : kCruiseSpeed);
    fish.heading += (static_cast<float>(m_random.uniform()) - 0.5f) * kTurnRate * dt;
    const QrPoint3 at = WorldOf(fish);
    QrPoint3 next = at;
    next.x += std::sin(fish.heading) * speed * dt;
    next.z += std::cos(fish.heading) * speed * dt;
    const float range = fleeing ? 4.0f * kHomeRange : kHomeRange;
    const QrPoint3 home = m_world.MapToWorld(fish.home);
    if (Distance2D(next, home) > range || !m_world.IsOnLake(next))
    {
        fish.heading = std::atan2(home.x - at.x, home.z - at.z) + (static_cast<float>(m_random.uniform()) - 0.5f);
        return;
    }
    fish.map = m_world.WorldToMap(next);
}

void tovFishPopulation::StepFish(Fish& fish, int32_t index, float dt)
{
    const int32_t fired = fish.behavior.Step(dt, m_hookWindow);
    if (fired == tovFishBehavior::kSpit && m_strike == index)
        m_strike = -1;
    const int32_t state = fish.behavior.GetState();
    const bool lureLive = m_lure != nullptr && m_lure->inWater;
    if (state == tovFishBehavior::kCruise || state == tovFishBehavior::kFlee)
    {
        Wander(fish, dt);
        if (state != tovFishBehavior::kCruise || !lureLive || fish.behavior.IsCoolingDown())
            return;
        const Conditions c = Read(m_world.GetWeather());
        const float notice = kNoticeReach + kNoticeReachClarity * c.clarity;
        if (Distance2D(WorldOf(fish), m_lure->position) > notice)
            return;
        const float mood = m_activity[fish.species] * (0.5f + c.behavior) *
                           (1.0f - 0.5f * std::clamp(m_lure->lineVisibility, 0.0f, 1.0f) * c.clarity);
        const float retrieve = m_lure->retrieve == tovFightTackle::kReel       ? 1.0f
                               : m_lure->retrieve == tovFightTackle::kFastReel ? 0.6f
                                                                               : 0.4f;
        if (m_random.uniform() < kNoticeRate * Appeal(fish, *m_lure) * mood * retrieve * dt)
            fish.behavior.Apply(tovFishBehavior::kNoticeLure);
        return;
    }
    if (state != tovFishBehavior::kAttracted)
        return;
    if (!lureLive)
    {
        fish.behavior.Apply(tovFishBehavior::kLoseInterest);
        return;
    }
    // The chase runs in world units, as the lure moves and the swim speeds are given: a lake
    // map's cells are not world units.
    QrPoint3 at = WorldOf(fish);
    const float gap = Distance2D(at, m_lure->position);
    const float reach = kChaseSpeed * GetSpeciesSwimSpeed(fish.species) * dt;
    if (gap > kStrikeDistance)
    {
        const float t = std::min(1.0f, reach / gap);
        at.x += (m_lure->position.x - at.x) * t;
        at.z += (m_lure->position.z - at.z) * t;
        fish.map = m_world.WorldToMap(at);
        // A fish that reaches the lure within the step may take it in the same step, so that
        // a long frame does not keep a moving lure out of reach.
        if (gap - reach > kStrikeDistance)
            return;
    }
    if (m_strike < 0 && m_hooked < 0 && m_random.uniform() < kTakeRate * Appeal(fish, *m_lure) * dt)
    {
        fish.behavior.Apply(tovFishBehavior::kTakeLure);
        m_strike = index;
    }
}

void tovFishPopulation::Update(double, double elapsed)
{
    if (!std::isfinite(elapsed) || elapsed <= 0.0)
        return;
    const float dt = static_cast<float>(std::min(elapsed, 1.0));
    for (size_t i = 0; i < m_fish.size(); ++i)
    {
        Fish& fish = m_fish[i];
        if (static_cast<int32_t>(i) == m_hooked)
            continue;
        // Far from the lure only the clocks run.
        if (m_lure != nullptr && fish.behavior.GetState() == tovFishBehavior::kCruise &&
            Distance2D(WorldOf(fish), m_lure->position) > kActiveRadius)
        {
            fish.behavior.Step(dt, m_hookWindow);
            continue;
        }
        StepFish(fish, static_cast<int32_t>(i), dt);
    }
}

int32_t tovFishPopulation::TakeStrike()
{
    if (m_strike < 0 || m_fish[static_cast<size_t>(m_strike)].behavior.GetState() != tovFishBehavior::kStrike)
        return -1;
    return m_strike;
}

bool tovFishPopulation::SetHook(int32_t index, float lineOut)
{
    if (index < 0 || index >= GetCount() || m_hooked >= 0)
        return false;
    Fish& fish = m_fish[static_cast<size_t>(index)];
    if (!fish.behavior.Apply(tovFishBehavior::kHookSet))
        return false;
    m_hooked = index;
    m_strike = -1;
    m_fight.Start(fish.species, fish.weight, lineOut, m_random);
    return true;
}

tovFishFight::Outcome tovFishPopulation::StepFight(double elapsed, tovFightTackle& tackle)
{
    if (m_hooked < 0)
        return m_fight.GetOutcome();
    return EndFight(m_fight.Step(elapsed, tackle, m_random));
}

tovFishFight::Outcome tovFishPopulation::StepFight(double elapsed, tovTackle& tackle)
{
    if (m_hooked < 0)
        return m_fight.GetOutcome();
    return EndFight(tackle.StepFight(m_fight, elapsed, m_random));
}

void tovFishPopulation::HoldHookedFrom(const QrPoint3& world)
{
    if (m_hooked < 0)
        return;
    Fish& fish = m_fish[static_cast<size_t>(m_hooked)];
    const QrPoint3 at = WorldOf(fish);
    const float d = Distance2D(at, world);
    const float out = m_fight.GetLineOut();
    if (!(d > 1e-5f) || !std::isfinite(d) || !std::isfinite(out))
        return;
    QrPoint3 next = at;
    next.x = world.x + (at.x - world.x) * out / d;
    next.z = world.z + (at.z - world.z) * out / d;
    if (m_world.IsOnLake(next))
        fish.map = m_world.WorldToMap(next);
}

tovFishFight::Outcome tovFishPopulation::EndFight(tovFishFight::Outcome outcome)
{
    Fish& fish = m_fish[static_cast<size_t>(m_hooked)];
    switch (outcome)
    {
    case tovFishFight::kGoing:
        return outcome;
    case tovFishFight::kLanded:
        fish.behavior.Apply(tovFishBehavior::kLand);
        break;
    case tovFishFight::kHookPulled:
        fish.behavior.Apply(tovFishBehavior::kHookPulled);
        break;
    case tovFishFight::kLineBroke:
    case tovFishFight::kSpoolEmpty:
        fish.behavior.Apply(tovFishBehavior::kLineBroke);
        break;
    }
    m_hooked = -1;
    return outcome;
}

void tovFishPopulation::RemoveFish(int32_t index)
{
    if (index < 0 || index >= GetCount())
        return;
    m_fish.erase(m_fish.begin() + index);
    for (int32_t* held : {&m_hooked, &m_strike})
    {
        if (*held == index)
            *held = -1;
        else if (*held > index)
            --*held;
    }
}

void tovFishPopulation::ReleaseFish(int32_t index)
{
    if (index >= 0 && index < GetCount())
        m_fish[static_cast<size_t>(index)].behavior.Apply(tovFishBehavior::kRelease);
}

void tovFishPopulation::SpookAt(const QrPoint3& world, float speedMph)
{
    if (!(speedMph > kSpookSpeed))
        return;
    for (Fish& fish : m_fish)
        if (Distance2D(WorldOf(fish), world) < kSpookDistance)
            fish.behavior.Apply(tovFishBehavior::kSpook);
}

int32_t tovFishPopulation::CountInState(int32_t state) const
{
    return static_cast<int32_t>(
        std::count_if(m_fish.begin(), m_fish.end(), [state](const Fish& f) { return f.behavior.GetState() == state; }));
}
