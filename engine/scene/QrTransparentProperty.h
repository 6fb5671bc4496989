#pragma once
// Colour-keyed transparency: texels equal to the texture's colour key are not drawn. The
// value is carried for renderers that need a key value.

#include "QrProperty.h"

class QrTransparentProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kTransparent;

    QrTransparentProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrTransparentProperty* GetDefault();

    uint8_t m_enabled = 0;
    uint32_t m_value = 0;

protected:
    ~QrTransparentProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
