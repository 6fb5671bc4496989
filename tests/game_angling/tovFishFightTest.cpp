#include "tovFishFight.h"
#include "tovFishSpecies.h"
#include "uRandom.h"

#include <gtest/gtest.h>

namespace
{
struct FightCase
{
    const char* what;
    int32_t species;
    float weight;
    float drag;
    float strength;
    tovFightTackle::Reel reel;
    tovFishFight::Outcome expected;
};

tovFishFight::Outcome Fight(const FightCase& c, uint32_t seed, double& seconds)
{
    uRandom random(static_cast<int32_t>(seed));
    tovFishFight fight;
    fight.Start(c.species, c.weight, 0.4f, random);
    tovFightTackle tackle{c.drag, c.strength, 0.0f, c.reel};
    seconds = 0.0;
    while (fight.GetOutcome() == tovFishFight::kGoing && seconds < 600.0)
    {
        fight.Step(1.0 / 30.0, tackle, random);
        seconds += 1.0 / 30.0;
    }
    return fight.GetOutcome();
}

// Drag and line decide: a sound setting lands the fish over many seeds; a drag locked at the
// line's strength breaks it on the first hard pull; a drag too light lets a big fish strip the
// spool; a line left slack loses the hook.
TEST(tovFishFight, FightsLandOrBreakAsDragAndLinePredict)
{
    const FightCase cases[] = {
        {"bass, drag at a third of 12 lb line", kLargemouthBass, 4.0f, 4.0f, 12.0f, tovFightTackle::kReel,
         tovFishFight::kLanded},
        {"bluegill on 6 lb line", kBluegill, 0.5f, 2.0f, 6.0f, tovFightTackle::kFastReel, tovFishFight::kLanded},
        {"bass on 4 lb line, drag locked", kLargemouthBass, 6.0f, 4.0f, 4.0f, tovFightTackle::kReel,
         tovFishFight::kLineBroke},
        {"muskie, drag too light", kMuskie, 25.0f, 0.5f, 30.0f, tovFightTackle::kReel, tovFishFight::kSpoolEmpty},
        {"bass, never reeled", kLargemouthBass, 1.0f, 4.0f, 12.0f, tovFightTackle::kRest, tovFishFight::kHookPulled},
    };
    for (const FightCase& c : cases)
    {
        for (uint32_t seed = 1; seed <= 20; ++seed)
        {
            double seconds = 0.0;
            EXPECT_EQ(Fight(c, seed * 7919u, seconds), c.expected) << c.what << " seed " << seed;
        }
    }
}

TEST(tovFishFight, SameSeedSameFightAndTheEndIsFinal)
{
    const FightCase c{"", kSmallmouthBass, 3.0f, 3.0f, 10.0f, tovFightTackle::kReel, tovFishFight::kLanded};
    double a = 0.0, b = 0.0;
    EXPECT_EQ(Fight(c, 99, a), Fight(c, 99, b));
    EXPECT_EQ(a, b);

    uRandom random(5);
    tovFishFight fight;
    fight.Start(kLargemouthBass, 6.0f, 0.4f, random);
    tovFightTackle locked{4.0f, 4.0f, 0.0f, tovFightTackle::kReel};
    while (fight.Step(0.1, locked, random) == tovFishFight::kGoing)
    {
    }
    EXPECT_GT(locked.wear, 0.0f);
    tovFightTackle loose{0.5f, 30.0f, 0.0f, tovFightTackle::kFastReel};
    const auto end = fight.GetOutcome();
    EXPECT_EQ(fight.Step(5.0, loose, random), end);
}

// One fight object serves every fish of the day: after a fish tired and landed, the next one
// fights as it would on a fresh object.
TEST(tovFishFight, ANewFishStartsAsFreshAsOnANewObject)
{
    uRandom first(5);
    tovFishFight reused;
    reused.Start(kLargemouthBass, 4.0f, 0.4f, first);
    tovFightTackle sound{4.0f, 12.0f, 0.0f, tovFightTackle::kReel};
    while (reused.Step(1.0 / 30.0, sound, first) == tovFishFight::kGoing)
    {
    }
    ASSERT_EQ(reused.GetOutcome(), tovFishFight::kLanded);
    ASSERT_LT(reused.GetStamina(), 1.0f);

    uRandom a(11), b(11);
    tovFishFight fresh;
    reused.Start(kSmallmouthBass, 3.0f, 0.5f, a);
    fresh.Start(kSmallmouthBass, 3.0f, 0.5f, b);
    tovFightTackle ta{3.0f, 10.0f, 0.0f, tovFightTackle::kReel}, tb = ta;
    for (int step = 0; step < 3000 && fresh.GetOutcome() == tovFishFight::kGoing; ++step)
    {
        reused.Step(1.0 / 30.0, ta, a);
        fresh.Step(1.0 / 30.0, tb, b);
        ASSERT_EQ(reused.GetStamina(), fresh.GetStamina()) << step;
        ASSERT_EQ(reused.GetTension(), fresh.GetTension()) << step;
        ASSERT_EQ(reused.GetLineOut(), fresh.GetLineOut()) << step;
    }
    EXPECT_EQ(reused.GetOutcome(), fresh.GetOutcome());
}
} // namespace
