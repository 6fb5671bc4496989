#include "QrTriBasedGeom.h"

#include "QrColorA.h"
#include "QrPlane.h"
#include "QrStream.h"
#include "QrTrianglePick.h"

#include <algorithm>

QR_IMPLEMENT_RTTI(QrTriBasedGeom, QrGeometry)
QR_IMPLEMENT_ABSTRACT_CREATE(QrTriBasedGeom)

QrTriBasedGeom::QrTriBasedGeom() = default;

QrTriBasedGeom::QrTriBasedGeom(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals,
                               uint16_t triangleCount, const QrPoint3* textureCoords, const QrColorA* colors)
    : QrGeometry(vertexCount, vertices, normals), m_triangleCount(triangleCount)
{
    m_planes = std::make_unique<QrPlane[]>(triangleCount);
    if (textureCoords)
    {
        m_textureCoords = new QrPoint3[vertexCount];
        std::copy(textureCoords, textureCoords + vertexCount, m_textureCoords);
        m_textureSetCount = 1;
    }
    if (colors)
    {
        m_colors = new QrColorA[vertexCount];
        std::copy(colors, colors + vertexCount, m_colors);
    }
}

QrTriBasedGeom::~QrTriBasedGeom()
{
    SetColors(nullptr, false);
    SetTextureCoords(nullptr, 0, false);
}

void QrTriBasedGeom::SetColors(QrColorA* colors, bool borrowed)
{
    if (!(m_borrowedFlags & kBorrowedColors))
        delete[] m_colors;
    m_colors = colors;
    m_borrowedFlags = borrowed ? (m_borrowedFlags | kBorrowedColors) : (m_borrowedFlags & ~kBorrowedColors);
}

void QrTriBasedGeom::SetTextureCoords(QrPoint3* coords, uint16_t setCount, bool borrowed)
{
    if (!(m_borrowedFlags & kBorrowedTextureCoords))
        delete[] m_textureCoords;
    m_textureCoords = coords;
    m_textureSetCount = setCount;
    m_borrowedFlags =
        borrowed ? (m_borrowedFlags | kBorrowedTextureCoords) : (m_borrowedFlags & ~kBorrowedTextureCoords);
}

void QrTriBasedGeom::AddTextureSet(const QrPoint3* coordinates)
{
    if (!coordinates)
        return;
    const size_t setSize = m_vertexCount;
    const uint16_t sets = m_textureCoords ? m_textureSetCount : 0;
    auto* block = new QrPoint3[(sets + size_t(1)) * setSize];
    if (m_textureCoords)
        std::copy(m_textureCoords, m_textureCoords + sets * setSize, block);
    std::copy(coordinates, coordinates + setSize, block + sets * setSize);
    // The new block is ours even when the old one was borrowed.
    SetTextureCoords(block, static_cast<uint16_t>(sets + 1), false);
}

// --- triangles

uint16_t QrTriBasedGeom::GetTriangleCount()
{
    return 0;
}

QrPlane* QrTriBasedGeom::GetTriangle(uint16_t, uint16_t& i0, uint16_t& i1, uint16_t& i2)
{
    i0 = i1 = i2 = 0;
    return nullptr;
}

QrPlane* QrTriBasedGeom::EnsurePlanes()
{
    if (!m_planes)
        m_planes = std::make_unique<QrPlane[]>(m_triangleCount);
    return m_planes.get();
}

QrPoint3* QrTriBasedGeom::ClearNormals()
{
    if (!m_normals)
        m_normals = std::make_unique<QrPoint3[]>(m_vertexCount);
    else
        std::fill(m_normals.get(), m_normals.get() + m_vertexCount, QrPoint3::ZERO);
    return m_normals.get();
}

bool QrTriBasedGeom::IsValidTriangle(uint32_t i0, uint32_t i1, uint32_t i2) const
{
    return m_vertices && i0 < m_vertexCount && i1 < m_vertexCount && i2 < m_vertexCount;
}

QrPlane QrTriBasedGeom::MakePlane(uint32_t i0, uint32_t i1, uint32_t i2) const
{
    if (!IsValidTriangle(i0, i1, i2))
        return QrPlane();
    const QrPoint3& p0 = m_vertices[i0];
    const QrPoint3 normal = (m_vertices[i1] - p0).Cross(m_vertices[i2] - m_vertices[i1]);
    return QrPlane(normal, normal.Dot(p0));
}

void QrTriBasedGeom::AccumulateNormals(bool fromPlanes)
{
    AccumulateNormalsOver(fromPlanes, [this](uint32_t t, uint16_t& i0, uint16_t& i1, uint16_t& i2)
                          { return GetTriangle(static_cast<uint16_t>(t), i0, i1, i2) != nullptr; });
}

void QrTriBasedGeom::AccumulateNormals(bool fromPlanes, const uint16_t* indices, uint32_t count)
{
    AccumulateNormalsOver(fromPlanes,
                          [indices, count](uint32_t t, uint16_t& i0, uint16_t& i1, uint16_t& i2)
                          {
                              if (t >= count)
                                  return false;
                              const uint16_t* triangle = indices + 3u * t;
                              i0 = triangle[0];
                              i1 = triangle[1];
                              i2 = triangle[2];
                              return true;
                          });
}

