#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"

#include "Qr3dsPathController.h"
#include "QrBezierPosKey.h"
#include "QrLinearFloatKey.h"
#include "QrLinearPosKey.h"
#include "QrTCBPosKey.h"

#include <cmath>

namespace
{

const float kPi = 3.14159265358979f;

class Qr3dsPathControllerTest : public QrAnimationTest
{
protected:
    void SetUp() override
    {
        QrAnimationTest::SetUp();
        m_path = new Qr3dsPathController;
    }
    void TearDown() override
    {
        m_path = nullptr;
        QrAnimationTest::TearDown();
    }

    void SetLinearPath(std::initializer_list<std::pair<float, QrPoint3>> specs)
    {
        KeyList<QrAnimKey> keys;
        for (const auto& [time, value] : specs)
            keys.Add(std::make_unique<QrLinearPosKey>(time, value));
        m_path->SetPathKeys(keys.Data(), keys.Count());
    }

    // The quarter turn from (0, 0, 0) heading +x to (1, 1, 0) heading +y, key times 0 and 1.
    void SetQuarterTurn()
    {
        KeyList<QrAnimKey> keys;
        auto* a = keys.Add(std::make_unique<QrBezierPosKey>(0.0f, QrPoint3(0.0f, 0.0f, 0.0f)));
        auto* b = keys.Add(std::make_unique<QrBezierPosKey>(1.0f, QrPoint3(1.0f, 1.0f, 0.0f)));
        a->m_outTangent = {1.0f, 0.0f, 0.0f};
        b->m_inTangent = {0.0f, 1.0f, 0.0f};
        m_path->SetPathKeys(keys.Data(), keys.Count());
    }

    void SetPercent(std::initializer_list<std::pair<float, float>> specs)
    {
        KeyList<QrFloatKey> keys;
        for (const auto& [time, value] : specs)
            keys.Add(std::make_unique<QrLinearFloatKey>(time, value));
        m_path->SetPercentKeys(keys.Data(), keys.Count());
    }

    static void ExpectMatrixNear(const QrMatrix3& actual, const QrMatrix3& expected, float tolerance = 1e-5f)
    {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << r << "," << c;
    }

