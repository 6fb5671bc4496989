#include "Qr3dsSkinAndBone.h"

#include "Qr3dsBone.h"
#include "Qr3dsSkin.h"
#include "QrNode.h"
#include "QrStream.h"
#include "QrTList.h"

QR_IMPLEMENT_RTTI(Qr3dsSkinAndBone, QrObject)
QR_IMPLEMENT_CREATE(Qr3dsSkinAndBone)

namespace
{
using SharedList = QrTList<QrPointer<Qr3dsSkinAndBone>>;

// Made by the first binding after start-up or after the last FreeSharedBuffers.
SharedList* g_shared = nullptr;
} // namespace

Qr3dsSkinAndBone::Qr3dsSkinAndBone()
{
    if (!g_shared)
        g_shared = new SharedList(2);
    g_shared->AddTail(QrPointer<Qr3dsSkinAndBone>(this));
}

Qr3dsSkinAndBone::~Qr3dsSkinAndBone() = default;

uint32_t Qr3dsSkinAndBone::GetSharedCount()
{
    return g_shared ? g_shared->GetCount() : 0;
}

void Qr3dsSkinAndBone::FreeSharedBuffers()
{
    SharedList* list = g_shared;
    if (!list)
        return;
    g_shared = nullptr;
    // Every cycle is opened before any binding goes, so a release that reaches another
    // binding's bones finds them consistent.
    for (SharedList::Node* node = list->GetHead(); node; node = node->m_next)
        if (Qr3dsSkinAndBone* binding = node->m_value.Get())
            binding->UnlinkBones(binding->m_rootBone.Get());
    delete list;
}

void Qr3dsSkinAndBone::UnlinkBones(QrObject* object)
{
    auto* node = QrDynamicCast<QrNode>(object);
    if (!node)
        return;
    if (auto* bone = QrDynamicCast<Qr3dsBone>(node); bone && bone->GetLinkedObject() == this)
        bone->SetLinkedObject(nullptr);
    for (uint32_t i = 0; i < node->GetChildCount(); ++i)
        UnlinkBones(node->GetChildAt(i));
}

void Qr3dsSkinAndBone::AddSkin(Qr3dsSkin* skin)
{
    if (skin)
        m_skins.Add(skin);
}

void Qr3dsSkinAndBone::ApplyAtTime(float time)
{
    if (Qr3dsBone* root = m_rootBone.Get())
    {
        QrMatrix3 identity;
        identity.MakeIdentity();
        UpdateBone(root, time, identity, QrPoint3::ZERO, 1.0f);
    }
    for (uint32_t i = 0; i < m_skins.GetUsedSize(); ++i)
    {
        Qr3dsSkin* skin = m_skins.GetAtChecked(i);
        if (!skin || !skin->Deform())
            continue;
        if (skin->GetRecomputeNormals() && skin->GetNormals())
            skin->CalculateNormals();
        else
            skin->UpdateTrianglePlanes();
        // The model bound and every instance's world copies follow the new vertices.
        skin->MarkVerticesChanged();
    }
}

void Qr3dsSkinAndBone::UpdateBone(Qr3dsBone* bone, float time, const QrMatrix3& parentRotation,
                                  const QrPoint3& parentTranslation, float parentScale)
{
    static_cast<QrAnimTiming*>(bone)->ApplyAtTime(time);
    bone->m_skinChanged = 0;
    const QrMatrix3 rotation = parentRotation * bone->GetRotate();
    if (rotation != bone->m_skinRotation)
    {
        bone->m_skinRotation = rotation;
        bone->m_skinChanged = 1;
    }
    const QrPoint3 translation = parentRotation.TimesPoint(bone->GetTranslate()) * parentScale + parentTranslation;
    if (translation != bone->m_skinTranslation)
    {
        bone->m_skinTranslation = translation;
        bone->m_skinChanged = 1;
    }
    const float scale = bone->GetScale() * parentScale;
    if (scale != bone->m_skinScale)
    {
        bone->m_skinScale = scale;
        bone->m_skinChanged = 1;
    }
    for (uint32_t i = 0; i < bone->GetChildCount(); ++i)
        if (auto* child = QrDynamicCast<Qr3dsBone>(bone->GetChildAt(i)))
            UpdateBone(child, time, bone->m_skinRotation, bone->m_skinTranslation, bone->m_skinScale);
}

// --- scene file

void Qr3dsSkinAndBone::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    LoadTiming(stream);
    stream.LoadLinkID(this);
    m_loadedSkinCount = stream.LoadCount(4, "skins");
    for (uint32_t i = 0; i < m_loadedSkinCount; ++i)
        stream.LoadLinkID(this);
}

void Qr3dsSkinAndBone::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    m_rootBone = stream.ResolveLinkID<Qr3dsBone>(this);
    for (uint32_t i = 0; i < m_loadedSkinCount; ++i)
        AddSkin(stream.ResolveLinkID<Qr3dsSkin>(this));
    m_loadedSkinCount = 0;
}

bool Qr3dsSkinAndBone::RegisterStreamables(QrStream& stream)
{
    if (!QrObject::RegisterStreamables(stream))
        return false;
    if (m_rootBone)
        m_rootBone->RegisterStreamables(stream);
    for (uint32_t i = 0; i < m_skins.GetUsedSize(); ++i)
        if (Qr3dsSkin* skin = m_skins.GetAtChecked(i))
            skin->RegisterStreamables(stream);
    return true;
}

void Qr3dsSkinAndBone::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    SaveTiming(stream);
    stream.SaveLinkID(m_rootBone.Get());
    stream.SaveU32(m_skins.GetUsedSize());
    for (uint32_t i = 0; i < m_skins.GetUsedSize(); ++i)
        stream.SaveLinkID(m_skins.GetAtChecked(i));
}

bool Qr3dsSkinAndBone::IsEqual(const QrObject* other) const
{
    if (!QrObject::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsSkinAndBone*>(other);
    if (m_skins.GetUsedSize() != o->m_skins.GetUsedSize())
        return false;
    for (uint32_t i = 0; i < m_skins.GetUsedSize(); ++i)
    {
        const Qr3dsSkin* a = m_skins.GetAtChecked(i);
        const Qr3dsSkin* b = o->m_skins.GetAtChecked(i);
        if (!a || !b || !a->IsEqual(b))
            return false;
    }
    return true;
}
