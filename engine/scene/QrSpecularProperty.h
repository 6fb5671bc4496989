#pragma once
// Adds the lights' specular term to lit vertices (off by default).

#include "QrProperty.h"

class QrSpecularProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kSpecular;

    QrSpecularProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrSpecularProperty* GetDefault();

    uint8_t m_enabled = 0;

protected:
    ~QrSpecularProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
