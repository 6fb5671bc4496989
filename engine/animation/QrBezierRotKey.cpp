#include "QrBezierRotKey.h"

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

QrBezierRotKey* AsBezier(QrRotKey* key)
{
    return key && key->GetType() == QrRotKey::kTypeBezier ? static_cast<QrBezierRotKey*>(key) : nullptr;
}
} // namespace

void QrBezierRotKey::LoadBinary(QrStream& stream)
{
    QrRotKey::LoadBinary(stream);
    m_controlQuat.LoadBinary(stream);
    if (stream.CompareVersion("2.14") > 0)
        m_controlAngle = stream.LoadF32();
    else
        m_controlAngle = AngleOf(m_controlQuat);
}

void QrBezierRotKey::SaveBinary(QrStream& stream) const
{
    QrRotKey::SaveBinary(stream);
    m_controlQuat.SaveBinary(stream);
    stream.SaveF32(m_controlAngle);
}

bool QrBezierRotKey::IsEqual(const QrRotKey& other) const
{
    if (!IsBaseEqual(other))
        return false;
    const auto& o = static_cast<const QrBezierRotKey&>(other);
    return m_controlQuat.IsEqual(o.m_controlQuat) && m_controlAngle == o.m_controlAngle;
}

std::unique_ptr<QrRotKey> QrBezierRotKey::Clone() const
{
    auto clone = std::make_unique<QrBezierRotKey>(*this);
    clone->m_interpClass = kClassSlerp;
    return clone;
}

QrRotKey QrBezierRotKey::Interpolate(float s, const QrRotKey& next) const
{
    if (next.GetType() != kTypeBezier)
        return Blend(s, next, nullptr, nullptr, 0.0f, 0.0f);
    const auto& n = static_cast<const QrBezierRotKey&>(next);
    return Blend(s, next, &m_controlQuat, &n.m_controlQuat, m_controlAngle, n.m_controlAngle);
}

void QrBezierRotKey::FillDerivedValues(QrRotKey* const* keys, int32_t count)
{
    QrAnimMath::RotKeysPrepare(keys, count);
    if (count < 2)
        return;
    for (int32_t i = 0; i < count; ++i)
    {
        QrBezierRotKey* k = AsBezier(keys[i]);
        if (!k)
            continue;
        // The ends stand in for their missing neighbour.
        const QrRotKey& prev = *keys[i > 0 ? i - 1 : 0];
        const QrRotKey& next = *keys[i + 1 < count ? i + 1 : i];
        k->m_controlQuat = QrQuaternion::Intermediate(prev.m_quat, k->m_quat, next.m_quat);
        // The last key's control angle serves the segment that ends at it, so that segment's
        // class decides its form.
        const int32_t decidingClass = i + 1 < count ? k->m_interpClass : keys[i - 1]->m_interpClass;
        if (decidingClass == kClassFixedAxis || decidingClass == kClassAngleAxis)
            k->m_controlAngle = float((double(prev.m_angle) - 6.0 * k->m_angle + next.m_angle) * -0.25);
        else
            k->m_controlAngle = AngleOf(k->m_controlQuat);
    }
}
