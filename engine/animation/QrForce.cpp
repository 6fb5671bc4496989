#include "QrForce.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrForce, QrObject)
QR_IMPLEMENT_ABSTRACT_CREATE(QrForce)

QrForce::QrForce() = default;

QrForce::~QrForce() = default;

void QrForce::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
}

void QrForce::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
}

bool QrForce::RegisterStreamables(QrStream& stream)
{
    return QrObject::RegisterStreamables(stream);
}

void QrForce::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
}

bool QrForce::IsEqual(const QrObject* other) const
{
    return QrObject::IsEqual(other);
}

uint32_t QrForce::CountChain(const QrForce* head)
{
    uint32_t count = 0;
    for (const QrForce* force = head; force; force = force->m_next)
        ++count;
    return count;
}

bool QrForce::PushFront(QrForce*& head, QrForce* force)
{
    // A second chain would overwrite the next pointer and could close a loop.
    if (!force || force->m_chained)
        return false;
    force->IncRefCount();
    force->m_chained = true;
    force->m_next = head;
    head = force;
    return true;
}

void QrForce::ReleaseChain(QrForce*& head)
{
    QrForce* force = head;
    head = nullptr;
    while (force)
    {
        QrForce* next = force->m_next;
        force->m_next = nullptr;
        force->m_chained = false;
        force->DecRefCount();
        force = next;
    }
}
