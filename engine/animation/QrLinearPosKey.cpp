#include "QrLinearPosKey.h"

#include "QrAnimMath.h"

std::unique_ptr<QrAnimKey> QrLinearPosKey::Clone() const
{
    return std::make_unique<QrLinearPosKey>(*this);
}

QrAnimKey QrLinearPosKey::Interpolate(float s, const QrAnimKey& next) const
{
    return QrAnimKey(s, QrAnimMath::Lerp(s, m_value, next.m_value));
}

QrPoint3 QrLinearPosKey::FirstDerivative(float, const QrAnimKey& next) const
{
    return next.m_value - m_value;
}

QrPoint3 QrLinearPosKey::SecondDerivative(float, const QrAnimKey&) const
{
    return QrPoint3::ZERO;
}
