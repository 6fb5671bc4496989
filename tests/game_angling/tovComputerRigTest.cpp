#include "tovComputerRig.h"
#include "FakeAnglingWorld.h"
#include "tovAnglingRigFactory.h"
#include "tovScreenDistance.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

// A day of 8 hours at 10 steps a second is long; 2 steps a second is enough for the rig's
// timers, which run in seconds.
struct DayResult
{
    std::set<int32_t> species;
    int32_t catches = 0;
    int32_t casts = 0;
    int32_t maxCount = 0;
    int32_t arrivals = 0;
    bool boatMoved = false;
};

DayResult FishADay(FakeAnglingWorld& world, int32_t id, int32_t bot, double hours = 8.0)
{
    ScopedBoatWorld boats(world);
    QrPointer<tovComputerRig> rig(new tovComputerRig(true, 0, 0, 0, 0));
    rig->SetAnglerValue(id);
    rig->SetWorld(&world, bot);
    DayResult result;
    const QrPoint3 start = rig->GetBoatPosition();
    for (double t = 0.0; t < hours * 3600.0; t += 0.5)
    {
        rig->Idle(t, 0.5);
        const QrPoint3 at = rig->GetBoatPosition();
        result.boatMoved = result.boatMoved || at.x != start.x || at.z != start.z;
        EXPECT_TRUE(world.IsOnLake(rig->GetSpot()));
        const tovLivewell& well = rig->GetLivewell();
        result.maxCount = std::max(result.maxCount, well.count);
        for (const tovLivewellFish& fish : well.places)
            if (fish.inUse)
                result.species.insert(fish.species);
    }
    result.catches = rig->GetCatchCount();
    result.casts = rig->GetCastCount();
    result.arrivals = rig->GetArrivals();
    return result;
}

TEST(tovComputerRig, CatchesOnlyTheSpeciesTheStandingsAllow)
{
    struct Row
    {
        std::array<float, 3> shares; // species 3, 10, 11
        std::set<int32_t> allowed;
    };
    const Row rows[] = {
        {{1.0f, 0.0f, 0.0f}, {3}},         {{0.0f, 0.5f, 0.0f}, {10}}, {{0.2f, 0.0f, 0.7f}, {3, 11}},
        {{0.3f, 0.3f, 0.3f}, {3, 10, 11}}, {{0.0f, 0.0f, 0.0f}, {}},
    };
    for (const Row& row : rows)
    {
        FakeAnglingWorld world;
        world.shares.fill(1.0f); // every other species abounds but is not the standings'
        world.shares[3] = row.shares[0];
        world.shares[10] = row.shares[1];
        world.shares[11] = row.shares[2];
        for (int32_t s : {3, 10, 11})
        {
            world.low[static_cast<size_t>(s)] = 1.0f;
            world.high[static_cast<size_t>(s)] = 6.0f;
        }
        const DayResult day = FishADay(world, 2, 0);
        EXPECT_GT(day.casts, 500);
        EXPECT_TRUE(day.boatMoved);
        EXPECT_GT(day.arrivals, 5) << "the boat reaches its spots";
        if (row.allowed.empty())
        {
            EXPECT_EQ(day.catches, 0);
            continue;
        }
        EXPECT_GT(day.catches, 5);
        EXPECT_LE(day.maxCount, 5) << "the livewell keeps the five-fish limit";
        for (int32_t s : day.species)
            EXPECT_TRUE(row.allowed.count(s)) << "species " << s;
    }
}

// Seconds from the rig's first step at start until it leaves its first wait; -1 if it never does.
double FirstWait(FakeAnglingWorld& world, int32_t id, double start)
{
    ScopedBoatWorld boats(world);
    QrPointer<tovComputerRig> rig(new tovComputerRig(true, 0, 0, 0, 0));
    rig->SetAnglerValue(id);
    rig->SetWorld(&world, id - 2);
    for (double t = 0.0; t < 60.0; t += 0.25)
    {
        rig->Idle(start + t, 0.25);
        if (rig->GetActivity() != tovComputerRig::Activity::Waiting)
            return t;
    }
    return -1.0;
}

