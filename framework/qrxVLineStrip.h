#pragma once
// A line strip whose drawn point count changes (a fishing line paying out): it keeps the
// capacity it was made with and never draws past it.

#include "qrxLineStrip.h"

class qrxVLineStrip : public qrxLineStrip
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    qrxVLineStrip();
    qrxVLineStrip(uint16_t pointCount, const QrPoint3* vertices, const QrPoint3* points, const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // Clamped to the capacity: the arrays hold no more points.
    void SetPointCount(uint16_t count);
    uint16_t GetPointCount() const { return m_pointCount; }
    uint16_t GetCapacity() const { return m_capacity; }

protected:
    ~qrxVLineStrip() override;

    uint16_t m_capacity = 0;
    uint16_t m_initialCount = 0;
};
