#pragma once
// Shapes and scene-file helpers shared by the geometry tests.

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

inline std::vector<uint8_t> SaveObjects(const std::vector<QrObject*>& topLevel)
{
    QrStream stream;
    for (QrObject* object : topLevel)
        stream.InsertTopLevelObject(object);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(stream.SaveToMemory(bytes));
    return bytes;
}

// The top-level objects of the file, held after the stream is gone; empty when it fails.
inline std::vector<QrPointer<QrObject>> LoadObjects(const std::vector<uint8_t>& bytes)
{
    QrStream stream;
    std::vector<QrPointer<QrObject>> out;
    if (!stream.LoadFromMemory(bytes.data(), bytes.size()))
        return out;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
        out.emplace_back(stream.GetTopLevelAt(i));
    return out;
}

// Save, load, compare, save again; the loaded object, or null when it did not load.
template <class T> QrPointer<T> RoundTrip(QrObject* object)
{
    const std::vector<uint8_t> first = SaveObjects({object});
    std::vector<QrPointer<QrObject>> loaded = LoadObjects(first);
    if (loaded.size() != 1)
    {
        ADD_FAILURE() << "did not load back: " << QrStream::LastErrorMessage << " (" << QrStream::LastErrorContext
                      << ")";
        return nullptr;
    }
    EXPECT_TRUE(loaded[0]->IsEqual(object));
    EXPECT_TRUE(object->IsEqual(loaded[0].Get()));
    EXPECT_EQ(SaveObjects({loaded[0].Get()}), first);
    return QrPointer<T>(QrDynamicCast<T>(loaded[0].Get()));
}

} // namespace geomtest
