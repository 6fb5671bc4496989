#pragma once
// Indexed triangle mesh: three 16-bit vertex indices per triangle. The workhorse of scene files;
// the game also builds shapes from arrays (sky dome, plants, water), which the data constructor
// copies. Files that omit the planes get them computed when they load; files whose indices point
// past the vertices are refused.

#include "QrTriBasedGeom.h"

#include <cstdint>
#include <memory>

class QrTriShape : public QrTriBasedGeom
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Empty shape, for loading and for subclasses.
    QrTriShape();
    // Copies every array (the caller keeps its own); indices holds 3 x triangleCount entries.
    // Texture coordinates make one set. The planes are computed.
    QrTriShape(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, uint16_t triangleCount,
               const uint16_t* indices, const QrPoint3* textureCoords, const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    // Collision data over the index list for the instance (null: every instance) that has none.
    void CreateCollisionData(QrAVInstance* instance, uint32_t splitSize) override;
    // RemoveDegenerateTriangles; the flags are not used.
    bool Optimize(uint32_t flags) override;
    // Only between plain QrTriShapes (exact class, both sides) of the same attribute layout.
    bool SharesProperties(QrAVObject* other, uint32_t typeMask) override;
    // One new plain shape of the group's triangles in order, with this shape's layout and its
    // properties shared; null when the group cannot be joined (an element that is not a plain
    // shape of this layout, or totals beyond 65,535 vertices or triangles).
    void CreateMerged(QrPointer<QrAVObject>& out, QrTArray<QrAVObject>& group) override;
    // Unit face normals averaged at each vertex; the planes become the unit face planes.
    void CalculateNormals() override;
    uint16_t GetTriangleCount() override;
    // Final: the normal accumulation reads the index list directly, as this does.
    QrPlane* GetTriangle(uint16_t index, uint16_t& i0, uint16_t& i1, uint16_t& i2) final;
    void UpdateTrianglePlanes() override;
    void CalculateNormalsFromPlanes() override;

    // Drops the triangles that are not usable and welds vertices equal in every attribute.
    // True when no usable triangle is left (the shape is then unchanged). Only plain shapes are
    // touched: subclasses may keep per-vertex data of their own, so they answer false as they are.
    bool RemoveDegenerateTriangles();
    // Swaps the first and third index of every triangle, so the shape faces the other way, and
    // refreshes the planes; the normals are the caller's to recompute.
    void ReverseWinding();

    uint32_t GetIndexCount() const { return m_indexCount; }
    const uint16_t* GetIndices() const { return m_indices.get(); }

protected:
    ~QrTriShape() override;

    // Always 3 x the triangle count.
    uint32_t m_indexCount = 0;
    std::unique_ptr<uint16_t[]> m_indices;

private:
    // Triangles with all three indices in the list.
    uint32_t GetListedTriangleCount() const;
};
