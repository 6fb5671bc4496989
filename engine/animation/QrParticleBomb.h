#pragma once
// Force that pushes particles away from a point, an axis or a plane while its time window is
// open; the push is the strength times the part of the step inside the window, weakened with
// distance by the falloff.

#include "QrForce.h"

class QrParticleBomb : public QrForce
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    enum : uint32_t
    {
        kFalloffNone = 0,
        kFalloffLinear = 1,
        kFalloffExponential = 2,
    };
    enum : uint32_t
    {
        kSymmetrySpherical = 0,
        kSymmetryCylindrical = 1, // also any value other than 0 and 2
        kSymmetryPlanar = 2,
    };

    QrParticleBomb();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrForce> Clone() const override;
    bool Apply(QrPoint3& position, QrPoint3& velocity, float& step, float time) override;

    float m_range = 0.0f;
    float m_duration = 0.0f;
    float m_strength = 0.0f;
    float m_startTime = 0.0f;
    uint32_t m_falloff = kFalloffNone;
    uint32_t m_symmetry = kSymmetrySpherical;
    QrPoint3 m_position;
    QrPoint3 m_axis;

protected:
    ~QrParticleBomb() override;

private:
    // The record, for both directions.
    void Fields(QrStream& stream);
};
