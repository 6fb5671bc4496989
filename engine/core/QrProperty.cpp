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
