#include "QrParticleBomb.h"

#include "QrStream.h"

#include <algorithm>
#include <cmath>

QR_IMPLEMENT_RTTI(QrParticleBomb, QrForce)
QR_IMPLEMENT_CREATE(QrParticleBomb)

QrParticleBomb::QrParticleBomb() = default;

QrParticleBomb::~QrParticleBomb() = default;

void QrParticleBomb::Fields(QrStream& stream)
{
    stream.Field(m_range);
    stream.Field(m_duration);
    stream.Field(m_strength);
    stream.Field(m_startTime);
    stream.Field(m_falloff);
    stream.Field(m_symmetry);
    stream.Field(m_position.x);
    stream.Field(m_position.y);
    stream.Field(m_position.z);
    stream.Field(m_axis.x);
    stream.Field(m_axis.y);
    stream.Field(m_axis.z);
}

void QrParticleBomb::LoadBinary(QrStream& stream)
{
    QrForce::LoadBinary(stream);
    Fields(stream);
}

void QrParticleBomb::SaveBinary(QrStream& stream)
{
    QrForce::SaveBinary(stream);
    Fields(stream);
}

bool QrParticleBomb::IsEqual(const QrObject* other) const
{
    if (!QrForce::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrParticleBomb*>(other);
    return m_range == o->m_range && m_duration == o->m_duration && m_strength == o->m_strength &&
           m_startTime == o->m_startTime && m_falloff == o->m_falloff && m_symmetry == o->m_symmetry &&
           m_position == o->m_position && m_axis == o->m_axis;
}

QrPointer<QrForce> QrParticleBomb::Clone() const
{
    QrPointer<QrParticleBomb> clone(new QrParticleBomb);
    clone->m_range = m_range;
    clone->m_duration = m_duration;
    clone->m_strength = m_strength;
    clone->m_startTime = m_startTime;
    clone->m_falloff = m_falloff;
    clone->m_symmetry = m_symmetry;
    clone->m_position = m_position;
    clone->m_axis = m_axis;
    return clone;
}

bool QrParticleBomb::Apply(QrPoint3& position, QrPoint3& velocity, float& step, float time)
{
    const float from = std::max(m_startTime, time - step);
    const float to = std::min(m_startTime + m_duration, time);
    const float overlap = to - from;
    if (overlap <= 0.0f)
        return false;
    const QrPoint3 d = position - m_position;
    float distance = d.Length();
    // A falloff over no range would divide zero by zero.
    if (m_falloff != kFalloffNone && (distance > m_range || m_range <= 0.0f))
        return false;

    QrPoint3 push;
    if (m_symmetry == kSymmetrySpherical)
    {
        if (distance == 0.0f)
            return false;
        push = d / distance;
    }
    else if (m_symmetry == kSymmetryPlanar)
    {
        const float s = d.Dot(m_axis);
        distance = s < 0.0f ? -s : s;
        push = s < 0.0f ? -m_axis : m_axis;
    }
    else
    {
        const QrPoint3 radial = d - m_axis * d.Dot(m_axis);
        distance = radial.Length();
        push = distance != 0.0f ? radial / distance : radial;
    }

    float factor = 1.0f;
    if (m_falloff == kFalloffLinear)
        factor = (m_range - distance) / m_range;
    else if (m_falloff == kFalloffExponential)
        factor = std::exp(-distance / m_range);
    velocity += push * (factor * m_strength * overlap);
    return false;
}
