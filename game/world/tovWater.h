#pragma once
// The water plane of the fishing scene as the scene root needs it: a flat translucent square
// at y = 0 centred on the origin, seen from above or, once switched, from below. The animated
// surface with its wave patches and rings replaces the inside of this class.

#include "QrNode.h"
#include "QrPointer.h"

class QrTriShape;

class tovWater : public QrNode
{
    QR_DECLARE_RTTI

public:
    // halfSize: half the side of the square, in world units.
    explicit tovWater(float halfSize = 16.0f);

    // Turns the surface to face the camera's side; the same value twice changes nothing.
    void SetUnderwater(bool below);
    bool IsUnderwater() const { return m_below != 0; }

protected:
    ~tovWater() override;

private:
    // The square wound to face up (+y) or down.
    QrPointer<QrTriShape> m_up;
    QrPointer<QrTriShape> m_down;
    uint8_t m_below = 0;
};
