#include "QrAutoNormalParticles.h"

#include "QrCamera.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrAutoNormalParticles, QrParticles)
QR_IMPLEMENT_CREATE(QrAutoNormalParticles)

QrAutoNormalParticles::QrAutoNormalParticles() = default;

QrAutoNormalParticles::QrAutoNormalParticles(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals,
                                             const QrColorA* colors)
    : QrParticles(vertexCount, vertices, normals, colors)
{
}

QrAutoNormalParticles::~QrAutoNormalParticles() = default;

void QrAutoNormalParticles::Draw(QrCamera* camera, QrAVInstance* instance)
{
    if (!camera)
        return;
    SetCurrentInstance(instance);
    GenerateNormals(camera->GetWorldLocation());
    QrRender* renderer = BeginDraw(camera, instance, false);
    if (renderer)
        RenderLive(renderer, m_generatedNormals.get());
}

void QrAutoNormalParticles::GenerateNormals(const QrPoint3& eye)
{
    if (!m_generatedNormals)
        m_generatedNormals = std::make_unique<QrPoint3[]>(m_vertexCount);
    const QrPoint3* world = GetWorldVertices();
    const uint16_t live = GetLiveCount();
    for (uint32_t i = 0; i < live; ++i)
    {
        m_generatedNormals[i] = eye - world[i];
        m_generatedNormals[i].Unitize(); // zero when not longer than 1e-6
    }
}

// --- scene file

void QrAutoNormalParticles::LoadBinary(QrStream& stream)
{
    QrParticles::LoadBinary(stream);
    LoadOptionalArray(stream, m_generatedNormals, m_vertexCount, "generated normals");
}

void QrAutoNormalParticles::LinkObject(QrStream& stream)
{
    QrParticles::LinkObject(stream);
}

bool QrAutoNormalParticles::RegisterStreamables(QrStream& stream)
{
    return QrParticles::RegisterStreamables(stream);
}

void QrAutoNormalParticles::SaveBinary(QrStream& stream)
{
    QrParticles::SaveBinary(stream);
    SaveOptionalArray(stream, m_generatedNormals.get(), m_vertexCount);
}

bool QrAutoNormalParticles::IsEqual(const QrObject* object) const
{
    if (!QrParticles::IsEqual(object))
        return false;
    const QrAutoNormalParticles* other = static_cast<const QrAutoNormalParticles*>(object);
    return ArraysEqual(m_generatedNormals.get(), other->m_generatedNormals.get(), m_vertexCount);
}
