#pragma once
// The local player's rig: its own boat (with the probe) and angler figure, and the boat's
// controls as the player works them: throttle, wheel, trim, the outboard's sounds and the
// trolling motor. Every change goes to the other players through the Net facade, which does
// nothing without a session.

#include "tovAnglerRig.h"

#include <cstdint>

class tovAngler;

class tovLocalRig : public tovAnglerRig
{
public:
    // The throttle commands, also the motor-sound requests they raise.
    enum ThrottleCommand : int32_t
    {
        kThrottleUp = 1,
        kThrottleReverse = 2,
        kThrottleDown = 3,
        kThrottleIdle = 4,
    };
    // Steps of one key press.
    static constexpr float kThrottleStep = 0.1f;
    static constexpr float kSteeringStep = 0.1f;
    static constexpr float kTrimStep = 0.1f;

    // Low detail picks the lighter boat. The profile's gender and looks dress the figure.
    explicit tovLocalRig(bool lowDetail);

    tovAngler* GetAngler() const { return m_angler.Get(); }

    // The outboard: start (sound request 0, the angler takes the wheel) and stop (request 4).
    void StartMotor();
    void StopMotor();
    bool IsMotorRunning() const { return m_motorRunning; }
    // A throttle command; the sound request follows only when the throttle moved.
    void Throttle(int32_t command);
    // Negative turns left.
    void Steer(float amount);
    void CentreWheel();
    void Trim(float amount);
    void ResetTrim();
    // A trolling-motor command (forward, back, left, right, slower, off); only off until the
    // motor is lowered into the water.
    void TrollingCommand(int32_t command);
    void LowerTrollingMotor();
    void RaiseTrollingMotor();

    // Standing to fish and sitting at the wheel, with the angler phase sent.
    void StandToFish();
    void SitToDrive();

    // Casting and reeling, told to the figure and the other players: a cast only from standing;
    // the ready and fast-reel flags only when they change.
    void CastAt(const QrPoint3& target) override;
    void ReadyOn() override;
    void ReadyAndReel() override;
    void ReadyOff() override;

    // The boat, then the figure, with the same times; a landed cast starts the reeling move.
    void Idle(double now, double elapsed) override;

protected:
    ~tovLocalRig() override;

private:
    // The outboard's part of stopping: throttle to neutral and the stop sound.
    void StopOutboard();
    void SendFlags(bool ready, bool fast);

    QrPointer<tovAngler> m_angler;
    bool m_motorRunning = false;
};
