#pragma once
// How the first texture stage applies (0 replace, 1 decal, 2 modulate, 3 modulate with alpha),
// filters (0..5: point or bilinear, with none, nearest or blended mip levels) and addresses
// (0 clamp both, 1 clamp S wrap T, 2 wrap S clamp T, 3 wrap both) the bound texture.
// Values past those ranges leave the renderer's stage setting as it was.

#include "QrProperty.h"

class QrTextureModeProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kTextureMode;

    enum ApplyMode : uint32_t
    {
        kApplyReplace = 0,
        kApplyDecal = 1,
        kApplyModulate = 2,
        kApplyModulateAlpha = 3,
    };
    enum ClampMode : uint32_t
    {
        kClampBoth = 0,
        kClampSWrapT = 1,
        kWrapSClampT = 2,
        kWrapBoth = 3,
    };

    QrTextureModeProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrTextureModeProperty* GetDefault();

    uint32_t m_applyMode = kApplyModulateAlpha;
    uint32_t m_filterMode = 0;
    uint32_t m_clampMode = kWrapBoth;

protected:
    ~QrTextureModeProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
