#pragma once
// Perspective-correct texture mapping (on by default) or affine.

#include "QrProperty.h"

class QrCorrectionProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kCorrection;

    QrCorrectionProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrCorrectionProperty* GetDefault();

    uint8_t m_enabled = 1;

protected:
    ~QrCorrectionProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
