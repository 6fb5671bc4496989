#include "QrGravity.h"

#include "QrStream.h"

#include <cmath>

QR_IMPLEMENT_RTTI(QrGravity, QrForce)
QR_IMPLEMENT_CREATE(QrGravity)

QrGravity::QrGravity() = default;

QrGravity::~QrGravity() = default;

void QrGravity::Fields(QrStream& stream)
{
    stream.Field(m_decay);
    stream.Field(m_strength);
    stream.Field(m_type);
    stream.Field(m_position.x);
    stream.Field(m_position.y);
    stream.Field(m_position.z);
    stream.Field(m_direction.x);
    stream.Field(m_direction.y);
    stream.Field(m_direction.z);
}

void QrGravity::LoadBinary(QrStream& stream)
{
    QrForce::LoadBinary(stream);
    Fields(stream);
}

void QrGravity::SaveBinary(QrStream& stream)
{
    QrForce::SaveBinary(stream);
    Fields(stream);
}

bool QrGravity::IsEqual(const QrObject* other) const
{
    if (!QrForce::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrGravity*>(other);
    return m_decay == o->m_decay && m_strength == o->m_strength && m_type == o->m_type && m_position == o->m_position &&
           m_direction == o->m_direction;
}

QrPointer<QrForce> QrGravity::Clone() const
{
    QrPointer<QrGravity> clone(new QrGravity);
    clone->m_decay = m_decay;
    clone->m_strength = m_strength;
    clone->m_type = m_type;
    clone->m_position = m_position;
    clone->m_direction = m_direction;
    return clone;
}

bool QrGravity::Apply(QrPoint3& position, QrPoint3& velocity, float& step, float)
{
    if (m_type == kTypePoint)
    {
        QrPoint3 n = position - m_position;
        const float length = n.Length();
        if (length != 0.0f)
            n = n / length;
        const float falloff = m_decay == 0.0f ? 1.0f : std::exp(-m_decay * length);
        velocity -= n * (falloff * m_strength * step * kFactor);
        return false;
    }
    const float falloff = m_decay == 0.0f ? 1.0f : std::exp(-m_decay * m_direction.Dot(position));
    velocity -= m_direction * (falloff * m_strength * step * kFactor);
    return false;
}
