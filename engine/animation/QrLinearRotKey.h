#pragma once
// Rotation key interpolated by slerp, or by angle about the axis for segments of whole turns.

#include "QrRotKey.h"

class QrLinearRotKey : public QrRotKey
{
public:
    using QrRotKey::QrRotKey;

    uint32_t GetType() const override { return kTypeLinear; }
    std::unique_ptr<QrRotKey> Clone() const override;
    QrRotKey Interpolate(float s, const QrRotKey& next) const override;
    void FillDerivedValues(QrRotKey* const* keys, int32_t count) override;
};
