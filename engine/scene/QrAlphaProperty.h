#pragma once
// Alpha blending: on/off and the blend factor codes of the drawn colour and the target;
// off, with source alpha over inverse source alpha, by default.

#include "QrProperty.h"

class QrAlphaProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kAlpha;

    QrAlphaProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrAlphaProperty* GetDefault();

    uint8_t m_enabled = 0;
    // Blend factor codes: 0 one, 1 zero, 6 source alpha, 7 inverse source alpha, ...
    uint32_t m_source = 6;
    uint32_t m_destination = 7;

protected:
    ~QrAlphaProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
