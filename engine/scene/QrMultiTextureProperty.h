#pragma once
// Images and modes of the additional texture stages: entry i of each list describes one stage
// (the renderer uses entry 0 for the second stage). Apply modes have the second stage's own
// codes; filter and clamp codes mean what they mean in the texture-mode property. Files
// before 2.14 carry no mode lists, so they may be empty.

#include "QrImage.h"
#include "QrProperty.h"
#include "QrTArray.h"

#include <vector>

class QrMultiTextureProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kMultiTexture;

    QrMultiTextureProperty();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrMultiTextureProperty* GetDefault();

    // Past the used size the list is reallocated to exactly index + 1 entries first.
    void SetImage(QrImage* image, uint32_t index);
    QrPointer<QrImage> GetImage(uint32_t index) const;
    // One past the highest entry set, and the number of entries that hold an image.
    uint32_t GetImageCount() const { return m_images.GetUsedSize(); }
    uint32_t GetNonNullImageCount() const { return m_images.GetCount(); }

    // The mode lists as the renderer takes them: null when a list is empty, so that an
    // empty list leaves the stage's setting unchanged instead of reading past its end.
    const uint32_t* GetApplyModes() const { return First(m_applyModes); }
    const uint32_t* GetClampModes() const { return First(m_clampModes); }
    const uint32_t* GetFilterModes() const { return First(m_filterModes); }

    std::vector<uint32_t> m_applyModes;
    std::vector<uint32_t> m_clampModes;
    std::vector<uint32_t> m_filterModes;

protected:
    ~QrMultiTextureProperty() override = default;

private:
    static const uint32_t* First(const std::vector<uint32_t>& modes) { return modes.empty() ? nullptr : modes.data(); }
    // The three mode lists, walked in the same order by LoadBinary and SaveBinary.
    void ModeFields(QrStream& stream);

    QrTArray<QrImage> m_images;
    // Image ids read by LoadBinary and not yet linked.
    uint32_t m_pendingLinks = 0;
};
