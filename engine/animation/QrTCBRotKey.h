#pragma once
// Rotation key on a squad curve whose control quaternions (and angles) come from tension,
// continuity and bias with the neighbouring keys, derived when the array is installed.

#include "QrRotKey.h"

class QrTCBRotKey : public QrRotKey
{
public:
    using QrRotKey::QrRotKey;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeTCB; }
    bool IsEqual(const QrRotKey& other) const override;
    std::unique_ptr<QrRotKey> Clone() const override;
    QrRotKey Interpolate(float s, const QrRotKey& next) const override;
    void FillDerivedValues(QrRotKey* const* keys, int32_t count) override;

    // The outgoing (A) and incoming (B) controls of this key from its neighbours.
    void ComputeControls(const QrRotKey& prev, const QrRotKey& next);

    float m_tension = 0.0f;
    float m_continuity = 0.0f;
    float m_bias = 0.0f;
    QrQuaternion m_quatA{1.0f, 0.0f, 0.0f, 0.0f};
    QrQuaternion m_quatB{1.0f, 0.0f, 0.0f, 0.0f};
    float m_angleA = 0.0f;
    float m_angleB = 0.0f;
};