    QrPointer<Qr3dsPathController> m_path;
};

TEST_F(Qr3dsPathControllerTest, ConstantSpeedOnAStraightPath)
{
    m_path->m_constantSpeed = 1;
    SetLinearPath({{0.0f, {0.0f, 0.0f, 0.0f}}, {1.0f, {10.0f, 0.0f, 0.0f}}});
    EXPECT_NEAR(m_path->GetTotalLength(), 10.0f, 1e-5f);
    ExpectPointNear(m_path->PositionAt(0.25f), {2.5f, 0.0f, 0.0f});
    EXPECT_EQ(m_path->PositionAt(0.0f), QrPoint3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(m_path->PositionAt(1.0f), QrPoint3(10.0f, 0.0f, 0.0f));
    EXPECT_EQ(m_path->PositionAt(-3.0f), QrPoint3(0.0f, 0.0f, 0.0f));
}

TEST_F(Qr3dsPathControllerTest, ConstantSpeedSharesDistanceOverUnequalSegments)
{
    SetLinearPath({{0.0f, {0.0f, 0.0f, 0.0f}}, {1.0f, {2.0f, 0.0f, 0.0f}}, {2.0f, {2.0f, 8.0f, 0.0f}}});
    // Without constant speed the parameter is a path key time.
    ExpectPointNear(m_path->PositionAt(0.5f), {1.0f, 0.0f, 0.0f});
    // Turned on after the keys: the arc lengths are made when first needed.
    m_path->m_constantSpeed = 1;
    ExpectPointNear(m_path->PositionAt(0.5f), {2.0f, 3.0f, 0.0f}, 1e-4f);
    ExpectPointNear(m_path->PositionAt(0.1f), {1.0f, 0.0f, 0.0f}, 1e-4f);
    ASSERT_EQ(m_path->GetLengths().size(), 3u);
    EXPECT_NEAR(m_path->GetLengths()[1], 2.0f, 1e-5f);
}

TEST_F(Qr3dsPathControllerTest, ConstantSpeedFollowsTheArcOfACurveWithChangingSpeed)
{
    // A straight segment that starts and stops at rest: x = 10 (3 s^2 - 2 s^3).
    KeyList<QrAnimKey> keys;
    keys.Add(std::make_unique<QrBezierPosKey>(0.0f, QrPoint3(0.0f, 0.0f, 0.0f)));
    keys.Add(std::make_unique<QrBezierPosKey>(1.0f, QrPoint3(10.0f, 0.0f, 0.0f)));
    m_path->m_constantSpeed = 1;
    m_path->SetPathKeys(keys.Data(), keys.Count());
    EXPECT_NEAR(m_path->GetTotalLength(), 10.0f, 1e-5f);
    EXPECT_NEAR(m_path->SegmentLength(0, 1, 0.5f), 5.0f, 1e-5f);
    EXPECT_NEAR(m_path->Speed(0, 1, 0.5f), 15.0f, 1e-5f);
    for (float f : {0.1f, 0.25f, 0.5f, 0.8f})
        EXPECT_NEAR(m_path->PositionAt(f).x, 10.0f * f, 1e-3f) << f;
    // Without constant speed the point runs slowly near the ends.
    m_path->m_constantSpeed = 0;
    EXPECT_NEAR(m_path->PositionAt(0.25f).x, 10.0f * (3.0f / 16.0f - 2.0f / 64.0f), 1e-5f);
}

TEST_F(Qr3dsPathControllerTest, OneKeyPathIsAFixedPoint)
{
    m_path->m_constantSpeed = 1;
    SetLinearPath({{0.0f, {3.0f, 4.0f, 5.0f}}});
    EXPECT_EQ(m_path->PositionAt(0.5f), QrPoint3(3.0f, 4.0f, 5.0f));
    m_path->m_followEnabled = 1;
    SetPercent({{0.0f, 0.0f}, {1.0f, 1.0f}});
    m_path->ApplyAtTime(0.5f);
    EXPECT_EQ(m_path->GetTranslate(), QrPoint3(3.0f, 4.0f, 5.0f));
    EXPECT_EQ(m_path->GetRotate(), QrMatrix3(1, 0, 0, 0, 1, 0, 0, 0, 1));
}

TEST_F(Qr3dsPathControllerTest, NothingHappensWithoutParameterKeys)
{
    SetLinearPath({{0.0f, {1.0f, 0.0f, 0.0f}}, {1.0f, {2.0f, 0.0f, 0.0f}}});
    m_path->SetTranslate(9.0f, 9.0f, 9.0f);
    m_path->ApplyAtTime(0.5f);
    EXPECT_EQ(m_path->GetTranslate(), QrPoint3(9.0f, 9.0f, 9.0f));

    m_path->SetBeginTime(-5.0f);
    m_path->SetEndTime(50.0f);
    SetPercent({{2.0f, 0.0f}, {4.0f, 1.0f}});
    EXPECT_EQ(m_path->GetBeginTime(), 2.0f) << "the parameter keys replace the range";
    EXPECT_EQ(m_path->GetEndTime(), 4.0f);
    m_path->ApplyAtTime(3.0f);
    EXPECT_EQ(m_path->GetTranslate(), QrPoint3(1.5f, 0.0f, 0.0f));
    EXPECT_EQ(m_path->GetInstanceAt(0)->m_worldTranslate, m_path->GetTranslate());
}

TEST_F(Qr3dsPathControllerTest, OpenAndClosedPaths)
{
    SetLinearPath({{0.0f, {0.0f, 0.0f, 0.0f}}, {1.0f, {1.0f, 0.0f, 0.0f}}, {2.0f, {0.0f, 0.0f, 0.0f}}});
    EXPECT_FALSE(m_path->IsOpenPath());
    SetLinearPath({{0.0f, {0.0f, 0.0f, 0.0f}}, {1.0f, {1.0f, 0.0f, 0.0f}}, {2.0f, {0.0f, 0.0f, 1e-6f}}});
    EXPECT_TRUE(m_path->IsOpenPath());
}

TEST_F(Qr3dsPathControllerTest, ClosedPathBlendsTheJointBetweenLastAndFirstSegment)
{
    const auto orientationAtEnds = [&](const QrPoint3& last)
    {
        KeyList<QrAnimKey> keys;
        const QrPoint3 points[5] = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, last};
        for (int i = 0; i < 5; ++i)
            keys.Add(std::make_unique<QrTCBPosKey>(float(i), points[i]));
        m_path->SetPathKeys(keys.Data(), keys.Count());
        return std::make_pair(m_path->Orientation(0.0f), m_path->Orientation(4.0f));
    };
    m_path->m_curveFrame = 1;
    m_path->m_smoothing = 0.2f;

    const auto closed = orientationAtEnds({0.0f, 0.0f, 0.0f});
    ASSERT_FALSE(m_path->IsOpenPath());
    // Both sides of the joint blend the same two normals.
    EXPECT_EQ(closed.first.GetColumn(1), closed.second.GetColumn(1));

    const auto open = orientationAtEnds({0.0f, 1.0f, 0.0f});
    ASSERT_TRUE(m_path->IsOpenPath());
    EXPECT_GT((open.first.GetColumn(1) - open.second.GetColumn(1)).Length(), 0.1f);
}

TEST_F(Qr3dsPathControllerTest, CurveFrameColumnsAreTangentMinusNormalMinusBinormal)
{
    SetQuarterTurn();
    m_path->m_curveFrame = 1;
    const float h = std::sqrt(0.5f);
    // At s = 1/2: tangent (1, 1, 0) / sqrt 2, second derivative (-1, 1, 0) is the normal.
    ExpectMatrixNear(m_path->Orientation(0.5f), QrMatrix3(h, h, 0, h, -h, 0, 0, 0, -1));
    m_path->m_curveFrame = 0;
    ExpectMatrixNear(m_path->Orientation(0.5f), QrMatrix3(h, -h, 0, h, h, 0, 0, 0, 1));
}

TEST_F(Qr3dsPathControllerTest, FollowAxisTurnsThePathDirectionIntoYOrZ)
{
    SetLinearPath({{0.0f, {0.0f, 0.0f, 0.0f}}, {1.0f, {5.0f, 0.0f, 0.0f}}});
    EXPECT_EQ(m_path->Orientation(0.5f), QrMatrix3(1, 0, 0, 0, 1, 0, 0, 0, 1));
    m_path->m_followAxis = 1;
    EXPECT_EQ(m_path->Orientation(0.5f).GetColumn(1), QrPoint3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(m_path->Orientation(0.5f).GetColumn(0), QrPoint3(0.0f, -1.0f, 0.0f));
    m_path->m_followAxis = 2;
    EXPECT_EQ(m_path->Orientation(0.5f).GetColumn(2), QrPoint3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(m_path->Orientation(0.5f).GetColumn(0), QrPoint3(0.0f, 0.0f, -1.0f));
}

TEST_F(Qr3dsPathControllerTest, StraightPathsBankByTheFullAmount)
{
    SetLinearPath({{0.0f, {0.0f, 0.0f, 0.0f}}, {1.0f, {5.0f, 0.0f, 0.0f}}});
    EXPECT_EQ(m_path->GetMaxCurvature(), 0.0f);
    m_path->m_bankEnabled = 1;
    m_path->m_bankSign = -1;
    m_path->m_bankAmount = 0.3f;
    QrMatrix3 expected;
    expected.MakeRotation(-0.3f, 1.0f, 0.0f, 0.0f);
    EXPECT_EQ(m_path->Orientation(0.5f), expected);
    EXPECT_FLOAT_EQ(m_path->Orientation(0.5f).m[1][1], std::cos(0.3f));
}

TEST_F(Qr3dsPathControllerTest, BankingGrowsWithCurvatureUpToTheLargest)
{
    SetQuarterTurn();
    ASSERT_FLOAT_EQ(m_path->GetMaxCurvature(), 4.0f);
    const auto bankRotation = [&](float p)
    {
        m_path->m_bankEnabled = 0;
        const QrMatrix3 plain = m_path->Orientation(p);
        m_path->m_bankEnabled = 1;
        return m_path->Orientation(p) * plain.Transpose();
    };
    m_path->m_bankAmount = 0.5f;
    QrMatrix3 full;
    full.MakeRotation(0.5f, 1.0f, 0.0f, 0.0f);
    ExpectMatrixNear(bankRotation(0.0f), full);

    // Curvature 0.8 of 4 at the middle: atan(0.2) 4 / pi of the amount, about the tangent.
    const float h = std::sqrt(0.5f);
    QrMatrix3 partial;
    partial.MakeRotation(float(0.5 * std::atan(0.2) * 4.0 / kPi), h, h, 0.0f);
    ExpectMatrixNear(bankRotation(0.5f), partial);
}

TEST_F(Qr3dsPathControllerTest, RotationAtConstantSpeedFollowsThePointReached)
{
    m_path->m_constantSpeed = 1;
    m_path->m_followEnabled = 1;
    SetLinearPath({{0.0f, {0.0f, 0.0f, 0.0f}}, {50.0f, {1.0f, 0.0f, 0.0f}}, {100.0f, {1.0f, 10.0f, 0.0f}}});
    SetPercent({{0.0f, 0.0f}, {1.0f, 1.0f}});
    m_path->ApplyAtTime(0.5f);
    ExpectPointNear(m_path->GetTranslate(), {1.0f, 4.5f, 0.0f}, 1e-4f);
    ExpectPointNear(m_path->GetRotate().GetColumn(0), {0.0f, 1.0f, 0.0f});
}

TEST_F(Qr3dsPathControllerTest, CloneCopiesPathSettingsAndKeys)
{
    m_path->m_constantSpeed = 1;
    m_path->m_bankSign = -1;
    m_path->m_smoothing = 0.1f;
    m_path->m_followAxis = 2;
    SetQuarterTurn();
    SetPercent({{0.0f, 0.0f}, {2.0f, 1.0f}});
    QrPointer<QrAVObject> clone = m_path->CreateClone();
    auto* copy = static_cast<Qr3dsPathController*>(clone.Get());
    EXPECT_TRUE(copy->IsEqual(m_path.Get()));
    EXPECT_NE(copy->GetPathKeys()[0], m_path->GetPathKeys()[0]);
    copy->m_bankAmount = 1.0f;
    EXPECT_FALSE(copy->IsEqual(m_path.Get()));
}

} // namespace
