#include "QrPlanarCollider.h"

#include "QrStream.h"

#include <cmath>

QR_IMPLEMENT_RTTI(QrPlanarCollider, QrForce)
QR_IMPLEMENT_CREATE(QrPlanarCollider)

QrPlanarCollider::QrPlanarCollider() = default;

QrPlanarCollider::~QrPlanarCollider() = default;

void QrPlanarCollider::Fields(QrStream& stream)
{
    stream.Field(m_distance);
    stream.Field(m_width);
    stream.Field(m_height);
    stream.Field(m_bounce);
    for (QrPoint3* p : {&m_position, &m_heightAxis, &m_widthAxis, &m_normal})
    {
        stream.Field(p->x);
        stream.Field(p->y);
        stream.Field(p->z);
    }
}

void QrPlanarCollider::LoadBinary(QrStream& stream)
{
    QrForce::LoadBinary(stream);
    Fields(stream);
}

void QrPlanarCollider::SaveBinary(QrStream& stream)
{
    QrForce::SaveBinary(stream);
    Fields(stream);
}

bool QrPlanarCollider::IsEqual(const QrObject* other) const
{
    if (!QrForce::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrPlanarCollider*>(other);
    return m_distance == o->m_distance && m_width == o->m_width && m_height == o->m_height && m_bounce == o->m_bounce &&
           m_position == o->m_position && m_heightAxis == o->m_heightAxis && m_widthAxis == o->m_widthAxis &&
           m_normal == o->m_normal;
}

QrPointer<QrForce> QrPlanarCollider::Clone() const
{
    QrPointer<QrPlanarCollider> clone(new QrPlanarCollider);
    clone->m_distance = m_distance;
    clone->m_width = m_width;
    clone->m_height = m_height;
    clone->m_bounce = m_bounce;
    clone->m_position = m_position;
    clone->m_heightAxis = m_heightAxis;
    clone->m_widthAxis = m_widthAxis;
    clone->m_normal = m_normal;
    return clone;
}

bool QrPlanarCollider::IsWithin(const QrPoint3& point) const
{
    const QrPoint3 r = point - m_position;
    const float a = r.Dot(m_heightAxis);
    const QrPoint3 w = r - m_heightAxis * a;
    return std::fabs(a) <= m_height / 2.0f && w.Dot(w) <= m_width * m_width / 4.0f;
}

bool QrPlanarCollider::Apply(QrPoint3& position, QrPoint3& velocity, float& step, float)
{
    const float side = m_normal.Dot(position) + m_distance;
    if (side > -kContactBand && side < kContactBand)
    {
        if (!IsWithin(position))
            return false;
        velocity -= m_normal * (m_bounce * velocity.Dot(m_normal));
        return true;
    }

    const QrPoint3 path = velocity * step;
    float q = path.Dot(m_normal);
    if (q > -kContactBand && q < kContactBand)
        return false;
    if (q > 0.0f)
    {
        m_normal = -m_normal;
        m_distance = -m_distance;
        q = -q;
    }
    const float t = -(m_normal.Dot(position) + m_distance) / q;
    if (t < 0.0f || t > 1.0f)
        return false;
    const QrPoint3 hit = position + path * t;
    if (!IsWithin(hit))
        return false;
    step = step - t * step;
    velocity = (velocity - m_normal * (2.0f * velocity.Dot(m_normal))) * m_bounce;
    position = hit;
    return true;
}
