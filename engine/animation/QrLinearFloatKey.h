#pragma once
// Float key interpolated linearly to the next key.

#include "QrFloatKey.h"

class QrLinearFloatKey : public QrFloatKey
{
public:
    using QrFloatKey::QrFloatKey;

    uint32_t GetType() const override { return kTypeLinear; }
    std::unique_ptr<QrFloatKey> Clone() const override;
    float Interpolate(float s, const QrFloatKey& next) const override;
};