// A fresh rig is given its spots before its clock has run: its random first wait still runs
// from its first step, whatever time of day the clock reads then.
TEST(tovComputerRig, FirstWaitCountsFromItsFirstStep)
{
    FakeAnglingWorld world;
    for (int32_t id = 2; id <= 5; ++id)
    {
        const double fromZero = FirstWait(world, id, 0.0);
        EXPECT_GT(fromZero, 0.0) << id;
        EXPECT_LE(fromZero, 5.25) << id;
        EXPECT_EQ(FirstWait(world, id, 36000.0), fromZero) << id;
    }
}

TEST(tovComputerRig, ChoiceFollowsShares)
{
    FakeAnglingWorld world;
    world.shares[3] = 0.5f;
    world.shares[10] = 0.25f;
    world.shares[11] = 0.25f;
    struct Row
    {
        double fraction;
        int32_t species;
    };
    const Row rows[] = {{0.0, 11}, {0.24, 11}, {0.26, 10}, {0.49, 10}, {0.51, 3}, {0.999999, 3}, {1.0, 3}};
    for (const Row& row : rows)
        EXPECT_EQ(tovComputerRig::ChooseSpecies(world, row.fraction), row.species) << row.fraction;
}

TEST(tovComputerRig, SameIdSameDayOtherIdOtherDay)
{
    FakeAnglingWorld world;
    world.shares[3] = 1.0f;
    world.low[3] = 1.0f;
    world.high[3] = 6.0f;
    // Two hours of each: long enough for a few catches to tell the days apart.
    const double hours = 2.0;
    const DayResult a = FishADay(world, 3, 1, hours);
    const DayResult b = FishADay(world, 3, 1, hours);
    const DayResult c = FishADay(world, 4, 2, hours);
    EXPECT_EQ(a.casts, b.casts);
    EXPECT_EQ(a.catches, b.catches);
    EXPECT_GT(a.catches, 0);
    // An id whose seed passes the int32 range wraps to its seed rather than overflowing.
    const DayResult big = FishADay(world, 271184, 0, hours);
    EXPECT_EQ(FishADay(world, 271184, 0, hours).casts, big.casts);
    EXPECT_NE(a.casts * 1000 + a.catches, c.casts * 1000 + c.catches);
}

TEST(tovAnglingRigFactory, LocalThenComputerIds)
{
    tovAnglingRigFactory factory;
    for (int game = 0; game < 2; ++game)
    {
        QrPointer<tovAnglerRigBase> local = factory.CreateLocalRig(false);
        EXPECT_EQ(static_cast<tovAnglerRig*>(local.Get())->GetId(), 1);
        for (int32_t i = 0; i < 4; ++i)
        {
            QrPointer<tovAnglerRigBase> rig = factory.CreateComputerRig(true);
            auto* computer = dynamic_cast<tovComputerRig*>(rig.Get());
            ASSERT_NE(computer, nullptr);
            EXPECT_EQ(computer->GetId(), 2 + i);
            EXPECT_TRUE(computer->IsLowDetail());
        }
    }
}

TEST(ScreenDistance, Table)
{
    struct Row
    {
        int32_t x1, y1, x2, y2, distance;
    };
    const Row rows[] = {
        {0, 0, 0, 0, 0},
        {0, 0, 3, 4, 5},
        {10, 10, 7, 6, 5},
        {0, 0, 1, 1, 1},
        {0, 0, 2, 2, 2},
        {0, 0, 46340, 46340, 65534},
        {INT32_MIN, 0, INT32_MAX, 0, INT32_MAX},
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX},
        {-100000, 0, 100000, 0, 200000},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScreenDistance(row.x1, row.y1, row.x2, row.y2), row.distance)
            << row.x1 << "," << row.y1 << " " << row.x2 << "," << row.y2;
}

} // namespace
