#include "KeyTestHelpers.h"

#include "QrAnimKey.h"
#include "QrBezierPosKey.h"
#include "QrLinearPosKey.h"
#include "QrTCBPosKey.h"

namespace
{

std::unique_ptr<QrBezierPosKey> Bezier(float time, const QrPoint3& value, const QrPoint3& in, const QrPoint3& out)
{
    auto key = std::make_unique<QrBezierPosKey>(time, value);
    key->m_inTangent = in;
    key->m_outTangent = out;
    return key;
}

std::unique_ptr<QrTCBPosKey> TCB(float time, const QrPoint3& value, float tension = 0.0f, float continuity = 0.0f,
                                 float bias = 0.0f)
{
    auto key = std::make_unique<QrTCBPosKey>(time, value);
    key->m_tension = tension;
    key->m_continuity = continuity;
    key->m_bias = bias;
    return key;
}

TEST(QrPositionKeyTest, LinearKeysInterpolateComponentwise)
{
    QrLinearPosKey a(0.0f, {0.0f, 0.0f, 0.0f});
    QrLinearPosKey b(2.0f, {2.0f, 4.0f, 6.0f});
    const QrAnimKey mid = a.Interpolate(0.25f, b);
    EXPECT_EQ(mid.m_time, 0.25f);
    EXPECT_EQ(mid.m_value, QrPoint3(0.5f, 1.0f, 1.5f));
    EXPECT_EQ(a.Interpolate(1.0f, b).m_value, b.m_value);
    EXPECT_EQ(a.FirstDerivative(0.3f, b), QrPoint3(2.0f, 4.0f, 6.0f));
    EXPECT_EQ(a.SecondDerivative(0.3f, b), QrPoint3::ZERO);
}

TEST(QrPositionKeyTest, BezierCoefficientsReproduceTheHermiteSegment)
{
    KeyList<QrAnimKey> keys;
    keys.Add(Bezier(0.0f, {0.0f, 0.0f, 0.0f}, {}, {1.0f, 0.0f, 0.0f}));
    keys.Add(Bezier(1.0f, {1.0f, 1.0f, 0.0f}, {0.0f, 3.0f, 0.0f}, {}));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    const auto* k = static_cast<QrBezierPosKey*>(keys[0]);
    // coefB = 3D - 2 T0 - T1, coefA = T0 + T1 - 2D with D = (1, 1, 0).
    EXPECT_EQ(k->m_coefB, QrPoint3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(k->m_coefA, QrPoint3(-1.0f, 1.0f, 0.0f));
    // Hermite basis at 1/2: (P0 + P1) / 2 + (T0 - T1) / 8.
    EXPECT_EQ(k->Interpolate(0.5f, *keys[1]).m_value, QrPoint3(0.625f, 0.125f, 0.0f));
    EXPECT_EQ(k->Interpolate(1.0f, *keys[1]).m_value, keys[1]->m_value);
    EXPECT_EQ(k->FirstDerivative(0.0f, *keys[1]), QrPoint3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(k->FirstDerivative(1.0f, *keys[1]), QrPoint3(0.0f, 3.0f, 0.0f));
    EXPECT_EQ(k->SecondDerivative(0.5f, *keys[1]), QrPoint3(-1.0f, 3.0f, 0.0f));
    // The last key's coefficients are left alone.
    EXPECT_EQ(static_cast<QrBezierPosKey*>(keys[1])->m_coefA, QrPoint3::ZERO);
}

TEST(QrPositionKeyTest, TCBWithZeroParametersOnTwoKeysIsTheStraightLine)
{
    KeyList<QrAnimKey> keys;
    keys.Add(TCB(0.0f, {0.0f, 0.0f, 0.0f}));
    keys.Add(TCB(1.0f, {1.0f, 2.0f, 3.0f}));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    for (int i = 0; i < 2; ++i)
    {
        const auto* k = static_cast<QrTCBPosKey*>(keys[size_t(i)]);
        EXPECT_EQ(k->m_inTangent, QrPoint3(1.0f, 2.0f, 3.0f));
        EXPECT_EQ(k->m_outTangent, QrPoint3(1.0f, 2.0f, 3.0f));
    }
    ExpectPointNear(keys[0]->Interpolate(0.3f, *keys[1]).m_value, {0.3f, 0.6f, 0.9f});
}

TEST(QrPositionKeyTest, TCBTangentsWeighTheNeighbouringIntervals)
{
    KeyList<QrAnimKey> keys;
    keys.Add(TCB(0.0f, {0.0f, 0.0f, 0.0f}));
    keys.Add(TCB(1.0f, {1.0f, 0.0f, 0.0f}));
    keys.Add(TCB(3.0f, {3.0f, 0.0f, 0.0f}));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    const auto tangents = [&](size_t i)
    {
        const auto* k = static_cast<QrTCBPosKey*>(keys[i]);
        return std::make_pair(k->m_inTangent.x, k->m_outTangent.x);
    };
    // Middle key: changes 1 and 2 over intervals 1 and 2, g = 2/3.
    EXPECT_FLOAT_EQ(tangents(1).first, 1.0f);
    EXPECT_FLOAT_EQ(tangents(1).second, 2.0f);
    // The ends mirror their neighbour one time unit away.
    EXPECT_FLOAT_EQ(tangents(0).first, 1.0f);
    EXPECT_FLOAT_EQ(tangents(0).second, 1.0f);
    EXPECT_FLOAT_EQ(tangents(2).first, 2.0f);
    EXPECT_FLOAT_EQ(tangents(2).second, 2.0f);
}

TEST(QrPositionKeyTest, TCBTensionContinuityAndBiasShapeTheTangents)
{
    KeyList<QrAnimKey> keys;
    keys.Add(TCB(0.0f, {0.0f, 0.0f, 0.0f}));
    auto* middle = keys.Add(TCB(1.0f, {1.0f, 0.0f, 0.0f}, 1.0f));
    keys.Add(TCB(2.0f, {3.0f, 0.0f, 0.0f}));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(middle->m_inTangent, QrPoint3::ZERO);
    EXPECT_EQ(middle->m_outTangent, QrPoint3::ZERO);

    // Bias 1 takes the whole incoming change, continuity -1 uses the same side for both.
    middle->m_tension = 0.0f;
    middle->m_bias = 1.0f;
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_FLOAT_EQ(middle->m_inTangent.x, 1.0f);
    EXPECT_FLOAT_EQ(middle->m_outTangent.x, 1.0f);
    middle->m_bias = 0.0f;
    middle->m_continuity = -1.0f;
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_FLOAT_EQ(middle->m_inTangent.x, 1.0f);
    EXPECT_FLOAT_EQ(middle->m_outTangent.x, 2.0f);
}

TEST(QrPositionKeyTest, OneKeyGetsNoDerivedValues)
{
    KeyList<QrAnimKey> keys;
    auto* only = keys.Add(TCB(0.0f, {1.0f, 2.0f, 3.0f}));
    only->m_inTangent = {7.0f, 7.0f, 7.0f};
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(only->m_inTangent, QrPoint3(7.0f, 7.0f, 7.0f));
}

TEST(QrPositionKeyTest, MaxCurvatureIsZeroOnAStraightPath)
{
    KeyList<QrAnimKey> keys;
    keys.Add(Bezier(0.0f, {0.0f, 0.0f, 0.0f}, {}, {3.0f, 3.0f, 0.0f}));
    keys.Add(Bezier(1.0f, {3.0f, 3.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}));
    keys.Add(Bezier(2.0f, {5.0f, 5.0f, 0.0f}, {2.0f, 2.0f, 0.0f}, {}));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(keys[0]->MaxCurvature(keys.Data(), keys.Count()), 0.0f);

    KeyList<QrAnimKey> linear;
    linear.Add(std::make_unique<QrLinearPosKey>(0.0f, QrPoint3(0.0f, 0.0f, 0.0f)));
    linear.Add(std::make_unique<QrLinearPosKey>(1.0f, QrPoint3(1.0f, 5.0f, 0.0f)));
    linear.Add(std::make_unique<QrLinearPosKey>(2.0f, QrPoint3(0.0f, 9.0f, 0.0f)));
    EXPECT_EQ(linear[0]->MaxCurvature(linear.Data(), linear.Count()), 0.0f);
}

TEST(QrPositionKeyTest, MaxCurvatureIsTheLargestSample)
{
    // A quarter turn: |d1 x d2| / |d1|^2 is 4 at both ends and smaller between.
    KeyList<QrAnimKey> keys;
    keys.Add(Bezier(0.0f, {0.0f, 0.0f, 0.0f}, {}, {1.0f, 0.0f, 0.0f}));
    keys.Add(Bezier(1.0f, {1.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {}));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_FLOAT_EQ(keys[0]->MaxCurvature(keys.Data(), keys.Count()), 4.0f);
}

TEST(QrPositionKeyTest, CloneCopiesAndEqualityNeedsTheSameType)
{
    auto tcb = TCB(1.0f, {1.0f, 2.0f, 3.0f}, 0.1f, 0.2f, 0.3f);
    tcb->m_coefA = {4.0f, 5.0f, 6.0f};
    std::unique_ptr<QrAnimKey> clone = tcb->Clone();
    EXPECT_EQ(clone->GetType(), QrAnimKey::kTypeTCB);
    EXPECT_TRUE(clone->IsEqual(*tcb));
    static_cast<QrTCBPosKey*>(clone.get())->m_bias = 0.5f;
    EXPECT_TRUE(clone->IsNotEqual(*tcb));

    auto bezier = Bezier(1.0f, {1.0f, 2.0f, 3.0f}, {}, {});
    QrTCBPosKey same(1.0f, {1.0f, 2.0f, 3.0f});
    EXPECT_FALSE(bezier->IsEqual(same));
    EXPECT_FALSE(QrLinearPosKey(1.0f, {1.0f, 2.0f, 3.0f}).IsEqual(QrAnimKey(1.0f, {1.0f, 2.0f, 3.0f})));
}

} // namespace
