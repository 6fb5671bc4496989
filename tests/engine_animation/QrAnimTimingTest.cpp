#include "AnimationTestFixture.h"

#include "Qr3dsAnimationNode.h"
#include "QrAnimTiming.h"

#include "Clock.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace
{

class QrAnimTimingTest : public QrAnimationTest
{
protected:
    static QrPointer<TimedProbe> Ranged(uint32_t cycle, float begin, float end)
    {
        QrPointer<TimedProbe> probe = TimedProbe::Make();
        probe->SetCycleType(cycle);
        probe->SetBeginTime(begin);
        probe->SetEndTime(end);
        return probe;
    }

    // (application time, expected local time) pairs.
    static void ExpectMapping(QrAnimTiming& timing, const std::vector<std::pair<float, float>>& table)
    {
        for (const auto& [time, expected] : table)
            EXPECT_EQ(timing.ComputeScaledTime(time), expected) << "at time " << time;
    }
};

TEST_F(QrAnimTimingTest, WithoutKeysEveryTimeMapsToTheEndOfTheEmptyRange)
{
    QrPointer<TimedProbe> probe = TimedProbe::Make();
    for (uint32_t cycle : {0u, 1u, 2u})
    {
        probe->SetCycleType(cycle);
        for (float time : {-5.0f, 0.0f, 1.0f, 1e6f})
            EXPECT_EQ(probe->ComputeScaledTime(time), -FLT_MAX) << "cycle " << cycle << " time " << time;
    }
}

TEST_F(QrAnimTimingTest, LoopWrapsAtCycleBoundariesAndClampsBeforeTheRange)
{
    QrPointer<TimedProbe> probe = Ranged(QrAnimTiming::kCycleLoop, 0.0f, 2.0f);
    ExpectMapping(*probe, {{0.0f, 0.0f}, {1.5f, 1.5f}, {2.0f, 0.0f}, {4.5f, 0.5f}, {5.0f, 1.0f}, {-1.0f, 0.0f}});
}

TEST_F(QrAnimTimingTest, LoopCountsCyclesFromTimeZeroNotFromTheFirstKey)
{
    // Keys from 5 to 15: the remainder of the time itself is added to the first key's time.
    QrPointer<TimedProbe> probe = Ranged(QrAnimTiming::kCycleLoop, 5.0f, 15.0f);
    ExpectMapping(*probe, {{0.0f, 5.0f}, {4.0f, 9.0f}, {12.0f, 7.0f}, {17.0f, 12.0f}, {25.0f, 10.0f}});
}

TEST_F(QrAnimTimingTest, ReverseRunsOddCyclesBackwards)
{
    QrPointer<TimedProbe> probe = Ranged(QrAnimTiming::kCycleReverse, 0.0f, 2.0f);
    ExpectMapping(*probe, {{1.0f, 1.0f}, {2.0f, 2.0f}, {3.0f, 1.0f}, {4.0f, 0.0f}, {4.5f, 0.5f}, {5.0f, 1.0f}});
    // Before the range: the negative remainder leaves the range and is clamped.
    ExpectMapping(*probe, {{-1.0f, 0.0f}, {-3.0f, 2.0f}});
}

TEST_F(QrAnimTimingTest, ReverseCountsCyclesFromTimeZeroNotFromTheFirstKey)
{
    // 13 lies in the second period of length 10, which runs backwards from the end.
    QrPointer<TimedProbe> probe = Ranged(QrAnimTiming::kCycleReverse, 10.0f, 20.0f);
    ExpectMapping(*probe, {{13.0f, 17.0f}, {23.0f, 13.0f}, {5.0f, 15.0f}, {30.0f, 20.0f}});
}

TEST_F(QrAnimTimingTest, EmptySpanYieldsTheBeginTime)
{
    for (uint32_t cycle : {QrAnimTiming::kCycleLoop, QrAnimTiming::kCycleReverse})
    {
        QrPointer<TimedProbe> probe = Ranged(cycle, 3.0f, 3.0f);
        ExpectMapping(*probe, {{-7.0f, 3.0f}, {3.0f, 3.0f}, {100.0f, 3.0f}});
    }
}

TEST_F(QrAnimTimingTest, ClampAndUnknownCyclesStickToTheEnds)
{
    for (uint32_t cycle : {uint32_t(QrAnimTiming::kCycleClamp), 7u})
    {
        QrPointer<TimedProbe> probe = Ranged(cycle, 1.0f, 4.0f);
        ExpectMapping(*probe, {{-2.0f, 1.0f}, {1.0f, 1.0f}, {2.5f, 2.5f}, {4.0f, 4.0f}, {9.0f, 4.0f}});
    }
}

TEST_F(QrAnimTimingTest, FrequencyAndPhaseScaleBeforeTheCycle)
{
    QrPointer<TimedProbe> probe = Ranged(QrAnimTiming::kCycleLoop, 0.0f, 10.0f);
    probe->SetFrequency(4.0f);
    probe->SetPhase(1.0f);
    ExpectMapping(*probe, {{0.0f, 1.0f}, {2.0f, 9.0f}, {3.0f, 3.0f}});
}

TEST_F(QrAnimTimingTest, TimeThatCannotBeComparedGivesTheEnd)
{
    QrPointer<TimedProbe> probe = Ranged(QrAnimTiming::kCycleClamp, 0.0f, 2.0f);
    EXPECT_EQ(probe->ComputeScaledTime(std::numeric_limits<float>::quiet_NaN()), 2.0f);
}

TEST_F(QrAnimTimingTest, UpdateAppliesOnlyWhenDrivenByUpdate)
{
    QrPointer<TimedProbe> none = TimedProbe::Make(QrAnimTiming::kModeNone);
    QrPointer<TimedProbe> driven = TimedProbe::Make(QrAnimTiming::kModeUpdate);
    QrPointer<TimedProbe> free = TimedProbe::Make(QrAnimTiming::kModeFreeRun);
    for (TimedProbe* probe : {none.Get(), driven.Get(), free.Get()})
        probe->Update(2.5f);
    EXPECT_TRUE(none->m_applied.empty());
    EXPECT_TRUE(free->m_applied.empty());
    EXPECT_EQ(driven->m_applied, std::vector<float>{2.5f});
    EXPECT_EQ(driven->GetRunning(), 0);
    EXPECT_EQ(free->GetRunning(), 1);
}

TEST_F(QrAnimTimingTest, StartRebasesSoThatNowMapsToTheBeginTime)
{
    plat::ManualClock clock(uint64_t(5000) * 1000000u);
    plat::SetCurrentClock(&clock);
    // Clamped: a loop would add the remainder of beginTime itself.
    QrPointer<TimedProbe> probe = Ranged(QrAnimTiming::kCycleClamp, 2.0f, 6.0f);
    probe->SetMode(QrAnimTiming::kModeFreeRun);
    std::vector<float> mapped;
    probe->m_onApply = [&](TimedProbe& self, float time) { mapped.push_back(self.ComputeScaledTime(time)); };

    probe->Stop();
    EXPECT_EQ(probe->GetRunning(), 0);
    probe->Start();
    EXPECT_EQ(probe->GetRunning(), 1);
    EXPECT_EQ(probe->GetRestartPending(), 0) << "the first mapping consumes the restart";
    ASSERT_EQ(probe->m_applied, std::vector<float>{5.0f});
    EXPECT_EQ(mapped, std::vector<float>{2.0f});
    EXPECT_EQ(probe->ComputeScaledTime(5.0f), 2.0f);
    EXPECT_EQ(probe->ComputeScaledTime(6.5f), 3.5f);

    // The counter is 32 bits of milliseconds: past 2^32 ticks it starts again from 0.
    clock.SetNanoseconds((uint64_t(1) << 32) * 1000000u + uint64_t(1500) * 1000000u);
    probe->Start();
    EXPECT_EQ(probe->m_applied.back(), 1.5f);
    EXPECT_EQ(mapped.back(), 2.0f);
    plat::SetCurrentClock(nullptr);
}

TEST_F(QrAnimTimingTest, StartAndStopOnlyActInFreeRunningMode)
{
    QrPointer<TimedProbe> probe = TimedProbe::Make(QrAnimTiming::kModeUpdate);
    probe->Start();
    probe->Stop();
    EXPECT_TRUE(probe->m_applied.empty());
    EXPECT_EQ(probe->GetRunning(), 1);
    EXPECT_EQ(probe->GetRestartPending(), 0);
}

TEST_F(QrAnimTimingTest, UpdateAllRunsThePendingApplyOnceThenUpdates)
{
    QrPointer<TimedProbe> driven = TimedProbe::Make(QrAnimTiming::kModeUpdate);
    driven->SetPendingTime(0.25f);
    QrPointer<TimedProbe> idle = TimedProbe::Make(QrAnimTiming::kModeNone);
    QrPointer<TimedProbe> inactive = TimedProbe::Make(QrAnimTiming::kModeUpdate);
    inactive->SetActive(0);

    QrAnimTiming::UpdateAll(1.0f);
    QrAnimTiming::UpdateAll(2.0f);
    EXPECT_EQ(driven->m_applied, (std::vector<float>{0.25f, 2.0f}));
    EXPECT_EQ(driven->GetPending(), 0);
    EXPECT_EQ(idle->m_applied, std::vector<float>{0.0f}) << "mode 0 gets only its pending apply";
    EXPECT_TRUE(inactive->m_applied.empty()) << "not even the pending apply";
    EXPECT_EQ(inactive->GetPending(), 1);
}

TEST_F(QrAnimTimingTest, UpdateAllVisitsInConstructionOrder)
{
    std::vector<int> order;
    std::vector<QrPointer<TimedProbe>> probes;
    for (int i = 0; i < 5; ++i)
    {
        probes.push_back(TimedProbe::Make());
        probes.back()->m_onApply = [&order, i](TimedProbe&, float) { order.push_back(i); };
    }
    // A removal in the middle leaves the others in order; its node is reused at the tail.
    probes[2] = nullptr;
    probes.push_back(TimedProbe::Make());
    probes.back()->m_onApply = [&order](TimedProbe&, float) { order.push_back(5); };
    QrAnimTiming::UpdateAll(0.0f);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 3, 4, 5}));
}

