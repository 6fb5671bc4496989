#include "QrMeshCollider.h"

#include "QrAVObject.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrMeshCollider, QrForce)
QR_IMPLEMENT_CREATE(QrMeshCollider)

QrMeshCollider::QrMeshCollider() = default;

QrMeshCollider::~QrMeshCollider() = default;

void QrMeshCollider::LoadBinary(QrStream& stream)
{
    QrForce::LoadBinary(stream);
    m_bounce = stream.LoadF32();
    for (uint32_t& value : m_reserved)
        value = stream.LoadU32();
    stream.LoadLinkID(this);
}

void QrMeshCollider::LinkObject(QrStream& stream)
{
    QrForce::LinkObject(stream);
    // A file's mesh is a scene object: colliders bound to colliders would chain without bound.
    m_mesh = stream.ResolveLinkID<QrAVObject>(this);
}

bool QrMeshCollider::RegisterStreamables(QrStream& stream)
{
    if (!QrForce::RegisterStreamables(stream))
        return false;
    if (m_mesh)
        m_mesh->RegisterStreamables(stream);
    return true;
}

void QrMeshCollider::SaveBinary(QrStream& stream)
{
    QrForce::SaveBinary(stream);
    stream.SaveF32(m_bounce);
    for (uint32_t value : m_reserved)
        stream.SaveU32(value);
    stream.SaveLinkID(m_mesh.Get());
}

bool QrMeshCollider::IsEqual(const QrObject* other) const
{
    return QrForce::IsEqual(other);
}

QrPointer<QrForce> QrMeshCollider::Clone() const
{
    QrPointer<QrMeshCollider> clone(new QrMeshCollider);
    clone->m_bounce = m_bounce;
    for (int i = 0; i < 3; ++i)
        clone->m_reserved[i] = m_reserved[i];
    clone->m_mesh = m_mesh;
    return clone;
}

bool QrMeshCollider::Apply(QrPoint3&, QrPoint3&, float&, float)
{
    return false;
}
