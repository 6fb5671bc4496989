#pragma once
// 3 x 3 matrix, the rotation part of every transform. Row-major storage; matrices act on
// column vectors (M p), so the columns of a rotation are the images of the unit axes.
// Single-precision storage; every sum of products is formed in double and rounded once.

#include "QrPoint3.h"

class QrStream;

class QrMatrix3
{
public:
    constexpr QrMatrix3() = default;
    constexpr QrMatrix3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
                        float m22)
        : m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}}
    {
    }

    // this x other.
    QrMatrix3 Multiply(const QrMatrix3& other) const;
    // transpose(this) x other: brings world data into the frame this rotation describes.
    QrMatrix3 TransposeTimes(const QrMatrix3& other) const;
    QrMatrix3 Transpose() const;
    // M p.
    QrPoint3 TimesPoint(const QrPoint3& p) const;
    // Adjugate over determinant. When |determinant| is 1e-6 or less, out holds the adjugate
    // and the result is false. out may be this matrix.
    bool Inverse(QrMatrix3& out) const;

    enum Kind : int
    {
        kIdentity = 1,
        // (a, b, c) on the diagonal.
        kDiagonal = 2,
        // By a about X, Y, Z.
        kRotationX = 3,
        kRotationY = 4,
        kRotationZ = 5,
        // By a about the unit axis (b, c, d).
        kRotationAxis = 6,
    };
    // Any other kind gives the zero matrix. The rotations are the transposes of the
    // quaternion's ToRotation for the same angle and axis, and stored files depend on that.
    void MakeFromKind(int kind, float a, float b, float c, float d);
    void MakeIdentity() { *this = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}; }
    void MakeRotation(float angle, float axisX, float axisY, float axisZ)
    {
        MakeFromKind(kRotationAxis, angle, axisX, axisY, axisZ);
    }

    // For a symmetric matrix: eigenvalues in values, the matching unit eigenvectors as the
    // rows of vectors, made right-handed by negating the third when needed. False when the
    // iteration does not converge (the outputs then hold the unfinished state).
    bool SymmetricEigen(float values[3], QrMatrix3& vectors) const;

    QrPoint3 GetRow(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
    QrPoint3 GetColumn(int j) const { return {m[0][j], m[1][j], m[2][j]}; }
    void SetRow(int i, const QrPoint3& p);
    void SetColumn(int j, const QrPoint3& p);

    // Exact comparison of the nine entries.
    bool IsEqual(const QrMatrix3& other) const;

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;

    QrMatrix3 operator*(const QrMatrix3& o) const { return Multiply(o); }
    QrPoint3 operator*(const QrPoint3& p) const { return TimesPoint(p); }
    friend QrPoint3 operator*(const QrPoint3& p, const QrMatrix3& mat) { return p.TimesMatrix(mat); }
    bool operator==(const QrMatrix3& o) const { return IsEqual(o); }
    bool operator!=(const QrMatrix3& o) const { return !IsEqual(o); }

    float m[3][3] = {};
};

// Inline: per-vertex transforms and per-node world updates call these.

inline QrMatrix3 QrMatrix3::Multiply(const QrMatrix3& other) const
{
    QrMatrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = float(double(m[i][0]) * other.m[0][j] + double(m[i][1]) * other.m[1][j] +
                              double(m[i][2]) * other.m[2][j]);
    return r;
}

inline QrMatrix3 QrMatrix3::TransposeTimes(const QrMatrix3& other) const
{
    QrMatrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = float(double(m[0][i]) * other.m[0][j] + double(m[1][i]) * other.m[1][j] +
                              double(m[2][i]) * other.m[2][j]);
    return r;
}

inline QrMatrix3 QrMatrix3::Transpose() const
{
    return {m[0][0], m[1][0], m[2][0], m[0][1], m[1][1], m[2][1], m[0][2], m[1][2], m[2][2]};
}

inline QrPoint3 QrMatrix3::TimesPoint(const QrPoint3& p) const
{
    return {float(double(m[0][0]) * p.x + double(m[0][1]) * p.y + double(m[0][2]) * p.z),
            float(double(m[1][0]) * p.x + double(m[1][1]) * p.y + double(m[1][2]) * p.z),
            float(double(m[2][0]) * p.x + double(m[2][1]) * p.y + double(m[2][2]) * p.z)};
}

inline void QrMatrix3::SetRow(int i, const QrPoint3& p)
{
    m[i][0] = p.x;
    m[i][1] = p.y;
    m[i][2] = p.z;
}

inline void QrMatrix3::SetColumn(int j, const QrPoint3& p)
{
    m[0][j] = p.x;
    m[1][j] = p.y;
    m[2][j] = p.z;
}

inline bool QrMatrix3::IsEqual(const QrMatrix3& other) const
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (m[i][j] != other.m[i][j])
                return false;
    return true;
}
