#include "QrMathTestHelpers.h"

#include "QrMatrix3.h"
#include "QrQuaternion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

constexpr double kPi = 3.14159265358979323846;

QrQuaternion Unit(float w, float x, float y, float z)
{
    const float n = std::sqrt(w * w + x * x + y * y + z * z);
    return {w / n, x / n, y / n, z / n};
}

QrPoint3 UnitAxis(float x, float y, float z)
{
    QrPoint3 p(x, y, z);
    p.Unitize();
    return p;
}

// q (0, v) q*, the rotation of v by q, without going through a matrix.
QrPoint3 RotateByProduct(const QrQuaternion& q, const QrPoint3& v)
{
    const QrQuaternion r = q * QrQuaternion(0, v.x, v.y, v.z) * QrQuaternion::Inverse(q);
    return {r.x, r.y, r.z};
}

QrMatrix3 RotationOf(const QrQuaternion& q)
{
    QrMatrix3 m;
    q.ToRotation(m);
    return m;
}

double Norm(const QrQuaternion& q)
{
    return std::sqrt(double(QrQuaternion::Dot(q, q)));
}

} // namespace

TEST(QrQuaternionTest, HamiltonProductAndComposition)
{
    const QrQuaternion i(0, 1, 0, 0), j(0, 0, 1, 0), k(0, 0, 0, 1);
    EXPECT_EQ(i * j, k);
    EXPECT_EQ(j * i, -k);
    EXPECT_EQ(j * k, i);
    EXPECT_EQ(i * i, QrQuaternion(-1, 0, 0, 0));

    const QrQuaternion p = Unit(0.8f, 0.1f, -0.4f, 0.3f);
    const QrQuaternion q = Unit(0.2f, -0.7f, 0.5f, 0.4f);
    // The product rotates by q first, then by p.
    EXPECT_TRUE(Near(RotationOf(p * q), RotationOf(p) * RotationOf(q)));
    EXPECT_TRUE(Near(p * QrQuaternion::Inverse(p), QrQuaternion(1, 0, 0, 0)));
    EXPECT_EQ(QrQuaternion::Scale(p, 2.0f), QrQuaternion::ScaleLeft(2.0f, p));
    EXPECT_EQ(p - p, QrQuaternion());
}

TEST(QrQuaternionTest, ToRotationMatchesRotationByProduct)
{
    const QrQuaternion q = Unit(0.5f, 0.3f, -0.6f, 0.55f);
    const QrMatrix3 m = RotationOf(q);
    for (const QrPoint3& v : {QrPoint3(1, 0, 0), QrPoint3(0, 1, 0), QrPoint3(0.3f, -2, 5)})
        EXPECT_TRUE(Near(m * v, RotateByProduct(q, v), 1e-5));
    EXPECT_NEAR(Determinant(m), 1.0, 1e-5);

    // A quarter turn about +z takes +x to +y.
    EXPECT_TRUE(
        Near(RotationOf(QrQuaternion::FromAngleAxis(float(kPi / 2), {0, 0, 1})) * QrPoint3(1, 0, 0), {0, 1, 0}));
}

TEST(QrQuaternionTest, FromRotationRoundTripsInEveryTraceBranch)
{
    const QrQuaternion cases[] = {
        Unit(0.9f, 0.2f, -0.3f, 0.1f),   // trace > 0
        Unit(0.1f, 0.9f, 0.3f, -0.2f),   // x largest
        Unit(-0.2f, 0.3f, 0.9f, 0.1f),   // y largest
        Unit(0.15f, -0.25f, 0.2f, 0.9f), // z largest
        Unit(0, 0.2f, 0.3f, -0.9f),      // half turn
    };
    for (const QrQuaternion& q : cases)
    {
        const QrQuaternion back = QrQuaternion::FromRotation(RotationOf(q));
        // q and -q are one rotation; the result has the branch's component positive.
        const QrQuaternion expected = QrQuaternion::Dot(back, q) < 0 ? -q : q;
        EXPECT_TRUE(Near(back, expected)) << ::testing::PrintToString(q);
    }
}

TEST(QrQuaternionTest, FromRotationOfExactMatrices)
{
    // Trace exactly 0 takes the diagonal branch: a third of a turn about (1, 1, 1).
    EXPECT_TRUE(Near(QrQuaternion::FromRotation(QrMatrix3(0, 0, 1, 1, 0, 0, 0, 1, 0)), {0.5f, 0.5f, 0.5f, 0.5f}));

    // Half turn about (1, -1, 0): diagonal (0, 0, -1) ties x with y and x must win, which
    // fixes the sign: x positive, y negative.
    const float h = float(std::sqrt(0.5));
    EXPECT_TRUE(Near(QrQuaternion::FromRotation(QrMatrix3(0, -1, 0, -1, 0, 0, 0, 0, -1)), {0, h, -h, 0}));

    EXPECT_EQ(QrQuaternion::FromRotation(Identity()), QrQuaternion(1, 0, 0, 0));
}

