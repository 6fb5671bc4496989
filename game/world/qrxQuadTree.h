#pragma once
// A node that spreads many small objects (a tile's plant cutouts) over a square grid of leaf
// nodes under a tree of group nodes, so that culling can skip whole groups at once. Leaves
// are numbered row by row while the groups hold them in depth-first order, so a group covers
// strips of rows rather than a square quadrant.

#include "QrNode.h"
#include "QrPointer.h"

#include <cstdint>
#include <vector>

class qrxQuadTree : public QrNode
{
    QR_DECLARE_RTTI

public:
    static constexpr int32_t kMaxSubdivisions = 8;

    // sizeX, sizeZ: the extent of the insertion coordinates; subdivisions clamped to 0..8.
    qrxQuadTree(float sizeX, float sizeZ, int32_t subdivisions);

    // Attaches the object to the leaf holding (u, v); false outside [0, size] (the far edges
    // belong to the last cells) or for NaN.
    bool InsertAt(QrAVObject* object, float u, float v);

    int32_t GetSubdivisions() const { return m_subdivisions; }
    int32_t GetCellsPerSide() const { return m_cellsPerSide; }
    int32_t GetCellCount() const { return m_cellCount; }
    // Leaf n in depth-first order; the tree itself when it is its own only cell.
    QrNode* GetCell(int32_t index);

protected:
    ~qrxQuadTree() override;

private:
    void Subdivide(QrNode* parent, int32_t remaining);

    float m_sizeX;
    float m_sizeZ;
    float m_cellSizeX;
    float m_cellSizeZ;
    int32_t m_subdivisions;
    int32_t m_cellsPerSide;
    // Empty when the tree is its own only cell: a counted reference to itself would never go.
    std::vector<QrPointer<QrNode>> m_cells;
    int32_t m_cellCount;
};
