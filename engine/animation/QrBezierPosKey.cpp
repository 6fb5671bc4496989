#include "QrBezierPosKey.h"

#include "QrStream.h"

#include <cmath>

namespace
{
QrPoint3 Combine(double a, const QrPoint3& p, double b, const QrPoint3& q, double c, const QrPoint3& r)
{
    return {float(a * p.x + b * q.x + c * r.x), float(a * p.y + b * q.y + c * r.y), float(a * p.z + b * q.z + c * r.z)};
}
} // namespace

void QrBezierPosKey::LoadBinary(QrStream& stream)
{
    QrAnimKey::LoadBinary(stream);
    m_inTangent.LoadBinary(stream);
    m_outTangent.LoadBinary(stream);
    m_coefB.LoadBinary(stream);
    m_coefA.LoadBinary(stream);
}

void QrBezierPosKey::SaveBinary(QrStream& stream) const
{
    QrAnimKey::SaveBinary(stream);
    m_inTangent.SaveBinary(stream);
    m_outTangent.SaveBinary(stream);
    m_coefB.SaveBinary(stream);
    m_coefA.SaveBinary(stream);
}

bool QrBezierPosKey::AreCurveFieldsEqual(const QrBezierPosKey& o) const
{
    return m_inTangent.IsEqual(o.m_inTangent) && m_outTangent.IsEqual(o.m_outTangent) && m_coefB.IsEqual(o.m_coefB) &&
           m_coefA.IsEqual(o.m_coefA);
}

bool QrBezierPosKey::IsEqual(const QrAnimKey& other) const
{
    return IsBaseEqual(other) && AreCurveFieldsEqual(static_cast<const QrBezierPosKey&>(other));
}

std::unique_ptr<QrAnimKey> QrBezierPosKey::Clone() const
{
    return std::make_unique<QrBezierPosKey>(*this);
}

QrAnimKey QrBezierPosKey::Interpolate(float s, const QrAnimKey&) const
{
    const double ds = s;
    const auto axis = [&](float a, float b, float out, float p0) { return float(((a * ds + b) * ds + out) * ds + p0); };
    return QrAnimKey(s, {axis(m_coefA.x, m_coefB.x, m_outTangent.x, m_value.x),
                         axis(m_coefA.y, m_coefB.y, m_outTangent.y, m_value.y),
                         axis(m_coefA.z, m_coefB.z, m_outTangent.z, m_value.z)});
}

QrPoint3 QrBezierPosKey::FirstDerivative(float s, const QrAnimKey&) const
{
    const double ds = s;
    const auto axis = [&](float a, float b, float out) { return float((3.0 * a * ds + 2.0 * b) * ds + out); };
    return {axis(m_coefA.x, m_coefB.x, m_outTangent.x), axis(m_coefA.y, m_coefB.y, m_outTangent.y),
            axis(m_coefA.z, m_coefB.z, m_outTangent.z)};
}

QrPoint3 QrBezierPosKey::SecondDerivative(float s, const QrAnimKey&) const
{
    return Combine(6.0 * s, m_coefA, 2.0, m_coefB, 0.0, QrPoint3::ZERO);
}

QrBezierPosKey* QrBezierPosKey::AsCurveKey(QrAnimKey* key)
{
    if (!key || (key->GetType() != kTypeBezier && key->GetType() != kTypeTCB))
        return nullptr;
    return static_cast<QrBezierPosKey*>(key);
}

void QrBezierPosKey::ComputeCoefficients(QrAnimKey* const* keys, int32_t count)
{
    for (int32_t i = 0; i + 1 < count; ++i)
    {
        QrBezierPosKey* k = AsCurveKey(keys[i]);
        const QrBezierPosKey* next = AsCurveKey(keys[i + 1]);
        if (!k || !next)
            continue;
        const QrPoint3 d = next->m_value - k->m_value;
        // coefB = 3D - 2 T0 - T1, coefA = T0 + T1 - 2D.
        k->m_coefB = Combine(3.0, d, -2.0, k->m_outTangent, -1.0, next->m_inTangent);
        k->m_coefA = Combine(1.0, k->m_outTangent, 1.0, next->m_inTangent, -2.0, d);
    }
}

void QrBezierPosKey::FillDerivedValues(QrAnimKey* const* keys, int32_t count)
{
    ComputeCoefficients(keys, count);
}

float QrBezierPosKey::MaxCurvature(QrAnimKey* const* keys, int32_t count) const
{
    float best = 0.0f;
    for (int32_t i = 0; i + 1 < count; ++i)
    {
        const QrAnimKey& k = *keys[i];
        const QrAnimKey& next = *keys[i + 1];
        for (int j = 0; j <= 20; ++j)
        {
            const float s = float(j) * 0.05f;
            const QrPoint3 d1 = k.FirstDerivative(s, next);
            const QrPoint3 d2 = k.SecondDerivative(s, next);
            // A zero derivative gives NaN, which never wins the comparison.
            const float curvature = d1.Cross(d2).Length() / d1.Dot(d1);
            if (curvature > best)
                best = curvature;
        }
    }
    return best;
}
