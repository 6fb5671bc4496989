#include "QrOBB.h"

#include "QrAVInstance.h"
#include "QrAVObject.h"
#include "QrCollisionData.h"
#include "QrContact.h"

#include <cmath>
#include <utility>

namespace
{

double Dot(const QrPoint3& a, const QrPoint3& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

int Sign(double v)
{
    return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0);
}

// Candidate axis k (0 to 14) in test order: A's axes, B's axes, then A_i x B_j (i outer),
// unnormalised; parallel pairs give zero axes, which separate nothing.
QrPoint3 CandidateAxis(const QrOBB& a, const QrOBB& b, int k)
{
    if (k < 3)
        return a.m_worldAxes[k];
    if (k < 6)
        return b.m_worldAxes[k - 3];
    const QrPoint3& u = a.m_worldAxes[(k - 6) / 3];
    const QrPoint3& v = b.m_worldAxes[(k - 6) % 3];
    return QrPoint3(float(double(u.y) * v.z - double(u.z) * v.y), float(double(u.z) * v.x - double(u.x) * v.z),
                    float(double(u.x) * v.y - double(u.y) * v.x));
}

double Extent(const QrPoint3& extents, int i)
{
    return i == 0 ? extents.x : (i == 1 ? extents.y : extents.z);
}

// Sum of the two boxes' projected radii on axis.
double ProjectedRadius(const QrOBB& a, const QrOBB& b, const QrPoint3& axis)
{
    double r = 0.0;
    for (int i = 0; i < 3; ++i)
    {
        r += std::fabs(Dot(a.m_worldAxes[i], axis)) * Extent(a.m_worldExtents, i);
        r += std::fabs(Dot(b.m_worldAxes[i], axis)) * Extent(b.m_worldExtents, i);
    }
    return r;
}

QrPoint3 Blend(const QrPoint3& base, const QrPoint3 axes[3], const double c[3])
{
    double x = base.x, y = base.y, z = base.z;
    for (int i = 0; i < 3; ++i)
    {
        x += c[i] * axes[i].x;
        y += c[i] * axes[i].y;
        z += c[i] * axes[i].z;
    }
    return QrPoint3(float(x), float(y), float(z));
}

QrPoint3 Moved(const QrPoint3& p, const QrPoint3& velocity, double time)
{
    return QrPoint3(float(p.x + velocity.x * time), float(p.y + velocity.y * time), float(p.z + velocity.z * time));
}

} // namespace

QrOBB::~QrOBB() = default;

void QrOBB::UpdateWorldBoxes(const QrMatrix3& rotation, const QrPoint3& translation, float scale)
{
    Transform(rotation, translation, scale);
    if (m_first)
        m_first->UpdateWorldBoxes(rotation, translation, scale);
    if (m_second)
        m_second->UpdateWorldBoxes(rotation, translation, scale);
}

void QrOBB::Transform(const QrMatrix3& rotation, const QrPoint3& translation, float scale)
{
    m_worldCenter = rotation.TimesPoint(m_modelCenter) * scale + translation;
    for (int i = 0; i < 3; ++i)
        m_worldAxes[i] = rotation.TimesPoint(m_modelAxes[i]);
    m_worldExtents = m_modelExtents * scale;
}

bool QrOBB::OverlapsMoving(const QrOBB& other) const
{
    const QrPoint3 d = other.m_worldCenter - m_worldCenter;
    const QrPoint3 u = other.m_owner->GetVelocity() - m_owner->GetVelocity();
    const double t = m_owner->GetTimeInterval();
    // Axes are made as they are reached: most pairs part on a face axis.
    for (int k = 0; k < 15; ++k)
    {
        const QrPoint3 axis = CandidateAxis(*this, other, k);
        const double r = ProjectedRadius(*this, other, axis);
        const double d0 = Dot(d, axis);
        const double d1 = d0 + Dot(u, axis) * t;
        if ((d0 > r && d1 > r) || (d0 < -r && d1 < -r))
            return false;
    }
    return true;
}

