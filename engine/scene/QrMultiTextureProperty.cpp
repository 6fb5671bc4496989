#include "QrMultiTextureProperty.h"

#include "QrObjectsEqual.h"
#include "QrStream.h"
#include "QrTextureProperty.h"

QR_IMPLEMENT_RTTI(QrMultiTextureProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrMultiTextureProperty)

namespace
{
void ModeList(QrStream& stream, std::vector<uint32_t>& modes, const char* what)
{
    uint32_t count = static_cast<uint32_t>(modes.size());
    if (stream.IsLoading())
    {
        count = stream.LoadCount(4, what);
        modes.assign(count, 0);
    }
    else
    {
        stream.SaveU32(count);
    }
    for (uint32_t& mode : modes)
        stream.Field(mode);
}
} // namespace

QrMultiTextureProperty::QrMultiTextureProperty() : m_images(1, 1) {}

QrMultiTextureProperty* QrMultiTextureProperty::GetDefault()
{
    static QrPointer<QrMultiTextureProperty> instance(new QrMultiTextureProperty);
    return instance.Get();
}

void QrMultiTextureProperty::SetImage(QrImage* image, uint32_t index)
{
    QrTextureProperty::SetImageAt(m_images, image, index);
}

QrPointer<QrImage> QrMultiTextureProperty::GetImage(uint32_t index) const
{
    return m_images.GetAt(index);
}

void QrMultiTextureProperty::ModeFields(QrStream& stream)
{
    // Files before 2.14 end the record after the images; saving always writes the lists.
    if (stream.IsLoading() && stream.CompareVersion("2.14") < 0)
        return;
    ModeList(stream, m_applyModes, "apply modes");
    ModeList(stream, m_clampModes, "clamp modes");
    ModeList(stream, m_filterModes, "filter modes");
}

void QrMultiTextureProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    QrTextureProperty::LoadImageLinks(stream, this, m_pendingLinks);
    ModeFields(stream);
}

void QrMultiTextureProperty::LinkObject(QrStream& stream)
{
    QrProperty::LinkObject(stream);
    QrTextureProperty::LinkImages(stream, this, m_pendingLinks, m_images);
}

bool QrMultiTextureProperty::RegisterStreamables(QrStream& stream)
{
    if (!QrProperty::RegisterStreamables(stream))
        return false;
    QrTextureProperty::RegisterImages(stream, m_images);
    return true;
}

void QrMultiTextureProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    QrTextureProperty::SaveImageLinks(stream, m_images);
    ModeFields(stream);
}

bool QrMultiTextureProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrMultiTextureProperty*>(other);
    return QrObjectArraysEqual(m_images, o->m_images) && m_applyModes == o->m_applyModes &&
           m_clampModes == o->m_clampModes && m_filterModes == o->m_filterModes;
}