TEST_F(QrAnimTimingTest, UpdateAllSurvivesObjectsDestroyedDuringTheWalk)
{
    const uint32_t before = QrAnimTiming::GetListCount();
    QrPointer<TimedProbe> first = TimedProbe::Make();
    QrPointer<TimedProbe> second = TimedProbe::Make();
    QrPointer<TimedProbe> third = TimedProbe::Make();
    QrPointer<TimedProbe> fourth = TimedProbe::Make();
    // The first destroys itself and the next two; the fourth is still reached.
    first->m_onApply = [&](TimedProbe&, float)
    {
        second = nullptr;
        third = nullptr;
        first = nullptr;
    };
    QrAnimTiming::UpdateAll(1.0f);
    EXPECT_EQ(fourth->m_applied, std::vector<float>{0.0f});
    EXPECT_EQ(QrAnimTiming::GetListCount(), before + 1);
}

TEST_F(QrAnimTimingTest, UpdateAllSurvivesAnApplyThatDestroysItsNeighbours)
{
    QrPointer<TimedProbe> previous = TimedProbe::Make();
    QrPointer<TimedProbe> middle = TimedProbe::Make();
    QrPointer<TimedProbe> next = TimedProbe::Make();
    QrPointer<TimedProbe> after = TimedProbe::Make();
    middle->m_onApply = [&](TimedProbe&, float)
    {
        previous = nullptr;
        next = nullptr;
    };
    QrAnimTiming::UpdateAll(1.0f);
    QrAnimTiming::UpdateAll(2.0f);
    EXPECT_EQ(middle->m_applied, (std::vector<float>{0.0f, 2.0f}));
    EXPECT_EQ(after->m_applied, (std::vector<float>{0.0f, 2.0f}));
}

