#include "QrLinearRotKey.h"

#include "QrAnimMath.h"

std::unique_ptr<QrRotKey> QrLinearRotKey::Clone() const
{
    auto clone = std::make_unique<QrLinearRotKey>(*this);
    clone->m_interpClass = kClassSlerp;
    return clone;
}

QrRotKey QrLinearRotKey::Interpolate(float s, const QrRotKey& next) const
{
    return Blend(s, next, nullptr, nullptr, 0.0f, 0.0f);
}

void QrLinearRotKey::FillDerivedValues(QrRotKey* const* keys, int32_t count)
{
    QrAnimMath::RotKeysPrepare(keys, count);
}
