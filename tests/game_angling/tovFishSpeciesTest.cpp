#include "tovFishSpecies.h"
#include "tovFishSizeTable.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
struct SizeCase
{
    int32_t species;
    float bound1;
    float bound2; // either order
    int32_t skill;
};

// Draws as the population and the weigh-in do; every weight stays within the lake's bounds,
// the mean sits between them nearer the low end (more small fish than large), and a higher
// skill moves the mean up.
TEST(tovFishSpecies, SizesStayWithinTheLakesBoundsWithAMeanNearTheLowEnd)
{
    const SizeCase cases[] = {{kLargemouthBass, 0.5f, 8.0f, 0}, {kSmallmouthBass, 5.0f, 0.5f, 1},
                              {kBluegill, 0.1f, 1.5f, 2},       {kMuskie, 30.0f, 5.0f, 0},
                              {kSpottedBass, 1.0f, 1.0f, 0},    {kWalleye, 0.0f, 0.0f, 0}};
    for (const SizeCase& c : cases)
    {
        SCOPED_TRACE(GetFishSpeciesName(c.species));
        float lo = std::min(c.bound1, c.bound2), hi = std::max(c.bound1, c.bound2);
        if (hi <= 0.0f)
            GetDefaultSizeRange(c.species, lo, hi);
        uRandom random(4242);
        double sum = 0.0;
        float seenLo = 1e9f, seenHi = 0.0f;
        constexpr int kDraws = 4000;
        for (int i = 0; i < kDraws; ++i)
        {
            float w = 0.0f, len = 0.0f;
            DrawFishSizeForSpecies(c.species, w, len, static_cast<float>(random.uniform()), c.bound1, c.bound2, c.skill,
                                   0, 1.0f);
            ASSERT_GE(w, lo);
            ASSERT_LE(w, hi);
            ASSERT_GT(len, 0.0f);
            sum += w;
            seenLo = std::min(seenLo, w);
            seenHi = std::max(seenHi, w);
        }
        const double mean = sum / kDraws;
        const double mid = 0.5 * (lo + hi);
        if (hi > lo)
        {
            // f^p with p = 2 - skill/4 has mean 1/(p+1).
            const double p = 2.0 - 0.25 * c.skill;
            EXPECT_NEAR(mean, lo + (hi - lo) / (p + 1.0), 0.03 * (hi - lo));
            EXPECT_LT(mean, mid);
            EXPECT_LT(seenLo, lo + 0.01f * (hi - lo));
            EXPECT_GT(seenHi, hi - 0.05f * (hi - lo));
        }
        else
        {
            EXPECT_FLOAT_EQ(mean, lo);
        }
    }
}

// Hostile lake values and fractions never give a fish of 0 oz, a non-finite weight or one whose
// ounces overflow the livewell's 32-bit field; the draw is a pure function.
TEST(tovFishSpecies, HostileBoundsAndFractionsGiveAStoredWeight)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[][4] = {{0.5f, 1e30f, 1.0f, 1.0f}, {nan, nan, nan, nan},     {-5.0f, -1.0f, 0.5f, 1.0f},
                               {inf, -inf, 0.7f, 1.0f},   {0.0f, 0.0f, 0.0f, 0.0f}, {2.0f, 4.0f, 2.0f, -3.0f}};
    for (const auto& v : values)
    {
        for (int32_t species : {-1, 0, 3, 16, 17, 1000})
        {
            float w = 0.0f, len = 0.0f, w2 = 0.0f, len2 = 0.0f;
            DrawFishSizeForSpecies(species, w, len, v[2], v[0], v[1], 99, 0, v[3]);
            DrawFishSizeForSpecies(species, w2, len2, v[2], v[0], v[1], 99, 0, v[3]);
            ASSERT_TRUE(std::isfinite(w) && std::isfinite(len));
            EXPECT_GE(static_cast<int64_t>(w * 16.0f), 1);
            EXPECT_LE(w * 16.0f, 2147483647.0f);
            EXPECT_EQ(w, w2);
            EXPECT_EQ(len, len2);
        }
    }
}

TEST(tovFishSpecies, NamesFitAndTerminateInAnyBuffer)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    GetFishSpeciesName(kLargemouthBass, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Largemo");
    GetFishSpeciesName(17, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    char one[1] = {'x'};
    GetFishSpeciesName(kCarp, one, 1);
    EXPECT_EQ(one[0], '\0');
    char name[260];
    for (int32_t k = 0; k < kSpeciesCount; ++k)
    {
        GetFishSpeciesName(k, name, sizeof name);
        EXPECT_GT(std::strlen(name), 2u) << k;
    }
}

TEST(tovFishSpecies, SizeTableIgnoresBadSpeciesAndValues)
{
    tovFishSizeTable::Clear();
    tovFishSizeTable::Set(kCarp, 42.0f);
    tovFishSizeTable::Set(17, 5.0f);
    tovFishSizeTable::Set(-1, 5.0f);
    tovFishSizeTable::Set(kPerch, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(tovFishSizeTable::Get(kCarp), 42.0f);
    EXPECT_EQ(tovFishSizeTable::Get(kPerch), 0.0f);
    EXPECT_EQ(tovFishSizeTable::Get(17), 0.0f);
    tovFishSizeTable::Clear();
}
} // namespace
