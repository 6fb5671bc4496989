#include "CRandom.h"

#include <gtest/gtest.h>

#include <barrier>
#include <thread>
#include <vector>

namespace
{

// Independent reference: the recurrence in 64-bit arithmetic with an explicit modulo.
std::vector<int> Reference(uint32_t seed, int count)
{
    uint64_t s = seed;
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
    {
        s = (s * 214013ull + 2531011ull) % (1ull << 32);
        out.push_back(static_cast<int>((s / 65536) % 32768));
    }
    return out;
}

std::vector<int> Draw(int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(plat::CRand());
    return out;
}

} // namespace

TEST(CRandom, FirstValuesAfterSeedOne)
{
    // s1 = 1 * 214013 + 2531011 = 2745024;             2745024 >> 16 = 41
    // s2 = 2745024 * 214013 + 2531011 mod 2^32 = 3357800067; >> 16 = 51235; & 0x7FFF = 18467
    // s3 = 415139642;  >> 16 = 6334
    // s4 = 3884216597; >> 16 = 59268; & 0x7FFF = 26500
    // s5 = 3403800452; >> 16 = 51937; & 0x7FFF = 19169
    plat::CRandSeed(1);
    EXPECT_EQ(Draw(5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(CRandom, FirstValuesAfterSeedThirteen)
{
    // s1 = 13 * 214013 + 2531011 = 5313180;             5313180 >> 16 = 81
    // s2 = 3220756207; >> 16 = 49144; & 0x7FFF = 16376
    // s3 = 1579193846; >> 16 = 24096
    // s4 = 1333540065; >> 16 = 20348
    // s5 = 2925577248; >> 16 = 44640; & 0x7FFF = 11872
    plat::CRandSeed(13);
    EXPECT_EQ(Draw(5), (std::vector<int>{81, 16376, 24096, 20348, 11872}));
}

TEST(CRandom, AgreesWithSixtyFourBitRecurrenceOverManyDraws)
{
    for (uint32_t seed : {0u, 1u, 13u, 111u, 0x7FFFFFFFu, 0xFFFFFFFFu})
    {
        plat::CRandSeed(seed);
        const std::vector<int> got = Draw(500);
        EXPECT_EQ(got, Reference(seed, 500)) << "seed " << seed;
        for (int v : got)
            ASSERT_TRUE(v >= 0 && v <= plat::kCRandMax);
    }
}

TEST(CRandom, NewThreadStartsAsIfSeededWithOne)
{
    plat::CRandSeed(13);
    std::vector<int> got;
    std::thread([&] { got = Draw(3); }).join();
    EXPECT_EQ(got, Reference(1, 3));
    // The thread's draws did not move this thread's state.
    EXPECT_EQ(plat::CRand(), Reference(13, 1)[0]);
}

TEST(CRandom, ThreadsKeepTheirOwnSequences)
{
    constexpr int kDraws = 300;
    plat::CRandSeed(7);
    // Lock-step, so the two threads' draws really interleave.
    std::barrier step(2);
    std::vector<int> a;
    std::vector<int> b;
    auto run = [&](uint32_t seed, std::vector<int>& out)
    {
        plat::CRandSeed(seed);
        step.arrive_and_wait();
        for (int i = 0; i < kDraws; ++i)
        {
            out.push_back(plat::CRand());
            step.arrive_and_wait();
        }
    };
    std::thread ta(run, 1u, std::ref(a));
    std::thread tb(run, 13u, std::ref(b));
    ta.join();
    tb.join();
    EXPECT_EQ(a, Reference(1, kDraws));
    EXPECT_EQ(b, Reference(13, kDraws));
    EXPECT_EQ(Draw(4), Reference(7, 4));
}
