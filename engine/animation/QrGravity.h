#pragma once
// Force pulling particles towards a point (point gravity) or along a direction, optionally
// weakening with distance (exponential decay).

#include "QrForce.h"

class QrGravity : public QrForce
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    enum : uint32_t
    {
        kTypeDirectional = 0,
        kTypePoint = 1, // any other value is directional
    };

    // Velocity change per unit of strength and second.
    static constexpr float kFactor = 0.16f;

    QrGravity();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrForce> Clone() const override;
    bool Apply(QrPoint3& position, QrPoint3& velocity, float& step, float time) override;

    float m_decay = 0.0f;
    float m_strength = 1.0f;
    uint32_t m_type = kTypeDirectional;
    QrPoint3 m_position;
    QrPoint3 m_direction;

protected:
    ~QrGravity() override;

private:
    // The record, for both directions.
    void Fields(QrStream& stream);
};
