#pragma once
// Bounding sphere (centre, radius) of an object in model or world space. The flag byte is 1
// on construction and cleared by every operation that assigns a centre and radius: geometry
// uses it to know that its model bound has never been computed. The flag is not stored.

#include "QrPoint3.h"

#include <cstdint>

class QrMatrix3;
class QrPlane;
class QrStream;

class QrBound
{
public:
    QrBound() = default;

    uint8_t GetFlag() const { return m_flag; }
    void SetFlag(uint8_t flag) { m_flag = flag; }
    const QrPoint3& GetCenter() const { return m_center; }
    float GetRadius() const { return m_radius; }

    // Copies centre and radius and clears the flag.
    void Set(const QrBound& other);
    void Set(const QrPoint3& center, float radius);
    // Centre in the middle of the points' axis-aligned box, radius to the farthest point.
    // A count below 1 gives centre zero and radius 0 and leaves the flag.
    void SetFromPoints(int count, const QrPoint3* points);
    // This = the model bound under rotation, uniform scale and translation.
    void Transform(const QrBound& model, const QrMatrix3& rotation, const QrPoint3& translation, float scale);
    // Replaces this bound with the sphere found by growing the first bound over the
    // rest, in order. False, and no change, when that moves the centre and the radius by 1e-6
    // or less: callers propagate a change upward only on true. A count below 1 changes nothing.
    bool Merge(int count, const QrBound* bounds);

    // Exact comparison of centre and radius (not the flag).
    bool IsEqual(const QrBound& other) const;
    // True when this sphere lies within other (with a 0.0001 allowance).
    bool IsInside(const QrBound& other) const;
    // QrPlane::kNegativeSide (2) when the sphere lies wholly behind the plane, touching
    // included; kPositiveSide (1) wholly in front, touching included; kOnPlane (0) crossing.
    int WhichSide(const QrPlane& plane) const;
    // True when this sphere moving by displacement and other moving by otherDisplacement come
    // within the sum of their radii at some time of the step.
    bool SweptIntersect(const QrPoint3& displacement, const QrBound& other, const QrPoint3& otherDisplacement) const;
    static bool SweptIntersect(const QrBound& a, const QrPoint3& displacementA, const QrBound& b,
                               const QrPoint3& displacementB)
    {
        return a.SweptIntersect(displacementA, b, displacementB);
    }

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;

    bool operator==(const QrBound& o) const { return IsEqual(o); }
    bool operator!=(const QrBound& o) const { return !IsEqual(o); }

private:
    uint8_t m_flag = 1;
    QrPoint3 m_center;
    float m_radius = 0.0f;
};
