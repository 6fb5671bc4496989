#include "QrMaterialProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrMaterialProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrMaterialProperty)

uint32_t QrMaterialProperty::ms_nextSerial = 1;

QrMaterialProperty::QrMaterialProperty() : m_serial(ms_nextSerial++) {}

QrMaterialProperty* QrMaterialProperty::GetDefault()
{
    static QrPointer<QrMaterialProperty> instance(new QrMaterialProperty);
    return instance.Get();
}

void QrMaterialProperty::Fields(QrStream& stream)
{
    m_ambient.StreamBinary(stream);
    m_diffuse.StreamBinary(stream);
    m_specular.StreamBinary(stream);
    m_emissive.StreamBinary(stream);
    stream.Field(m_shininess);
    stream.Field(m_alpha);
}

void QrMaterialProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrMaterialProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrMaterialProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrMaterialProperty*>(other);
    return m_ambient.IsEqual(o->m_ambient) && m_diffuse.IsEqual(o->m_diffuse) && m_specular.IsEqual(o->m_specular) &&
           m_emissive.IsEqual(o->m_emissive) && m_shininess == o->m_shininess && m_alpha == o->m_alpha;
}
