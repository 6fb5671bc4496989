#pragma once
// One triangle-shape instance that a shadow light casts onto: the shape (a counted reference),
// which of its instances, and its model box (centre, axes and half extents, from the shape's
// oriented-box fit), with room for the placement and planes a shadow consumer works out.
// Owned by the shadow light that collected it.

#include "QrMatrix3.h"
#include "QrPlane.h"
#include "QrPoint3.h"
#include "QrPointer.h"
#include "QrTriShape.h"

#include <cstdint>

class QrShadowReceiver
{
public:
    QrShadowReceiver(QrTriShape* shape, uint32_t instanceIndex);

    QrTriShape* GetShape() const { return m_shape.Get(); }
    // Index into the shape's instance records.
    uint32_t GetInstanceIndex() const { return m_instanceIndex; }
    const QrPoint3& GetBoxCenter() const { return m_boxCenter; }
    const QrPoint3& GetBoxAxis(uint32_t k) const { return m_boxAxes[k]; }
    float GetBoxExtent(uint32_t k) const { return m_boxExtents[k]; }

    QrMatrix3& GetRotation() { return m_rotation; }
    QrPoint3& GetOffset() { return m_offset; }
    QrPlane* GetPlanes() { return m_planes; }

private:
    QrPointer<QrTriShape> m_shape;
    uint32_t m_instanceIndex;
    QrPoint3 m_boxCenter;
    QrPoint3 m_boxAxes[3];
    float m_boxExtents[3] = {};
    QrMatrix3 m_rotation;
    QrPoint3 m_offset;
    QrPlane m_planes[5];
};
