#include "QrMathTestHelpers.h"

#include "QrMatrix3.h"
#include "QrQuaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace
{

const QrMatrix3 kA(1, 2, 3, 4, 5, 6, 7, 8, 10);
const QrMatrix3 kB(2, 0, 1, -1, 3, 0, 0, 1, 4);

QrMatrix3 Kind(int kind, float a, float b = 0, float c = 0, float d = 0)
{
    QrMatrix3 m(9, 9, 9, 9, 9, 9, 9, 9, 9);
    m.MakeFromKind(kind, a, b, c, d);
    return m;
}

QrMatrix3 QuaternionRotation(float angle, const QrPoint3& axis)
{
    QrMatrix3 m;
    QrQuaternion::FromAngleAxis(angle, axis).ToRotation(m);
    return m;
}

// A = R diag(values) R^T for a rotation R.
QrMatrix3 Conjugated(const QrMatrix3& r, float v0, float v1, float v2)
{
    QrMatrix3 d;
    d.MakeFromKind(2, v0, v1, v2, 0);
    return r.Multiply(d).Multiply(r.Transpose());
}

void ExpectEigenDecomposition(const QrMatrix3& a, double tolerance)
{
    float values[3];
    QrMatrix3 vectors;
    ASSERT_TRUE(a.SymmetricEigen(values, vectors)) << ::testing::PrintToString(a);
    for (int k = 0; k < 3; ++k)
    {
        const QrPoint3 v = vectors.GetRow(k);
        EXPECT_NEAR(v.Length(), 1.0, 1e-5);
        EXPECT_TRUE(Near(a.TimesPoint(v), v * values[k], tolerance)) << "eigenpair " << k;
        EXPECT_NEAR(v.Dot(vectors.GetRow((k + 1) % 3)), 0.0, 1e-5);
    }
    EXPECT_NEAR(Determinant(vectors), 1.0, 1e-5) << "axes must be right-handed";
}

} // namespace

TEST(QrMatrix3Test, ProductsFollowRowByColumnConvention)
{
    // Worked by hand.
    EXPECT_EQ(kA.Multiply(kB), QrMatrix3(0, 9, 13, 3, 21, 28, 6, 34, 47));
    EXPECT_EQ(kA * kB, kA.Multiply(kB));
    EXPECT_EQ(kA.TransposeTimes(kB), QrMatrix3(-2, 19, 29, -1, 23, 34, 0, 28, 43));
    EXPECT_EQ(kA.TimesPoint({1, -1, 2}), QrPoint3(5, 11, 19));
    // p M applies the transpose.
    EXPECT_EQ(QrPoint3(1, -1, 2).TimesMatrix(kA), QrPoint3(11, 13, 17));
    EXPECT_EQ(QrPoint3(1, -1, 2) * kA, kA.Transpose() * QrPoint3(1, -1, 2));
}

