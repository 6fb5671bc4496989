#pragma once
// Collider of a sphere that particles bounce off from outside or from inside. The squared
// radius is a field of its own, as stored: the inside/outside tests use it, the surface normal
// uses the radius.

#include "QrForce.h"

class QrSphericalCollider : public QrForce
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Distance from the surface within which a particle rests on it, and the shortest path a
    // step must cover to be tested.
    static constexpr float kContactBand = 0.001f;

    QrSphericalCollider();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    // The five scalar fields; the centre is not compared.
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrForce> Clone() const override;
    bool Apply(QrPoint3& position, QrPoint3& velocity, float& step, float time) override;

    float m_radius = 1.0f;
    float m_squaredRadius = 1.0f;
    float m_bounce = 1.0f;
    // Stored and compared; no test reads them.
    uint32_t m_reserved[2] = {0, 0};
    QrPoint3 m_center;

protected:
    ~QrSphericalCollider() override;

private:
    // The record, for both directions.
    void Fields(QrStream& stream);
};
