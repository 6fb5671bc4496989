#include "QrTextureModeProperty.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrTextureModeProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrTextureModeProperty)

QrTextureModeProperty* QrTextureModeProperty::GetDefault()
{
    static QrPointer<QrTextureModeProperty> instance(new QrTextureModeProperty);
    return instance.Get();
}

void QrTextureModeProperty::Fields(QrStream& stream)
{
    stream.Field(m_applyMode);
    stream.Field(m_filterMode);
    stream.Field(m_clampMode);
    // Files before 2.14 numbered the clamp modes from 1.
    if (stream.IsLoading() && stream.CompareVersion("2.14") < 0 && m_clampMode >= 1 && m_clampMode <= 4)
        --m_clampMode;
}

void QrTextureModeProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    Fields(stream);
}

void QrTextureModeProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    Fields(stream);
}

bool QrTextureModeProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrTextureModeProperty*>(other);
    // The clamp mode too: a property that wraps and one that clamps are two states to a cache.
    return m_applyMode == o->m_applyMode && m_filterMode == o->m_filterMode && m_clampMode == o->m_clampMode;
}
