#pragma once
// Abstract base of the geometry made of triangles: adds the per-vertex attributes the renderer
// consumes (texture-coordinate sets and colours) and one model-space plane per triangle, used
// for back-face culling and picking. How the triangles are formed from the vertices (an index
// list, a plain list, a strip) is the subclass's: everything that walks triangles goes through
// GetTriangleCount and GetTriangle.
//
// Plane convention: for a triangle p0, p1, p2 the normal is (p1 - p0) x (p2 - p1) and the
// constant is normal . p0; the normal may be unnormalised (only signs and ratios matter).

#include "QrGeometry.h"

#include <cstdint>
#include <memory>

class QrColorA;
class QrPlane;

class QrTriBasedGeom : public QrGeometry
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Bits of the borrowed-array word: a set bit means the array belongs to someone else.
    enum : uint32_t
    {
        kBorrowedColors = 1,
        kBorrowedTextureCoords = 2,
    };

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // The model data is transformed, then the planes follow it.
    void ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame) override;
    // Ray against the triangles of the instance, or of each instance in turn (QrTrianglePick).
    bool FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                           QrAVInstance* instance) override;
    bool SharesProperties(QrAVObject* other, uint32_t typeMask) override;

    // Triangles the normal, plane, pick and collision operations see.
    virtual uint16_t GetTriangleCount();
    // The vertex indices of triangle index; returns its plane, null (indices 0) when there is no
    // such triangle.
    virtual QrPlane* GetTriangle(uint16_t index, uint16_t& i0, uint16_t& i1, uint16_t& i2);
    // One plane per triangle from the vertices, unnormalised.
    virtual void UpdateTrianglePlanes() = 0;
    // Vertex normals from the stored planes instead of the vertices; the planes stay.
    virtual void CalculateNormalsFromPlanes() = 0;

    // Appends one set of vertex-count coordinates after the existing sets.
    void AddTextureSet(const QrPoint3* coordinates);

    uint16_t GetTextureSetCount() const { return m_textureSetCount; }
    // Set j, entry k at index j * vertex count + k; null when there are none.
    const QrPoint3* GetTextureCoords() const { return m_textureCoords; }
    QrPoint3* GetTextureCoords() { return m_textureCoords; }
    const QrColorA* GetColors() const { return m_colors; }
    QrColorA* GetColors() { return m_colors; }
    const QrPlane* GetPlanes() const { return m_planes.get(); }
    uint32_t GetBorrowedFlags() const { return m_borrowedFlags; }

protected:
    QrTriBasedGeom();
    // Copies every array; one texture set when coordinates are given. Planes start zero.
    QrTriBasedGeom(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, uint16_t triangleCount,
                   const QrPoint3* textureCoords, const QrColorA* colors);
    ~QrTriBasedGeom() override;

    // Plane array for the triangle count, made when missing.
    QrPlane* EnsurePlanes();
    // Normal array for the vertex count, made when missing, then cleared to zero.
    QrPoint3* ClearNormals();
    // Can triangle (i0, i1, i2) be read from the vertex array?
    bool IsValidTriangle(uint32_t i0, uint32_t i1, uint32_t i2) const;
    // Plane of triangle (i0, i1, i2) per the convention above; zero for an unreadable triangle.
    QrPlane MakePlane(uint32_t i0, uint32_t i1, uint32_t i2) const;
    // Over every allocated triangle: adds its unit face normal (from its vertices, or from its
    // stored plane) to its three vertex normals, then makes every vertex normal unit length (zero
    // when degenerate). Every triangle counts the same, whatever its area. From the vertices it
    // also stores each triangle's plane with the unit normal.
    void AccumulateNormals(bool fromPlanes);
    // The same over the first count triangles of a flat list of three indices each, for shapes
    // whose GetTriangle reads such a list: no virtual call per triangle.
    void AccumulateNormals(bool fromPlanes, const uint16_t* indices, uint32_t count);

    void SetColors(QrColorA* colors, bool borrowed);
    void SetTextureCoords(QrPoint3* coords, uint16_t setCount, bool borrowed);

    uint16_t m_triangleCount = 0;
    uint16_t m_textureSetCount = 0;
    // Owned unless the matching borrowed bit is set.
    QrPoint3* m_textureCoords = nullptr;
    QrColorA* m_colors = nullptr;
    std::unique_ptr<QrPlane[]> m_planes;
    uint32_t m_borrowedFlags = 0;

private:
    // triangles(t, i0, i1, i2) gives triangle t's indices, false when it has none.
    template <class Triangles> void AccumulateNormalsOver(bool fromPlanes, Triangles triangles);
};
