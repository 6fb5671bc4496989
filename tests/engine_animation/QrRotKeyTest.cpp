#include "KeyTestHelpers.h"

#include "QrAnimMath.h"
#include "QrBezierRotKey.h"
#include "QrEulerRotKey.h"
#include "QrLinearFloatKey.h"
#include "QrLinearRotKey.h"
#include "QrMatrix3.h"
#include "QrQuaternion.h"
#include "QrTCBFloatKey.h"
#include "QrTCBRotKey.h"

#include <cmath>

namespace
{

const float kPi = 3.14159265358979f;
const QrPoint3 kX{1.0f, 0.0f, 0.0f};
const QrPoint3 kY{0.0f, 1.0f, 0.0f};
const QrPoint3 kZ{0.0f, 0.0f, 1.0f};

// Same rotation: q and -q are one rotation.
void ExpectSameRotation(const QrQuaternion& actual, const QrQuaternion& expected, float tolerance = 1e-5f)
{
    const float sign = QrQuaternion::Dot(actual, expected) < 0.0f ? -1.0f : 1.0f;
    EXPECT_NEAR(actual.w * sign, expected.w, tolerance);
    EXPECT_NEAR(actual.x * sign, expected.x, tolerance);
    EXPECT_NEAR(actual.y * sign, expected.y, tolerance);
    EXPECT_NEAR(actual.z * sign, expected.z, tolerance);
}

template <class K> KeyList<QrRotKey> Keys(std::initializer_list<std::tuple<float, float, QrPoint3>> specs)
{
    KeyList<QrRotKey> keys;
    for (const auto& [time, angle, axis] : specs)
        keys.Add(std::make_unique<K>(time, angle, axis));
    return keys;
}

TEST(QrRotKeyTest, WholeTurnsAboutOneAxisInterpolateTheAngle)
{
    auto keys = Keys<QrLinearRotKey>({{0.0f, 0.0f, kZ}, {1.0f, 3.0f * kPi, kZ}});
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(keys[0]->m_turns, 1);
    EXPECT_EQ(keys[0]->m_interpClass, QrRotKey::kClassFixedAxis);
    const QrRotKey mid = keys[0]->Interpolate(0.5f, *keys[1]);
    EXPECT_FLOAT_EQ(mid.m_angle, 1.5f * kPi);
    ExpectSameRotation(mid.m_quat, QrQuaternion::FromAngleAxis(1.5f * kPi, kZ));
}

TEST(QrRotKeyTest, WholeTurnsAboutChangingAxesPickTheClassByTheFirstAngle)
{
    auto fromZero = Keys<QrLinearRotKey>({{0.0f, 0.0f, kX}, {1.0f, 3.0f * kPi, kY}});
    fromZero[0]->FillDerivedValues(fromZero.Data(), fromZero.Count());
    EXPECT_EQ(fromZero[0]->m_interpClass, QrRotKey::kClassAngleAxis);
    // Angle and axis blend separately: half of 3 pi about the axis halfway from x to y.
    const float h = std::sqrt(0.5f);
    ExpectSameRotation(fromZero[0]->Interpolate(0.5f, *fromZero[1]).m_quat,
                       QrQuaternion::FromAngleAxis(1.5f * kPi, {h, h, 0.0f}));

    auto fromHalf = Keys<QrLinearRotKey>({{0.0f, 0.5f, kX}, {1.0f, 0.5f + 3.0f * kPi, kY}});
    fromHalf[0]->FillDerivedValues(fromHalf.Data(), fromHalf.Count());
    EXPECT_EQ(fromHalf[0]->m_interpClass, QrRotKey::kClassSpins);
    EXPECT_EQ(fromHalf[0]->m_turns, 1);
    // The spin ends where the plain path ends.
    ExpectSameRotation(fromHalf[0]->Interpolate(1.0f, *fromHalf[1]).m_quat, fromHalf[1]->m_quat);
}

TEST(QrRotKeyTest, SmallSegmentsSlerp)
{
    auto keys = Keys<QrLinearRotKey>({{0.0f, 0.0f, kZ}, {1.0f, 1.0f, kZ}});
    keys[0]->m_turns = 5;
    keys[1]->m_turns = 7;
    keys[1]->m_interpClass = QrRotKey::kClassSpins;
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_EQ(keys[0]->m_turns, 0);
    EXPECT_EQ(keys[0]->m_interpClass, QrRotKey::kClassSlerp);
    EXPECT_EQ(keys[1]->m_turns, 7) << "the last key is not touched";
    EXPECT_EQ(keys[1]->m_interpClass, QrRotKey::kClassSpins);
    const QrRotKey mid = keys[0]->Interpolate(0.5f, *keys[1]);
    ExpectSameRotation(mid.m_quat, QrQuaternion::FromAngleAxis(0.5f, kZ));
    EXPECT_EQ(mid.m_turns, 0);
    EXPECT_EQ(mid.m_angle, 0.0f) << "slerp computes no angle";
}

TEST(QrRotKeyTest, PreparationFlipsQuaternionsIntoOneHemisphereAndClampsW)
{
    auto keys = Keys<QrLinearRotKey>({{0.0f, 0.2f, kZ}, {1.0f, 0.4f, kZ}, {2.0f, 0.6f, kZ}});
    keys[1]->m_quat = -keys[1]->m_quat;
    keys[2]->m_quat.w = 1.5f;
    keys[2]->m_quat.x = keys[2]->m_quat.y = keys[2]->m_quat.z = 0.0f;
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    EXPECT_GT(QrQuaternion::Dot(keys[0]->m_quat, keys[1]->m_quat), 0.0f);
    EXPECT_EQ(keys[2]->m_quat.w, 1.0f);
    // The short way from 0.2 to 0.4 rad.
    ExpectSameRotation(keys[0]->Interpolate(0.5f, *keys[1]).m_quat, QrQuaternion::FromAngleAxis(0.3f, kZ));
    EXPECT_GT(keys[0]->Interpolate(0.5f, *keys[1]).m_quat.w, 0.0f);
}

TEST(QrRotKeyTest, AxisSlerpIsDefinedForParallelAndOppositeAxes)
{
    const QrPoint3 same = QrAnimMath::Slerp(0.5f, kX, kX);
    EXPECT_EQ(same, kX);
    const QrPoint3 opposite = QrAnimMath::Slerp(0.5f, kX, -kX);
    EXPECT_TRUE(std::isfinite(opposite.x) && std::isfinite(opposite.y) && std::isfinite(opposite.z));
    const float h = std::sqrt(0.5f);
    ExpectPointNear(QrAnimMath::Slerp(0.5f, kX, kY), {h, h, 0.0f});
}

TEST(QrRotKeyTest, BezierKeysSquadThroughTheirControls)
{
    // Even steps about one axis: the middle control is the key itself, the end ones lean
    // back by a quarter of the step.
    auto keys = Keys<QrBezierRotKey>({{0.0f, 0.0f, kZ}, {1.0f, 1.0f, kZ}, {2.0f, 2.0f, kZ}});
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    const auto* k0 = static_cast<QrBezierRotKey*>(keys[0]);
    const auto* k1 = static_cast<QrBezierRotKey*>(keys[1]);
    ExpectSameRotation(k1->m_controlQuat, keys[1]->m_quat);
    ExpectSameRotation(k0->m_controlQuat, QrQuaternion::FromAngleAxis(-0.25f, kZ));
    EXPECT_NEAR(k1->m_controlAngle, 1.0f, 1e-5f);
    EXPECT_NEAR(k0->m_controlAngle, 0.25f, 1e-5f) << "the angle of the control quaternion";
    // squad(1/2): slerp(1/2, 0.5 rad, slerp(1/2, -0.25, 1) = 0.375 rad) = 0.4375 rad.
    ExpectSameRotation(keys[0]->Interpolate(0.5f, *keys[1]).m_quat, QrQuaternion::FromAngleAxis(0.4375f, kZ));
    ExpectSameRotation(keys[0]->Interpolate(0.0f, *keys[1]).m_quat, keys[0]->m_quat);
    ExpectSameRotation(keys[0]->Interpolate(1.0f, *keys[1]).m_quat, keys[1]->m_quat);
}

TEST(QrRotKeyTest, BezierControlAnglesOfWholeTurnSegments)
{
    auto keys = Keys<QrBezierRotKey>({{0.0f, 0.0f, kZ}, {1.0f, 3.0f * kPi, kZ}});
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    // (6 a - prev - next) / 4 with the key itself standing in for the missing neighbour.
    EXPECT_FLOAT_EQ(static_cast<QrBezierRotKey*>(keys[0])->m_controlAngle, -0.75f * kPi);
    EXPECT_FLOAT_EQ(static_cast<QrBezierRotKey*>(keys[1])->m_controlAngle, 3.75f * kPi);
    const QrRotKey mid = keys[0]->Interpolate(0.5f, *keys[1]);
    EXPECT_FLOAT_EQ(mid.m_angle, 1.5f * kPi);
}

TEST(QrRotKeyTest, TCBControlsOfEvenStepsFollowTheArc)
{
    KeyList<QrRotKey> keys;
    for (int i = 0; i < 3; ++i)
        keys.Add(std::make_unique<QrTCBRotKey>(float(i), float(i), kZ));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    const auto* k0 = static_cast<QrTCBRotKey*>(keys[0]);
    const auto* k1 = static_cast<QrTCBRotKey*>(keys[1]);
    const auto* k2 = static_cast<QrTCBRotKey*>(keys[2]);
    ExpectSameRotation(k1->m_quatA, k1->m_quat);
    ExpectSameRotation(k1->m_quatB, k1->m_quat);
    EXPECT_FLOAT_EQ(k1->m_angleA, 1.0f);
    EXPECT_FLOAT_EQ(k1->m_angleB, 1.0f);
    ExpectSameRotation(k0->m_quatA, QrQuaternion::FromAngleAxis(-0.5f, kZ));
    EXPECT_FLOAT_EQ(k0->m_angleA, -0.5f);
    ExpectSameRotation(k2->m_quatB, QrQuaternion::FromAngleAxis(2.5f, kZ));
    EXPECT_FLOAT_EQ(k2->m_angleB, 2.5f);
    // squad(1/2): slerp(1/2, 1.5 rad, slerp(1/2, 1, 2.5) = 1.75 rad) = 1.625 rad.
    ExpectSameRotation(keys[1]->Interpolate(0.5f, *keys[2]).m_quat, QrQuaternion::FromAngleAxis(1.625f, kZ));
}

TEST(QrRotKeyTest, TCBKeysAtOneTimeStayFinite)
{
    KeyList<QrRotKey> keys;
    keys.Add(std::make_unique<QrTCBRotKey>(1.0f, 0.0f, kZ));
    keys.Add(std::make_unique<QrTCBRotKey>(1.0f, 1.0f, kZ));
    keys[0]->FillDerivedValues(keys.Data(), keys.Count());
    for (int i = 0; i < 2; ++i)
    {
        const auto* k = static_cast<QrTCBRotKey*>(keys[size_t(i)]);
        EXPECT_TRUE(std::isfinite(k->m_quatA.w) && std::isfinite(k->m_angleA) && std::isfinite(k->m_angleB));
    }
}

TEST(QrRotKeyTest, CloneClearsTheClassAndEqualityIgnoresIt)
{
    QrBezierRotKey key(1.0f, 2.0f, kY);
    key.m_interpClass = QrRotKey::kClassSpins;
    key.m_controlAngle = 0.5f;
    std::unique_ptr<QrRotKey> clone = key.Clone();
    EXPECT_EQ(clone->GetType(), QrRotKey::kTypeBezier);
    EXPECT_EQ(clone->m_interpClass, QrRotKey::kClassSlerp);
    EXPECT_TRUE(clone->IsEqual(key));
    clone->m_turns = 1;
    EXPECT_TRUE(clone->IsNotEqual(key));
    EXPECT_FALSE(QrLinearRotKey(1.0f, 2.0f, kY).IsEqual(QrTCBRotKey(1.0f, 2.0f, kY)));
}

// --- Euler keys

std::vector<std::unique_ptr<QrFloatKey>> Linear(std::initializer_list<std::pair<float, float>> keys)
{
    std::vector<std::unique_ptr<QrFloatKey>> out;
    for (const auto& [time, value] : keys)
        out.push_back(std::make_unique<QrLinearFloatKey>(time, value));
    return out;
}

TEST(QrEulerRotKeyTest, OnlyAZArrayRotatesAboutZ)
{
    QrEulerRotKey euler;
    euler.SetKeys(QrEulerRotKey::kAxisZ, Linear({{0.0f, 0.0f}, {2.0f, 1.0f}}));
    int32_t cache = 0;
    const QrRotKey result = euler.Evaluate(1.0f, cache);
    EXPECT_EQ(result.m_time, 1.0f);
    ExpectSameRotation(result.m_quat, QrQuaternion::FromAngleAxis(0.5f, kZ));
    ExpectSameRotation(euler.Evaluate(5.0f, cache).m_quat, QrQuaternion::FromAngleAxis(1.0f, kZ));
}

TEST(QrEulerRotKeyTest, AxisOrdersComposeInTheirRowOrder)
{
    const float angles[3] = {0.3f, -0.7f, 1.1f};
    // Row r lists the axes in the order they apply; the first applied is rightmost.
    const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}};
    const QrPoint3 axes[3] = {kX, kY, kZ};
    for (int16_t order = 0; order < 6; ++order)
    {
        QrEulerRotKey euler;
        euler.m_axisOrder = order;
        for (int axis = 0; axis < 3; ++axis)
            euler.SetKeys(axis, Linear({{0.0f, angles[axis]}}));
        int32_t cache = 0;
        QrMatrix3 actual;
        euler.Evaluate(0.0f, cache).m_quat.ToRotation(actual);

        QrMatrix3 expected;
        expected.MakeIdentity();
        for (int step = 0; step < 3; ++step)
        {
            const int axis = orders[order][step];
            QrMatrix3 single;
            QrQuaternion::FromAngleAxis(angles[axis], axes[axis]).ToRotation(single);
            expected = single * expected;
        }
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-5f) << "order " << order;
    }
}

