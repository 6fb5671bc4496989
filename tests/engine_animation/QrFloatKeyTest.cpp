#include "KeyTestHelpers.h"

#include "QrAnimMath.h"
#include "QrBezierFloatKey.h"
#include "QrFloatKey.h"
#include "QrLinearFloatKey.h"
#include "QrMorphTargetKey.h"
#include "QrMorphWeightsKey.h"
#include "QrTCBFloatKey.h"

namespace
{

std::unique_ptr<QrTCBFloatKey> TCB(float time, float value, float tension = 0.0f)
{
    auto key = std::make_unique<QrTCBFloatKey>(time, value);
    key->m_tension = tension;
    return key;
}

TEST(QrFloatKeyTest, HermiteMeetsItsEndsAndTangents)
{
    EXPECT_EQ(QrAnimMath::Hermite(0.5f, 0.0f, 0.0f, 1.0f, 0.0f), 0.5f);
    EXPECT_EQ(QrAnimMath::Hermite(0.0f, 2.0f, 5.0f, 7.0f, -3.0f), 2.0f);
    EXPECT_EQ(QrAnimMath::Hermite(1.0f, 2.0f, 5.0f, 7.0f, -3.0f), 7.0f);
    // With tangents equal to the change the segment is the line.
    EXPECT_FLOAT_EQ(QrAnimMath::Hermite(0.25f, 1.0f, 4.0f, 5.0f, 4.0f), 2.0f);
    // p0 = 0, d0 = 1, p1 = 0, d1 = 0 at s = 1/2: s (1 - s)^2 = 1/8.
    EXPECT_FLOAT_EQ(QrAnimMath::Hermite(0.5f, 0.0f, 1.0f, 0.0f, 0.0f), 0.125f);
}

TEST(QrFloatKeyTest, LinearAndBezierKeysInterpolate)
{
    QrLinearFloatKey a(0.0f, 1.0f);
    QrLinearFloatKey b(2.0f, 0.0f);
    EXPECT_EQ(a.Interpolate(0.5f, b), 0.5f);

    QrBezierFloatKey c(0.0f, 0.0f);
    c.m_outTangent = 1.0f;
    QrBezierFloatKey d(1.0f, 0.0f);
    d.m_inTangent = 0.0f;
    EXPECT_FLOAT_EQ(c.Interpolate(0.5f, d), 0.125f);
    // The next key's incoming tangent is used, not this key's.
    c.m_inTangent = 100.0f;
    d.m_inTangent = -1.0f;
    EXPECT_FLOAT_EQ(c.Interpolate(0.5f, d), 0.125f + 0.125f);
    // Towards a linear key the incoming tangent is zero.
    EXPECT_FLOAT_EQ(c.Interpolate(0.5f, QrLinearFloatKey(1.0f, 0.0f)), 0.125f);
}

TEST(QrFloatKeyTest, TCBTwoKeysWithZeroParametersGiveUnitTangents)
{
    KeyList<QrFloatKey> keys;
    auto* first = keys.Add(TCB(0.0f, 0.0f));
    auto* second = keys.Add(TCB(1.0f, 1.0f));
    QrTCBFloatKey::FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(first->m_inTangent, 1.0f);
    EXPECT_EQ(first->m_outTangent, 1.0f);
    EXPECT_EQ(second->m_inTangent, 1.0f);
    EXPECT_EQ(second->m_outTangent, 1.0f);
    EXPECT_FLOAT_EQ(first->Interpolate(0.3f, *second), 0.3f);
}

TEST(QrFloatKeyTest, TCBTensionOneFlattensTheKey)
{
    KeyList<QrFloatKey> keys;
    keys.Add(TCB(0.0f, 0.0f));
    auto* middle = keys.Add(TCB(1.0f, 2.0f, 1.0f));
    keys.Add(TCB(3.0f, 3.0f));
    QrTCBFloatKey::FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(middle->m_inTangent, 0.0f);
    EXPECT_EQ(middle->m_outTangent, 0.0f);
}

TEST(QrFloatKeyTest, TCBFillSkipsKeysOfOtherTypesAndShortArrays)
{
    KeyList<QrFloatKey> keys;
    auto* only = keys.Add(TCB(0.0f, 5.0f));
    only->m_outTangent = 9.0f;
    QrTCBFloatKey::FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(only->m_outTangent, 9.0f);

    keys.Add(std::make_unique<QrLinearFloatKey>(1.0f, 7.0f));
    QrTCBFloatKey::FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(only->m_outTangent, 2.0f);
}

TEST(QrFloatKeyTest, CloneKeepsTheClassExceptForMorphKeys)
{
    QrBezierFloatKey bezier(1.0f, 2.0f);
    bezier.m_inTangent = 3.0f;
    EXPECT_TRUE(bezier.Clone()->IsEqual(bezier));
    EXPECT_EQ(bezier.Clone()->GetType(), QrFloatKey::kTypeBezier);

    QrMorphTargetKey target(1.0f, 2, 3);
    std::unique_ptr<QrFloatKey> plain = target.Clone();
    EXPECT_EQ(plain->GetType(), QrFloatKey::kTypeTCB);
    EXPECT_EQ(plain->m_value, 2.0f);
    EXPECT_FALSE(plain->IsEqual(target)) << "the types differ";
}

} // namespace
