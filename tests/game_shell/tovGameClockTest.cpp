#include "tovGameClock.h"
#include "ByteReader.h"
#include "ByteWriter.h"
#include "Clock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace
{

class tovGameClockTest : public ::testing::Test
{
protected:
    void SetUp() override { plat::SetCurrentClock(&m_time); }
    void TearDown() override { plat::SetCurrentClock(nullptr); }

    void Advance(double seconds)
    {
        m_time.AdvanceSeconds(seconds);
        m_clock.Update();
    }

    plat::ManualClock m_time{5'000'000'000};
    tovGameClock m_clock;
};

TEST_F(tovGameClockTest, EachDayLengthLevelEndsTheDayAfterItsRealMinutes)
{
    const struct
    {
        int32_t level;
        double rate;
        double realMinutes;
    } cases[] = {{0, 48.0, 10.0}, {1, 24.0, 20.0}, {2, 12.0, 40.0}, {3, 8.0, 60.0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.level);
        m_clock.SetFlags(tovGameClock::kRunning);
        m_clock.Restart(c.level);
        EXPECT_EQ(m_clock.GetRate(), c.rate);
        Advance(60.0);
        EXPECT_DOUBLE_EQ(m_clock.GetGameTime(), 60.0 * c.rate);
        Advance(c.realMinutes * 60.0 - 60.0 - 0.5);
        EXPECT_FALSE(m_clock.IsDayOver());
        Advance(0.5);
        EXPECT_TRUE(m_clock.IsDayOver());
        EXPECT_DOUBLE_EQ(m_clock.GetTimeOfDay(), 14.0 * 3600.0);
    }
}

TEST_F(tovGameClockTest, APauseIsNotCountedAndAnUnknownLevelKeepsTheRate)
{
    m_clock.Restart(0);
    EXPECT_FALSE(m_clock.IsRunning());
    Advance(30.0);
    EXPECT_EQ(m_clock.GetGameTime(), 0.0);
    m_clock.SetFlags(tovGameClock::kRunning);
    Advance(1.0);
    EXPECT_DOUBLE_EQ(m_clock.GetGameTime(), 48.0);

    m_clock.SetFlags(0);
    m_time.AdvanceSeconds(100.0); // no update during the pause
    m_clock.SetFlags(tovGameClock::kRunning);
    Advance(1.0);
    EXPECT_DOUBLE_EQ(m_clock.GetGameTime(), 96.0);

    for (const int32_t level : {4, -1, 7})
    {
        m_clock.Restart(level);
        EXPECT_TRUE(m_clock.IsRunning());
        EXPECT_EQ(m_clock.GetRate(), 48.0) << level;
        EXPECT_EQ(m_clock.GetGameTime(), 0.0);
    }
}

TEST_F(tovGameClockTest, TheBlockIsFiftySixBytesAndALoadRestamps)
{
    m_clock.SetFlags(tovGameClock::kRunning);
    m_clock.Start(20.0, 8.0);
    Advance(10.0);
    plat::ByteWriter out;
    m_clock.Save(out);
    ASSERT_EQ(out.Size(), tovGameClock::kBlockSize);

    m_time.AdvanceSeconds(500.0); // the time between save and load
    tovGameClock loaded;
    plat::ByteReader in(out.Buffer().data(), out.Size());
    ASSERT_TRUE(loaded.Load(in));
    EXPECT_EQ(loaded.GetGameTime(), 240.0);
    EXPECT_EQ(loaded.GetDayLength(), 28800.0);
    EXPECT_EQ(loaded.GetRealLength(), 1200.0);
    m_time.AdvanceSeconds(1.0);
    loaded.Update();
    EXPECT_DOUBLE_EQ(loaded.GetGameTime(), 264.0);
}

TEST_F(tovGameClockTest, AShortOrNonFiniteBlockIsRefusedAndLeavesTheClock)
{
    m_clock.Start(10.0, 8.0);
    plat::ByteWriter out;
    m_clock.Save(out);
    std::vector<uint8_t> bytes = out.Take();

    tovGameClock target;
    target.Start(60.0, 8.0);
    plat::ByteReader shortBlock(bytes.data(), bytes.size() - 1);
    EXPECT_FALSE(target.Load(shortBlock));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Offsets: game time 0, rate 24, offset 32, day length 40, real length 48.
    const struct
    {
        size_t offset;
        double value;
    } cases[] = {{24, nan},   {24, -1.0}, {24, 1.0e300}, {0, inf},    {0, 1.0e300}, {32, -1.0e300},
                 {32, 1.0e9}, {40, -1.0}, {40, 1.0e9},   {48, -60.0}, {48, 1.0e300}};
    for (const auto& c : cases)
    {
        std::vector<uint8_t> damaged = bytes;
        std::memcpy(damaged.data() + c.offset, &c.value, sizeof c.value);
        plat::ByteReader bad(damaged.data(), damaged.size());
        EXPECT_FALSE(target.Load(bad)) << c.offset << " " << c.value;
        EXPECT_EQ(target.GetRate(), 8.0);
    }
    // The block of a clock that ran on after loading reads back.
    tovGameClock running;
    running.SetFlags(tovGameClock::kRunning);
    running.Start(10.0, 8.0);
    Advance(0.0);
    m_time.AdvanceSeconds(86400.0);
    running.Update();
    plat::ByteWriter again;
    running.Save(again);
    plat::ByteReader back(again.Buffer().data(), again.Size());
    EXPECT_TRUE(target.Load(back));
}

} // namespace
