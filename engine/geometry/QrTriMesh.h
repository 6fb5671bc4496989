#pragma once
// The arrays of an indexed triangle mesh as plain owned copies: the work area of the clean-up
// (degenerate triangles out, vertices equal in every attribute welded) and of joining shapes
// into one. Absent attributes are empty arrays.

#include "QrColorA.h"
#include "QrPoint3.h"
#include "QrTArray.h"

#include <cstdint>
#include <vector>

class QrAVObject;
class QrTriShape;

class QrTriMesh
{
public:
    QrTriMesh() = default;
    // Copies the shape's arrays.
    explicit QrTriMesh(const QrTriShape& shape);

    // Not usable: two equal indices, an edge of squared length below 1e-30, edges from p0 whose
    // squared lengths differ by a factor beyond 1e7, or an angle at p0 too close to 0 or 180 degrees.
    static bool IsValidTriangle(uint16_t i0, uint16_t i1, uint16_t i2, const QrPoint3& p0, const QrPoint3& p1,
                                const QrPoint3& p2);

    // Drops the triangles that are not usable (the others keep their order), then gives the
    // referenced vertices new numbers in order, one per distinct set of exactly equal
    // attributes, and drops the rest. True, with nothing changed, when no triangle is usable.
    bool RemoveDegenerateTriangles();
    // Did the last RemoveDegenerateTriangles drop or weld anything?
    bool Changed() const { return m_changed; }

    // The shapes of group in order, with layout's attribute arrays and texture-set count,
    // indices offset by the vertices before them. False when an element is not a plain
    // QrTriShape of that layout, names a vertex it does not have, or the vertex or triangle
    // total passes 65,535.
    bool Join(const QrTriShape& layout, const QrTArray<QrAVObject>& group);

    uint32_t GetVertexCount() const { return m_vertexCount; }
    uint32_t GetTriangleCount() const { return uint32_t(m_indices.size() / 3); }
    uint16_t GetTextureSetCount() const { return m_textureSetCount; }
    // Null when absent.
    const QrPoint3* GetVertices() const { return Data(m_vertices); }
    const QrPoint3* GetNormals() const { return Data(m_normals); }
    const QrColorA* GetColors() const { return Data(m_colors); }
    const QrPoint3* GetTextureSet(uint16_t set) const
    {
        return set < m_textureSetCount ? m_textureCoords.data() + size_t(set) * m_vertexCount : nullptr;
    }
    const uint16_t* GetIndices() const { return Data(m_indices); }

private:
    template <class T> static const T* Data(const std::vector<T>& v) { return v.empty() ? nullptr : v.data(); }
    // Does vertex a equal vertex b in position and every attribute present?
    bool SameVertex(uint32_t a, uint32_t b) const;
    uint64_t HashVertex(uint32_t v) const;

    uint32_t m_vertexCount = 0;
    std::vector<QrPoint3> m_vertices;
    std::vector<QrPoint3> m_normals;
    std::vector<QrColorA> m_colors;
    uint16_t m_textureSetCount = 0;
    // Set after set, vertex count entries each.
    std::vector<QrPoint3> m_textureCoords;
    std::vector<uint16_t> m_indices;
    bool m_changed = false;
};
