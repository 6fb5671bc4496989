#include "tovFishPopulation.h"
#include "QrPointer.h"
#include "tovAnglingWorld.h"
#include "tovFishSpecies.h"
#include "tovLure.h"
#include "tovTackle.h"
#include "tovWeather.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
// A synthetic lake 6 x 6 units: the bottom falls from 5 ft at x = 0 to 65 ft at x = 6, a weed
// bed covers z < 1.5, a dry island stands at the middle. The map counts cells of 0.3 units
// the other way from 10, as a real lake's does.
class SyntheticLake : public tovAnglingWorld
{
public:
    static constexpr float kSize = 6.0f;
    // Map cells of the sample lakes' size, counted the other way.
    static constexpr float kCell = 0.3f;

    float GroundHeight(const QrPoint3& p) const override { return IsOnLake(p) ? -(0.05f + 0.1f * p.x) : 0.1f; }
    float WaterHeight() const override { return 0.0f; }
    bool IsOnLake(const QrPoint3& p) const override
    {
        const bool inside = p.x >= 0.0f && p.x <= kSize && p.z >= 0.0f && p.z <= kSize;
        return inside && std::hypot(p.x - 3.0f, p.z - 3.0f) > 0.5f;
    }
    float GetPopulationDensity(const QrPoint3& p) const override { return p.z < 1.5f ? 1.0f : 0.0f; }
    void QueryPopulation(const QrPoint3& p, float& a, float& b, float& c, float& d) const override
    {
        a = b = c = d = GetPopulationDensity(p);
    }
    const tovWeather* GetWeather() const override { return m_weather.Get(); }
    QrPoint3 WorldToMap(const QrPoint3& w) const override
    {
        return QrPoint3(10.0f - w.x / kCell, w.y, 10.0f - w.z / kCell);
    }
    QrPoint3 MapToWorld(const QrPoint3& m) const override
    {
        return QrPoint3((10.0f - m.x) * kCell, m.y, (10.0f - m.z) * kCell);
    }
    // The computer anglers' shares, not the population's: largemouth only.
    float GetSpeciesShare(int32_t species) const override { return species == kLargemouthBass ? 1.0f : 0.0f; }
    void GetSpeciesBounds(int32_t species, float& b1, float& b2) const override
    {
        b1 = IsBassSpecies(species) ? 0.5f : 0.0f;
        b2 = IsBassSpecies(species) ? 6.0f : 0.0f;
    }
    void GetBotLocation(int32_t, double& x, double& z, double& heading) const override { x = z = heading = 0.0; }

    QrPointer<tovWeather> m_weather;
};

struct Scenario
{
    const char* what;
    float z0, z1; // where the angler casts, across the lake at x 1..5
    int32_t lureRow;
    float lureDepth; // units
    float lureWave;  // the lure's wave value against the weather's
    int32_t species; // the lake's only species
    float activity;  // its table-3 value
};

struct DayResult
{
    int32_t bites = 0;
    int32_t landed = 0;
};

// A scripted angler: casts at random into the scenario's strip, reels for 8 s, sets the hook on
// every strike and fights with sound tackle. An hour at one-second steps.
DayResult FishADay(const Scenario& s, int32_t seed)
{
    SyntheticLake lake;
    lake.m_weather = new tovWeather();
    lake.m_weather->SetWave(0.8f);
    tovFishPopulation population(lake);
    tovFishPopulation::SpeciesTables tables{};
    tables[0][s.species] = 1.0f;
    tables[1][s.species] = 15.0f;
    tables[2][s.species] = s.activity;
    population.Populate(seed, tables, 0.0f, 0.0f, SyntheticLake::kSize, SyntheticLake::kSize, 100, 0);

    uRandom angler(seed + 1);
    tovLurePresence lure;
    lure.inWater = true;
    lure.retrieve = tovFightTackle::kReel;
    lure.speciesRow = s.lureRow;
    lure.depth = s.lureDepth;
    lure.wave = s.lureWave;
    population.SetLure(&lure);
    DayResult result;
    double castTime = 0.0;
    const double step = 1.0;
    for (double t = 0.0; t < 3600.0; t += step)
    {
        if (t >= castTime)
        {
            lure.position = QrPoint3(1.0f + 4.0f * static_cast<float>(angler.uniform()), 0.0f,
                                     s.z0 + (s.z1 - s.z0) * static_cast<float>(angler.uniform()));
            castTime = t + 8.0;
        }
        // Reeled in at the rod's usual speed.
        lure.position.x = std::max(0.2f, lure.position.x - 0.05f * static_cast<float>(step));
        population.Update(t, step);
        const int32_t fish = population.TakeStrike();
        if (fish < 0)
            continue;
        ++result.bites;
        EXPECT_TRUE(population.SetHook(fish, 0.3f));
        tovFightTackle tackle{3.0f, 12.0f, 0.0f, tovFightTackle::kReel};
        while (population.StepFight(0.1, tackle) == tovFishFight::kGoing)
        {
        }
        if (population.GetFight().GetOutcome() == tovFishFight::kLanded)
            ++result.landed;
        population.ReleaseFish(fish);
        castTime = t;
    }
    return result;
}

