#include "Qr3dsBone.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(Qr3dsBone, Qr3dsAnimationNode)
QR_IMPLEMENT_CREATE(Qr3dsBone)

Qr3dsBone::Qr3dsBone()
{
    SetUpdateWorld(0);
    SetActive(0);
}

Qr3dsBone::~Qr3dsBone() = default;

void Qr3dsBone::LoadBinary(QrStream& stream)
{
    Qr3dsAnimationNode::LoadBinary(stream);
    m_skinRotation.LoadBinary(stream);
    m_skinTranslation.LoadBinary(stream);
    m_skinScale = stream.LoadF32();
    m_skinChanged = stream.LoadU8();
    stream.LoadLinkID(this);
}

void Qr3dsBone::LinkObject(QrStream& stream)
{
    Qr3dsAnimationNode::LinkObject(stream);
    m_linkedObject = stream.ResolveLinkID<QrObject>(this);
}

bool Qr3dsBone::RegisterStreamables(QrStream& stream)
{
    if (!Qr3dsAnimationNode::RegisterStreamables(stream))
        return false;
    if (m_linkedObject)
        m_linkedObject->RegisterStreamables(stream);
    return true;
}

void Qr3dsBone::SaveBinary(QrStream& stream)
{
    Qr3dsAnimationNode::SaveBinary(stream);
    m_skinRotation.SaveBinary(stream);
    m_skinTranslation.SaveBinary(stream);
    stream.SaveF32(m_skinScale);
    stream.SaveU8(m_skinChanged);
    stream.SaveLinkID(m_linkedObject.Get());
}

bool Qr3dsBone::IsEqual(const QrObject* other) const
{
    if (!Qr3dsAnimationNode::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsBone*>(other);
    if (!m_skinRotation.IsEqual(o->m_skinRotation) || !m_skinTranslation.IsEqual(o->m_skinTranslation) ||
        m_skinScale != o->m_skinScale || m_skinChanged != o->m_skinChanged)
        return false;
    if (!m_linkedObject || !o->m_linkedObject)
        return !m_linkedObject && !o->m_linkedObject;
    return m_linkedObject->IsEqual(o->m_linkedObject.Get());
}

QrPointer<QrAVObject> Qr3dsBone::CreateClone()
{
    QrPointer<Qr3dsBone> clone(new Qr3dsBone);
    QrNode::CopyMembers(clone.Get());
    CopyAnimationMembers(clone.Get());
    clone->m_skinRotation = m_skinRotation;
    clone->m_skinTranslation = m_skinTranslation;
    clone->m_skinScale = m_skinScale;
    clone->m_skinChanged = m_skinChanged;
    clone->m_linkedObject = m_linkedObject;
    return clone;
}

void Qr3dsBone::ReleaseLinks()
{
    Qr3dsAnimationNode::ReleaseLinks();
    m_linkedObject = nullptr;
}

void Qr3dsBone::AppendDescendLinks(std::vector<QrAVObject*>& out) const
{
    Qr3dsAnimationNode::AppendDescendLinks(out);
    if (QrAVObject* linked = QrDynamicCast<QrAVObject>(m_linkedObject.Get()))
        out.push_back(linked);
}
