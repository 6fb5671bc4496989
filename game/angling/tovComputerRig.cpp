#include "tovComputerRig.h"

#include "tovAnglingWorld.h"
#include "tovBoat.h"
#include "tovFishSpecies.h"
#include "tovUserProfile.h"

#include <array>
#include <cmath>

namespace
{
// The bass the standings roll for computer anglers.
constexpr std::array<int32_t, 3> kStandingsSpecies = {11, 10, 3};
constexpr double kFirstWaitMax = 5.0;
constexpr double kDriveMin = 10.0;
constexpr double kDriveMax = 40.0;
constexpr double kCastMin = 8.0;
constexpr double kCastMax = 15.0;
// How far from its start a computer angler looks for a spot (world units).
constexpr float kSpotRadius = 3.0f;
constexpr int kSpotTries = 16;
constexpr double kFishingMin = 300.0;
constexpr double kFishingMax = 1500.0;
constexpr float kArriveDistance = 0.1f;
constexpr float kSlowDistance = 0.5f;
constexpr float kHeadingSlack = 5.0f;
constexpr float kCruiseThrottle = 0.6f;
constexpr float kSlowThrottle = 0.2f;
// The livewell shows a bass of 15 inches at this scale.
constexpr float kDisplayScale = 0.0002f;
constexpr float kBassLength = 15.0f;

double Between(uRandom& random, double lo, double hi)
{
    return lo + (hi - lo) * random.uniform();
}
} // namespace

tovComputerRig::tovComputerRig(bool lowDetail, int32_t, int32_t, int32_t, int32_t)
    : tovAnglerRig(0, 0, 0, -1, lowDetail, new tovBoat(TheUserProfile().GetDetail())), m_random(1)
{
}

int32_t tovComputerRig::ChooseSpecies(const tovAnglingWorld& world, double fraction)
{
    float sum = 0.0f;
    std::array<float, kStandingsSpecies.size()> shares{};
    for (size_t i = 0; i < kStandingsSpecies.size(); ++i)
    {
        const float share = world.GetSpeciesShare(kStandingsSpecies[i]);
        shares[i] = share > 0.0f ? share : 0.0f;
        sum += shares[i];
    }
    if (!(sum > 0.0f))
        return -1;
    float bound = 0.0f;
    for (size_t i = 0; i < kStandingsSpecies.size(); ++i)
    {
        if (shares[i] <= 0.0f)
            continue;
        bound += shares[i] / sum;
        if (fraction < bound)
            return kStandingsSpecies[i];
    }
    // Rounding at the top end: the last species with a share.
    for (size_t i = kStandingsSpecies.size(); i-- > 0;)
        if (shares[i] > 0.0f)
            return kStandingsSpecies[i];
    return -1;
}

void tovComputerRig::SetWorld(const tovAnglingWorld* world, int32_t botIndex)
{
    m_world = world;
    // Unsigned, so any id wraps to the seed a signed wrap gives instead of overflowing.
    m_random.seed(static_cast<int32_t>(static_cast<uint32_t>(GetId()) * 7919u + 17u));
    m_activity = Activity::Waiting;
    m_casts = 0;
    m_catches = 0;
    if (!m_world)
        return;
    double x = 0.0;
    double z = 0.0;
    double heading = 0.0;
    // The world answers its first location for an index past its list.
    m_world->GetBotLocation(botIndex < 0 ? 0 : botIndex, x, z, heading);
    m_spot = QrPoint3(static_cast<float>(x), m_world->WaterHeight(), static_cast<float>(z));
    if (QrPointer<tovBoat> boat = GetBoat())
    {
        boat->SetPosition(m_spot);
        const auto h = static_cast<float>(heading / kRadiansToDegrees);
        // Its forward column toward the heading.
        boat->SetRotation(QrMatrix3{std::cos(h), 0.0f, std::sin(h), 0.0f, 1.0f, 0.0f, -std::sin(h), 0.0f, std::cos(h)});
    }
    // The rig's clock is only as new as its last step (0 when fresh), not the day's time: the
    // first wait runs from its first step here.
    m_firstWait = Between(m_random, 0.0, kFirstWaitMax);
    m_started = false;
}

