#include "QrZBufferProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrZBufferProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrZBufferProperty)

QrZBufferProperty* QrZBufferProperty::GetDefault()
{
    static QrPointer<QrZBufferProperty> instance(new QrZBufferProperty);
    return instance.Get();
}

void QrZBufferProperty::Fields(QrStream& stream)
{
    stream.Field(m_test);
    stream.Field(m_write);
}

void QrZBufferProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrZBufferProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrZBufferProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrZBufferProperty*>(other);
    return m_test == o->m_test && m_write == o->m_write;
}
