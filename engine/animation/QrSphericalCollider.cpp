#include "QrSphericalCollider.h"

#include "QrStream.h"

#include <cmath>

QR_IMPLEMENT_RTTI(QrSphericalCollider, QrForce)
QR_IMPLEMENT_CREATE(QrSphericalCollider)

QrSphericalCollider::QrSphericalCollider() = default;

QrSphericalCollider::~QrSphericalCollider() = default;

void QrSphericalCollider::Fields(QrStream& stream)
{
    stream.Field(m_radius);
    stream.Field(m_squaredRadius);
    stream.Field(m_bounce);
    stream.Field(m_reserved[0]);
    stream.Field(m_reserved[1]);
    stream.Field(m_center.x);
    stream.Field(m_center.y);
    stream.Field(m_center.z);
}

void QrSphericalCollider::LoadBinary(QrStream& stream)
{
    QrForce::LoadBinary(stream);
    Fields(stream);
}

void QrSphericalCollider::SaveBinary(QrStream& stream)
{
    QrForce::SaveBinary(stream);
    Fields(stream);
}

bool QrSphericalCollider::IsEqual(const QrObject* other) const
{
    if (!QrForce::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrSphericalCollider*>(other);
    return m_radius == o->m_radius && m_squaredRadius == o->m_squaredRadius && m_bounce == o->m_bounce &&
           m_reserved[0] == o->m_reserved[0] && m_reserved[1] == o->m_reserved[1];
}

QrPointer<QrForce> QrSphericalCollider::Clone() const
{
    QrPointer<QrSphericalCollider> clone(new QrSphericalCollider);
    clone->m_radius = m_radius;
    clone->m_squaredRadius = m_squaredRadius;
    clone->m_bounce = m_bounce;
    clone->m_reserved[0] = m_reserved[0];
    clone->m_reserved[1] = m_reserved[1];
    clone->m_center = m_center;
    return clone;
}

bool QrSphericalCollider::Apply(QrPoint3& position, QrPoint3& velocity, float& step, float)
{
    const QrPoint3 r = m_center - position;
    const float r2 = r.Dot(r);
    const float length = std::sqrt(r2);
    // Resting on the surface: only the motion along the surface is kept. (At the centre of a
    // sphere too small for the band there is no normal to take.)
    if (length > m_radius - kContactBand && length < m_radius + kContactBand && length > 0.0f)
    {
        const QrPoint3 n = r / length;
        velocity -= n * velocity.Dot(n);
        return true;
    }

    const QrPoint3 path = velocity * step;
    const float pathLength = path.Length();
    if (pathLength <= kContactBand)
        return false;
    const QrPoint3 u = path / pathLength;
    const float b = u.Dot(r);
    const bool inside = r2 < m_squaredRadius;
    if (b < 0.0f && !inside)
        return false;
    const float disc = m_squaredRadius - r2 + b * b;
    if (disc < 0.0f && !inside)
        return false;
    const float s = std::sqrt(disc);
    const float h = inside ? b + s : b - s;
    if (h > pathLength)
        return false;

    const QrPoint3 hit = position + u * h;
    step = step - (h / pathLength) * step;
    QrPoint3 m = (hit - m_center) / m_radius;
    if (inside)
        m = -m;
    velocity = (velocity - m * (2.0f * velocity.Dot(m))) * m_bounce;
    position = hit;
    return true;
}
