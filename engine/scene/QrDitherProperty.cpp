#include "QrDitherProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrDitherProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrDitherProperty)

QrDitherProperty* QrDitherProperty::GetDefault()
{
    static QrPointer<QrDitherProperty> instance(new QrDitherProperty);
    return instance.Get();
}

void QrDitherProperty::Fields(QrStream& stream)
{
    stream.Field(m_enabled);
}

void QrDitherProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrDitherProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrDitherProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrDitherProperty*>(other);
    return m_enabled == o->m_enabled;
}
