#include "QrSpecularProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrSpecularProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrSpecularProperty)

QrSpecularProperty* QrSpecularProperty::GetDefault()
{
    static QrPointer<QrSpecularProperty> instance(new QrSpecularProperty);
    return instance.Get();
}

void QrSpecularProperty::Fields(QrStream& stream)
{
    stream.Field(m_enabled);
}

void QrSpecularProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrSpecularProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrSpecularProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrSpecularProperty*>(other);
    return m_enabled == o->m_enabled;
}
