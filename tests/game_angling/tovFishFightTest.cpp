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
} // namespace