// Bites per hour over the synthetic lake differ as the model says: cover holds more fish,
// a lure family the species likes, a lure running at the fish's depth, a lure matched to the
// waves and a more active species all bite more. Rates over two seeds.
TEST(tovFishPopulation, BiteRatesFollowCoverLureDepthWeatherAndSpecies)
{
    const Scenario base{"bass, weeds, soft plastic at 15 ft", 0.0f, 1.5f, 2, 0.15f, 0.8f, kLargemouthBass, 1.0f};
    struct Pair
    {
        Scenario more;
        Scenario fewer;
    };
    Scenario open = base, buzz = base, deep = base, calm = base, slow = base, sunfish = base;
    open.what = "open water";
    open.z0 = 3.8f;
    open.z1 = 5.3f;
    buzz.what = "crankbait for bluegill";
    buzz.species = kBluegill;
    buzz.lureRow = 0;
    sunfish.what = "spinner for bluegill";
    sunfish.species = kBluegill;
    sunfish.lureRow = 1;
    deep.what = "lure at 45 ft";
    deep.lureDepth = 0.45f;
    calm.what = "lure unmatched to the waves";
    calm.lureWave = 0.0f;
    slow.what = "sluggish species";
    slow.activity = 0.3f;
    const Pair pairs[] = {{base, open}, {sunfish, buzz}, {base, deep}, {base, calm}, {base, slow}};
    auto bites = [](const Scenario& s)
    {
        int32_t n = 0;
        for (int32_t seed : {11, 12})
            n += FishADay(s, seed).bites;
        return n;
    };
    const int32_t baseBites = bites(base);
    // The day replays from its seed: the population draws from its own generator only.
    SharedRandom().seed(1);
    const DayResult once = FishADay(base, 11);
    SharedRandom().seed(2);
    const DayResult again = FishADay(base, 11);
    EXPECT_EQ(once.bites, again.bites);
    EXPECT_EQ(once.landed, again.landed);
    EXPECT_GT(once.landed, 0);
    for (const Pair& p : pairs)
    {
        const int32_t more = p.more.what == base.what ? baseBites : bites(p.more);
        const int32_t fewer = bites(p.fewer);
        std::printf("bites per hour: %-36s %5.1f | %-30s %5.1f\n", p.more.what, more / 2.0, p.fewer.what, fewer / 2.0);
        EXPECT_GT(more, fewer + fewer / 4 + 2) << p.more.what << " vs " << p.fewer.what;
    }
}
} // namespace

