#pragma once
// Collider of a bounded rectangle in the plane normal . x + distance = 0, centred at the
// position, height along the height axis. A particle that comes from behind turns the plane
// round for good (normal and distance are stored negated), so the collider then faces it.

#include "QrForce.h"

class QrPlanarCollider : public QrForce
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Distance from the plane within which a particle rests on it, and the smallest motion
    // across the plane that is tested.
    static constexpr float kContactBand = 0.001f;

    QrPlanarCollider();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrForce> Clone() const override;
    bool Apply(QrPoint3& position, QrPoint3& velocity, float& step, float time) override;

    float m_distance = 0.0f;
    float m_width = 1.0f;
    float m_height = 1.0f;
    float m_bounce = 1.0f;
    QrPoint3 m_position;
    QrPoint3 m_heightAxis;
    // Stored and compared; the width is measured across the height axis instead.
    QrPoint3 m_widthAxis;
    QrPoint3 m_normal;

protected:
    ~QrPlanarCollider() override;

private:
    // The record, for both directions.
    void Fields(QrStream& stream);
    // Does point lie within the rectangle (measured in the plane's frame)?
    bool IsWithin(const QrPoint3& point) const;
};
