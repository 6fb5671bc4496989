#include "QrVertexColorProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrVertexColorProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrVertexColorProperty)

QrVertexColorProperty* QrVertexColorProperty::GetDefault()
{
    static QrPointer<QrVertexColorProperty> instance(new QrVertexColorProperty);
    return instance.Get();
}

void QrVertexColorProperty::Fields(QrStream& stream)
{
    stream.Field(m_mode);
}

void QrVertexColorProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrVertexColorProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrVertexColorProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrVertexColorProperty*>(other);
    return m_mode == o->m_mode;
}
