#include "QrTriangles.h"

#include "QrCollisionData.h"
#include "QrPlane.h"
#include "QrRender.h"
#include "QrStream.h"

#include <algorithm>
#include <vector>

QR_IMPLEMENT_RTTI(QrTriangles, QrTriBasedGeom)
QR_IMPLEMENT_CREATE(QrTriangles)

QrTriangles::QrTriangles() = default;

QrTriangles::QrTriangles(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                         const QrPoint3* textureCoords, const QrColorA* colors)
    : QrTriBasedGeom(static_cast<uint16_t>(std::min(3u * triangleCount, 0xFFFFu)), vertices, normals,
                     static_cast<uint16_t>(std::min<uint32_t>(triangleCount, 0xFFFFu / 3)), textureCoords, colors),
      m_activeTriangleCount(m_triangleCount)
{
    UpdateTrianglePlanes();
}

QrTriangles::~QrTriangles() = default;

// --- triangles

uint16_t QrTriangles::GetLiveTriangleCount() const
{
    // Never more than the vertices hold, nor than there are planes for the renderer.
    const uint32_t held = m_vertices ? m_vertexCount / 3u : 0u;
    return static_cast<uint16_t>(std::min({uint32_t(m_activeTriangleCount), held, uint32_t(m_triangleCount)}));
}

uint16_t QrTriangles::GetTriangleCount()
{
    return GetLiveTriangleCount();
}

QrPlane* QrTriangles::GetTriangle(uint16_t index, uint16_t& i0, uint16_t& i1, uint16_t& i2)
{
    const uint32_t first = 3u * index;
    if (!m_vertices || first + 2 >= m_vertexCount)
    {
        i0 = i1 = i2 = 0;
        return nullptr;
    }
    i0 = static_cast<uint16_t>(first);
    i1 = static_cast<uint16_t>(first + 1);
    i2 = static_cast<uint16_t>(first + 2);
    return m_planes && index < m_triangleCount ? &m_planes[index] : nullptr;
}

void QrTriangles::UpdateTrianglePlanes()
{
    QrPlane* planes = EnsurePlanes();
    for (uint32_t t = 0; t < m_triangleCount; ++t)
        planes[t] = MakePlane(3 * t, 3 * t + 1, 3 * t + 2);
}

void QrTriangles::CalculateNormals()
{
    if (!m_normals)
        m_normals = std::make_unique<QrPoint3[]>(m_vertexCount);
    QrPlane* planes = EnsurePlanes();
    for (uint32_t t = 0; t < m_triangleCount; ++t)
    {
        const uint32_t i0 = 3 * t;
        if (!IsValidTriangle(i0, i0 + 1, i0 + 2))
            continue;
        const QrPoint3& p0 = m_vertices[i0];
        QrPoint3 n = (m_vertices[i0 + 1] - p0).Cross(m_vertices[i0 + 2] - m_vertices[i0 + 1]);
        n.Unitize(); // zero when not longer than 1e-6
        m_normals[i0] = m_normals[i0 + 1] = m_normals[i0 + 2] = n;
        planes[t].Set(n, n.Dot(p0));
    }
    MarkWorldArraysStale();
}

void QrTriangles::CalculateNormalsFromPlanes()
{
    if (!m_normals)
        m_normals = std::make_unique<QrPoint3[]>(m_vertexCount);
    const QrPlane* planes = EnsurePlanes();
    for (uint32_t t = 0; t < m_triangleCount; ++t)
    {
        const uint32_t i0 = 3 * t;
        if (i0 + 2 >= m_vertexCount)
            break;
        QrPoint3 n = planes[t].GetNormal();
        n.Unitize();
        m_normals[i0] = m_normals[i0 + 1] = m_normals[i0 + 2] = n;
    }
    MarkWorldArraysStale();
}

// --- world data

bool QrTriangles::UpdateWorldBound(QrAVInstance* instance)
{
    return UpdateWorldBoundFrom(instance, static_cast<uint16_t>(std::min(3u * m_activeTriangleCount, 0xFFFFu)));
}

void QrTriangles::UpdateWorldNormals(QrAVInstance* instance)
{
    UpdateWorldArrays(instance, static_cast<uint16_t>(std::min(3u * m_activeTriangleCount, 0xFFFFu)));
}

// --- collision and drawing

void QrTriangles::CreateCollisionData(QrAVInstance* instance, uint32_t splitSize)
{
    // Only for the call: the box tree copies what it keeps. A list longer than its vertices
    // names a vertex that is not there, and the data is refused as for an indexed shape.
    const uint32_t indexCount = 3u * m_triangleCount;
    std::vector<uint16_t> indices(indexCount);
    for (uint32_t i = 0; i < indexCount; ++i)
        indices[i] = static_cast<uint16_t>(std::min(i, 0xFFFFu));
    QrCollisionData::CreateForInstances(*this, instance, m_triangleCount, indices.data(), splitSize);
}

void QrTriangles::Draw(QrCamera* camera, QrAVInstance* instance)
{
    QrRender* renderer = BeginDraw(camera, instance, true);
    if (!renderer)
        return;
    const QrPoint3 eye = GetEyeInModelSpace(camera);
    const uint16_t setCount = m_textureCoords ? m_textureSetCount : 0;
    renderer->RenderTriangles(GetLiveTriangleCount(), GetWorldVertices(), GetWorldNormals(), m_planes.get(), setCount,
                              m_textureCoords, m_colors, GetWorldBound(), eye);
}

// --- scene file

void QrTriangles::LoadBinary(QrStream& stream)
{
    QrTriBasedGeom::LoadBinary(stream);
    m_activeTriangleCount = stream.LoadU16();
}

void QrTriangles::LinkObject(QrStream& stream)
{
    QrTriBasedGeom::LinkObject(stream);
}

bool QrTriangles::RegisterStreamables(QrStream& stream)
{
    return QrTriBasedGeom::RegisterStreamables(stream);
}

void QrTriangles::SaveBinary(QrStream& stream)
{
    QrTriBasedGeom::SaveBinary(stream);
    stream.SaveU16(m_activeTriangleCount);
}

bool QrTriangles::IsEqual(const QrObject* object) const
{
    return QrTriBasedGeom::IsEqual(object) &&
           m_activeTriangleCount == static_cast<const QrTriangles*>(object)->m_activeTriangleCount;
}
