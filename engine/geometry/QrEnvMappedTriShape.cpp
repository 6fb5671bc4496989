#include "QrEnvMappedTriShape.h"

#include "QrCamera.h"
#include "QrRender.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrEnvMappedTriShape, QrTriShape)
QR_IMPLEMENT_CREATE(QrEnvMappedTriShape)

QrEnvMappedTriShape::QrEnvMappedTriShape() = default;

QrEnvMappedTriShape::QrEnvMappedTriShape(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals,
                                         uint16_t triangleCount, const uint16_t* indices, const QrPoint3* textureCoords,
                                         const QrColorA* colors)
    : QrTriShape(vertexCount, vertices, normals, triangleCount, indices, textureCoords, colors)
{
}

QrEnvMappedTriShape::~QrEnvMappedTriShape() = default;

void QrEnvMappedTriShape::GenerateEnvironmentCoordinates(const QrPoint3& eye)
{
    if (!m_textureCoords || m_textureSetCount == 0)
        SetTextureCoords(new QrPoint3[m_vertexCount], 1, false);

    // One view vector, from the bound centre, serves every vertex.
    QrPoint3 view = eye - m_currentInstance->m_worldBound.GetCenter();
    view.Unitize(); // zero when not longer than 1e-6
    const QrPoint3* normals = GetWorldNormals();
    for (uint32_t i = 0; i < m_vertexCount; ++i)
    {
        const QrPoint3 n = normals ? normals[i] : QrPoint3::ZERO;
        const float d = 2.0f * view.Dot(n);
        const QrPoint3 r = view - n * d;
        QrPoint3& coords = m_textureCoords[i];
        // A wrap-around map of the reflection: [0, 0.5] toward +x, [0.5, 1] toward -x.
        coords.x = r.x >= 0.0f ? (1.0f - r.z) * 0.25f : (r.z + 3.0f) * 0.25f;
        coords.y = (r.y + 1.0f) * 0.5f;
    }
}

void QrEnvMappedTriShape::Draw(QrCamera* camera, QrAVInstance* instance)
{
    if (!camera)
        return;
    // The drawn instance, not whichever was current: a sorted draw comes later than its push.
    SetCurrentInstance(instance);
    GenerateEnvironmentCoordinates(camera->GetWorldLocation());
    QrRender* renderer = BeginDraw(camera, instance, false);
    if (!renderer)
        return;
    const QrPoint3 eye = GetEyeInModelSpace(camera);
    const uint16_t setCount = m_textureCoords ? m_textureSetCount : 0;
    renderer->RenderShape(m_triangleCount, m_vertexCount, GetWorldVertices(), GetWorldNormals(), m_planes.get(),
                          setCount, m_textureCoords, m_colors, m_indices.get(), GetWorldBound(), eye);
}

// --- scene file: the plain shape's

void QrEnvMappedTriShape::LoadBinary(QrStream& stream)
{
    QrTriShape::LoadBinary(stream);
}

void QrEnvMappedTriShape::LinkObject(QrStream& stream)
{
    QrTriShape::LinkObject(stream);
}

bool QrEnvMappedTriShape::RegisterStreamables(QrStream& stream)
{
    return QrTriShape::RegisterStreamables(stream);
}

void QrEnvMappedTriShape::SaveBinary(QrStream& stream)
{
    QrTriShape::SaveBinary(stream);
}

bool QrEnvMappedTriShape::IsEqual(const QrObject* object) const
{
    return QrTriShape::IsEqual(object);
}