TEST(QrQuaternionTest, AngleAxisRoundTrip)
{
    const QrPoint3 axis = UnitAxis(1, 2, -2);
    const QrQuaternion q = QrQuaternion::FromAngleAxis(2.0f, axis);
    EXPECT_NEAR(Norm(q), 1.0, 1e-6);
    float angle = 0;
    QrPoint3 back;
    q.ToAngleAxis(angle, back);
    EXPECT_NEAR(angle, 2.0, 1e-5);
    EXPECT_TRUE(Near(back, axis));

    // Identity and near-identity: no axis to speak of.
    back = {1, 1, 1};
    QrQuaternion(1, 0, 0, 0).ToAngleAxis(angle, back);
    EXPECT_EQ(angle, 0.0f);
    EXPECT_EQ(back, QrPoint3::ZERO);
    QrQuaternion(1, 0.0005f, 0, 0).ToAngleAxis(angle, back);
    EXPECT_EQ(angle, 0.0f);
    EXPECT_EQ(back, QrPoint3::ZERO);

    // w rounded just above 1 must not give NaN.
    QrQuaternion(1.0000001f, 0.01f, 0, 0).ToAngleAxis(angle, back);
    EXPECT_EQ(angle, 0.0f);
    EXPECT_EQ(back, QrPoint3(1, 0, 0));
}

TEST(QrQuaternionTest, ExpAndLog)
{
    const QrPoint3 axis = UnitAxis(-1, 3, 2);
    for (float theta : {0.01f, 0.7f, 2.0f, 3.0f})
    {
        const QrQuaternion pure(0, theta * axis.x, theta * axis.y, theta * axis.z);
        const QrQuaternion e = QrQuaternion::Exp(pure);
        // exp(theta v) is the rotation by 2 theta about v.
        EXPECT_TRUE(Near(e, QrQuaternion::FromAngleAxis(2 * theta, axis))) << theta;
        EXPECT_TRUE(Near(QrQuaternion::Log(e), pure, 1e-4)) << theta;
    }
    EXPECT_EQ(QrQuaternion::Exp({0, 0, 0, 0}), QrQuaternion(1, 0, 0, 0));
    EXPECT_EQ(QrQuaternion::Log({1, 0, 0, 0}), QrQuaternion(0, 0, 0, 0));
    // At w = -1 sin(theta) vanishes and theta / sin(theta) is taken as 1.
    EXPECT_EQ(QrQuaternion::Log({-1, 0, 0, 0}), QrQuaternion(0, 0, 0, 0));
    const QrQuaternion nearOne = QrQuaternion::Log({1.0000001f, 0.0003f, 0, 0});
    EXPECT_FALSE(std::isnan(nearOne.x));
}

TEST(QrQuaternionTest, SlerpEndsAndMiddle)
{
    const QrPoint3 axis = UnitAxis(0, 1, 1);
    const QrQuaternion p = QrQuaternion::FromAngleAxis(0.4f, axis);
    const QrQuaternion q = QrQuaternion::FromAngleAxis(1.6f, axis);
    EXPECT_EQ(QrQuaternion::Slerp(0, p, q), p);
    EXPECT_TRUE(Near(QrQuaternion::Slerp(1, p, q), q));
    const QrQuaternion mid = QrQuaternion::Slerp(0.25f, p, q);
    EXPECT_TRUE(Near(mid, QrQuaternion::FromAngleAxis(0.7f, axis)));
    EXPECT_NEAR(Norm(mid), 1.0, 1e-6);
}

TEST(QrQuaternionTest, SlerpOfEqualOrOppositeGivesFirst)
{
    const QrQuaternion p = Unit(0.3f, 0.4f, -0.5f, 0.6f);
    EXPECT_EQ(QrQuaternion::Slerp(0.6f, p, p), p);
    EXPECT_EQ(QrQuaternion::Slerp(0.6f, p, -p), p);
    EXPECT_EQ(QrQuaternion::SlerpExtraSpins(0.6f, p, -p, 2), p);
}

TEST(QrQuaternionTest, SlerpTakesTheArcItIsGiven)
{
    // q is a small rotation but in the far hemisphere: no flip, so the path is long.
    const QrQuaternion p(1, 0, 0, 0);
    const QrQuaternion q = -QrQuaternion::FromAngleAxis(0.2f, {1, 0, 0});
    const QrQuaternion mid = QrQuaternion::Slerp(0.5f, p, q);
    const double arc = std::acos(double(QrQuaternion::Dot(p, q)));
    EXPECT_NEAR(QrQuaternion::Dot(p, mid), std::cos(arc / 2), 1e-5);
    EXPECT_NEAR(Norm(mid), 1.0, 1e-5);
}

