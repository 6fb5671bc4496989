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

    // Each setter marks its field changed, so that the field is sent and applied.
    void SetThrottle(float value) override
    {
        m_throttle = value;
        m_changeMask |= kThrottle;
    }
    void SetSteering(float value) override
    {
        m_steering = value;
        m_changeMask |= kSteering;
    }
    void SetRangeControl(float value) override
    {
        m_trim = value;
        m_changeMask |= kTrim;
    }
    void SetPosition(const QrPoint3& position) override
    {
        m_position = position;
        m_changeMask |= kPosition;
    }
    void SetRotation(const QrMatrix3& rotation) override
    {
        m_rotation = rotation;
        m_changeMask |= kRotation;
    }
    // The trolling motor's command and level.
    void SetTackleIds(int16_t command, int16_t level)
    {
        m_lastTrollingCommand = command;
        m_trollingLevel = level;
        m_changeMask |= kTrolling;
    }
    // Verbatim (every field, then the mask set to all), or applied: the paint scheme, then by
    // the source's mask each field through its setter or pair, the source's mask added to ours.
    void Assign(const tovBoatState& from, bool apply);
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
