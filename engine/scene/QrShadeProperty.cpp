#include "QrShadeProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrShadeProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrShadeProperty)

QrShadeProperty* QrShadeProperty::GetDefault()
{
    static QrPointer<QrShadeProperty> instance(new QrShadeProperty);
    return instance.Get();
}

void QrShadeProperty::Fields(QrStream& stream)
{
    stream.Field(m_smooth);
}

void QrShadeProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrShadeProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrShadeProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrShadeProperty*>(other);
    return m_smooth == o->m_smooth;
}
