#include "uRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace
{

TEST(uRandomTest, SeedsAndFirstValues)
{
    uRandom r(0);
    EXPECT_EQ(r.get_state(), 123459876);
    r.seed(123459876);
    EXPECT_EQ(r.get_state(), 1);
    EXPECT_EQ(r.next(), 16807);
    EXPECT_EQ(r.next(), 282475249);
    EXPECT_EQ(r.next(), 1622650073);
    // The standard check value: 10000 steps from state 1.
    r.set_state(1);
    int32_t v = 0;
    for (int i = 0; i < 10000; ++i)
        v = r.next();
    EXPECT_EQ(v, 1043618065);
}

TEST(uRandomTest, SetStateRefusesZeroAndKeepsTheState)
{
    uRandom r(5);
    const int32_t before = r.get_state();
    try
    {
        r.set_state(0);
        FAIL() << "no exception";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "uRandom::set_state() -- Attempt to set state = 0.");
    }
    EXPECT_EQ(r.get_state(), before);
}

TEST(uRandomTest, RangeTakesEitherOrderAndAlwaysAdvances)
{
    uRandom a(7), b(7);
    std::set<int32_t> seen;
    for (int i = 0; i < 200; ++i)
    {
        const int32_t x = a.range(5, 2);
        EXPECT_EQ(x, b.range(2, 5));
        seen.insert(x);
    }
    EXPECT_EQ(seen, (std::set<int32_t>{2, 3, 4, 5}));
    const int32_t before = a.get_state();
    EXPECT_EQ(a.range(3, 3), 3);
    EXPECT_NE(a.get_state(), before);
}

// How many next() steps lead from one generator's state to another's (at most limit).
int DrawsBetween(uRandom from, const uRandom& to, int limit)
{
    for (int n = 0; n <= limit; ++n)
    {
        if (from.get_state() == to.get_state())
            return n;
        from.next();
    }
    return -1;
}

TEST(uRandomTest, GaussianDrawsInPairsAndStaysClamped)
{
    uRandom r(42);
    int rejected = 0;
    for (int i = 0; i < 2000; ++i)
    {
        const uRandom before = r;
        const float first = r.gaussian();
        const int draws = DrawsBetween(before, r, 64);
        ASSERT_GE(draws, 2);
        ASSERT_EQ(draws % 2, 0) << "uniforms are drawn in pairs";
        rejected += draws / 2 - 1;
        const uRandom middle = r;
        const float second = r.gaussian();
        EXPECT_EQ(r.get_state(), middle.get_state()) << "the spare takes no draw";
        ASSERT_LE(std::fabs(first), 1.0f);
        ASSERT_LE(std::fabs(second), 1.0f);
    }
    // About 21% of polar pairs fall outside the unit circle.
    EXPECT_GT(rejected, 300);
    EXPECT_LT(rejected, 800);
}

} // namespace
