#include "Qr3dsPropertyAnimator.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(Qr3dsPropertyAnimator, QrObject)
QR_IMPLEMENT_ABSTRACT_CREATE(Qr3dsPropertyAnimator)

Qr3dsPropertyAnimator::Qr3dsPropertyAnimator()
{
    SetMode(kModeUpdate);
}

Qr3dsPropertyAnimator::~Qr3dsPropertyAnimator() = default;

void Qr3dsPropertyAnimator::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    LoadTiming(stream);
    stream.LoadLinkID(this);
}

void Qr3dsPropertyAnimator::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    m_target = stream.ResolveLinkID<QrProperty>(this);
}

bool Qr3dsPropertyAnimator::RegisterStreamables(QrStream& stream)
{
    if (!QrObject::RegisterStreamables(stream))
        return false;
    if (m_target)
        m_target->RegisterStreamables(stream);
    return true;
}

void Qr3dsPropertyAnimator::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    SaveTiming(stream);
    stream.SaveLinkID(m_target.Get());
}

bool Qr3dsPropertyAnimator::IsEqual(const QrObject* other) const
{
    if (!QrObject::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsPropertyAnimator*>(other);
    if (!IsTimingEqual(*o))
        return false;
    if (!m_target || !o->m_target)
        return !m_target && !o->m_target;
    return m_target->IsEqual(o->m_target.Get());
}
