#include "qrxQuadTree.h"

#include "Format.h"

#include <algorithm>
#include <cmath>

QR_IMPLEMENT_RTTI(qrxQuadTree, QrNode)

qrxQuadTree::qrxQuadTree(float sizeX, float sizeZ, int32_t subdivisions)
    : m_sizeX(sizeX), m_sizeZ(sizeZ), m_subdivisions(std::clamp(subdivisions, 0, kMaxSubdivisions))
{
    SetName(
        plat::Format("Quad Tree ( x:%.02f, z:%.02f, sub:%d )", double(sizeX), double(sizeZ), m_subdivisions).c_str());
    m_cellsPerSide = 1 << m_subdivisions;
    m_cellCount = m_cellsPerSide * m_cellsPerSide;
    m_cellSizeX = sizeX / float(m_cellsPerSide);
    m_cellSizeZ = sizeZ / float(m_cellsPerSide);
    if (m_subdivisions > 0)
    {
        m_cells.reserve(size_t(m_cellCount));
        Subdivide(this, m_subdivisions);
    }
    UpdateAllInstances();
}

qrxQuadTree::~qrxQuadTree() = default;

void qrxQuadTree::Subdivide(QrNode* parent, int32_t remaining)
{
    if (remaining == 0)
    {
        m_cells.emplace_back(parent);
        return;
    }
    const std::string name = plat::Format("QT Subdivision %d", m_subdivisions - remaining);
    for (int32_t i = 0; i < 4; ++i)
    {
        QrPointer<QrNode> group(new QrNode);
        group->SetName(name.c_str());
        parent->AttachChild(group.Get());
        Subdivide(group.Get(), remaining - 1);
    }
}

QrNode* qrxQuadTree::GetCell(int32_t index)
{
    if (index < 0 || index >= m_cellCount)
        return nullptr;
    return m_cells.empty() ? this : m_cells[size_t(index)].Get();
}

bool qrxQuadTree::InsertAt(QrAVObject* object, float u, float v)
{
    if (!object || !(u >= 0.0f && u <= m_sizeX && v >= 0.0f && v <= m_sizeZ))
        return false;
    const auto index = [this](float p, float cellSize)
    {
        const double k = cellSize > 0.0f ? std::trunc(double(p) / double(cellSize)) : 0.0;
        // An infinite extent gives NaN here.
        return k >= 0.0 ? int32_t(std::min(k, double(m_cellsPerSide - 1))) : 0;
    };
    QrNode* cell = GetCell(index(v, m_cellSizeZ) * m_cellsPerSide + index(u, m_cellSizeX));
    if (!cell)
        return false;
    cell->AttachChild(object);
    object->UpdateAllInstances();
    return true;
}
