#include "PropertyTestHelpers.h"

#include "QrAction.h"
#include "QrAlphaProperty.h"
#include "QrFlipTextures.h"
#include "QrTextureProperty.h"

#include <cmath>
#include <limits>

using proptest::HandFile;
using proptest::Load;
using proptest::RoundTrip;
using proptest::Save;

namespace
{

// A texture property with count empty entries: the flip-book only needs the list's length.
QrTextureProperty* MakeTarget(uint32_t count)
{
    auto* target = new QrTextureProperty;
    if (count > 0)
        target->SetImage(nullptr, count - 1);
    return target;
}

QrFlipTextures* MakeFlip(uint32_t cycle, float start, float period)
{
    auto* flip = new QrFlipTextures;
    flip->m_cycleType = cycle;
    flip->m_startTime = start;
    flip->m_period = period;
    return flip;
}

struct IndexCase
{
    double time;
    int32_t index;
};

void ExpectIndices(const QrFlipTextures& flip, uint32_t count, std::initializer_list<IndexCase> cases)
{
    for (const IndexCase& c : cases)
        EXPECT_EQ(flip.ComputeIndex(c.time, count, 99), c.index) << "time " << c.time;
}

} // namespace

using QrFlipTexturesTest = proptest::PropertyTest;

TEST_F(QrFlipTexturesTest, LoopWrapsAndCountsBackwardBeforeTheStart)
{
    QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kLoop, 0.0f, 2.0f);
    ExpectIndices(*flip, 5,
                  {{0.0, 0},
                   {0.49, 0},
                   {0.5, 1},
                   {1.0, 2},
                   {1.99, 3},
                   {2.0, 0},
                   {2.5, 1},
                   {-0.5, 3},
                   {-1.5, 1},
                   {-2.5, 3},
                   {100.0, 0},
                   {101.0, 2}});
    // The start time shifts the cycle.
    flip->m_startTime = 10.0f;
    ExpectIndices(*flip, 5, {{11.0, 2}, {9.5, 3}});
}

TEST_F(QrFlipTexturesTest, ReverseRunsBackOnOddPasses)
{
    QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kReverse, 0.0f, 2.0f);
    ExpectIndices(*flip, 5, {{0.0, 0}, {1.0, 2}, {1.5, 3}, {2.0, 4}, {2.5, 3}, {3.0, 2}, {3.9, 0}, {4.0, 0}, {4.5, 1}});
    // Negative times mirror positive ones.
    ExpectIndices(*flip, 5, {{-1.0, 2}, {-2.5, 3}, {-3.0, 2}});
}

TEST_F(QrFlipTexturesTest, ClampHoldsTheEnds)
{
    QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kClamp, 1.0f, 2.0f);
    ExpectIndices(*flip, 4, {{-5.0, 0}, {0.5, 0}, {1.0, 0}, {2.0, 1}, {2.9, 2}, {3.0, 3}, {50.0, 3}});
}

TEST_F(QrFlipTexturesTest, EmptyListAndUnknownCycle)
{
    QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kLoop, 0.0f, 2.0f);
    ExpectIndices(*flip, 0, {{0.5, 0}, {1.9, 0}});
    flip->m_cycleType = QrFlipTextures::kClamp;
    ExpectIndices(*flip, 0, {{0.0, 0}, {3.0, -1}});
    flip->m_cycleType = 3;
    ExpectIndices(*flip, 5, {{1.0, 99}});
}

TEST_F(QrFlipTexturesTest, UpdateDrivesTheTargetIndex)
{
    QrPointer<QrTextureProperty> target = MakeTarget(5);
    QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kLoop, 0.0f, 2.0f);
    flip->SetTarget(target.Get());
    QrAction::AddAction(flip.Get());

    QrAction::UpdateAll(1.0, 0.0);
    EXPECT_EQ(target->GetCurrentIndex(), 2);
    QrAction::UpdateAll(-0.5, 0.0);
    EXPECT_EQ(target->GetCurrentIndex(), 3);
    EXPECT_TRUE(QrAction::IsRunning(flip.Get()));
}

TEST_F(QrFlipTexturesTest, NoTargetOrNoPeriodChangesNothing)
{
    QrPointer<QrFlipTextures> empty = MakeFlip(QrFlipTextures::kLoop, 0.0f, 2.0f);
    EXPECT_TRUE(empty->Update(1.0, 0.0));

    QrPointer<QrTextureProperty> target = MakeTarget(5);
    target->SetCurrentIndex(4);
    for (float period : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kLoop, 0.0f, period);
        flip->SetTarget(target.Get());
        EXPECT_TRUE(flip->Update(1.0, 0.0)) << period;
        EXPECT_EQ(target->GetCurrentIndex(), 4) << period;
    }
}

