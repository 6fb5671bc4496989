#pragma once
// A list of images and the index of the one in use (-1: none). Flip-books and animated
// textures move the index; the display binds the current image.

#include "QrImage.h"
#include "QrProperty.h"
#include "QrTArray.h"

class QrTextureProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kTexture;

    QrTextureProperty();
    // Makes the image from the file; without an image the index stays -1.
    explicit QrTextureProperty(const char* fileName);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrTextureProperty* GetDefault();

    // Past the used size the list is reallocated to exactly index + 1 entries first.
    void SetImage(QrImage* image, uint32_t index);
    QrPointer<QrImage> GetImage(uint32_t index) const;
    // Releases the entries at or past count; the list holds exactly count entries after.
    void SetImageCount(uint32_t count);
    // One past the highest entry set.
    uint32_t GetImageCount() const { return m_images.GetUsedSize(); }
    // Null when the index is negative or its entry is empty.
    QrPointer<QrImage> GetCurrentImage() const;

    int32_t GetCurrentIndex() const { return m_currentIndex; }
    void SetCurrentIndex(int32_t index) { m_currentIndex = index; }

    // The image list's stream form, shared with the multi-texture property: a count and one
    // link id per entry (0 for an empty entry), resolved in LinkObject.
    static void LoadImageLinks(QrStream& stream, QrObject* owner, uint32_t& pendingLinks);
    static void LinkImages(QrStream& stream, QrObject* owner, uint32_t& pendingLinks, QrTArray<QrImage>& images);
    static void RegisterImages(QrStream& stream, const QrTArray<QrImage>& images);
    static void SaveImageLinks(QrStream& stream, const QrTArray<QrImage>& images);
    // Grows the list to hold the index first.
    static void SetImageAt(QrTArray<QrImage>& images, QrImage* image, uint32_t index);

protected:
    ~QrTextureProperty() override = default;

private:
    QrTArray<QrImage> m_images;
    int32_t m_currentIndex = -1;
    // Image ids read by LoadBinary and not yet linked.
    uint32_t m_pendingLinks = 0;
};
