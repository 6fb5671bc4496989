#include "tovFishPopulation.h"
#include "QrPointer.h"
#include "tovAnglingWorld.h"
#include "tovFishSpecies.h"
#include "tovWeather.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace
{
// A synthetic lake 6 x 6 units: the bottom falls from 5 ft at x = 0 to 65 ft at x = 6, a weed
// bed covers z < 1.5, a dry island stands at the middle. The map is the world moved by 10.
class SyntheticLake : public tovAnglingWorld
{
public:
    static constexpr float kSize = 6.0f;

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
    QrPoint3 WorldToMap(const QrPoint3& w) const override { return QrPoint3(w.x + 10.0f, w.y, w.z + 10.0f); }
    QrPoint3 MapToWorld(const QrPoint3& m) const override { return QrPoint3(m.x - 10.0f, m.y, m.z - 10.0f); }
    float GetSpeciesShare(int32_t species) const override { return IsBassSpecies(species) ? 1.0f : 0.0f; }
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
        lure.position.x = std::max(0.2f, lure.position.x - 0.02f * static_cast<float>(step));
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
    for (const Pair& p : pairs)
    {
        const int32_t more = p.more.what == base.what ? baseBites : bites(p.more);
        const int32_t fewer = bites(p.fewer);
        std::printf("bites per hour: %-36s %5.1f | %-30s %5.1f\n", p.more.what, more / 2.0, p.fewer.what, fewer / 2.0);
        EXPECT_GT(more, fewer + fewer / 4 + 2) << p.more.what << " vs " << p.fewer.what;
    }
}
} // namespace
