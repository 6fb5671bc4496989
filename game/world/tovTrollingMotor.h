#pragma once
// The electric trolling motor at the bow: lowered and raised by an animation, steered by six
// commands (forward, back, left, right, slower, off); repeating a direction speeds it up
// (levels 0 to 9). It moves the boat directly through the boat's flyer, not through the
// motion model. Its level and last command are fields of the boat's state, so they travel in
// the state record.

#include <cstdint>

class QrAVObject;
class qrxObjectFlyer;
class tovBoatStateBase;
class tovMotorSound;
class tovWake;

class tovTrollingMotor
{
public:
    enum Command : int16_t
    {
        kForward = 0,
        kBack = 1,
        kLeft = 2,
        kRight = 3,
        kSlower = 4,
        kOff = 5,
    };
    static constexpr int16_t kMaxLevel = 9;
    // Seconds of the lowering animation at which the motor is in the water.
    static constexpr float kDeployedTime = 1.6666666f;

    // Works on the state's trolling fields; the sound machine plays the motor's loop (on the
    // local boat only) and may be null.
    explicit tovTrollingMotor(tovBoatStateBase& state, tovMotorSound* sound = nullptr) : m_state(state), m_sound(sound)
    {
    }
    tovTrollingMotor(const tovTrollingMotor&) = delete;
    tovTrollingMotor& operator=(const tovTrollingMotor&) = delete;

    void OnMotorEvent(int32_t command);
    void StopTrollingMotor();
    // Moves the flyer's object by the command, at factor times its speeds.
    static void DriveTrollingMotor(qrxObjectFlyer& flyer, float dt, int32_t command, float factor);
    // One frame while the motor runs: drives the boat and spins the propeller (when given).
    void Step(qrxObjectFlyer& flyer, QrAVObject* propeller, float dt);
    // 0 stowed .. 1 in the water; the motor runs only fully lowered, and the wakes only while it
    // is stowed. Answers the lowering animation's time for the fraction.
    float SetTrollingMotorDeploy(float fraction, tovWake* const* wakes, int32_t wakeCount);

    int16_t GetLevel() const;
    int16_t GetLastCommand() const;
    bool IsRunning() const { return GetLevel() >= 0; }
    // After a received or saved state: values outside the motor's range are clamped.
    void ClampState();

    float GetPropellerAngle() const { return m_propellerAngle; }

private:
    tovBoatStateBase& m_state;
    tovMotorSound* m_sound;
    float m_propellerAngle = 0.0f;
};
