#pragma once
// The boat's motion model: throttle, wheel and trim set a target speed and turn rate, both
// ease toward their targets, the boat advances along its forward axis and turns about the
// vertical, and every move is tested against the lake bottom a look-ahead ahead. The boat and
// the network's state record both derive from it, so a received record dead-reckons with the
// very step the boat drives by. Lengths are world units of 100 feet, times seconds.

#include "QrMatrix3.h"
#include "QrPoint3.h"

#include <cstdint>

class tovBoatStateBase
{
public:
    // 80 mph; speed / kMaxSpeed is the normalised speed.
    static constexpr float kMaxSpeed = 0.01f * 80.0f * 1.4666667f;
    // The bottom is also probed this far ahead of a position (12 feet).
    static constexpr float kLookAhead = 0.01f * 12.0f;
    // The bottom must be at or below this height (one foot of water).
    static constexpr float kDraftLimit = 0.01f * -1.0f;
    // Speeds of smaller magnitude do not move the boat.
    static constexpr float kStillSpeed = 0.01f * 0.1f;
    // Longest sub-step of Update, and the longest move one sub-step may make.
    static constexpr double kMaxSubStep = 0.25;
    static constexpr int32_t kMotorTableSize = 13;

    struct MotorEntry
    {
        int32_t rpm;
        float speed;
    };
    // Index = throttle x 12: RPM 0 to 6000 in steps of 500 and the speed they give.
    static const MotorEntry kMotorTable[kMotorTableSize];

    tovBoatStateBase() = default;
    tovBoatStateBase(const tovBoatStateBase&) = default;
    tovBoatStateBase& operator=(const tovBoatStateBase&) = default;
    virtual ~tovBoatStateBase() = default;

    virtual void SetThrottle(float value) = 0;
    virtual void SetSteering(float value) = 0;
    // The motor trim, 0 to 1.
    virtual void SetRangeControl(float value) = 0;
    virtual void SetPosition(const QrPoint3& position) = 0;
    virtual void SetRotation(const QrMatrix3& rotation) = 0;
    // -0.1 in reverse, else 0 to 1.
    virtual float GetThrottle() const = 0;
    virtual float GetSteering() const = 0;
    virtual float GetRangeControl() const = 0;
    virtual QrPoint3 GetPosition() const = 0;
    // The local rotation.
    virtual QrMatrix3 GetRotation() const = 0;
    // The world rotation (a record's own rotation).
    virtual QrMatrix3 GetWorldRotation() const = 0;
    // The motion step, cut into sub-steps on a long frame.
    virtual void Update(double dt);
    // Tests the move from the current position to newPos; on contact newPos becomes the last
    // free eighth of the move (or the current position) and, unless keepSpeed, the speed drops
    // by the same fraction. True on contact.
    virtual bool CheckGround(QrPoint3& newPos, const QrPoint3& ahead, bool keepSpeed);

    void Step(double dt);
    void UpdateTargetSpeed();
    void UpdateTurnTarget(float normSpeed);
    void UpdatePitchTarget(float normSpeed);
    void UpdateRollTarget(float normSpeed);
    QrPoint3 ComputeMove(double dt);
    // The higher bottom of p and p + ahead; 0 (dry) when p is not on the lake.
    static float GroundAhead(const QrPoint3& p, const QrPoint3& ahead);
    static void ThrottleToRpm(float throttle, float& speed, int32_t& rpm);
    float GetSpeedMph() const;
    // A whole number of revolutions per minute.
    float GetRpm() const;
    // Seconds of the sub-step Update uses for a frame of dt at the current speed.
    double SubStepLength(double dt) const;

    int32_t GetPaintSchemeIndex() const { return m_paintScheme; }
    int16_t GetTrollingLevel() const { return m_trollingLevel; }
    int16_t GetLastTrollingCommand() const { return m_lastTrollingCommand; }
    float GetSpeed() const { return m_speed; }
    float GetTargetSpeed() const { return m_targetSpeed; }
    float GetTurnRate() const { return m_turnRate; }
    float GetTargetTurnRate() const { return m_targetTurnRate; }
    float GetPitch() const { return m_pitch; }
    float GetPitchTarget() const { return m_pitchTarget; }
    float GetRoll() const { return m_roll; }
    float GetRollTarget() const { return m_rollTarget; }

    // The motion fields, in record order; savegames and the network copy them.
    int32_t m_paintScheme = -1;
    // 0 to 9; -1 while the trolling motor is off.
    int16_t m_trollingLevel = -1;
    // 0 to 5.
    int16_t m_lastTrollingCommand = 5;
    float m_speed = 0.0f;
    float m_targetSpeed = 0.0f;
    // Degrees per second.
    float m_turnRate = 0.0f;
    float m_targetTurnRate = 0.0f;
    // Degrees, bow up.
    float m_pitch = 0.0f;
    float m_pitchTarget = 0.0f;
    // Degrees.
    float m_roll = 0.0f;
    float m_rollTarget = 0.0f;
};
