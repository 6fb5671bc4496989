#include "QrTransparentProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrTransparentProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrTransparentProperty)

QrTransparentProperty* QrTransparentProperty::GetDefault()
{
    static QrPointer<QrTransparentProperty> instance(new QrTransparentProperty);
    return instance.Get();
}

void QrTransparentProperty::Fields(QrStream& stream)
{
    stream.Field(m_enabled);
    stream.Field(m_value);
}

void QrTransparentProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrTransparentProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrTransparentProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrTransparentProperty*>(other);
    return m_enabled == o->m_enabled && m_value == o->m_value;
}
