#pragma once
// Unindexed triangle list: triangle i is made of vertices 3i, 3i + 1 and 3i + 2, so no vertex is
// shared and normals are flat. The leading active-count triangles are drawn, bounded,
// transformed and picked; normals, planes and collision data cover every allocated triangle.
// Scene files make these; the data constructor serves tools and tests.

#include "QrTriBasedGeom.h"

#include <cstdint>

class QrTriangles : public QrTriBasedGeom
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrTriangles();
    // Copies the arrays; 3 x triangleCount vertices (at most 21,845 triangles: vertex counts are
    // 16-bit), all triangles active, planes computed.
    QrTriangles(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                const QrPoint3* textureCoords, const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    // Over a temporary index list 0, 1, 2 ... of every allocated triangle.
    void CreateCollisionData(QrAVInstance* instance, uint32_t splitSize) override;
    bool UpdateWorldBound(QrAVInstance* instance) override;
    void UpdateWorldNormals(QrAVInstance* instance) override;
    // Flat: every vertex takes its triangle's unit normal; the planes become the unit ones.
    void CalculateNormals() override;
    // The active triangles that the vertices hold.
    uint16_t GetTriangleCount() override;
    QrPlane* GetTriangle(uint16_t index, uint16_t& i0, uint16_t& i1, uint16_t& i2) override;
    void UpdateTrianglePlanes() override;
    void CalculateNormalsFromPlanes() override;

    // Values beyond what the vertices hold draw only the triangles there are.
    uint16_t GetActiveTriangleCount() const { return m_activeTriangleCount; }
    void SetActiveTriangleCount(uint16_t count) { m_activeTriangleCount = count; }

protected:
    ~QrTriangles() override;

    // Active triangles limited to the vertices and planes present.
    uint16_t GetLiveTriangleCount() const;

    uint16_t m_activeTriangleCount = 0;
};
