#pragma once
// Ray picking of triangle geometry: the ray is carried into the model space of each instance
// and met with every triangle; each hit becomes a result record with the triangle, the point,
// the ray parameter and, as the pick asks, a texture coordinate, normal and colour blended
// with the hit's barycentric weights.

#include "QrPoint3.h"

class QrAVInstance;
class QrPick;
class QrPlane;
class QrTriBasedGeom;

class QrTrianglePick
{
public:
    // With an instance: that one; with null: each instance in order until one is satisfied.
    // True when the pick is satisfied and the search may stop.
    static bool FindIntersections(QrTriBasedGeom& geometry, const QrPoint3& origin, const QrPoint3& direction,
                                  QrPick& pick, QrAVInstance* instance);
    static bool PickInstance(QrTriBasedGeom& geometry, const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                             QrAVInstance* instance);

    // The ray origin + t direction (t >= 0) against the triangle p0 p1 p2 with plane (normal,
    // constant). On a hit: the point, t, and the weights b1 of p1 and b2 of p2 (p0 weighs
    // 1 - b1 - b2). frontOnly skips triangles whose plane faces away from the ray.
    static bool IntersectTriangle(const QrPoint3& origin, const QrPoint3& direction, const QrPlane& plane,
                                  const QrPoint3& p0, const QrPoint3& p1, const QrPoint3& p2, bool frontOnly,
                                  QrPoint3& point, float& distance, float& b1, float& b2);
};
