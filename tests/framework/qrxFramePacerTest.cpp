#include "qrxFramePacer.h"

#include "Clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kNsPerSecond = 1'000'000'000;
constexpr double kPeriodNs = 1e9 / qrxFramePacer::kWindowFramesPerSecond;
// What a window's loop loses outside the frame: the message pump before it and a sleep's oversleep.
constexpr uint64_t kPumpNs = 50'000;
constexpr uint64_t kOversleepNs = 60'000;

// The manual clock stands for the system's, and the pacer's rest moves it as a sleep moves the
// real one, a little past the end asked for.
class qrxFramePacerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetCurrentClock(&m_clock);
        m_pacer.SetRest(
            [this](double seconds)
            {
                m_clock.AdvanceSeconds(seconds);
                m_clock.AdvanceNanoseconds(kOversleepNs);
            });
    }
    void TearDown() override { plat::SetCurrentClock(nullptr); }

    // One pass of the loop: the pump, the frame's work and its rest. Answers when the frame started.
    uint64_t Frame(uint64_t workNs)
    {
        m_clock.AdvanceNanoseconds(kPumpNs);
        const uint64_t start = m_clock.Nanoseconds();
        m_pacer.StartFrame();
        m_clock.AdvanceNanoseconds(workNs);
        m_lastPause = m_pacer.Pause();
        return start;
    }

    plat::ManualClock m_clock{kNsPerSecond};
    qrxFramePacer m_pacer;
    double m_lastPause = 0.0;
};

} // namespace

// Over ten seconds each second starts exactly 60 frames, whatever the frames' work under a
// period; a frame a little late (16.6 ms of work after the pump and an oversleep) is made up
// by the next.
TEST_F(qrxFramePacerTest, FramesUnderAPeriodKeepExactlySixtyASecond)
{
    const std::vector<std::vector<uint64_t>> patterns = {{5 * kMs}, {1 * kMs, 16 * kMs}, {16'600'000, 3 * kMs}};
    for (const std::vector<uint64_t>& work : patterns)
    {
        SCOPED_TRACE(work.back());
        m_pacer.SetCap(qrxFramePacer::kWindowFramesPerSecond);
        const uint64_t first = Frame(work[0]);
        std::vector<int32_t> perSecond(10, 0);
        perSecond[0] = 1;
        for (size_t i = 1;; ++i)
        {
            const uint64_t second = (Frame(work[i % work.size()]) - first) / kNsPerSecond;
            if (second >= perSecond.size())
                break;
            ++perSecond[second];
        }
        EXPECT_EQ(perSecond, std::vector<int32_t>(10, qrxFramePacer::kWindowFramesPerSecond));
    }
}

// A frame late by more than a period starts the schedule again where it ended: the frames after
// it rest and end a period apart, not back to back to catch up. One late by less keeps the
// schedule and the next frame makes it up.
TEST_F(qrxFramePacerTest, ALateFrameIsFollowedByOnePeriodNotABurst)
{
    const struct
    {
        uint64_t lateWorkNs;
        bool newSchedule;
    } cases[] = {{50 * kMs, true}, {25 * kMs, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lateWorkNs);
        m_pacer.SetCap(qrxFramePacer::kWindowFramesPerSecond);
        const uint64_t origin = Frame(5 * kMs);
        for (int32_t i = 1; i < 5; ++i)
            Frame(5 * kMs);
        Frame(c.lateWorkNs);
        EXPECT_EQ(m_lastPause, 0.0);
        const uint64_t lateEnd = m_clock.Nanoseconds();
        for (int32_t k = 1; k <= 3; ++k)
        {
            Frame(5 * kMs);
            EXPECT_GT(m_lastPause, 0.0) << "frame " << k << " after the late one";
            // The late frame was the sixth of its schedule.
            const uint64_t base = c.newSchedule ? lateEnd : origin;
            const double periods = c.newSchedule ? k : 6 + k;
            EXPECT_NEAR(static_cast<double>(m_clock.Nanoseconds() - base), periods * kPeriodNs + kOversleepNs, 1.0)
                << "frame " << k << " after the late one";
        }
    }
}
