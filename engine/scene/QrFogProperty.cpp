#include "QrFogProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrFogProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrFogProperty)

QrFogProperty* QrFogProperty::GetDefault()
{
    static QrPointer<QrFogProperty> instance(new QrFogProperty);
    return instance.Get();
}

void QrFogProperty::Fields(QrStream& stream)
{
    stream.Field(m_enabled);
    stream.Field(m_depth);
    stream.Field(m_mode);
    if (stream.IsLoading())
        m_color.LoadBinary(stream);
    else
        m_color.SaveBinary(stream);
}

void QrFogProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrFogProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrFogProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrFogProperty*>(other);
    return m_enabled == o->m_enabled && m_depth == o->m_depth && m_mode == o->m_mode && m_color.IsEqual(o->m_color);
}
