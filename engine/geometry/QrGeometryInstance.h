#pragma once
// The world state a geometry object has under one parent: the positioned object's record plus
// world-space copies of the vertices and normals. The copies are made on first use and rebuilt
// only while the base record's stale flag is set (by a world update or a vertex change).
// Owned by the geometry's instance array; owns its collision data.

#include "QrAVInstance.h"
#include "QrCollisionData.h"
#include "QrPoint3.h"

#include <cstdint>
#include <memory>
#include <utility>

class QrGeometryInstance : public QrAVInstance
{
public:
    QrGeometryInstance() = default;

    // Makes room for count points; keeps the array when it is already large enough, so a
    // geometry whose vertex count grows never writes past an older, shorter copy.
    QrPoint3* ReserveWorldVertices(uint32_t count);
    QrPoint3* ReserveWorldNormals(uint32_t count);

    // Null until first made.
    QrPoint3* GetWorldVertices() const { return m_worldVertices.get(); }
    QrPoint3* GetWorldNormals() const { return m_worldNormals.get(); }

    // Made on demand by the triangle geometry; null until then.
    QrCollisionData* GetCollisionData() const { return m_collisionData.get(); }
    void SetCollisionData(std::unique_ptr<QrCollisionData> data) { m_collisionData = std::move(data); }

private:
    static QrPoint3* Reserve(std::unique_ptr<QrPoint3[]>& array, uint32_t& capacity, uint32_t count);

    std::unique_ptr<QrPoint3[]> m_worldVertices;
    std::unique_ptr<QrPoint3[]> m_worldNormals;
    uint32_t m_vertexCapacity = 0;
    uint32_t m_normalCapacity = 0;
    std::unique_ptr<QrCollisionData> m_collisionData;
};
