#pragma once
// Material colours of lit and material-coloured vertices. The renderer keeps a converted copy
// keyed by the serial number and refreshes it when the revision differs: whoever edits the
// values in place sets the changed flag, and the display raises the revision when it sends.

#include "QrPoint3.h"
#include "QrProperty.h"

class QrMaterialProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kMaterial;

    // Takes the next serial number.
    QrMaterialProperty();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    // Compares the colours, shininess and alpha; not the serial, the flag or the revision.
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrMaterialProperty* GetDefault();

    // Unique per material for the program's lifetime; never taken from a file.
    uint32_t GetSerial() const { return m_serial; }

    uint8_t m_changed = 1;
    QrPoint3 m_ambient{0.5f, 0.5f, 0.5f};
    QrPoint3 m_diffuse{0.5f, 0.5f, 0.5f};
    QrPoint3 m_specular{0.0f, 0.0f, 0.0f};
    QrPoint3 m_emissive{0.0f, 0.0f, 0.0f};
    // Stored, streamed and compared; the lighting does not use it.
    float m_shininess = 0.0f;
    float m_alpha = 1.0f;
    uint32_t m_revision = 1;

protected:
    ~QrMaterialProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);

    uint32_t m_serial;

    static uint32_t ms_nextSerial;
};
