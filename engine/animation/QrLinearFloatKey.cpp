#include "QrLinearFloatKey.h"

#include "QrAnimMath.h"

std::unique_ptr<QrFloatKey> QrLinearFloatKey::Clone() const
{
    return std::make_unique<QrLinearFloatKey>(*this);
}

float QrLinearFloatKey::Interpolate(float s, const QrFloatKey& next) const
{
    return QrAnimMath::Lerp(s, m_value, next.m_value);
}
