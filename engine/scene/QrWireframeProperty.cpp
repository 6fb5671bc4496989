#include "QrWireframeProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrWireframeProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrWireframeProperty)

QrWireframeProperty* QrWireframeProperty::GetDefault()
{
    static QrPointer<QrWireframeProperty> instance(new QrWireframeProperty);
    return instance.Get();
}

void QrWireframeProperty::Fields(QrStream& stream)
{
    stream.Field(m_enabled);
}

void QrWireframeProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrWireframeProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrWireframeProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrWireframeProperty*>(other);
    return m_enabled == o->m_enabled;
}
