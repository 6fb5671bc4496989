#pragma once
// One unindexed triangle strip: every vertex after the second makes a triangle with the two
// before it, odd triangles turned round so that all keep the strip's winding: triangle k is
// (k, k + 1, k + 2) for even k and (k, k + 2, k + 1) for odd k. The leading active-count
// vertices are drawn, bounded, transformed and picked; normals (smooth along the strip), planes
// and collision data cover every allocated triangle. Scene files make these; the data
// constructor serves tools and tests.

#include "QrTriBasedGeom.h"

#include <cstdint>

class QrTriStrip : public QrTriBasedGeom
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrTriStrip();
    // Copies the arrays; vertexCount - 2 triangles (none below three vertices), all vertices
    // active, planes computed.
    QrTriStrip(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, const QrPoint3* textureCoords,
               const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // RenderTristrips with active vertices - 2 triangles; 0 below three active vertices.
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    // Over a temporary index list of every allocated triangle in strip winding.
    void CreateCollisionData(QrAVInstance* instance, uint32_t splitSize) override;
    bool UpdateWorldBound(QrAVInstance* instance) override;
    void UpdateWorldNormals(QrAVInstance* instance) override;
    // Unit face normals summed at each vertex, then made unit length.
    void CalculateNormals() override;
    // Active vertices - 2 (0 below three).
    uint16_t GetTriangleCount() override;
    QrPlane* GetTriangle(uint16_t index, uint16_t& i0, uint16_t& i1, uint16_t& i2) override;
    void UpdateTrianglePlanes() override;
    void CalculateNormalsFromPlanes() override;

    // Values beyond the vertex count draw only the vertices there are.
    uint16_t GetActiveVertexCount() const { return m_activeVertexCount; }
    void SetActiveVertexCount(uint16_t count) { m_activeVertexCount = count; }

protected:
    ~QrTriStrip() override;

    // Active vertices limited to those present.
    uint16_t GetLiveVertexCount() const;

    uint16_t m_activeVertexCount = 0;
};
