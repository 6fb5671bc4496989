#pragma once
// Shapes and scene-file helpers shared by the geometry tests.

#include "PropertyTestHelpers.h"
#include "QrTestFixture.h"

#include "QrColorA.h"
#include "QrGeometryInstance.h"
#include "QrPlane.h"
#include "QrPointer.h"
#include "QrStream.h"
#include "QrTriShape.h"

#include <cstdint>
#include <vector>

namespace geomtest
{

// A shape whose protected parts a test may reach, saved under "QrTriShape".
class OpenShape : public QrTriShape
{
public:
    using QrTriShape::QrTriShape;

    void UpdateWorldNormals(QrAVInstance* instance) override
    {
        ++m_rebuilds;
        QrTriShape::UpdateWorldNormals(instance);
    }

    void DropPlanes() { m_planes.reset(); }
    uint16_t* Indices() { return m_indices.get(); }
    void BorrowColors(QrColorA* colors) { SetColors(colors, true); }
    void BorrowTextureCoords(QrPoint3* coords, uint16_t sets) { SetTextureCoords(coords, sets, true); }

    int m_rebuilds = 0;
};

// A unit square in the z = 0 plane, two triangles facing +z, with every attribute array.
inline QrPointer<OpenShape> MakeSquare(bool withNormals = true)
{
    const QrPoint3 vertices[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const QrPoint3 normals[] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    const QrPoint3 uv[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const QrColorA colors[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 0.5f}};
    return QrPointer<OpenShape>(new OpenShape(4, vertices, withNormals ? normals : nullptr, 2, indices, uv, colors));
}

inline QrGeometryInstance* GeometryInstance(QrAVInstance* instance)
{
    return static_cast<QrGeometryInstance*>(instance);
}

using proptest::Load;
using proptest::Save;

// The shared round trip (save, load, compare, save again), typed for the geometry tests.
template <class T> QrPointer<T> RoundTrip(QrObject* object)
{
    QrPointer<QrObject> loaded = proptest::RoundTrip(object);
    if (loaded)
    {
        EXPECT_TRUE(object->IsEqual(loaded.Get()));
    }
    return QrPointer<T>(QrDynamicCast<T>(loaded.Get()));
}

} // namespace geomtest
