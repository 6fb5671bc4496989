#include "QrTextureProperty.h"

#include "QrObjectsEqual.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrTextureProperty, QrProperty)
QR_IMPLEMENT_CREATE(QrTextureProperty)

namespace
{
// Images made by texture properties, from files or scene records.
constexpr uint32_t kImageKind = 2;
} // namespace

QrTextureProperty::QrTextureProperty() : m_images(1, 1) {}

QrTextureProperty::QrTextureProperty(const char* fileName) : QrTextureProperty()
{
    QrPointer<QrImage> image = QrImage::CreateFromFile(fileName, kImageKind);
    if (image)
    {
        m_images.SetAt(0, image.Get());
        m_currentIndex = 0;
    }
}

QrTextureProperty* QrTextureProperty::GetDefault()
{
    static QrPointer<QrTextureProperty> instance(new QrTextureProperty);
    return instance.Get();
}

void QrTextureProperty::SetImage(QrImage* image, uint32_t index)
{
    SetImageAt(m_images, image, index);
}

QrPointer<QrImage> QrTextureProperty::GetImage(uint32_t index) const
{
    return m_images.GetAt(index);
}

void QrTextureProperty::SetImageCount(uint32_t count)
{
    m_images.SetSize(count);
}

QrPointer<QrImage> QrTextureProperty::GetCurrentImage() const
{
    if (m_currentIndex < 0)
        return nullptr;
    return m_images.GetAt(static_cast<uint32_t>(m_currentIndex));
}

void QrTextureProperty::LoadImageLinks(QrStream& stream, QrObject* owner, uint32_t& pendingLinks)
{
    pendingLinks = stream.LoadCount(4, "image links");
    for (uint32_t i = 0; i < pendingLinks; ++i)
        stream.LoadLinkID(owner);
}

void QrTextureProperty::LinkImages(QrStream& stream, QrObject* owner, uint32_t& pendingLinks, QrTArray<QrImage>& images)
{
    const uint32_t count = pendingLinks;
    pendingLinks = 0;
    images.SetSize(count);
    // Empty entries are stored too, so the list keeps the length it was saved with.
    for (uint32_t i = 0; i < count; ++i)
        images.SetAt(i, stream.ResolveLinkID<QrImage>(owner));
}

void QrTextureProperty::SetImageAt(QrTArray<QrImage>& images, QrImage* image, uint32_t index)
{
    if (index >= images.GetUsedSize())
        images.SetSize(index + 1);
    images.SetAt(index, image);
}

void QrTextureProperty::RegisterImages(QrStream& stream, const QrTArray<QrImage>& images)
{
    for (uint32_t i = 0; i < images.GetUsedSize(); ++i)
        if (QrImage* image = images.GetAtChecked(i))
            image->RegisterStreamables(stream);
}

void QrTextureProperty::SaveImageLinks(QrStream& stream, const QrTArray<QrImage>& images)
{
    stream.SaveU32(images.GetUsedSize());
    for (uint32_t i = 0; i < images.GetUsedSize(); ++i)
        stream.SaveLinkID(images.GetAtChecked(i));
}

void QrTextureProperty::LoadBinary(QrStream& stream)
{
    QrProperty::LoadBinary(stream);
    stream.Field(m_currentIndex);
    LoadImageLinks(stream, this, m_pendingLinks);
}

void QrTextureProperty::LinkObject(QrStream& stream)
{
    QrProperty::LinkObject(stream);
    LinkImages(stream, this, m_pendingLinks, m_images);
}

bool QrTextureProperty::RegisterStreamables(QrStream& stream)
{
    if (!QrProperty::RegisterStreamables(stream))
        return false;
    RegisterImages(stream, m_images);
    return true;
}

void QrTextureProperty::SaveBinary(QrStream& stream)
{
    QrProperty::SaveBinary(stream);
    stream.Field(m_currentIndex);
    SaveImageLinks(stream, m_images);
}

bool QrTextureProperty::IsEqual(const QrObject* other) const
{
    if (!QrProperty::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrTextureProperty*>(other);
    return m_currentIndex == o->m_currentIndex && QrObjectArraysEqual(m_images, o->m_images);
}