bool QrOBB::SeparatingAxisTest(const QrOBB& other, float& time, QrPoint3& point) const
{
    const QrOBB& a = *this;
    const QrOBB& b = other;
    const QrPoint3& va = a.m_owner->GetVelocity();
    const QrPoint3& vb = b.m_owner->GetVelocity();
    const QrPoint3 d = b.m_worldCenter - a.m_worldCenter;
    const QrPoint3 u = vb - va;
    const double interval = a.m_owner->GetTimeInterval();

    double first = 0.0;
    int axisNumber = 0;
    int side = 0;
    for (int k = 0; k < 15; ++k)
    {
        const QrPoint3 axis = CandidateAxis(a, b, k);
        const double r = ProjectedRadius(a, b, axis);
        const double d0 = Dot(d, axis);
        const double d1 = d0 + Dot(u, axis) * interval;
        if ((d0 > r && d1 > r) || (d0 < -r && d1 < -r))
            return false;
        double entry = 0.0;
        int entrySide = 0;
        if (d0 > r)
        {
            entry = (r - d0) * interval / (d1 - d0);
            entrySide = 1;
        }
        else if (d0 < -r)
        {
            entry = (-r - d0) * interval / (d1 - d0);
            entrySide = -1;
        }
        if (entrySide != 0 && entry > first)
        {
            first = entry;
            axisNumber = k + 1;
            side = entrySide;
        }
    }

    time = float(first);
    if (axisNumber == 0)
    {
        // Already overlapping at the start: no face or edge is first, so take the middle.
        point = (a.m_worldCenter + b.m_worldCenter) * 0.5f;
        return true;
    }
    double c[3] = {};
    if (axisNumber <= 3)
    {
        // A face of A: the corner of B nearest to A.
        const QrPoint3& ak = a.m_worldAxes[axisNumber - 1];
        for (int j = 0; j < 3; ++j)
            c[j] = -side * Sign(Dot(ak, b.m_worldAxes[j])) * Extent(b.m_worldExtents, j);
        point = Blend(Moved(b.m_worldCenter, vb, first), b.m_worldAxes, c);
        return true;
    }
    if (axisNumber <= 6)
    {
        // A face of B: the corner of A nearest to B.
        const QrPoint3& bk = b.m_worldAxes[axisNumber - 4];
        for (int i = 0; i < 3; ++i)
            c[i] = side * Sign(Dot(bk, a.m_worldAxes[i])) * Extent(a.m_worldExtents, i);
        point = Blend(Moved(a.m_worldCenter, va, first), a.m_worldAxes, c);
        return true;
    }

    // An edge of A against an edge of B: the closest point of the two edge lines.
    const int i = (axisNumber - 7) / 3;
    const int j = (axisNumber - 7) % 3;
    const int i1 = (i + 1) % 3, i2 = (i + 2) % 3;
    const int j1 = (j + 1) % 3, j2 = (j + 2) % 3;
    double cm[3][3];
    for (int m = 0; m < 3; ++m)
        for (int n = 0; n < 3; ++n)
            cm[m][n] = Dot(a.m_worldAxes[m], b.m_worldAxes[n]);
    const QrPoint3 dt = Moved(d, u, first);
    const double xi1 = -side * Sign(cm[i2][j]) * Extent(a.m_worldExtents, i1);
    const double xi2 = side * Sign(cm[i1][j]) * Extent(a.m_worldExtents, i2);
    const double yj1 = -side * Sign(cm[i][j2]) * Extent(b.m_worldExtents, j1);
    const double yj2 = side * Sign(cm[i][j1]) * Extent(b.m_worldExtents, j2);
    const double denominator = 1.0 - cm[i][j] * cm[i][j];
    double xi = 0.0;
    if (denominator > 1e-6)
        xi = (Dot(dt, a.m_worldAxes[i]) + yj1 * cm[i][j1] + yj2 * cm[i][j2] +
              cm[i][j] * (xi1 * cm[i1][j] + xi2 * cm[i2][j] - Dot(dt, b.m_worldAxes[j]))) /
             denominator;
    c[i] = xi;
    c[i1] = xi1;
    c[i2] = xi2;
    point = Blend(Moved(a.m_worldCenter, va, first), a.m_worldAxes, c);
    return true;
}

