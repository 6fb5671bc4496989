#pragma once
// Audio entry of the property family: two values and a flag that the engine stores, streams
// and compares without interpreting them. The display caches it and never sends it.

#include "QrProperty.h"

class QrAudioProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kAudio;

    QrAudioProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrAudioProperty* GetDefault();

    float m_valueA = 0.0f;
    float m_valueB = 0.0f;
    uint8_t m_flag = 0;

protected:
    ~QrAudioProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