TEST_F(QrFlipTexturesTest, ReleasedSceneEndsTheAction)
{
    QrPointer<QrTextureProperty> scene = MakeTarget(4);
    QrTextureProperty* target = scene.Get();
    {
        QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kClamp, 0.0f, 1.0f);
        flip->SetTarget(target);
        QrAction::AddAction(flip.Get());
    }
    QrAction::UpdateAll(5.0, 0.0);
    EXPECT_EQ(target->GetCurrentIndex(), 3);
    ASSERT_EQ(QrAction::GetActionCount(), 1u);

    // The action now holds the only reference: the next frame drops it and the property.
    const uint32_t live = QrObject::GetLiveCount();
    scene = nullptr;
    EXPECT_EQ(QrObject::GetLiveCount(), live);
    QrAction::UpdateAll(6.0, 0.0);
    EXPECT_EQ(QrAction::GetActionCount(), 0u);
    EXPECT_EQ(QrObject::GetLiveCount(), live - 2);
}

TEST_F(QrFlipTexturesTest, LoadedActionRunsUntilItsSceneIsReleased)
{
    std::vector<uint8_t> bytes;
    {
        QrPointer<QrTextureProperty> target = MakeTarget(3);
        QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kLoop, 0.0f, 3.0f);
        flip->SetTarget(target.Get());
        bytes = Save({target.Get(), flip.Get()});
    }
    std::vector<QrPointer<QrObject>> loaded = Load(bytes);
    ASSERT_EQ(loaded.size(), 2u);
    ASSERT_EQ(QrAction::GetActionCount(), 1u);
    auto* target = QrDynamicCast<QrTextureProperty>(loaded[0].Get());
    ASSERT_NE(target, nullptr);
    loaded.pop_back(); // the caller keeps the property, not the action

    QrAction::UpdateAll(2.0, 0.0);
    EXPECT_EQ(target->GetCurrentIndex(), 1);
    loaded.clear();
    QrAction::UpdateAll(2.5, 0.0);
    EXPECT_EQ(QrAction::GetActionCount(), 0u);
}

TEST_F(QrFlipTexturesTest, RoundTripCarriesTheTarget)
{
    QrPointer<QrTextureProperty> target = MakeTarget(6);
    target->SetCurrentIndex(2);
    target->m_override = 1;
    QrPointer<QrFlipTextures> flip = MakeFlip(QrFlipTextures::kReverse, 0.5f, 4.0f);
    flip->m_rate = 2.0f;
    flip->SetTarget(target.Get());

    // Saved alone, the action brings its target into the file.
    QrPointer<QrObject> loaded = RoundTrip(flip.Get());
    ASSERT_TRUE(loaded);
    auto* copy = QrDynamicCast<QrFlipTextures>(loaded.Get());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->GetTarget(), nullptr);
    EXPECT_EQ(copy->GetTarget()->GetImageCount(), 6u);
    EXPECT_TRUE(QrAction::IsRunning(copy));

    // Every field takes part in the comparison.
    QrPointer<QrFlipTextures> other = MakeFlip(QrFlipTextures::kReverse, 0.5f, 4.0f);
    other->m_rate = 2.0f;
    EXPECT_FALSE(other->IsEqual(flip.Get())) << "one target missing";
    other->SetTarget(target.Get());
    EXPECT_TRUE(other->IsEqual(flip.Get()));
    other->m_rate = 1.0f;
    EXPECT_FALSE(other->IsEqual(flip.Get()));
}

TEST_F(QrFlipTexturesTest, TargetOfAnotherClassFailsTheLoad)
{
    HandFile file("2.2");
    file.BeginProperty("QrAlphaProperty", 1, false);
    for (int i = 0; i < 9; ++i)
        file.w.U8(0);
    file.String("Top Level Object");
    file.String("QrFlipTextures");
    file.w.U32(2);
    file.w.U32(0);
    file.w.U32(0);
    file.w.U32(QrFlipTextures::kLoop);
    file.w.F32(1.0f);
    file.w.F32(0.0f);
    file.w.F32(1.0f);
    file.w.U32(1);
    EXPECT_TRUE(Load(file.End()).empty());
    EXPECT_EQ(QrStream::LastErrorCode, static_cast<uint32_t>(QrStream::kErrorNotQrf));
    EXPECT_EQ(QrAction::GetActionCount(), 0u) << "a failed load starts nothing";
}