namespace
{
tovFishPopulation::SpeciesTables BassTables()
{
    tovFishPopulation::SpeciesTables tables{};
    tables[0][kLargemouthBass] = 2.0f;
    tables[0][kBluegill] = 1.0f;
    tables[1][kLargemouthBass] = 12.0f;
    return tables;
}

// Same seed, same fish; every fish on the water within its depth and the lake's bounds; cover
// holds more fish per area than open water; a hostile count or rectangle is bounded.
TEST(tovFishPopulation, PlacementIsReproducibleAndKeepsToWaterAndCover)
{
    SyntheticLake lake;
    tovFishPopulation a(lake), b(lake);
    a.Populate(77, BassTables(), 0.0f, 0.0f, 6.0f, 6.0f, 300, 1);
    b.Populate(77, BassTables(), 0.0f, 0.0f, 6.0f, 6.0f, 300, 1);
    ASSERT_EQ(a.GetCount(), b.GetCount());
    ASSERT_GT(a.GetCount(), 250);
    int32_t inCover = 0;
    for (int32_t i = 0; i < a.GetCount(); ++i)
    {
        const auto& f = a.GetFish(i);
        EXPECT_EQ(f.species, b.GetFish(i).species);
        EXPECT_EQ(f.weight, b.GetFish(i).weight);
        EXPECT_EQ(f.map.x, b.GetFish(i).map.x);
        ASSERT_TRUE(f.species == kLargemouthBass || f.species == kBluegill);
        const QrPoint3 at = lake.MapToWorld(f.map);
        EXPECT_TRUE(lake.IsOnLake(at));
        EXPECT_GT(f.depth, 0.0f);
        EXPECT_LE(f.depth, -lake.GroundHeight(at) + 1e-6f);
        if (f.species == kLargemouthBass)
        {
            EXPECT_LE(f.depth, 0.12f + 1e-6f);
        }
        EXPECT_GE(f.weight, f.species == kLargemouthBass ? 0.5f : 0.0625f);
        inCover += at.z < 1.5f ? 1 : 0;
    }
    // A quarter of the lake's area is cover; accepted four times as often.
    EXPECT_GT(inCover, a.GetCount() / 2);

    tovFishPopulation::SpeciesTables hostile{};
    hostile[0].fill(std::numeric_limits<float>::quiet_NaN());
    hostile[1].fill(std::numeric_limits<float>::infinity());
    hostile[2].fill(-1.0f);
    a.Populate(5, hostile, 0.0f, 0.0f, 6.0f, 6.0f, 1 << 30, 0);
    EXPECT_EQ(a.GetCount(), tovFishPopulation::kMaxCount);
    // No share in the tables: the three bass alike.
    std::array<int32_t, kSpeciesCount> counts{};
    for (int32_t i = 0; i < a.GetCount(); ++i)
        ++counts[size_t(a.GetFish(i).species)];
    for (int32_t bass : {kLargemouthBass, kSmallmouthBass, kSpottedBass})
        EXPECT_GT(counts[size_t(bass)], a.GetCount() / 4) << bass;
    EXPECT_EQ(counts[kLargemouthBass] + counts[kSmallmouthBass] + counts[kSpottedBass], a.GetCount());
    a.Populate(5, hostile, 0.0f, std::numeric_limits<float>::quiet_NaN(), 6.0f, 6.0f, 50, 0);
    EXPECT_EQ(a.GetCount(), 0);
    a.Populate(5, BassTables(), 0.0f, 0.0f, 6.0f, 6.0f, -3, 0);
    EXPECT_EQ(a.GetCount(), 0);
}

// A lure held on one fish: it follows and strikes; an unanswered strike is spat out after the
// skill's window; a set hook fights to the boat, and the kept fish leaves the lake with the
// other fish's indices intact. A fast boat spooks fish near it, a slow one does not.
TEST(tovFishPopulation, StrikeHookFightAndSpook)
{
    SyntheticLake lake;
    tovFishPopulation population(lake);
    population.Populate(3, BassTables(), 0.0f, 0.0f, 6.0f, 6.0f, 40, 2);
    EXPECT_EQ(population.GetHookWindow(), 1.0f);
    tovLurePresence lure;
    lure.inWater = true;
    lure.retrieve = tovFightTackle::kReel;
    lure.speciesRow = 2;
    population.SetLure(&lure);

    auto waitForStrike = [&](int32_t target)
    {
        lure.position = lake.MapToWorld(population.GetFish(target).map);
        lure.depth = population.GetFish(target).depth;
        for (int32_t i = 0; i < 20000; ++i)
        {
            population.Update(i * 0.1, 0.1);
            const int32_t fish = population.TakeStrike();
            if (fish >= 0)
                return fish;
        }
        return -1;
    };
    const int32_t first = waitForStrike(10);
    ASSERT_GE(first, 0);
    EXPECT_EQ(population.GetFish(first).behavior.GetState(), tovFishBehavior::kStrike);
    for (int32_t i = 0; i < 11; ++i)
        population.Update(0.0, 0.1);
    EXPECT_EQ(population.TakeStrike(), -1);
    EXPECT_EQ(population.GetFish(first).behavior.GetState(), tovFishBehavior::kFlee);
    EXPECT_FALSE(population.SetHook(first, 0.3f));

    const int32_t second = waitForStrike(20);
    ASSERT_GE(second, 0);
    ASSERT_TRUE(population.SetHook(second, 0.3f));
    EXPECT_EQ(population.GetHookedFish(), second);
    tovFightTackle tackle{3.0f, 12.0f, 0.0f, tovFightTackle::kReel};
    tovFishFight::Outcome end = tovFishFight::kGoing;
    for (int32_t i = 0; i < 6000 && end == tovFishFight::kGoing; ++i)
        end = population.StepFight(0.1, tackle);
    ASSERT_EQ(end, tovFishFight::kLanded);
    EXPECT_EQ(population.GetFish(second).behavior.GetState(), tovFishBehavior::kLanded);
    EXPECT_EQ(population.GetHookedFish(), -1);
    const int32_t count = population.GetCount();
    const float lastWeight = population.GetFish(count - 1).weight;
    population.RemoveFish(second);
    EXPECT_EQ(population.GetCount(), count - 1);
    EXPECT_EQ(population.GetFish(count - 2).weight, lastWeight);

    const QrPoint3 at = lake.MapToWorld(population.GetFish(5).map);
    population.SpookAt(at, 8.0f);
    EXPECT_NE(population.GetFish(5).behavior.GetState(), tovFishBehavior::kFlee);
    population.SpookAt(at, 25.0f);
    EXPECT_EQ(population.GetFish(5).behavior.GetState(), tovFishBehavior::kFlee);
}
} // namespace

