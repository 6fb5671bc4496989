#include "QrBezierFloatKey.h"

#include "QrAnimMath.h"
#include "QrStream.h"

void QrBezierFloatKey::LoadBinary(QrStream& stream)
{
    QrFloatKey::LoadBinary(stream);
    m_inTangent = stream.LoadF32();
    m_outTangent = stream.LoadF32();
}

void QrBezierFloatKey::SaveBinary(QrStream& stream) const
{
    QrFloatKey::SaveBinary(stream);
    stream.SaveF32(m_inTangent);
    stream.SaveF32(m_outTangent);
}

bool QrBezierFloatKey::IsEqual(const QrFloatKey& other) const
{
    if (!IsBaseEqual(other))
        return false;
    const auto& o = static_cast<const QrBezierFloatKey&>(other);
    return m_inTangent == o.m_inTangent && m_outTangent == o.m_outTangent;
}

std::unique_ptr<QrFloatKey> QrBezierFloatKey::Clone() const
{
    return std::make_unique<QrBezierFloatKey>(*this);
}

float QrBezierFloatKey::IncomingTangent(const QrFloatKey& key)
{
    switch (key.GetType())
    {
    case kTypeBezier:
    case kTypeTCB:
    case kTypeMorphWeights:
    case kTypeMorphTarget:
        return static_cast<const QrBezierFloatKey&>(key).m_inTangent;
    default:
        return 0.0f;
    }
}

float QrBezierFloatKey::Interpolate(float s, const QrFloatKey& next) const
{
    return QrAnimMath::Hermite(s, m_value, m_outTangent, next.m_value, IncomingTangent(next));
}
