#pragma once
// Rotation key on a squad curve: each key carries the control quaternion (and control angle)
// that smooths the joint with its neighbours, derived when the array is installed.

#include "QrRotKey.h"

class QrBezierRotKey : public QrRotKey
{
public:
    using QrRotKey::QrRotKey;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeBezier; }
    bool IsEqual(const QrRotKey& other) const override;
    std::unique_ptr<QrRotKey> Clone() const override;
    QrRotKey Interpolate(float s, const QrRotKey& next) const override;
    void FillDerivedValues(QrRotKey* const* keys, int32_t count) override;

    QrQuaternion m_controlQuat{1.0f, 0.0f, 0.0f, 0.0f};
    float m_controlAngle = 0.0f;
};