TEST(QrEulerRotKeyTest, ArraysOfDifferentLengthsAreEachLookedUp)
{
    QrEulerRotKey euler;
    euler.SetKeys(QrEulerRotKey::kAxisX, Linear({{0.0f, 0.0f}, {1.0f, 1.0f}, {2.0f, 2.0f}, {3.0f, 3.0f}}));
    euler.SetKeys(QrEulerRotKey::kAxisY, Linear({{0.0f, 0.0f}, {4.0f, 0.0f}}));
    int32_t cache = 0;
    // The reference array is y (the last with two keys); x is longer and found on its own.
    const QrRotKey result = euler.Evaluate(2.5f, cache);
    ExpectSameRotation(result.m_quat, QrQuaternion::FromAngleAxis(2.5f, kX));
    EXPECT_EQ(euler.GetRangeAxis(), QrEulerRotKey::kAxisX);
}

TEST(QrEulerRotKeyTest, NoArraysGiveAnAllZeroKey)
{
    QrEulerRotKey euler;
    int32_t cache = 0;
    const QrRotKey result = euler.Evaluate(1.0f, cache);
    EXPECT_TRUE(result.m_quat.IsEqual(QrQuaternion(0.0f, 0.0f, 0.0f, 0.0f)));
    EXPECT_EQ(euler.GetRangeAxis(), -1);
}

