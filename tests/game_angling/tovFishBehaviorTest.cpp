#include "tovFishBehavior.h"

#include <gtest/gtest.h>

namespace
{
using B = tovFishBehavior;

// Every state against every event: the listed pairs move, all others leave the state alone.
TEST(tovFishBehavior, TransitionTable)
{
    struct Move
    {
        int32_t from;
        B::Event event;
        int32_t to;
    };
    const Move moves[] = {
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
    for (int32_t state = 0; state < B::kStateCount; ++state)
    {
        for (int32_t e = 0; e < B::kEventCount; ++e)
        {
            const auto event = static_cast<B::Event>(e);
            int32_t expected = -1;
            for (const Move& m : moves)
                if (m.from == state && m.event == event)
                    expected = m.to;
            B fish;
            fish.SetBehavior(state);
            EXPECT_EQ(fish.Apply(event), expected >= 0) << state << " " << e;
            EXPECT_EQ(fish.GetState(), expected >= 0 ? expected : state) << state << " " << e;
        }
    }
}

// The clocked transitions fire at their times and not before; the livewell display and a
// fight never end by time; a lost interest leaves a cool-down.
TEST(tovFishBehavior, TimedTransitions)
{
    struct Case
    {
        int32_t state;
        double window;
        double before;
        int32_t event; // -1: never
        int32_t after;
    };
    const Case cases[] = {
        {B::kFlee, 2.0, B::kFleeTime, B::kCalm, B::kCruise},
        {B::kAttracted, 2.0, B::kFollowTime, B::kLoseInterest, B::kCruise},
        {B::kStrike, 1.5, 1.5, B::kSpit, B::kFlee},
        {B::kStrike, 1.0, 1.0, B::kSpit, B::kFlee},
        {B::kFight, 1.0, 1000.0, -1, B::kFight},
        {B::kLivewell, 1.0, 1000.0, -1, B::kLivewell},
        {B::kLanded, 1.0, 1000.0, -1, B::kLanded},
    };
    for (const Case& c : cases)
    {
        B fish;
        fish.SetBehavior(c.state);
        double t = 0.0;
        int32_t fired = -1;
        while (t + 0.25 < c.before - 1e-9)
        {
            fired = fish.Step(0.25, c.window);
            t += 0.25;
            ASSERT_EQ(fired, -1) << c.state << " at " << t;
        }
        fired = fish.Step(c.before - t + 0.01, c.window);
        EXPECT_EQ(fired, c.event) << c.state;
        EXPECT_EQ(fish.GetState(), c.after) << c.state;
    }
    B fish;
    fish.SetBehavior(B::kAttracted);
    fish.Step(B::kFollowTime, 2.0);
    EXPECT_TRUE(fish.IsCoolingDown());
    fish.Step(B::kInterestCoolDown, 2.0);
    EXPECT_FALSE(fish.IsCoolingDown());
    fish.SetBehavior(7);
    fish.SetBehavior(-1);
    EXPECT_EQ(fish.GetState(), B::kCruise);
}
} // namespace
