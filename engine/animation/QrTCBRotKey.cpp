#include "QrTCBRotKey.h"

#include "QrAnimMath.h"
#include "QrStream.h"

namespace
{
float AngleOf(const QrQuaternion& q)
{
    float angle = 0.0f;
    QrPoint3 axis;
    q.ToAngleAxis(angle, axis);
    return angle;
}

QrQuaternion Weighted(double a, const QrQuaternion& p, double b, const QrQuaternion& q)
{
    return {float(a * p.w + b * q.w), float(a * p.x + b * q.x), float(a * p.y + b * q.y), float(a * p.z + b * q.z)};
}
} // namespace

void QrTCBRotKey::LoadBinary(QrStream& stream)
{
    QrRotKey::LoadBinary(stream);
    m_tension = stream.LoadF32();
    m_continuity = stream.LoadF32();
    m_bias = stream.LoadF32();
    m_quatA.LoadBinary(stream);
    m_quatB.LoadBinary(stream);
    if (stream.CompareVersion("2.14") > 0)
    {
        m_angleA = stream.LoadF32();
        m_angleB = stream.LoadF32();
    }
    else
    {
        m_angleA = AngleOf(m_quatA);
        m_angleB = AngleOf(m_quatB);
    }
}

void QrTCBRotKey::SaveBinary(QrStream& stream) const
{
    QrRotKey::SaveBinary(stream);
    stream.SaveF32(m_tension);
    stream.SaveF32(m_continuity);
    stream.SaveF32(m_bias);
    m_quatA.SaveBinary(stream);
    m_quatB.SaveBinary(stream);
    stream.SaveF32(m_angleA);
    stream.SaveF32(m_angleB);
}

bool QrTCBRotKey::IsEqual(const QrRotKey& other) const
{
    if (!IsBaseEqual(other))
        return false;
    const auto& o = static_cast<const QrTCBRotKey&>(other);
    return m_tension == o.m_tension && m_continuity == o.m_continuity && m_bias == o.m_bias &&
           m_quatA.IsEqual(o.m_quatA) && m_quatB.IsEqual(o.m_quatB) && m_angleA == o.m_angleA && m_angleB == o.m_angleB;
}

std::unique_ptr<QrRotKey> QrTCBRotKey::Clone() const
{
    auto clone = std::make_unique<QrTCBRotKey>(*this);
    clone->m_interpClass = kClassSlerp;
    return clone;
}

QrRotKey QrTCBRotKey::Interpolate(float s, const QrRotKey& next) const
{
    if (next.GetType() != kTypeTCB)
        return Blend(s, next, nullptr, nullptr, 0.0f, 0.0f);
    const auto& n = static_cast<const QrTCBRotKey&>(next);
    return Blend(s, next, &m_quatA, &n.m_quatB, m_angleA, n.m_angleB);
}

void QrTCBRotKey::ComputeControls(const QrRotKey& prev, const QrRotKey& next)
{
    const QrQuaternion g1 = QrQuaternion::Log(QrQuaternion::Inverse(prev.m_quat) * m_quat);
    const QrQuaternion g2 = QrQuaternion::Log(QrQuaternion::Inverse(m_quat) * next.m_quat);
    const double dIn = double(m_angle) - prev.m_angle;
    const double dOut = double(next.m_angle) - m_angle;
    const double interval = double(next.m_time) - prev.m_time;
    // Keys at one time have no interval to weight by; both sides then count equally.
    const double r = interval != 0.0 ? 1.0 / interval : 0.0;
    const double toPrev = (double(m_time) - prev.m_time) * r;
    const double toNext = (double(next.m_time) - m_time) * r;
    const double t = m_tension, c = m_continuity, b = m_bias;

    const double w1 = toPrev * (1.0 + b) * (1.0 + c) * (1.0 - t);
    const double w2 = toPrev * (1.0 - b) * (1.0 - c) * (1.0 - t);
    m_quatA = m_quat * QrQuaternion::Exp(Weighted(0.5 * w1, g1, 0.5 * (w2 - 1.0), g2));
    m_angleA = float(m_angle + 0.5 * ((w2 - 1.0) * dOut + w1 * dIn));

    const double u1 = toNext * (1.0 + b) * (1.0 - c) * (1.0 - t);
    const double u2 = toNext * (1.0 - b) * (1.0 + c) * (1.0 - t);
    m_quatB = m_quat * QrQuaternion::Exp(Weighted(0.5 * (1.0 - u1), g1, -0.5 * u2, g2));
    m_angleB = float(m_angle - 0.5 * ((u1 - 1.0) * dIn + u2 * dOut));
}

void QrTCBRotKey::FillDerivedValues(QrRotKey* const* keys, int32_t count)
{
    QrAnimMath::RotKeysPrepare(keys, count);
    if (count < 2)
        return;
    for (int32_t i = 0; i < count; ++i)
    {
        if (!keys[i] || keys[i]->GetType() != kTypeTCB)
            continue;
        // The ends stand in for their missing neighbour.
        const QrRotKey& prev = *keys[i > 0 ? i - 1 : 0];
        const QrRotKey& next = *keys[i + 1 < count ? i + 1 : i];
        static_cast<QrTCBRotKey*>(keys[i])->ComputeControls(prev, next);
    }
}
