#include "Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

TEST(ManualClock, MovesOnlyWhenAdvanced)
{
    plat::ManualClock clock;
    EXPECT_EQ(clock.TickMs(), 0u);
    EXPECT_EQ(clock.Seconds(), 0.0);

    clock.AdvanceMs(16);
    EXPECT_EQ(clock.TickMs(), 16u);
    EXPECT_DOUBLE_EQ(clock.Seconds(), 0.016);

    // Ticks count whole milliseconds; the fraction stays in the seconds.
    clock.AdvanceNanoseconds(999999);
    EXPECT_EQ(clock.TickMs(), 16u);
    EXPECT_DOUBLE_EQ(clock.Seconds(), 0.016999999);

    clock.SetNanoseconds(0);
    for (int i = 0; i < 60; ++i)
        clock.AdvanceSeconds(1.0 / 60.0);
    // 60 steps of 16666667 ns: rounded per step, so the sum is a little over a second.
    EXPECT_EQ(clock.Nanoseconds(), 60u * 16666667u);
    EXPECT_EQ(clock.TickMs(), 1000u);

    clock.AdvanceSeconds(-5.0);
    clock.AdvanceSeconds(0.0);
    EXPECT_EQ(clock.Nanoseconds(), 60u * 16666667u);
}

TEST(ManualClock, TickWrapsAtTwoToTheThirtyTwoMilliseconds)
{
    const uint64_t nsPerMs = 1000000;
    plat::ManualClock clock((uint64_t{1} << 32) * nsPerMs - 5 * nsPerMs);
    const uint32_t before = clock.TickMs();
    EXPECT_EQ(before, 0xFFFFFFFBu);
    clock.AdvanceMs(10);
    EXPECT_EQ(clock.TickMs(), 5u);
    // Unsigned differences stay right across the wrap; seconds do not wrap.
    EXPECT_EQ(clock.TickMs() - before, 10u);
    EXPECT_DOUBLE_EQ(clock.Seconds(), 4294967.301);
}

TEST(ManualClock, ReadersOnOtherThreadsSeeTimeOnlyGoForward)
{
    plat::ManualClock clock;
    std::thread writer(
        [&]
        {
            for (int i = 0; i < 2000; ++i)
                clock.AdvanceMs(1);
        });
    uint32_t last = 0;
    bool forward = true;
    while (last < 2000)
    {
        const uint32_t now = clock.TickMs();
        forward = forward && now >= last;
        last = now;
    }
    writer.join();
    EXPECT_TRUE(forward);
    EXPECT_EQ(clock.TickMs(), 2000u);
}

TEST(SteadyClock, SecondsAndTicksShareOneTimeline)
{
    plat::SteadyClock clock;
    const double s0 = clock.Seconds();
    const uint32_t t0 = clock.TickMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t t1 = clock.TickMs();
    const double s1 = clock.Seconds();
    EXPECT_GE(s1 - s0, 0.030);
    EXPECT_GE(t1 - t0, 30u);
    EXPECT_LT(t1 - t0, 5000u);
    // The tick is the seconds in whole milliseconds, modulo 2^32.
    const double wrappedMs = std::fmod(std::floor(s1 * 1000.0), 4294967296.0);
    EXPECT_NEAR(static_cast<double>(t1), wrappedMs, 2.0);
}

TEST(CurrentClock, DefaultsToSteadyAndFollowsTheInstalledClock)
{
    EXPECT_NE(dynamic_cast<plat::SteadyClock*>(&plat::CurrentClock()), nullptr);

    plat::ManualClock manual;
    manual.AdvanceMs(1234);
    plat::SetCurrentClock(&manual);
    EXPECT_EQ(&plat::CurrentClock(), &manual);
    EXPECT_EQ(plat::CurrentClock().TickMs(), 1234u);
    manual.AdvanceMs(1);
    EXPECT_EQ(plat::CurrentClock().TickMs(), 1235u);

    plat::SetCurrentClock(nullptr);
    EXPECT_NE(dynamic_cast<plat::SteadyClock*>(&plat::CurrentClock()), nullptr);
}
