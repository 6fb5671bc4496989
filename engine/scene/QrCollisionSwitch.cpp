#include "QrCollisionSwitch.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrCollisionSwitch, QrNode)
QR_IMPLEMENT_CREATE(QrCollisionSwitch)

QrCollisionSwitch::QrCollisionSwitch() = default;

QrCollisionSwitch::~QrCollisionSwitch() = default;

QrPointer<QrAVObject> QrCollisionSwitch::CreateClone()
{
    QrPointer<QrCollisionSwitch> clone(new QrCollisionSwitch);
    CopyMembers(clone.Get());
    clone->m_collide = m_collide;
    return clone;
}

bool QrCollisionSwitch::TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    return m_collide != 0 && QrNode::TestCollisions(time, self, other);
}

int32_t QrCollisionSwitch::FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    return m_collide != 0 ? QrNode::FindCollisions(time, self, other) : 0;
}

bool QrCollisionSwitch::FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                                          QrAVInstance* instance)
{
    if (m_collide == 0)
    {
        SetCurrentInstance(instance);
        return false;
    }
    return QrNode::FindIntersections(origin, direction, pick, instance);
}

void QrCollisionSwitch::LoadBinary(QrStream& stream)
{
    QrNode::LoadBinary(stream);
    m_collide = stream.LoadU8();
}

void QrCollisionSwitch::SaveBinary(QrStream& stream)
{
    QrNode::SaveBinary(stream);
    stream.SaveU8(m_collide);
}

bool QrCollisionSwitch::IsEqual(const QrObject* object) const
{
    return QrNode::IsEqual(object) && m_collide == static_cast<const QrCollisionSwitch*>(object)->m_collide;
}
