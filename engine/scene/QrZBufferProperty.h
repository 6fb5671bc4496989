#pragma once
// Depth test (less or equal) and depth write. Both are off by default: a scene that wants
// depth testing attaches one with the flags it needs at its root.

#include "QrProperty.h"

class QrZBufferProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kZBuffer;

    QrZBufferProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrZBufferProperty* GetDefault();

    uint8_t m_test = 0;
    uint8_t m_write = 0;

protected:
    ~QrZBufferProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
