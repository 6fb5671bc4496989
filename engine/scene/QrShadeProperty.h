#pragma once
// Smooth (Gouraud) shading, the default, or flat shading.

#include "QrProperty.h"

class QrShadeProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kShade;

    QrShadeProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrShadeProperty* GetDefault();

    uint8_t m_smooth = 1;

protected:
    ~QrShadeProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
