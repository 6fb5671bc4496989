#pragma once
// Triangles drawn as outlines instead of filled.

#include "QrProperty.h"

class QrWireframeProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kWireframe;

    QrWireframeProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrWireframeProperty* GetDefault();

    uint8_t m_enabled = 0;

protected:
    ~QrWireframeProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