TEST(QrQuaternionTest, SlerpExtraSpins)
{
    const QrPoint3 axis(0, 0, 1);
    const QrQuaternion p = QrQuaternion::FromAngleAxis(0.3f, axis);
    const QrQuaternion q = QrQuaternion::FromAngleAxis(1.1f, axis);
    const double theta = std::acos(double(QrQuaternion::Dot(p, q)));

    for (float t : {0.0f, 0.3f, 1.0f})
        EXPECT_EQ(QrQuaternion::SlerpExtraSpins(t, p, q, 0), QrQuaternion::Slerp(t, p, q));
    EXPECT_EQ(QrQuaternion::SlerpExtraSpins(0, p, q, 1), p);

    for (int spins : {1, 2, -1})
    {
        SCOPED_TRACE(spins);
        // The arc from p grows to theta + spins pi: one extra whole turn of the rotation per spin.
        for (float t : {0.25f, 0.5f, 0.8f})
        {
            const QrQuaternion r = QrQuaternion::SlerpExtraSpins(t, p, q, spins);
            EXPECT_NEAR(Norm(r), 1.0, 1e-5);
            // Relative to p the path is a rotation about the same axis by 2 t (theta + spins pi).
            const QrQuaternion rel = QrQuaternion::Inverse(p) * r;
            const double expected = 2 * t * (theta + spins * kPi);
            EXPECT_NEAR(rel.w, std::cos(expected / 2), 1e-5);
            EXPECT_NEAR(rel.z, std::sin(expected / 2), 1e-5);
        }
        // Ends on q or -q: the same rotation.
        const QrQuaternion end = QrQuaternion::SlerpExtraSpins(1, p, q, spins);
        EXPECT_TRUE(Near(RotationOf(end), RotationOf(q)));
    }
}

TEST(QrQuaternionTest, IntermediateAndSquad)
{
    const QrPoint3 axis = UnitAxis(1, 1, 0);
    const QrQuaternion a = QrQuaternion::FromAngleAxis(0.2f, axis);
    const QrQuaternion b = QrQuaternion::FromAngleAxis(0.7f, axis);
    const QrQuaternion c = QrQuaternion::FromAngleAxis(1.2f, axis);
    // Evenly spaced on one arc: the control point is the key itself.
    EXPECT_TRUE(Near(QrQuaternion::Intermediate(a, b, c), b));

    // About the identity: exp(-(log next + log prev) / 4).
    const QrQuaternion prev = QrQuaternion::FromAngleAxis(0.8f, {1, 0, 0});
    const QrQuaternion next = QrQuaternion::FromAngleAxis(0.4f, {0, 1, 0});
    const QrPoint3 v(-0.8f / 8, -0.4f / 8, 0);
    const float length = v.Length();
    EXPECT_TRUE(Near(QrQuaternion::Intermediate(prev, {1, 0, 0, 0}, next),
                     QrQuaternion::FromAngleAxis(2 * length, v / length)));

    // General keys, built from angle and axis of the relative rotations.
    const QrQuaternion k0 = Unit(0.9f, 0.3f, -0.2f, 0.1f);
    const QrQuaternion k1 = Unit(0.6f, -0.1f, 0.7f, 0.3f);
    const QrQuaternion k2 = Unit(0.2f, 0.5f, 0.4f, -0.7f);
    float toNextAngle, toPrevAngle;
    QrPoint3 toNextAxis, toPrevAxis;
    (QrQuaternion::Inverse(k1) * k2).ToAngleAxis(toNextAngle, toNextAxis);
    (QrQuaternion::Inverse(k1) * k0).ToAngleAxis(toPrevAngle, toPrevAxis);
    const QrPoint3 sum = toNextAxis * (-toNextAngle / 8) + toPrevAxis * (-toPrevAngle / 8);
    EXPECT_TRUE(Near(QrQuaternion::Intermediate(k0, k1, k2),
                     k1 * QrQuaternion::FromAngleAxis(2 * sum.Length(), sum / sum.Length())));

    // With the ends as their own controls squad is slerp.
    for (float t : {0.0f, 0.3f, 0.5f, 1.0f})
        EXPECT_EQ(QrQuaternion::Squad(t, a, a, c, c), QrQuaternion::Slerp(t, a, c)) << t;

    const QrQuaternion ca = QrQuaternion::Intermediate(a, a, c);
    const QrQuaternion cc = QrQuaternion::Intermediate(a, c, c);
    EXPECT_EQ(QrQuaternion::Squad(0, a, ca, cc, c), a);
    EXPECT_TRUE(Near(QrQuaternion::Squad(1, a, ca, cc, c), c));
    EXPECT_NEAR(Norm(QrQuaternion::Squad(0.4f, a, ca, cc, c)), 1.0, 1e-5);

    for (float t : {0.2f, 0.7f})
    {
        EXPECT_EQ(QrQuaternion::SquadExtraSpins(t, a, ca, cc, c, 0), QrQuaternion::Squad(t, a, ca, cc, c));
        // Spins ride on the key-to-key arc; the controls blend in as usual.
        const float blend = float(2.0 * t * (1.0 - t));
        EXPECT_EQ(
            QrQuaternion::SquadExtraSpins(t, a, ca, cc, c, 1),
            QrQuaternion::Slerp(blend, QrQuaternion::SlerpExtraSpins(t, a, c, 1), QrQuaternion::Slerp(t, ca, cc)));
    }
}
