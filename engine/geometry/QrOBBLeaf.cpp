#include "QrOBBLeaf.h"

#include "QrCollisionData.h"
#include "QrContact.h"

#include <cmath>

namespace
{

struct Vec
{
    double x, y, z;
};

Vec ToVec(const QrPoint3& p)
{
    return {p.x, p.y, p.z};
}

QrPoint3 ToPoint(const Vec& v)
{
    return QrPoint3(float(v.x), float(v.y), float(v.z));
}

Vec Sub(const Vec& a, const Vec& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// a + b * s
Vec AddScaled(const Vec& a, const Vec& b, double s)
{
    return {a.x + b.x * s, a.y + b.y * s, a.z + b.z * s};
}

double Dot(const Vec& a, const Vec& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec Cross(const Vec& a, const Vec& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The triangle's plane and what the barycentric coordinates of a point in it need.
struct Triangle
{
    Vec w0, w1, w2;
    Vec normal;
    double constant = 0.0;
    Vec a, b;
    double aa = 0.0, bb = 0.0, ab = 0.0, determinant = 0.0;

    // False for a triangle without area: it has neither a plane nor coordinates.
    bool Set(const QrPoint3& p0, const QrPoint3& p1, const QrPoint3& p2)
    {
        w0 = ToVec(p0);
        w1 = ToVec(p1);
        w2 = ToVec(p2);
        normal = Cross(Sub(w2, w0), Sub(w1, w0));
        constant = Dot(normal, w0);
        a = Sub(w0, w2);
        b = Sub(w1, w2);
        aa = Dot(a, a);
        bb = Dot(b, b);
        ab = Dot(a, b);
        determinant = aa * bb - ab * ab;
        return Dot(normal, normal) > 0.0 && determinant != 0.0;
    }

    // Weights of w0, w1 and w2 (the last is 1 minus the others).
    void Barycentric(const Vec& p, double out[3]) const
    {
        const Vec q = Sub(p, w2);
        const double qa = Dot(q, a);
        const double qb = Dot(q, b);
        out[0] = (qa * bb - qb * ab) / determinant;
        out[1] = (qb * aa - qa * ab) / determinant;
        out[2] = 1.0 - out[0] - out[1];
    }
};

// Earliest time in [0, interval] at which the edge e0-e1, moving by velocity, meets the
// triangle (at rest); point is where, in the triangle's frame.
bool SweepEdge(const Vec& e0, const Vec& e1, const Vec& velocity, double interval, const Triangle& triangle,
               double& time, Vec& point)
{
    // The edge point at parameter s, time t, has plane value f0 + a s + b t.
    const Vec edge = Sub(e1, e0);
    const double f0 = Dot(triangle.normal, e0) - triangle.constant;
    const double a = Dot(triangle.normal, edge);
    const double b = Dot(triangle.normal, velocity);

    // The (s, t) segment, within s in [0, 1] and t in [0, interval], on which the edge is in the plane.
    double s0, t0, s1, t1;
    if (b == 0.0)
    {
        if (a == 0.0)
        {
            // Moving within (or parallel to) the plane: only an edge in the plane can touch, taken at the start.
            if (f0 != 0.0)
                return false;
            s0 = 0.0, s1 = 1.0, t0 = t1 = 0.0;
        }
        else
        {
            const double s = -f0 / a;
            if (s < 0.0 || s > 1.0)
                return false;
            s0 = s1 = s;
            t0 = 0.0, t1 = interval;
        }
    }
    else
    {
        const double ta = -f0 / b;
        const double tb = -(f0 + a) / b;
        double lo = 0.0, hi = 1.0;
        if (ta == tb)
        {
            if (ta < 0.0 || ta > interval)
                return false;
        }
        else
        {
            const double m0 = (0.0 - ta) / (tb - ta);
            const double m1 = (interval - ta) / (tb - ta);
            lo = std::fmax(lo, std::fmin(m0, m1));
            hi = std::fmin(hi, std::fmax(m0, m1));
            if (lo > hi)
                return false;
        }
        s0 = lo, t0 = ta + lo * (tb - ta);
        s1 = hi, t1 = ta + hi * (tb - ta);
    }

    // Along that segment the barycentric coordinates change linearly: keep where all are >= 0.
    const Vec q0 = AddScaled(AddScaled(e0, edge, s0), velocity, t0);
    const Vec q1 = AddScaled(AddScaled(e0, edge, s1), velocity, t1);
    double g0[3], g1[3];
    triangle.Barycentric(q0, g0);
    triangle.Barycentric(q1, g1);
    double lo = 0.0, hi = 1.0;
    for (int k = 0; k < 3; ++k)
    {
        if (g1[k] == g0[k])
        {
            if (g0[k] < 0.0)
                return false;
            continue;
        }
        const double m = -g0[k] / (g1[k] - g0[k]);
        if (g1[k] > g0[k])
            lo = std::fmax(lo, m);
        else
            hi = std::fmin(hi, m);
    }
    if (lo > hi)
        return false;
    const double m = t0 <= t1 ? lo : hi;
    time = t0 + m * (t1 - t0);
    point = AddScaled(q0, Sub(q1, q0), m);
    return true;
}

// Every edge of the moving triangle against the resting one; the earliest meeting wins.
bool SweepTriangle(const Vec moving[3], const Vec& velocity, double interval, const Triangle& resting, double& time,
                   Vec& point)
{
    static const int kEdges[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    bool found = false;
    for (const auto& edge : kEdges)
    {
        double t;
        Vec p;
        if (SweepEdge(moving[edge[0]], moving[edge[1]], velocity, interval, resting, t, p) && (!found || t < time))
        {
            found = true;
            time = t;
            point = p;
        }
    }
    return found;
}

} // namespace

std::unique_ptr<QrOBBLeaf> QrOBBLeaf::BuildFromTriangle(QrCollisionData* owner, const uint16_t* indices,
                                                        const QrPoint3* modelVertices, uint32_t triangle)
{
    auto leaf = std::make_unique<QrOBBLeaf>(owner);
    const uint32_t at = 3u * triangle;
    QrPoint3 p[3];
    for (int k = 0; k < 3; ++k)
    {
        leaf->m_vertexIndices[k] = indices[at + k];
        p[k] = modelVertices[indices[at + k]];
    }

    QrPoint3 center = (p[0] + p[1] + p[2]) * 0.33333334f;
    QrPoint3 axes[3];
    axes[0] = p[1] - p[0];
    axes[0].Unitize();
    const QrPoint3 side = p[2] - p[0];
    axes[1] = side - axes[0] * axes[0].Dot(side);
    axes[1].Unitize();
    axes[2] = axes[0].Cross(axes[1]);

    float low[3], high[3];
    for (int i = 0; i < 3; ++i)
    {
        low[i] = high[i] = (p[0] - center).Dot(axes[i]);
        for (int k = 1; k < 3; ++k)
        {
            const float s = (p[k] - center).Dot(axes[i]);
            low[i] = std::fmin(low[i], s);
            high[i] = std::fmax(high[i], s);
        }
    }
    const QrPoint3 extents((high[0] - low[0]) * 0.5f, (high[1] - low[1]) * 0.5f, (high[2] - low[2]) * 0.5f);
    QrPoint3 shift;
    for (int i = 0; i < 3; ++i)
        shift += axes[i] * ((high[i] + low[i]) * 0.5f);

    leaf->m_modelCenter = center + shift;
    for (int i = 0; i < 3; ++i)
        leaf->m_modelAxes[i] = axes[i];
    leaf->m_modelExtents = extents;
    QrMatrix3 identity;
    identity.MakeIdentity();
    leaf->Transform(identity, QrPoint3::ZERO, 1.0f);
    return leaf;
}

bool QrOBBLeaf::GetWorldVertex(int k, QrPoint3& vertex) const
{
    const QrPoint3* world = m_owner->GetWorldVertices();
    if (!world)
        return false;
    vertex = world[m_vertexIndices[k]];
    return true;
}

bool QrOBBLeaf::Test(QrOBB* other, int32_t budget, int32_t otherBudget)
{
    if (!other || !OverlapsMoving(*other))
        return false;
    if (other->IsLeaf() || otherBudget == 0 || !other->HasChildren())
        return true;
    return Test(other->GetFirstChild(), budget, otherBudget - 1) ||
           Test(other->GetSecondChild(), budget, otherBudget - 1);
}

int32_t QrOBBLeaf::Find(QrOBB* other, QrAVObject* objectA, QrAVObject* objectB, int32_t budget, int32_t otherBudget)
{
    if (!other || !OverlapsMoving(*other))
        return 0;
    if (!other->IsLeaf())
    {
        if (otherBudget == 0 || !other->HasChildren())
            return BoxContact(*other, objectA, objectB);
        if (Find(other->GetFirstChild(), objectA, objectB, budget, otherBudget - 1) == 1)
            return 1;
        return Find(other->GetSecondChild(), objectA, objectB, budget, otherBudget - 1) == 1 ? 1 : 0;
    }
    if (budget < 0 && otherBudget < 0)
        return TriangleContact(static_cast<const QrOBBLeaf&>(*other), objectA, objectB);
    return BoxContact(*other, objectA, objectB);
}

int32_t QrOBBLeaf::TriangleContact(const QrOBBLeaf& other, QrAVObject* objectA, QrAVObject* objectB) const
{
    QrPoint3 pa[3], pb[3];
    for (int k = 0; k < 3; ++k)
        if (!GetWorldVertex(k, pa[k]) || !other.GetWorldVertex(k, pb[k]))
            return 0;
    Triangle triangleA, triangleB;
    const bool planeA = triangleA.Set(pa[0], pa[1], pa[2]);
    const bool planeB = triangleB.Set(pb[0], pb[1], pb[2]);
    const Vec a[3] = {ToVec(pa[0]), ToVec(pa[1]), ToVec(pa[2])};
    const Vec b[3] = {ToVec(pb[0]), ToVec(pb[1]), ToVec(pb[2])};

    const QrPoint3& va = m_owner->GetVelocity();
    const QrPoint3& vb = other.m_owner->GetVelocity();
    const double interval = m_owner->GetTimeInterval();
    const Vec relative = Sub(ToVec(va), ToVec(vb));
    const Vec reverse = {-relative.x, -relative.y, -relative.z};

    // A's edges moving relative to B at rest, then B's relative to A; the earlier contact
    // wins, A's on a tie. Points come back in the resting triangle's time-0 frame.
    double timeA = 0.0, timeB = 0.0;
    Vec pointA{}, pointB{};
    const bool hitA = planeB && SweepTriangle(a, relative, interval, triangleB, timeA, pointA);
    const bool hitB = planeA && SweepTriangle(b, reverse, interval, triangleA, timeB, pointB);
    if (!hitA && !hitB)
        return 0;

    QrContact contact;
    contact.m_objectA = objectA;
    contact.m_objectB = objectB;
    double time;
    Vec point;
    if (hitA && (!hitB || timeA <= timeB))
    {
        time = timeA;
        point = AddScaled(pointA, ToVec(vb), timeA);
    }
    else
    {
        time = timeB;
        point = AddScaled(pointB, ToVec(va), timeB);
    }
    contact.m_time = float(time);
    contact.m_point = ToPoint(point);

    ContactNormal(ToPoint(AddScaled(point, ToVec(va), -time)), contact.m_normalA);
    other.ContactNormal(ToPoint(AddScaled(point, ToVec(vb), -time)), contact.m_normalB);
    if (contact.m_normalA.Dot(va) > 0.0f)
        contact.m_normalA = -contact.m_normalA;
    if (contact.m_normalB.Dot(vb) > 0.0f)
        contact.m_normalB = -contact.m_normalB;
    return ReportContact(contact);
}
