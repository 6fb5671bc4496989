#pragma once
// Position key whose tangents come from tension, continuity and bias: the curve is the
// Bezier key's, with tangents computed from the neighbouring keys when the array is installed.

#include "QrBezierPosKey.h"

class QrTCBPosKey : public QrBezierPosKey
{
public:
    using QrBezierPosKey::QrBezierPosKey;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeTCB; }
    bool IsEqual(const QrAnimKey& other) const override;
    std::unique_ptr<QrAnimKey> Clone() const override;
    void FillDerivedValues(QrAnimKey* const* keys, int32_t count) override;

    float m_tension = 0.0f;
    float m_continuity = 0.0f;
    float m_bias = 0.0f;

private:
    // Both tangents, per component, from the neighbouring values and time intervals.
    void ComputeTangents(const QrPoint3& prev, const QrPoint3& next, float dtPrev, float dtNext);
};
