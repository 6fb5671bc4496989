#include "QrAudioProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrAudioProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrAudioProperty)

QrAudioProperty* QrAudioProperty::GetDefault()
{
    static QrPointer<QrAudioProperty> instance(new QrAudioProperty);
    return instance.Get();
}

void QrAudioProperty::Fields(QrStream& stream)
{
    stream.Field(m_valueA);
    stream.Field(m_valueB);
    stream.Field(m_flag);
}

void QrAudioProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrAudioProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrAudioProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrAudioProperty*>(other);
    return m_valueA == o->m_valueA && m_valueB == o->m_valueB && m_flag == o->m_flag;
}