TEST(QrMatrix3Test, SumsOfProductsAreFormedInDouble)
{
    // In single precision 1e8 + 1 - 1e8 loses the 1.
    const QrMatrix3 m(1e8f, 1, -1e8f, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(m.TimesPoint({1, 1, 1}).x, 1.0f);
    EXPECT_EQ(QrPoint3(1e8f, 1, -1e8f).Dot({1, 1, 1}), 1.0f);
}

TEST(QrMatrix3Test, InverseOfRegularMatrix)
{
    QrMatrix3 inv;
    ASSERT_TRUE(kA.Inverse(inv));
    EXPECT_TRUE(Near(kA * inv, Identity()));
    EXPECT_TRUE(Near(inv * kA, Identity()));

    // In place.
    QrMatrix3 m = kB;
    ASSERT_TRUE(m.Inverse(m));
    EXPECT_TRUE(Near(m * kB, Identity()));
}

TEST(QrMatrix3Test, InverseOfNearSingularMatrixGivesAdjugate)
{
    // Determinant 1e-7.
    const QrMatrix3 tiny(1e-7f, 0, 0, 0, 1, 0, 0, 0, 1);
    QrMatrix3 out;
    EXPECT_FALSE(tiny.Inverse(out));
    EXPECT_TRUE(Near(out, QrMatrix3(1, 0, 0, 0, 1e-7f, 0, 0, 0, 1e-7f), 1e-12));

    // Exactly singular (rows dependent).
    const QrMatrix3 singular(1, 2, 3, 2, 4, 6, 0, 1, 1);
    EXPECT_FALSE(singular.Inverse(out));
    // adj(M) M = det(M) I = 0.
    EXPECT_TRUE(Near(out * singular, QrMatrix3()));

    // Just above the threshold still inverts.
    const QrMatrix3 small(1e-5f, 0, 0, 0, 1, 0, 0, 0, 1);
    ASSERT_TRUE(small.Inverse(out));
    EXPECT_NEAR(out.m[0][0], 1e5, 1e-1);
}

TEST(QrMatrix3Test, MakeFromKindBasicKinds)
{
    EXPECT_EQ(Kind(1, 5), Identity());
    EXPECT_EQ(Kind(2, 2, -3, 4), QrMatrix3(2, 0, 0, 0, -3, 0, 0, 0, 4));
    for (int kind : {0, 7, -1, 100})
        EXPECT_EQ(Kind(kind, 1, 2, 3, 4), QrMatrix3()) << "kind " << kind;
}

TEST(QrMatrix3Test, MakeFromKindRotationsAreTransposedQuaternionRotations)
{
    const QrPoint3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (float angle : {0.3f, -1.2f, 2.5f, 3.14159f})
    {
        for (int k = 0; k < 3; ++k)
        {
            const QrMatrix3 fromKind = Kind(3 + k, angle);
            EXPECT_TRUE(Near(fromKind, QuaternionRotation(angle, axes[k]).Transpose())) << "kind " << 3 + k;
            // Kind 6 about the same axis agrees.
            EXPECT_TRUE(Near(Kind(6, angle, axes[k].x, axes[k].y, axes[k].z), fromKind));
        }
        QrPoint3 axis(1, -2, 0.5f);
        axis.Unitize();
        const QrMatrix3 general = Kind(6, angle, axis.x, axis.y, axis.z);
        EXPECT_TRUE(Near(general, QuaternionRotation(angle, axis).Transpose()));
        EXPECT_TRUE(Near(general.TimesPoint(axis), axis)) << "the axis stays fixed";
        EXPECT_NEAR(Determinant(general), 1.0, 1e-5);
    }

    // Kind 3 turns +y toward -z: the opposite sense of the quaternion rotation.
    EXPECT_TRUE(Near(Kind(3, 1.5707964f).TimesPoint({0, 1, 0}), {0, 0, -1}));

    QrMatrix3 byName;
    byName.MakeRotation(0.7f, 0, 0.6f, 0.8f);
    EXPECT_EQ(byName, Kind(6, 0.7f, 0, 0.6f, 0.8f));
}

TEST(QrMatrix3Test, EigenOfDiagonalMatrix)
{
    const QrMatrix3 a(3, 0, 0, 0, -1, 0, 0, 0, 2);
    float values[3];
    QrMatrix3 vectors;
    ASSERT_TRUE(a.SymmetricEigen(values, vectors));
    // Already diagonal: no rotation is needed, so each value stays with its own axis.
    for (int k = 0; k < 3; ++k)
    {
        EXPECT_NEAR(values[k], a.m[k][k], 1e-6);
        EXPECT_NEAR(std::fabs(vectors.m[k][k]), 1.0, 1e-6);
    }
    ExpectEigenDecomposition(a, 1e-5);
    ExpectEigenDecomposition(QrMatrix3(), 1e-6);
}

TEST(QrMatrix3Test, EigenWithRepeatedEigenvalues)
{
    QrPoint3 axis(0.3f, -0.5f, 0.8f);
    axis.Unitize();
    const QrMatrix3 r = Kind(6, 0.9f, axis.x, axis.y, axis.z);
    ExpectEigenDecomposition(Conjugated(r, 2, 2, 5), 1e-4);
    ExpectEigenDecomposition(Conjugated(r, -1, 4, 4), 1e-4);
    ExpectEigenDecomposition(Conjugated(r, 3, 3, 3), 1e-4);
}

TEST(QrMatrix3Test, EigenOfRandomSymmetricMatrices)
{
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> u(-10.0f, 10.0f);
    for (int n = 0; n < 300; ++n)
    {
        const float a = u(rng), b = u(rng), c = u(rng), d = u(rng), e = u(rng), f = u(rng);
        const QrMatrix3 m(a, d, e, d, b, f, e, f, c);
        SCOPED_TRACE(n);
        ExpectEigenDecomposition(m, 1e-4);
        float values[3];
        QrMatrix3 vectors;
        m.SymmetricEigen(values, vectors);
        const double trace = double(a) + b + c;
        EXPECT_NEAR(double(values[0]) + values[1] + values[2], trace, 1e-4);
    }
}

TEST(QrMatrix3Test, EigenGivesUpWhenIterationCannotConverge)
{
    // NaN never passes the convergence test, so the iteration limit is what ends it.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const QrMatrix3 m(1, nan, 0, nan, 2, 0, 0, 0, 3);
    float values[3];
    QrMatrix3 vectors;
    EXPECT_FALSE(m.SymmetricEigen(values, vectors));
}
