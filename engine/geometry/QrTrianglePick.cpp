#include "QrTrianglePick.h"

#include "QrColorA.h"
#include "QrPick.h"
#include "QrPickResult.h"
#include "QrPlane.h"
#include "QrTriBasedGeom.h"

#include <cmath>

namespace
{

double Dot(const QrPoint3& a, const QrPoint3& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

template <class T> T Blend(const T& v0, const T& v1, const T& v2, float b1, float b2);

template <> QrPoint3 Blend(const QrPoint3& v0, const QrPoint3& v1, const QrPoint3& v2, float b1, float b2)
{
    const double b0 = 1.0 - b1 - b2;
    return QrPoint3(float(b0 * v0.x + b1 * double(v1.x) + b2 * double(v2.x)),
                    float(b0 * v0.y + b1 * double(v1.y) + b2 * double(v2.y)),
                    float(b0 * v0.z + b1 * double(v1.z) + b2 * double(v2.z)));
}

template <> QrColorA Blend(const QrColorA& v0, const QrColorA& v1, const QrColorA& v2, float b1, float b2)
{
    const double b0 = 1.0 - b1 - b2;
    return QrColorA(float(b0 * v0.r + b1 * double(v1.r) + b2 * double(v2.r)),
                    float(b0 * v0.g + b1 * double(v1.g) + b2 * double(v2.g)),
                    float(b0 * v0.b + b1 * double(v1.b) + b2 * double(v2.b)),
                    float(b0 * v0.a + b1 * double(v1.a) + b2 * double(v2.a)));
}

} // namespace

bool QrTrianglePick::FindIntersections(QrTriBasedGeom& geometry, const QrPoint3& origin, const QrPoint3& direction,
                                       QrPick& pick, QrAVInstance* instance)
{
    if (instance)
        return PickInstance(geometry, origin, direction, pick, instance);
    for (uint32_t i = 0; i < geometry.GetInstanceCount(); ++i)
        if (QrAVInstance* record = geometry.GetInstanceAt(i))
            if (PickInstance(geometry, origin, direction, pick, record))
                return true;
    return false;
}

bool QrTrianglePick::PickInstance(QrTriBasedGeom& geometry, const QrPoint3& origin, const QrPoint3& direction,
                                  QrPick& pick, QrAVInstance* instance)
{
    geometry.SetCurrentInstance(instance);
    if (!geometry.RayIntersectsWorldBound(origin, direction))
        return false;
    if (pick.m_intersectionLevel == 0)
    {
        pick.AddResult(new QrPickResult(&geometry, instance));
        return pick.m_pickType == 1;
    }
    const uint16_t triangleCount = geometry.GetTriangleCount();
    const QrPoint3* vertices = geometry.GetVertices();
    if (triangleCount == 0 || !vertices || instance->m_worldScale == 0.0f)
        return false;

    // Model space: origin' = R^T (origin - T) / s, direction' = R^T direction (not scaled).
    const QrMatrix3 inverse = instance->m_worldRotate.Transpose();
    const QrPoint3 modelOrigin = inverse.TimesPoint(origin - instance->m_worldTranslate) / instance->m_worldScale;
    const QrPoint3 modelDirection = inverse.TimesPoint(direction);

    const uint16_t vertexCount = geometry.GetVertexCount();
    const QrPoint3* normals = geometry.GetNormals();
    const QrPoint3* textureCoords = geometry.GetTextureCoords();
    const QrColorA* colors = geometry.GetColors();
    for (uint32_t t = 0; t < triangleCount; ++t)
    {
        uint16_t i0, i1, i2;
        const QrPlane* stored = geometry.GetTriangle(uint16_t(t), i0, i1, i2);
        if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount)
            continue;
        const QrPoint3 &p0 = vertices[i0], &p1 = vertices[i1], &p2 = vertices[i2];
        // A geometry without stored planes gets them from its vertices, by the same convention.
        const QrPlane plane = stored ? *stored : QrPlane((p1 - p0).Cross(p2 - p1), p0);
        QrPoint3 point;
        float distance, b1, b2;
        if (!IntersectTriangle(modelOrigin, modelDirection, plane, p0, p1, p2, pick.m_frontFacesOnly != 0, point,
                               distance, b1, b2))
            continue;

        auto* result = new QrPickResult(&geometry, instance);
        result->m_point = point;
        result->m_distance = distance;
        result->m_triangle = uint16_t(t);
        if (pick.m_wantTextureCoordinate && textureCoords)
            result->m_textureCoordinate = Blend(textureCoords[i0], textureCoords[i1], textureCoords[i2], b1, b2);
        if (pick.m_wantNormal)
        {
            if (pick.m_smoothNormal && normals)
            {
                result->m_normal = Blend(normals[i0], normals[i1], normals[i2], b1, b2);
                result->m_normal.Unitize();
            }
            else
                result->m_normal = plane.GetNormal();
        }
        result->m_color = pick.m_wantColor && colors ? Blend(colors[i0], colors[i1], colors[i2], b1, b2)
                                                     : QrColorA(1.0f, 1.0f, 1.0f, 1.0f);
        pick.AddResult(result);
        if (pick.StopsAtFirstHit())
            return true;
    }
    return false;
}

bool QrTrianglePick::IntersectTriangle(const QrPoint3& origin, const QrPoint3& direction, const QrPlane& plane,
                                       const QrPoint3& p0, const QrPoint3& p1, const QrPoint3& p2, bool frontOnly,
                                       QrPoint3& point, float& distance, float& b1, float& b2)
{
    const QrPoint3& n = plane.GetNormal();
    const double delta = Dot(n, direction);
    if (frontOnly && delta > 1e-5)
        return false;
    if (std::fabs(delta) <= 1e-5)
        return false;
    const double t = -(Dot(n, origin) - plane.GetConstant()) / delta;
    if (t < 0.0)
        return false;
    const QrPoint3 hit(float(origin.x + t * direction.x), float(origin.y + t * direction.y),
                       float(origin.z + t * direction.z));

    const QrPoint3 e1 = p1 - p0, e2 = p2 - p0, w = hit - p0;
    const double a = Dot(e1, e1), b = Dot(e2, e2), m = Dot(e1, e2);
    const double d = std::fabs(a * b - m * m);
    if (d < 1e-5)
        return false;
    const double we1 = Dot(w, e1), we2 = Dot(w, e2);
    const double u = b * we1 - m * we2;
    const double v = a * we2 - m * we1;
    if (u < 0.0 || v < 0.0 || u + v > d)
        return false;
    point = hit;
    distance = float(t);
    b1 = float(u / d);
    b2 = float(v / d);
    return true;
}
