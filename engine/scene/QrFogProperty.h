#pragma once
// Fog: on/off, depth (the fraction of the far distance over which fog builds up), mode
// (0 linear in view depth, 1 by squared eye distance, 2 from the vertex alpha) and colour.

#include "QrPoint3.h"
#include "QrProperty.h"

class QrFogProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kFog;

    QrFogProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrFogProperty* GetDefault();

    uint8_t m_enabled = 0;
    // At 0.00001 or less no fog is drawn, whatever the flag says.
    float m_depth = 1.0f;
    uint32_t m_mode = 0;
    // Red, green, blue in 0..1.
    QrPoint3 m_color{0.0f, 0.0f, 0.0f};

protected:
    ~QrFogProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
