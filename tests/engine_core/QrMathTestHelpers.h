#pragma once
// Printing and tolerance comparison of the math value types for the math tests.

#include "QrBound.h"
#include "QrMatrix3.h"
#include "QrPoint3.h"
#include "QrQuaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

inline void PrintTo(const QrPoint3& p, std::ostream* os)
{
    *os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

inline void PrintTo(const QrQuaternion& q, std::ostream* os)
{
    *os << "(w " << q.w << ", " << q.x << ", " << q.y << ", " << q.z << ")";
}

inline void PrintTo(const QrMatrix3& m, std::ostream* os)
{
    *os << "[";
    for (int i = 0; i < 3; ++i)
        *os << (i ? "; " : "") << m.m[i][0] << " " << m.m[i][1] << " " << m.m[i][2];
    *os << "]";
}

inline void PrintTo(const QrBound& b, std::ostream* os)
{
    *os << "bound(flag " << int(b.GetFlag()) << ", centre ";
    PrintTo(b.GetCenter(), os);
    *os << ", radius " << b.GetRadius() << ")";
}

inline ::testing::AssertionResult Near(const QrPoint3& a, const QrPoint3& b, double tolerance = 1e-5)
{
    if (std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance && std::fabs(a.z - b.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(a) << " vs " << ::testing::PrintToString(b);
}

inline ::testing::AssertionResult Near(const QrQuaternion& a, const QrQuaternion& b, double tolerance = 1e-5)
{
    if (std::fabs(a.w - b.w) <= tolerance && std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
        std::fabs(a.z - b.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(a) << " vs " << ::testing::PrintToString(b);
}

inline ::testing::AssertionResult Near(const QrMatrix3& a, const QrMatrix3& b, double tolerance = 1e-5)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (!(std::fabs(a.m[i][j] - b.m[i][j]) <= tolerance))
                return ::testing::AssertionFailure()
                       << ::testing::PrintToString(a) << " vs " << ::testing::PrintToString(b);
    return ::testing::AssertionSuccess();
}

inline QrMatrix3 Identity()
{
    QrMatrix3 m;
    m.MakeIdentity();
    return m;
}

inline void ExpectNear(const QrPoint3& actual, const QrPoint3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline double Determinant(const QrMatrix3& m)
{
    const auto& a = m.m;
    return double(a[0][0]) * (double(a[1][1]) * a[2][2] - double(a[1][2]) * a[2][1]) -
           double(a[0][1]) * (double(a[1][0]) * a[2][2] - double(a[1][2]) * a[2][0]) +
           double(a[0][2]) * (double(a[1][0]) * a[2][1] - double(a[1][1]) * a[2][0]);
}
