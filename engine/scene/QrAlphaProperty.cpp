#include "QrAlphaProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrAlphaProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrAlphaProperty)

QrAlphaProperty* QrAlphaProperty::GetDefault()
{
    static QrPointer<QrAlphaProperty> instance(new QrAlphaProperty);
    return instance.Get();
}

void QrAlphaProperty::Fields(QrStream& stream)
{
    stream.Field(m_enabled);
    stream.Field(m_source);
    stream.Field(m_destination);
}

void QrAlphaProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrAlphaProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrAlphaProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrAlphaProperty*>(other);
    return m_enabled == o->m_enabled && m_source == o->m_source && m_destination == o->m_destination;
}
