#pragma once
// Quaternion (w, x, y, z) for rotations and their interpolation (slerp and squad, with extra
// whole turns for keys that spin more than once between them). Plain single-precision value;
// compound arithmetic in double. Slerp takes the arc it is given: callers that want the
// shorter one flip signs first.

#include "QrPoint3.h"

class QrMatrix3;
class QrStream;

class QrQuaternion
{
public:
    constexpr QrQuaternion() = default;
    constexpr QrQuaternion(float pw, float px, float py, float pz) : w(pw), x(px), y(py), z(pz) {}

    static QrQuaternion Add(const QrQuaternion& p, const QrQuaternion& q);
    static QrQuaternion Subtract(const QrQuaternion& p, const QrQuaternion& q);
    static QrQuaternion Negate(const QrQuaternion& q);
    // q s and s q (the same value; both names are in use).
    static QrQuaternion Scale(const QrQuaternion& q, float s);
    static QrQuaternion ScaleLeft(float s, const QrQuaternion& q);
    static float Dot(const QrQuaternion& p, const QrQuaternion& q);
    // Hamilton product p q: rotating by q first, then by p.
    static QrQuaternion Multiply(const QrQuaternion& p, const QrQuaternion& q);
    // The conjugate; the inverse only for unit quaternions.
    static QrQuaternion Inverse(const QrQuaternion& q);

    static QrQuaternion FromAngleAxis(float angle, const QrPoint3& axis);
    // A vector part shorter than 0.001 gives angle 0 and the zero axis.
    void ToAngleAxis(float& angle, QrPoint3& axis) const;
    void ToRotation(QrMatrix3& out) const;
    // Inverse of ToRotation for a rotation matrix.
    static QrQuaternion FromRotation(const QrMatrix3& m);

    // Of a pure quaternion (0, theta v): (cos theta, sin theta v).
    static QrQuaternion Exp(const QrQuaternion& q);
    // Of a unit quaternion: (0, theta v).
    static QrQuaternion Log(const QrQuaternion& q);

    // When p and q are (anti)parallel the result is p.
    static QrQuaternion Slerp(float t, const QrQuaternion& p, const QrQuaternion& q);
    // Adds spins half-circles of the four-dimensional arc, that is spins whole turns.
    static QrQuaternion SlerpExtraSpins(float t, const QrQuaternion& p, const QrQuaternion& q, int spins);
    // Squad control point of q between prev and next.
    static QrQuaternion Intermediate(const QrQuaternion& prev, const QrQuaternion& q, const QrQuaternion& next);
    static QrQuaternion Squad(float t, const QrQuaternion& p, const QrQuaternion& a, const QrQuaternion& b,
                              const QrQuaternion& q);
    // The spins apply to the p-to-q arc; the control arc a-to-b is plain.
    static QrQuaternion SquadExtraSpins(float t, const QrQuaternion& p, const QrQuaternion& a, const QrQuaternion& b,
                                        const QrQuaternion& q, int spins);

    // Exact comparison of the four components.
    bool IsEqual(const QrQuaternion& o) const { return w == o.w && x == o.x && y == o.y && z == o.z; }

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;

    QrQuaternion operator+(const QrQuaternion& o) const { return Add(*this, o); }
    QrQuaternion operator-(const QrQuaternion& o) const { return Subtract(*this, o); }
    QrQuaternion operator-() const { return Negate(*this); }
    QrQuaternion operator*(const QrQuaternion& o) const { return Multiply(*this, o); }
    QrQuaternion operator*(float s) const { return Scale(*this, s); }
    friend QrQuaternion operator*(float s, const QrQuaternion& q) { return ScaleLeft(s, q); }
    bool operator==(const QrQuaternion& o) const { return IsEqual(o); }
    bool operator!=(const QrQuaternion& o) const { return !IsEqual(o); }

    float w = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
