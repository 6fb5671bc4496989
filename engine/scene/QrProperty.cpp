#include "QrProperty.h"

#include "QrAlphaProperty.h"
#include "QrAudioProperty.h"
#include "QrCorrectionProperty.h"
#include "QrDitherProperty.h"
#include "QrFogProperty.h"
#include "QrMaterialProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrShadeProperty.h"
#include "QrSpecularProperty.h"
#include "QrStream.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"

#include <vector>

QR_IMPLEMENT_RTTI(QrProperty, QrObject)
QR_IMPLEMENT_ABSTRACT_CREATE(QrProperty)

void QrProperty::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    stream.Field(m_override);
}

void QrProperty::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    stream.Field(m_override);
}

bool QrProperty::IsEqual(const QrObject* other) const
{
    return QrObject::IsEqual(other) && m_override == static_cast<const QrProperty*>(other)->m_override;
}

void QrProperty::LinkList(QrStream& stream, QrObject* owner, uint32_t count, QrPointerList<QrProperty>& list)
{
    std::vector<QrProperty*> properties;
    properties.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
    {
        QrProperty* property = stream.ResolveLinkID<QrProperty>(owner);
        if (!property)
            continue;
        for (QrProperty*& earlier : properties)
            if (earlier && earlier->Type() == property->Type())
                earlier = nullptr;
        properties.push_back(property);
    }
    // Head insertion from the last: the list reads in file order.
    for (auto it = properties.rbegin(); it != properties.rend(); ++it)
        list.AddHead(*it);
}

void QrProperty::AttachToList(QrPointerList<QrProperty>& list, QrProperty* property)
{
    if (!property)
        return;
    QrPointer<QrProperty> hold(property);
    std::vector<QrProperty*> sameType;
    for (QrProperty* entry : list)
        if (entry->Type() == property->Type())
            sameType.push_back(entry);
    for (QrProperty* entry : sameType)
        list.Remove(entry);
    list.AddHead(property);
}

void QrProperty::RegisterList(QrStream& stream, const QrPointerList<QrProperty>& list)
{
    for (QrProperty* property : list)
        property->RegisterStreamables(stream);
}

void QrProperty::SaveList(QrStream& stream, const QrPointerList<QrProperty>& list)
{
    stream.SaveU32(list.GetCount());
    for (QrProperty* property : list)
        stream.SaveLinkID(property);
}

void QrProperty::CopyList(const QrPointerList<QrProperty>& from, QrPointerList<QrProperty>& to)
{
    std::vector<QrProperty*> properties;
    for (QrProperty* property : from)
        properties.push_back(property);
    for (auto it = properties.rbegin(); it != properties.rend(); ++it)
        to.AddHead(*it);
}

QrProperty* QrProperty::GetDefault(uint32_t type)
{
    switch (type)
    {
    case kAlpha:
        return QrAlphaProperty::GetDefault();
    case kAudio:
        return QrAudioProperty::GetDefault();
    case kCorrection:
        return QrCorrectionProperty::GetDefault();
    case kFog:
        return QrFogProperty::GetDefault();
    case kMaterial:
        return QrMaterialProperty::GetDefault();
    case kShade:
        return QrShadeProperty::GetDefault();
    case kTextureMode:
        return QrTextureModeProperty::GetDefault();
    case kTexture:
        return QrTextureProperty::GetDefault();
    case kTransparent:
        return QrTransparentProperty::GetDefault();
    case kWireframe:
        return QrWireframeProperty::GetDefault();
    case kZBuffer:
        return QrZBufferProperty::GetDefault();
    case kDither:
        return QrDitherProperty::GetDefault();
    case kVertexColor:
        return QrVertexColorProperty::GetDefault();
    case kSpecular:
        return QrSpecularProperty::GetDefault();
    case kMultiTexture:
        return QrMultiTextureProperty::GetDefault();
    default:
        return nullptr;
    }
}

void QrProperty::CreateDefaults()
{
    for (uint32_t type = 0; type < kTypeCount; ++type)
        GetDefault(type);
}
