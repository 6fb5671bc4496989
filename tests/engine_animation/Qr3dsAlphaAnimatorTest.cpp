#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"

#include "Qr3dsAlphaAnimator.h"
#include "QrAlphaProperty.h"
#include "QrLinearFloatKey.h"
#include "QrMaterialProperty.h"

namespace
{

// A material of a derived class: the animator must leave it alone.
class TestMaterial : public QrMaterialProperty
{
    QR_DECLARE_RTTI

protected:
    ~TestMaterial() override = default;
};

QR_IMPLEMENT_RTTI(TestMaterial, QrMaterialProperty)

class Qr3dsAlphaAnimatorTest : public QrAnimationTest
{
protected:
    void SetUp() override
    {
        QrAnimationTest::SetUp();
        m_animator = new Qr3dsAlphaAnimator;
    }
    void TearDown() override
    {
        m_animator = nullptr;
        QrAnimationTest::TearDown();
    }

    void SetKeys(std::initializer_list<std::pair<float, float>> specs)
    {
        KeyList<QrFloatKey> keys;
        for (const auto& [time, value] : specs)
            keys.Add(std::make_unique<QrLinearFloatKey>(time, value));
        m_animator->SetKeys(keys.Data(), keys.Count());
    }

    QrPointer<Qr3dsAlphaAnimator> m_animator;
};

TEST_F(Qr3dsAlphaAnimatorTest, WritesTheAlphaOfAMaterialAndMarksItChanged)
{
    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    material->m_changed = 0;
    m_animator->SetTarget(material.Get());
    SetKeys({{0.0f, 1.0f}, {2.0f, 0.0f}});
    EXPECT_EQ(m_animator->GetMode(), QrAnimTiming::kModeUpdate);
    EXPECT_EQ(m_animator->GetCycleType(), QrAnimTiming::kCycleClamp);

    m_animator->ApplyAtTime(1.0f);
    EXPECT_EQ(material->m_alpha, 0.5f);
    EXPECT_EQ(material->m_changed, 1);
    m_animator->ApplyAtTime(5.0f);
    EXPECT_EQ(material->m_alpha, 0.0f);
    m_animator->ApplyAtTime(-1.0f);
    EXPECT_EQ(material->m_alpha, 1.0f);
}

TEST_F(Qr3dsAlphaAnimatorTest, OtherTargetsAreNeverWritten)
{
    SetKeys({{0.0f, 0.25f}, {1.0f, 0.75f}});
    QrPointer<QrAlphaProperty> alpha(new QrAlphaProperty);
    m_animator->SetTarget(alpha.Get());
    m_animator->ApplyAtTime(0.5f);

    QrPointer<TestMaterial> derived(new TestMaterial);
    derived->m_changed = 0;
    m_animator->SetTarget(derived.Get());
    m_animator->ApplyAtTime(0.5f);
    EXPECT_EQ(derived->m_alpha, 1.0f);
    EXPECT_EQ(derived->m_changed, 0);
}

TEST_F(Qr3dsAlphaAnimatorTest, AnimatorWithoutKeysDoesNothing)
{
    // Its pending apply comes with the first UpdateAll.
    QrAnimTiming::UpdateAll(0.0f);
    QrAnimTiming::UpdateAll(1.0f);

    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    material->m_changed = 0;
    m_animator->SetTarget(material.Get());
    m_animator->ApplyAtTime(1.0f);
    EXPECT_EQ(material->m_alpha, 1.0f);
    EXPECT_EQ(material->m_changed, 0);
}

TEST_F(Qr3dsAlphaAnimatorTest, KeysReplaceTheTimeRangeAndUpdateAllDrivesIt)
{
    m_animator->SetBeginTime(-10.0f);
    m_animator->SetEndTime(10.0f);
    SetKeys({{1.0f, 0.0f}, {3.0f, 1.0f}});
    EXPECT_EQ(m_animator->GetBeginTime(), 1.0f);
    EXPECT_EQ(m_animator->GetEndTime(), 3.0f);

    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    m_animator->SetTarget(material.Get());
    m_animator->SetPendingTime(3.0f);
    QrAnimTiming::UpdateAll(0.0f);
    EXPECT_EQ(material->m_alpha, 1.0f);
    QrAnimTiming::UpdateAll(1.5f);
    EXPECT_EQ(material->m_alpha, 0.25f);
}

} // namespace