void QrOBB::ContactNormal(const QrPoint3& point, QrPoint3& normal) const
{
    const QrPoint3& e = m_worldExtents;
    const double length = std::sqrt(Dot(e, e));
    if (length <= 1e-6 || e.x / length <= 0.0001)
    {
        normal = m_worldAxes[0];
        return;
    }
    if (e.y / length <= 0.0001)
    {
        normal = m_worldAxes[1];
        return;
    }
    if (e.z / length <= 0.0001)
    {
        normal = m_worldAxes[2];
        return;
    }
    // The gradient of the box's ellipsoid through the point, in world axes.
    const QrPoint3 q = point - m_worldCenter;
    double c[3];
    for (int i = 0; i < 3; ++i)
    {
        const double extent = Extent(e, i);
        c[i] = Dot(q, m_worldAxes[i]) / (extent * extent);
    }
    normal = Blend(QrPoint3::ZERO, m_worldAxes, c);
    normal.Unitize();
}

int32_t QrOBB::BoxContact(const QrOBB& other, QrAVObject* objectA, QrAVObject* objectB) const
{
    const QrPoint3& va = m_owner->GetVelocity();
    const QrPoint3& vb = other.m_owner->GetVelocity();
    const bool moving = !va.IsEqual(QrPoint3::ZERO) || !vb.IsEqual(QrPoint3::ZERO);

    QrContact contact;
    contact.m_objectA = objectA;
    contact.m_objectB = objectB;
    if (!moving)
    {
        contact.m_time = 0.0f;
        contact.m_point = (m_worldCenter + other.m_worldCenter) * 0.5f;
    }
    else if (!SeparatingAxisTest(other, contact.m_time, contact.m_point))
        return 0;

    // Each box is asked where it is at the time of contact.
    const double t = contact.m_time;
    ContactNormal(Moved(contact.m_point, va, -t), contact.m_normalA);
    other.ContactNormal(Moved(contact.m_point, vb, -t), contact.m_normalB);
    const QrPoint3 referenceA = moving ? vb : contact.m_point - other.m_worldCenter;
    const QrPoint3 referenceB = moving ? va : contact.m_point - m_worldCenter;
    if (Dot(contact.m_normalA, referenceA) >= 0.0)
        contact.m_normalA = -contact.m_normalA;
    if (Dot(contact.m_normalB, referenceB) > 0.0)
        contact.m_normalB = -contact.m_normalB;
    return ReportContact(contact);
}

int32_t QrOBB::ReportContact(QrContact& contact)
{
    // Looked up before the record is exchanged: the callbacks belong to the current instances.
    QrAVInstance* instanceA = contact.m_objectA ? contact.m_objectA->GetCurrentInstance() : nullptr;
    QrAVInstance* instanceB = contact.m_objectB ? contact.m_objectB->GetCurrentInstance() : nullptr;
    QrCollisionCallback callbackA = instanceA ? instanceA->m_collisionCallback : nullptr;
    QrCollisionCallback callbackB = instanceB ? instanceB->m_collisionCallback : nullptr;
    int32_t result = 0;
    if (callbackA && callbackA(&contact) != 0)
        result = 1;
    if (callbackB)
    {
        std::swap(contact.m_objectA, contact.m_objectB);
        std::swap(contact.m_normalA, contact.m_normalB);
        if (callbackB(&contact) != 0)
            result = 1;
    }
    return result;
}