template <class Triangles> void QrTriBasedGeom::AccumulateNormalsOver(bool fromPlanes, Triangles triangles)
{
    QrPoint3* normals = ClearNormals();
    QrPlane* planes = EnsurePlanes();
    const QrPoint3* vertices = m_vertices.get();
    const uint32_t vertexCount = m_vertexCount;
    const uint32_t triangleCount = vertices ? m_triangleCount : 0; // without vertices none is readable
    const auto readable = [&](uint32_t t, uint16_t& i0, uint16_t& i1, uint16_t& i2)
    { return triangles(t, i0, i1, i2) && i0 < vertexCount && i1 < vertexCount && i2 < vertexCount; };
    const auto add = [normals](uint16_t i0, uint16_t i1, uint16_t i2, const QrPoint3& n)
    {
        normals[i0] += n;
        normals[i1] += n;
        normals[i2] += n;
    };
    if (fromPlanes)
    {
        for (uint32_t t = 0; t < triangleCount; ++t)
        {
            uint16_t i0, i1, i2;
            if (!readable(t, i0, i1, i2))
                continue;
            QrPoint3 n = planes[t].GetNormal();
            n.Unitize(); // zero when not longer than 1e-6
            add(i0, i1, i2, n);
        }
    }
    else
    {
        // Two passes: the face normals first, each independent of the others so that their
        // square roots and divisions overlap, then the sums in the same triangle order.
        for (uint32_t t = 0; t < triangleCount; ++t)
        {
            uint16_t i0, i1, i2;
            if (!readable(t, i0, i1, i2))
                continue;
            QrPoint3 n = (vertices[i1] - vertices[i0]).Cross(vertices[i2] - vertices[i1]);
            n.Unitize(); // zero when not longer than 1e-6
            planes[t].Set(n, n.Dot(vertices[i0]));
        }
        for (uint32_t t = 0; t < triangleCount; ++t)
        {
            uint16_t i0, i1, i2;
            if (readable(t, i0, i1, i2))
                add(i0, i1, i2, planes[t].GetNormal());
        }
    }
    for (uint32_t i = 0; i < vertexCount; ++i)
        normals[i].Unitize();
    MarkWorldArraysStale();
}

void QrTriBasedGeom::ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame)
{
    QrGeometry::ApplyTransform(rotation, translation, inParentFrame);
    UpdateTrianglePlanes();
}

bool QrTriBasedGeom::FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                                       QrAVInstance* instance)
{
    return QrTrianglePick::FindIntersections(*this, origin, direction, pick, instance);
}

bool QrTriBasedGeom::SharesProperties(QrAVObject* other, uint32_t typeMask)
{
    if (other && !other->IsKindOf(&QrTriBasedGeom::ms_RTTI))
        return false;
    if (!QrGeometry::SharesProperties(other, typeMask))
        return false;
    const QrTriBasedGeom* geometry = static_cast<const QrTriBasedGeom*>(other);
    return !m_textureCoords == !geometry->m_textureCoords && m_textureSetCount == geometry->m_textureSetCount;
}

// --- scene file

void QrTriBasedGeom::LoadBinary(QrStream& stream)
{
    QrGeometry::LoadBinary(stream);
    m_triangleCount = stream.LoadU16();
    const uint16_t setCount = stream.LoadU16();

    std::unique_ptr<QrPoint3[]> coords;
    LoadOptionalArray(stream, coords, uint64_t(setCount) * m_vertexCount, "texture coordinates");
    SetTextureCoords(coords.release(), setCount, false);
    std::unique_ptr<QrColorA[]> colors;
    LoadOptionalArray(stream, colors, m_vertexCount, "colours");
    SetColors(colors.release(), false);
    LoadOptionalArray(stream, m_planes, m_triangleCount, "triangle planes");
    m_borrowedFlags = 0;
}

void QrTriBasedGeom::LinkObject(QrStream& stream)
{
    QrGeometry::LinkObject(stream);
    // Files may omit the planes; every subclass has read its triangles by now.
    if (!m_planes && m_triangleCount > 0)
        UpdateTrianglePlanes();
}

bool QrTriBasedGeom::RegisterStreamables(QrStream& stream)
{
    return QrGeometry::RegisterStreamables(stream);
}

void QrTriBasedGeom::SaveBinary(QrStream& stream)
{
    QrGeometry::SaveBinary(stream);
    stream.SaveU16(m_triangleCount);
    stream.SaveU16(m_textureSetCount);
    SaveOptionalArray(stream, m_textureCoords, uint64_t(m_textureSetCount) * m_vertexCount);
    SaveOptionalArray(stream, m_colors, m_vertexCount);
    SaveOptionalArray(stream, m_planes.get(), m_triangleCount);
}

bool QrTriBasedGeom::IsEqual(const QrObject* object) const
{
    if (!QrGeometry::IsEqual(object))
        return false;
    const QrTriBasedGeom* other = static_cast<const QrTriBasedGeom*>(object);
    if (m_triangleCount != other->m_triangleCount || !m_textureCoords != !other->m_textureCoords)
        return false;
    if (m_textureCoords &&
        (m_textureSetCount != other->m_textureSetCount ||
         !ArraysEqual(m_textureCoords, other->m_textureCoords, uint64_t(m_textureSetCount) * m_vertexCount)))
        return false;
    return ArraysEqual(m_colors, other->m_colors, m_vertexCount) &&
           ArraysEqual(m_planes.get(), other->m_planes.get(), m_triangleCount);
}
