#pragma once
// The boat's state as players exchange it and saved games keep it: the motion fields, the
// three controls, position and rotation, and a mask of what changed. Update dead-reckons the
// record with the boat's own step, without sound.

#include "tovBoatStateBase.h"

class tovBoatState : public tovBoatStateBase
{
public:
    // Change-mask bits.
    static constexpr uint32_t kThrottle = 0x1;
    static constexpr uint32_t kSteering = 0x2;
    static constexpr uint32_t kTrim = 0x4;
    static constexpr uint32_t kPosition = 0x8;
    static constexpr uint32_t kRotation = 0x10;
    static constexpr uint32_t kSpeed = 0x20;
    static constexpr uint32_t kTurn = 0x40;
    static constexpr uint32_t kPitch = 0x80;
    static constexpr uint32_t kRoll = 0x100;
    static constexpr uint32_t kTrolling = 0x200;
    // What a motion step changes.
    static constexpr uint32_t kStepMask = 0x1f8;
    static constexpr uint32_t kAllMask = 0x3ff;

    tovBoatState() = default;

    void SetThrottle(float value) override { m_throttle = value; }
    void SetSteering(float value) override { m_steering = value; }
    void SetRangeControl(float value) override { m_trim = value; }
    void SetPosition(const QrPoint3& position) override { m_position = position; }
    void SetRotation(const QrMatrix3& rotation) override { m_rotation = rotation; }
    float GetThrottle() const override { return m_throttle; }
    float GetSteering() const override { return m_steering; }
    float GetRangeControl() const override { return m_trim; }
    QrPoint3 GetPosition() const override { return m_position; }
    QrMatrix3 GetRotation() const override { return m_rotation; }
    QrMatrix3 GetWorldRotation() const override { return m_rotation; }
    // The motion step, then the step's mask bits.
    void Update(double dt) override;

    uint32_t m_changeMask = 0;
    float m_throttle = 0.0f;
    float m_steering = 0.0f;
    float m_trim = 0.0f;
    QrPoint3 m_position;
    QrMatrix3 m_rotation{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
};