TEST_F(QrAnimTimingTest, ObjectsMadeDuringTheWalkWaitForTheNextCall)
{
    QrPointer<TimedProbe> maker = TimedProbe::Make();
    QrPointer<TimedProbe> victim = TimedProbe::Make();
    QrPointer<TimedProbe> made;
    maker->m_onApply = [&](TimedProbe&, float)
    {
        if (made)
            return;
        // The new object may take the node the victim gave back.
        victim = nullptr;
        made = TimedProbe::Make();
    };
    QrAnimTiming::UpdateAll(1.0f);
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->m_applied.empty());
    EXPECT_EQ(made->GetPending(), 1);
    QrAnimTiming::UpdateAll(2.0f);
    EXPECT_EQ(made->m_applied, std::vector<float>{0.0f});
}

TEST_F(QrAnimTimingTest, NestedWalksBothSkipAnObjectDestroyedInside)
{
    // The outer walk is about to visit target when the nested walk destroys it.
    QrPointer<TimedProbe> outer = TimedProbe::Make();
    QrPointer<TimedProbe> target = TimedProbe::Make();
    QrPointer<TimedProbe> inner = TimedProbe::Make();
    QrPointer<TimedProbe> last = TimedProbe::Make();
    int depth = 0;
    outer->m_onApply = [&](TimedProbe&, float)
    {
        if (depth++ == 0)
            QrAnimTiming::UpdateAll(5.0f);
        --depth;
    };
    inner->m_onApply = [&](TimedProbe&, float) { target = nullptr; };
    QrAnimTiming::UpdateAll(1.0f);
    EXPECT_FALSE(target);
    EXPECT_EQ(inner->m_applied, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(last->m_applied, (std::vector<float>{0.0f, 1.0f}));
}

TEST_F(QrAnimTimingTest, TimingPartIsFoundFromTheObject)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    EXPECT_EQ(QrAnimTiming::GetTimingPart(node.Get()), static_cast<QrAnimTiming*>(node.Get()));
    QrPointer<QrNode> plain(new QrNode);
    EXPECT_EQ(QrAnimTiming::GetTimingPart(plain.Get()), nullptr);
    EXPECT_EQ(QrAnimTiming::GetTimingPart(nullptr), nullptr);
}

} // namespace
