#include "QrTriStrip.h"

#include "QrCollisionData.h"
#include "QrPlane.h"
#include "QrRender.h"
#include "QrStream.h"

#include <algorithm>
#include <vector>

QR_IMPLEMENT_RTTI(QrTriStrip, QrTriBasedGeom)
QR_IMPLEMENT_CREATE(QrTriStrip)

namespace
{
// Triangle k in the strip's winding: odd triangles swap their last two vertices.
void StripTriangle(uint32_t k, uint32_t& i0, uint32_t& i1, uint32_t& i2)
{
    i0 = k;
    i1 = k % 2 == 0 ? k + 1 : k + 2;
    i2 = k % 2 == 0 ? k + 2 : k + 1;
}
} // namespace

QrTriStrip::QrTriStrip() = default;

QrTriStrip::QrTriStrip(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals,
                       const QrPoint3* textureCoords, const QrColorA* colors)
    : QrTriBasedGeom(vertexCount, vertices, normals, static_cast<uint16_t>(vertexCount >= 3 ? vertexCount - 2 : 0),
                     textureCoords, colors),
      m_activeVertexCount(vertexCount)
{
    UpdateTrianglePlanes();
}

QrTriStrip::~QrTriStrip() = default;

// --- triangles

uint16_t QrTriStrip::GetLiveVertexCount() const
{
    return m_vertices ? std::min(m_activeVertexCount, m_vertexCount) : 0;
}

uint16_t QrTriStrip::GetTriangleCount()
{
    // Below three vertices there is no triangle: the count must not wrap round. Nor more
    // triangles than there are planes for the renderer.
    const uint16_t live = GetLiveVertexCount();
    return live < 3 ? 0 : std::min(static_cast<uint16_t>(live - 2), m_triangleCount);
}

QrPlane* QrTriStrip::GetTriangle(uint16_t index, uint16_t& i0, uint16_t& i1, uint16_t& i2)
{
    uint32_t a, b, c;
    StripTriangle(index, a, b, c);
    if (!m_vertices || index + 2u >= m_vertexCount)
    {
        i0 = i1 = i2 = 0;
        return nullptr;
    }
    i0 = static_cast<uint16_t>(a);
    i1 = static_cast<uint16_t>(b);
    i2 = static_cast<uint16_t>(c);
    return m_planes && index < m_triangleCount ? &m_planes[index] : nullptr;
}

void QrTriStrip::UpdateTrianglePlanes()
{
    QrPlane* planes = EnsurePlanes();
    for (uint32_t t = 0; t < m_triangleCount; ++t)
    {
        uint32_t i0, i1, i2;
        StripTriangle(t, i0, i1, i2);
        planes[t] = MakePlane(i0, i1, i2);
    }
}

void QrTriStrip::CalculateNormals()
{
    AccumulateNormals(false);
}

void QrTriStrip::CalculateNormalsFromPlanes()
{
    AccumulateNormals(true);
}

// --- world data

bool QrTriStrip::UpdateWorldBound(QrAVInstance* instance)
{
    return UpdateWorldBoundFrom(instance, m_activeVertexCount);
}

void QrTriStrip::UpdateWorldNormals(QrAVInstance* instance)
{
    UpdateWorldArrays(instance, m_activeVertexCount);
}

// --- collision and drawing

void QrTriStrip::CreateCollisionData(QrAVInstance* instance, uint32_t splitSize)
{
    // Only for the call: the box tree copies what it keeps. One triple per allocated triangle,
    // so the list is as long as the count given with it; a count beyond the vertices names a
    // vertex that is not there, and the data is refused as for an indexed shape.
    std::vector<uint16_t> indices(3u * m_triangleCount);
    for (uint32_t k = 0; k < m_triangleCount; ++k)
    {
        uint32_t i0, i1, i2;
        StripTriangle(k, i0, i1, i2);
        indices[3 * k] = static_cast<uint16_t>(std::min(i0, 0xFFFFu));
        indices[3 * k + 1] = static_cast<uint16_t>(std::min(i1, 0xFFFFu));
        indices[3 * k + 2] = static_cast<uint16_t>(std::min(i2, 0xFFFFu));
    }
    QrCollisionData::CreateForInstances(*this, instance, m_triangleCount, indices.data(), splitSize);
}

void QrTriStrip::Draw(QrCamera* camera, QrAVInstance* instance)
{
    QrRender* renderer = BeginDraw(camera, instance, true);
    if (!renderer)
        return;
    const QrPoint3 eye = GetEyeInModelSpace(camera);
    const uint16_t setCount = m_textureCoords ? m_textureSetCount : 0;
    renderer->RenderTristrips(GetTriangleCount(), GetWorldVertices(), GetWorldNormals(), m_planes.get(), setCount,
                              m_textureCoords, m_colors, GetWorldBound(), eye);
}

// --- scene file

void QrTriStrip::LoadBinary(QrStream& stream)
{
    QrTriBasedGeom::LoadBinary(stream);
    m_activeVertexCount = stream.LoadU16();
}

void QrTriStrip::LinkObject(QrStream& stream)
{
    QrTriBasedGeom::LinkObject(stream);
}

bool QrTriStrip::RegisterStreamables(QrStream& stream)
{
    return QrTriBasedGeom::RegisterStreamables(stream);
}

void QrTriStrip::SaveBinary(QrStream& stream)
{
    QrTriBasedGeom::SaveBinary(stream);
    stream.SaveU16(m_activeVertexCount);
}

bool QrTriStrip::IsEqual(const QrObject* object) const
{
    return QrTriBasedGeom::IsEqual(object) &&
           m_activeVertexCount == static_cast<const QrTriStrip*>(object)->m_activeVertexCount;
}