TEST(QrEulerRotKeyTest, CloneCopiesTheTracksButNotTheBaseFields)
{
    QrEulerRotKey euler;
    euler.m_time = 4.0f;
    euler.m_angle = 1.0f;
    euler.m_axisOrder = 3;
    euler.SetKeys(QrEulerRotKey::kAxisY, Linear({{0.0f, 1.0f}, {1.0f, 2.0f}}));
    std::unique_ptr<QrRotKey> clone = euler.Clone();
    const auto* copy = static_cast<QrEulerRotKey*>(clone.get());
    EXPECT_EQ(copy->m_time, 0.0f);
    EXPECT_EQ(copy->m_angle, 0.0f);
    EXPECT_EQ(copy->m_axisOrder, 3);
    ASSERT_EQ(copy->GetCount(QrEulerRotKey::kAxisY), 2);
    EXPECT_NE(copy->GetKeys(QrEulerRotKey::kAxisY)[0], euler.GetKeys(QrEulerRotKey::kAxisY)[0]);
    euler.m_time = 0.0f;
    euler.m_angle = 0.0f;
    EXPECT_TRUE(copy->IsEqual(euler));
    euler.GetKeys(QrEulerRotKey::kAxisY)[1]->m_value = 3.0f;
    EXPECT_FALSE(copy->IsEqual(euler));
}

TEST(QrEulerRotKeyTest, FillTangentsPreparesTCBTracksOnly)
{
    QrEulerRotKey euler;
    std::vector<std::unique_ptr<QrFloatKey>> tcb;
    tcb.push_back(std::make_unique<QrTCBFloatKey>(0.0f, 0.0f));
    tcb.push_back(std::make_unique<QrTCBFloatKey>(1.0f, 1.0f));
    euler.SetKeys(QrEulerRotKey::kAxisZ, std::move(tcb));
    euler.SetKeys(QrEulerRotKey::kAxisX, Linear({{0.0f, 0.0f}, {1.0f, 1.0f}}));
    euler.FillTangents();
    EXPECT_EQ(static_cast<QrTCBFloatKey*>(euler.GetKeys(QrEulerRotKey::kAxisZ)[0])->m_outTangent, 1.0f);
}

} // namespace
