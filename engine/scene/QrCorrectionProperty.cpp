#include "QrCorrectionProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrCorrectionProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrCorrectionProperty)

QrCorrectionProperty* QrCorrectionProperty::GetDefault()
{
    static QrPointer<QrCorrectionProperty> instance(new QrCorrectionProperty);
    return instance.Get();
}

void QrCorrectionProperty::Fields(QrStream& stream)
{
    stream.Field(m_enabled);
}

void QrCorrectionProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrCorrectionProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrCorrectionProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrCorrectionProperty*>(other);
    return m_enabled == o->m_enabled;
}
