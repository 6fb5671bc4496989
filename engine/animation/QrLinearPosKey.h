#pragma once
// Position key interpolated along the straight line to the next key.

#include "QrAnimKey.h"

class QrLinearPosKey : public QrAnimKey
{
public:
    using QrAnimKey::QrAnimKey;

    uint32_t GetType() const override { return kTypeLinear; }
    std::unique_ptr<QrAnimKey> Clone() const override;
    QrAnimKey Interpolate(float s, const QrAnimKey& next) const override;
    QrPoint3 FirstDerivative(float s, const QrAnimKey& next) const override;
    QrPoint3 SecondDerivative(float s, const QrAnimKey& next) const override;
};
