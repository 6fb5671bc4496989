#pragma once
// The projection frame the shadow and projected lights share: like a small camera looking from
// the light, a focus point at the centre of a width x height rectangle, the back, up and right
// axes, a projection centre (the eye), and the five planes of the volume it spans (four sides
// and a cap; a point is inside a plane when normal . point >= constant). Local values are the
// light's own; world values follow each world update of the light.

#include "QrMatrix3.h"
#include "QrPlane.h"
#include "QrPoint3.h"

#include <cstdint>

class QrStream;

class QrProjectionFrame
{
public:
    // Volume shapes.
    enum : uint32_t
    {
        kPyramid = 0, // from the projection centre through the rectangle, capped beyond it
        kBox = 1,     // around the line through the focus point parallel to focus - centre
    };
    static constexpr uint32_t kPlaneCount = 5;

    QrProjectionFrame();

    // World frame from the light's world rotation and translation (no scale), then the world
    // right axis as world up x world direction.
    void UpdateWorld(const QrMatrix3& rotation, const QrPoint3& translation);
    // The five planes for the mode; any other mode leaves them as they were.
    void UpdateVolumePlanes(uint32_t mode);

    // Stream fields, one list for both directions: the four local axes (focus, direction, up,
    // right), the projection centre, width and height; and, apart, the five planes.
    void AxesField(QrStream& stream);
    void PlanesField(QrStream& stream);
    // The streamed values (axes, centre, width, height, planes).
    bool IsEqual(const QrProjectionFrame& other) const;

    // Local values, written directly; set the right axis stale after changing direction or up.
    QrPoint3& GetLocalFocus() { return m_localFocus; }
    QrPoint3& GetLocalDirection() { return m_localDirection; }
    QrPoint3& GetLocalUp() { return m_localUp; }
    QrPoint3& GetLocalCenter() { return m_localCenter; }
    // Recomputed as up x direction when stale.
    const QrPoint3& GetLocalRight();
    void SetRightAxisStale() { m_rightStale = 1; }
    float& GetWidth() { return m_width; }
    float& GetHeight() { return m_height; }
    // Distance of the pyramid's cap beyond the rectangle; not streamed.
    float GetCapOffset() const { return m_capOffset; }
    void SetCapOffset(float offset) { m_capOffset = offset; }

    // Transposed world rotation: its rows are the light's world x, y and z axes.
    const QrMatrix3& GetWorldAxes() const { return m_worldAxes; }
    const QrPoint3& GetWorldFocus() const { return m_worldFocus; }
    const QrPoint3& GetWorldDirection() const { return m_worldDirection; }
    const QrPoint3& GetWorldUp() const { return m_worldUp; }
    const QrPoint3& GetWorldRight() const { return m_worldRight; }
    const QrPoint3& GetWorldCenter() const { return m_worldCenter; }
    const QrPlane& GetPlane(uint32_t index) const { return m_planes[index]; }
    const QrPlane* GetPlanes() const { return m_planes; }

private:
    QrPoint3 m_localFocus;
    QrPoint3 m_localDirection;
    QrPoint3 m_localUp;
    QrPoint3 m_localRight;
    uint8_t m_rightStale = 0;
    QrPoint3 m_localCenter;
    float m_width = 1.0f;
    float m_height = 1.0f;
    float m_capOffset = 0.01f;

    QrMatrix3 m_worldAxes;
    QrPoint3 m_worldFocus;
    QrPoint3 m_worldDirection;
    QrPoint3 m_worldUp;
    QrPoint3 m_worldRight;
    QrPoint3 m_worldCenter;
    QrPlane m_planes[kPlaneCount];
};
