#pragma once
// The electric trolling motor at the bow: lowered and raised by an animation, steered by six
// commands (forward, back, left, right, slower, off); repeating a direction speeds it up
// (levels 0 to 9). It moves the boat directly through the boat's flyer, not through the
// motion model. Its level and last command travel in the boat's state record.

#include <cstdint>

class QrAVObject;
class qrxObjectFlyer;
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

    // The sound machine plays the motor's loop (on the local boat only); may be null.
    explicit tovTrollingMotor(tovMotorSound* sound = nullptr) : m_sound(sound) {}

    void OnMotorEvent(int32_t command);
    void StopTrollingMotor();
    // Moves the flyer's object by the command, at factor times its speeds.
    static void DriveTrollingMotor(qrxObjectFlyer& flyer, float dt, int32_t command, float factor);
    // One frame while the motor runs: drives the boat and spins the propeller (when given).
    void Step(qrxObjectFlyer& flyer, QrAVObject* propeller, float dt);
    // 0 stowed .. 1 in the water; the motor runs only fully lowered, and the wakes only while it
    // is stowed.
    void SetTrollingMotorDeploy(float fraction, tovWake* const* wakes, int32_t wakeCount);

    int16_t GetLevel() const { return m_level; }
    int16_t GetLastCommand() const { return m_lastCommand; }
    bool IsRunning() const { return m_level >= 0; }
    // From a received or saved state record: values outside the motor's range are clamped.
    void SetState(int16_t level, int16_t lastCommand);

    float GetPropellerAngle() const { return m_propellerAngle; }
    float GetAnimationTimeWanted() const { return m_timeWanted; }
    float GetAnimationTimeApplied() const { return m_timeApplied; }
    // True once when the wanted animation time has changed since it was last applied.
    bool TakeAnimationTime(float& time);

private:
    tovMotorSound* m_sound;
    int16_t m_level = -1;
    int16_t m_lastCommand = kOff;
    float m_propellerAngle = 0.0f;
    float m_timeApplied = -1.0f;
    float m_timeWanted = 0.0f;
};