namespace
{
// The heaviest bass of the lake on the lightest line: a drag at a third of the line lands it, a
// drag locked at the line's strength breaks it; either way the tackle is back at the rod.
TEST(tovFishPopulation, FightsOnAnAnglersTackleLandOrBreakAsDragAndLinePredict)
{
    int32_t lightest = 0;
    for (int32_t type = 1; type < tovTackle::kLineTypeCount; ++type)
        if (tovTackle::StrengthOfType(type) < tovTackle::StrengthOfType(lightest))
            lightest = type;
    const float strength = tovTackle::StrengthOfType(lightest);
    struct Case
    {
        float drag;
        tovFishFight::Outcome expected;
        int32_t state;
    };
    const Case cases[] = {{strength / 3.0f, tovFishFight::kLanded, tovFishBehavior::kLanded},
                          {strength, tovFishFight::kLineBroke, tovFishBehavior::kFlee}};
    for (const Case& c : cases)
    {
        SyntheticLake lake;
        tovFishPopulation population(lake);
        population.Populate(9, BassTables(), 0.0f, 0.0f, 6.0f, 6.0f, 60, 0);
        int32_t heaviest = 0;
        for (int32_t i = 0; i < population.GetCount(); ++i)
            if (population.GetFish(i).weight > population.GetFish(heaviest).weight)
                heaviest = i;
        ASSERT_GT(population.GetFish(heaviest).weight, strength * 1.1f);
        // The lure waits on that fish; strikes of others go unanswered and are spat out.
        tovLurePresence lure;
        lure.inWater = true;
        lure.speciesRow = 2;
        lure.position = lake.MapToWorld(population.GetFish(heaviest).map);
        lure.depth = population.GetFish(heaviest).depth;
        population.SetLure(&lure);
        for (int32_t i = 0; i < 50000 && population.TakeStrike() != heaviest; ++i)
            population.Update(i * 0.1, 0.1);
        ASSERT_TRUE(population.SetHook(heaviest, 0.3f));

        QrPointer<tovTackle> tackle = new tovTackle();
        tackle->SetLureType(lightest);
        tackle->SetDrag(c.drag);
        tackle->HookFish();
        tackle->SetReeling(true);
        tovFishFight::Outcome end = tovFishFight::kGoing;
        for (int32_t i = 0; i < 6000 && end == tovFishFight::kGoing; ++i)
            end = population.StepFight(0.1, *tackle);
        EXPECT_EQ(end, c.expected) << "drag " << c.drag << " on " << strength << " lb";
        EXPECT_EQ(population.GetFish(heaviest).behavior.GetState(), c.state);
        EXPECT_NE(tackle->GetInternalState(), tovTackle::kStateFishOn);
        EXPECT_EQ(population.GetHookedFish(), -1);
    }
}
} // namespace

namespace
{
// An angler's lure as the fish see it: depth below the surface, its family and values, the
// retrieve from the tackle; a hidden lure is out of the water.
TEST(tovFishPopulation, LurePresenceFromAnAnglersLureAndTackle)
{
    QrPointer<tovLure> lure = new tovLure("lure.qrf", 3);
    lure->SetAttractionValues(0.25f, 0.5f, 0.75f, 7);
    QrPointer<tovTackle> tackle = new tovTackle();
    tackle->SetLure(lure.Get());
    tackle->StartCast();
    tackle->Splashdown();
    lure->SetPosition(QrPoint3(1.0f, -0.25f, 2.0f));
    lure->SetInWater(true);
    tackle->SetReeling(true);
    tackle->SetFastReel(true);
    tovLurePresence p = tovLurePresence::Of(*lure, *tackle, 0.0f);
    EXPECT_TRUE(p.inWater);
    EXPECT_FLOAT_EQ(p.depth, 0.25f);
    EXPECT_EQ(p.speciesRow, 7);
    EXPECT_EQ(p.temperature, 0.25f);
    EXPECT_EQ(p.wave, 0.75f);
    EXPECT_EQ(p.retrieve, tovFightTackle::kFastReel);
    EXPECT_EQ(p.lineVisibility, lure->GetLineVisibility());
    lure->SetHidden(true);
    tackle->ResetCast();
    p = tovLurePresence::Of(*lure, *tackle, 0.0f);
    EXPECT_FALSE(p.inWater);
    EXPECT_EQ(p.retrieve, tovFightTackle::kRest);
}
} // namespace
