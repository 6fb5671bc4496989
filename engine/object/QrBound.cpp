#include "QrBound.h"

#include "QrMatrix3.h"
#include "QrPlane.h"
#include "QrStream.h"

#include <algorithm>
#include <cmath>

namespace
{

struct Vec
{
    double x, y, z;
};

Vec Diff(const QrPoint3& a, const QrPoint3& b)
{
    return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
}

double Dot(const Vec& a, const Vec& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

} // namespace

void QrBound::Set(const QrBound& other)
{
    Set(other.m_center, other.m_radius);
}

void QrBound::Set(const QrPoint3& center, float radius)
{
    m_center = center;
    m_radius = radius;
    m_flag = 0;
}

void QrBound::SetFromPoints(int count, const QrPoint3* points)
{
    if (count < 1 || !points)
    {
        m_center = QrPoint3::ZERO;
        m_radius = 0.0f;
        return;
    }
    QrPoint3 lo = points[0];
    QrPoint3 hi = points[0];
    for (int i = 1; i < count; ++i)
    {
        lo = {std::min(lo.x, points[i].x), std::min(lo.y, points[i].y), std::min(lo.z, points[i].z)};
        hi = {std::max(hi.x, points[i].x), std::max(hi.y, points[i].y), std::max(hi.z, points[i].z)};
    }
    const QrPoint3 center{float((double(lo.x) + hi.x) * 0.5), float((double(lo.y) + hi.y) * 0.5),
                          float((double(lo.z) + hi.z) * 0.5)};
    double farthest = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const Vec d = Diff(points[i], center);
        farthest = std::max(farthest, Dot(d, d));
    }
    Set(center, float(std::sqrt(farthest)));
}

void QrBound::Transform(const QrBound& model, const QrMatrix3& rotation, const QrPoint3& translation, float scale)
{
    const QrPoint3& c = model.m_center;
    const auto& r = rotation.m;
    QrPoint3 center;
    float* out[3] = {&center.x, &center.y, &center.z};
    const float t[3] = {translation.x, translation.y, translation.z};
    for (int i = 0; i < 3; ++i)
        *out[i] = float((double(r[i][0]) * c.x + double(r[i][1]) * c.y + double(r[i][2]) * c.z) * scale + t[i]);
    Set(center, float(double(model.m_radius) * scale));
}

bool QrBound::Merge(int count, const QrBound* bounds)
{
    if (count < 1 || !bounds)
        return false;

    QrPoint3 center = bounds[0].m_center;
    float radius = bounds[0].m_radius;
    for (int i = 1; i < count; ++i)
    {
        const QrBound& b = bounds[i];
        const Vec d = Diff(center, b.m_center);
        const double distSq = Dot(d, d);
        const double delta = double(b.m_radius) - radius;
        if (delta * delta >= distSq)
        {
            // One contains the other.
            if (delta >= 0.0)
            {
                center = b.m_center;
                radius = b.m_radius;
            }
            continue;
        }
        const double dist = std::sqrt(distSq);
        const double newRadius = (dist + b.m_radius + radius) * 0.5;
        if (dist > 1e-6)
        {
            // Move from the accumulated centre toward the other by the radius gained, so the
            // new sphere touches the far side of both.
            const double step = (newRadius - radius) / dist;
            center = {float(center.x - d.x * step), float(center.y - d.y * step), float(center.z - d.z * step)};
        }
        radius = float(newRadius);
    }

    m_flag = 0;
    const Vec moved = Diff(center, m_center);
    if (std::sqrt(Dot(moved, moved)) <= 1e-6 && std::fabs(double(radius) - m_radius) <= 1e-6)
        return false;
    m_center = center;
    m_radius = radius;
    return true;
}

bool QrBound::IsEqual(const QrBound& other) const
{
    return m_radius == other.m_radius && m_center.IsEqual(other.m_center);
}

bool QrBound::IsInside(const QrBound& other) const
{
    const Vec d = Diff(other.m_center, m_center);
    return double(other.m_radius) + 0.0001 >= std::sqrt(Dot(d, d)) + m_radius;
}

int QrBound::WhichSide(const QrPlane& plane) const
{
    const double d = plane.Distance(m_center);
    if (d <= -double(m_radius))
        return QrPlane::kNegativeSide;
    if (d >= double(m_radius))
        return QrPlane::kPositiveSide;
    return QrPlane::kOnPlane;
}

bool QrBound::SweptIntersect(const QrPoint3& displacement, const QrBound& other,
                             const QrPoint3& otherDisplacement) const
{
    // Relative position at fraction s of the step is D - s V.
    const Vec d = Diff(m_center, other.m_center);
    const Vec v = Diff(otherDisplacement, displacement);
    Vec closest = d;
    const double vv = Dot(v, v);
    if (vv != 0.0)
    {
        const double s = Dot(d, v) / vv;
        if (s >= 1.0)
            closest = {d.x - v.x, d.y - v.y, d.z - v.z};
        else if (s > 0.0)
            closest = {d.x - s * v.x, d.y - s * v.y, d.z - s * v.z};
    }
    const double reach = double(m_radius) + other.m_radius;
    return reach * reach >= Dot(closest, closest);
}

void QrBound::LoadBinary(QrStream& stream)
{
    m_center.LoadBinary(stream);
    m_radius = stream.LoadF32();
}

void QrBound::SaveBinary(QrStream& stream) const
{
    m_center.SaveBinary(stream);
    stream.SaveF32(m_radius);
}
