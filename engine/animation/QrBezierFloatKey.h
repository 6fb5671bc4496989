#pragma once
// Float key on a Hermite segment: this key's outgoing tangent and the next key's incoming one.
// The TCB and morph keys derive from it, since they evaluate the same segment.

#include "QrFloatKey.h"

class QrBezierFloatKey : public QrFloatKey
{
public:
    using QrFloatKey::QrFloatKey;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeBezier; }
    bool IsEqual(const QrFloatKey& other) const override;
    std::unique_ptr<QrFloatKey> Clone() const override;
    float Interpolate(float s, const QrFloatKey& next) const override;

    float m_inTangent = 0.0f;
    float m_outTangent = 0.0f;

protected:
    // The incoming tangent of a key of any tangent-carrying type; 0 for a linear key.
    static float IncomingTangent(const QrFloatKey& key);
};
