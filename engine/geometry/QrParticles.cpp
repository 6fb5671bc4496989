#include "QrParticles.h"

#include "QrPlane.h"
#include "QrRender.h"
#include "QrStream.h"

#include <algorithm>

QR_IMPLEMENT_RTTI(QrParticles, QrTriBasedGeom)
QR_IMPLEMENT_CREATE(QrParticles)

QrParticles::QrParticles() = default;

QrParticles::QrParticles(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals,
                         const QrColorA* colors)
    : QrTriBasedGeom(vertexCount, vertices, normals, 0, nullptr, colors)
{
    // A cloud has no triangles, so no planes either.
    m_planes.reset();
}

QrParticles::~QrParticles() = default;

uint16_t QrParticles::GetLiveCount() const
{
    return m_vertices ? std::min(m_activeCount, m_vertexCount) : 0;
}

// --- world data

bool QrParticles::UpdateWorldBound(QrAVInstance* instance)
{
    return UpdateWorldBoundFrom(instance, m_activeCount);
}

void QrParticles::UpdateWorldNormals(QrAVInstance* instance)
{
    UpdateWorldArrays(instance, m_activeCount);
}

// --- nothing of a triangle mesh

void QrParticles::CreateCollisionData(QrAVInstance*, uint32_t) {}

void QrParticles::CalculateNormals() {}

void QrParticles::UpdateTrianglePlanes() {}

void QrParticles::CalculateNormalsFromPlanes() {}

// --- drawing

void QrParticles::Draw(QrCamera* camera, QrAVInstance* instance)
{
    QrRender* renderer = BeginDraw(camera, instance, false);
    if (renderer)
        RenderLive(renderer, GetWorldNormals());
}

void QrParticles::RenderLive(QrRender* renderer, const QrPoint3* normals)
{
    const float pointSize = m_particleSize * m_currentInstance->m_worldScale;
    renderer->RenderPoints(GetLiveCount(), GetWorldVertices(), normals, m_colors, pointSize, GetWorldBound());
}

// --- scene file

void QrParticles::LoadBinary(QrStream& stream)
{
    QrTriBasedGeom::LoadBinary(stream);
    m_particleSize = stream.LoadF32();
    m_activeCount = stream.LoadU16();
}

void QrParticles::LinkObject(QrStream& stream)
{
    QrTriBasedGeom::LinkObject(stream);
}

bool QrParticles::RegisterStreamables(QrStream& stream)
{
    return QrTriBasedGeom::RegisterStreamables(stream);
}

void QrParticles::SaveBinary(QrStream& stream)
{
    QrTriBasedGeom::SaveBinary(stream);
    stream.SaveF32(m_particleSize);
    stream.SaveU16(m_activeCount);
}

bool QrParticles::IsEqual(const QrObject* object) const
{
    if (!QrTriBasedGeom::IsEqual(object))
        return false;
    const QrParticles* other = static_cast<const QrParticles*>(object);
    return m_particleSize == other->m_particleSize && m_activeCount == other->m_activeCount;
}
