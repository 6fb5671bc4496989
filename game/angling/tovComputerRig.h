#pragma once
// A computer angler: it runs to a fishing spot, casts now and then, and now and then lands a
// bass of a species the lake's standings allow. What it keeps is shown in its livewell; its
// day's result is rolled at the weigh-in, not taken from here. Deterministic from its id.

#include "tovAnglerRig.h"
#include "uRandom.h"

#include <cstdint>

class tovAnglingWorld;

class tovComputerRig : public tovAnglerRig
{
public:
    enum class Activity
    {
        Waiting,
        Driving,
        Fishing,
    };

    // Builds its own boat (the light model with low detail). The four trailing values are
    // kept in the call form and unused.
    tovComputerRig(bool lowDetail, int32_t, int32_t, int32_t, int32_t);

    // The world it fishes (borrowed, null stops it) and its start location 0..3, where its
    // boat is put; the id seeds its choices, so set the angler value first.
    void SetWorld(const tovAnglingWorld* world, int32_t botIndex);

    void Idle(double now, double elapsed) override;
    // The world's origin moved by shift (a sector switch): the spot stays where it was.
    void MoveOrigin(const QrPoint3& shift) { m_spot = m_spot + shift; }
    // The session's skill level, which the size of its catches follows.
    void SetSkill(int32_t skill) { m_skill = skill; }

    Activity GetActivity() const { return m_activity; }
    // Where it drives to and fishes.
    const QrPoint3& GetSpot() const { return m_spot; }
    // Drives that ended at the spot rather than on the clock.
    int32_t GetArrivals() const { return m_arrivals; }
    int32_t GetCastCount() const { return m_casts; }
    int32_t GetCatchCount() const { return m_catches; }

    // The species of a computer catch for a draw in [0, 1): the bass of the standings (3, 10,
    // 11) by their lake shares; -1 when the lake has none of them.
    static int32_t ChooseSpecies(const tovAnglingWorld& world, double fraction);

    static constexpr double kCatchChance = 0.01;

private:
    ~tovComputerRig() override = default;
    void StartDriving();
    void StartFishing();
    // Steers and throttles the boat toward the spot; true once there.
    bool DriveTowardSpot(double elapsed);
    void Cast();
    void LandFish(int32_t species);

    const tovAnglingWorld* m_world = nullptr;
    uRandom m_random;
    Activity m_activity = Activity::Waiting;
    QrPoint3 m_spot;
    double m_now = 0.0;
    double m_nextEvent = 0.0;
    double m_firstWait = 0.0;
    bool m_started = false;
    double m_fishingEnds = 0.0;
    int32_t m_casts = 0;
    int32_t m_catches = 0;
    int32_t m_arrivals = 0;
    int32_t m_skill = 1;
};