void tovComputerRig::Idle(double now, double elapsed)
{
    tovAnglerRig::Idle(now, elapsed);
    m_now = now;
    if (!m_world)
        return;
    if (!m_started)
    {
        m_started = true;
        m_nextEvent = now + m_firstWait;
        return;
    }
    if (m_activity == Activity::Driving && DriveTowardSpot(elapsed))
    {
        ++m_arrivals;
        StartFishing();
        return;
    }
    if (now < m_nextEvent)
        return;
    switch (m_activity)
    {
    case Activity::Waiting:
    case Activity::Fishing:
        if (m_activity == Activity::Fishing && now < m_fishingEnds)
        {
            Cast();
            return;
        }
        StartDriving();
        break;
    case Activity::Driving:
        StartFishing();
        break;
    }
}

void tovComputerRig::StartDriving()
{
    m_activity = Activity::Driving;
    SetMode(kModeDriving);
    GetTackle()->ResetCast();
    // A new spot on the water near the last one; stay put when none is found.
    for (int i = 0; i < kSpotTries; ++i)
    {
        const double angle = Between(m_random, 0.0, 2.0 * M_PI);
        const double reach = Between(m_random, 0.2, 1.0) * kSpotRadius;
        const QrPoint3 candidate(m_spot.x + static_cast<float>(reach * std::cos(angle)), m_spot.y,
                                 m_spot.z + static_cast<float>(reach * std::sin(angle)));
        if (m_world->IsOnLake(candidate))
        {
            m_spot = candidate;
            break;
        }
    }
    m_nextEvent = m_now + Between(m_random, kDriveMin, kDriveMax);
}

bool tovComputerRig::DriveTowardSpot(double elapsed)
{
    QrPointer<tovBoat> boat = GetBoat();
    if (!boat)
        return true;
    const QrPoint3 at = boat->GetPosition();
    const float dx = m_spot.x - at.x;
    const float dz = m_spot.z - at.z;
    const float distance = std::sqrt(dx * dx + dz * dz);
    if (distance < kArriveDistance)
        return true;
    float turn = std::atan2(dx, dz) * kRadiansToDegrees - GetBoatHeading();
    turn = std::remainder(turn, 360.0f);
    const auto amount = static_cast<float>(elapsed);
    // A positive wheel turns the bow toward -x.
    if (turn > kHeadingSlack)
        boat->DecreaseSteering(amount);
    else if (turn < -kHeadingSlack)
        boat->IncreaseSteering(amount);
    else
        boat->CentreSteering();
    // Slow down near the spot, and while the bow points far off it.
    const float wanted = distance < kSlowDistance || std::fabs(turn) > 60.0f ? kSlowThrottle : kCruiseThrottle;
    if (boat->GetThrottle() < wanted)
        boat->IncreaseThrottle(amount);
    else
        boat->DecreaseThrottle(amount);
    return false;
}

void tovComputerRig::StartFishing()
{
    if (QrPointer<tovBoat> boat = GetBoat())
    {
        boat->ResetThrottle();
        boat->CentreSteering();
    }
    m_activity = Activity::Fishing;
    SetMode(kModeAiming);
    m_fishingEnds = m_now + Between(m_random, kFishingMin, kFishingMax);
    m_nextEvent = m_now;
}

void tovComputerRig::Cast()
{
    ++m_casts;
    const double angle = Between(m_random, 0.0, 2.0 * M_PI);
    SetCastTarget(QrPoint3(m_spot.x + 0.3f * static_cast<float>(std::cos(angle)), m_spot.y,
                           m_spot.z + 0.3f * static_cast<float>(std::sin(angle))));
    m_nextEvent = m_now + Between(m_random, kCastMin, kCastMax);
    if (m_random.uniform() >= kCatchChance)
        return;
    const int32_t species = ChooseSpecies(*m_world, m_random.uniform());
    if (species < 0)
        return;
    LandFish(species);
}

void tovComputerRig::LandFish(int32_t species)
{
    float low = 0.0f;
    float high = 0.0f;
    m_world->GetSpeciesBounds(species, low, high);
    float pounds = 0.0f;
    float inches = 0.0f;
    DrawFishSizeForSpecies(species, pounds, inches, static_cast<float>(m_random.uniform()), low, high, m_skill, 0,
                           1.0f);
    ++m_catches;
    AddToLivewell(species, static_cast<int32_t>(pounds * 16.0f), static_cast<int32_t>(inches),
                  kDisplayScale * inches / kBassLength);
    ReleaseSmallestOverLimit();
}
