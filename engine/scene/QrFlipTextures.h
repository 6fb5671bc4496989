#pragma once
// Flip-book action: moves a texture property's current index through its images over time.
// It holds its target counted, and leaves the action list once it holds the last reference,
// so releasing the scene that used the property ends the action too.

#include "QrAction.h"
#include "QrTextureProperty.h"

class QrFlipTextures : public QrAction
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    enum : uint32_t
    {
        kLoop = 0,
        // Back and forth.
        kReverse = 1,
        // Holds the first image before the start and the last after one period.
        kClamp = 2,
    };

    QrFlipTextures() = default;

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // Sets the target's index for the time. Does nothing without a target or with a period
    // that is not positive; false once the action holds the target's last reference.
    bool Update(double time, double elapsed) override;

    // The index the cycle gives for the time over count images; the current one for an
    // unknown cycle type. The period must be positive.
    int32_t ComputeIndex(double time, uint32_t count, int32_t current) const;

    QrTextureProperty* GetTarget() const { return m_target.Get(); }
    void SetTarget(QrTextureProperty* target) { m_target = target; }

    uint32_t m_cycleType = kLoop;
    // Streamed, copied and compared; the update does not use it.
    float m_rate = 1.0f;
    float m_startTime = 0.0f;
    // Length of one pass over the images, in the time unit of Update.
    float m_period = 0.0f;

protected:
    ~QrFlipTextures() override = default;

private:
    QrPointer<QrTextureProperty> m_target;
};
