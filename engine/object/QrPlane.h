#pragma once
// Plane as the points p with normal . p = constant. The normal is not normalised here;
// frustum and shadow planes keep theirs unit length themselves.

#include "QrPoint3.h"

class QrStream;

class QrPlane
{
public:
    // Side codes of WhichSide, shared with the bound's plane test.
    enum : int
    {
        kOnPlane = 0,
        kPositiveSide = 1,
        kNegativeSide = 2,
    };

    QrPlane() = default;
    QrPlane(const QrPoint3& normal, float constant) : m_normal(normal), m_constant(constant) {}
    // The plane through point with the given normal.
    QrPlane(const QrPoint3& normal, const QrPoint3& point);

    void Set(const QrPoint3& normal, float constant)
    {
        m_normal = normal;
        m_constant = constant;
    }
    const QrPoint3& GetNormal() const { return m_normal; }
    float GetConstant() const { return m_constant; }

    // normal . p - constant, in double.
    double Distance(const QrPoint3& p) const;
    // 1 when normal . p > constant, 2 when below, 0 exactly on the plane.
    int WhichSide(const QrPoint3& p) const;
    // Exact comparison of normal and constant.
    bool IsEqual(const QrPlane& other) const;

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;

    bool operator==(const QrPlane& o) const { return IsEqual(o); }
    bool operator!=(const QrPlane& o) const { return !IsEqual(o); }

private:
    QrPoint3 m_normal;
    float m_constant = 0.0f;
};
