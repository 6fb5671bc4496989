#pragma once
// The force balance of a fight, fish side: the fish pulls with its weight, species and
// stamina, the drag gives line when the pull is stronger, the reel gains line when it is not,
// and the rod smooths the tension on the line. The line breaks above its (worn) strength or
// when the spool runs out; a slack line lets the hook pull out. Distances in world units
// (100 ft), forces in pounds, times in seconds. Deterministic for a given generator.

#include <cstdint>

class uRandom;

// What the tackle hands the fight each step; the fight adds to the line's wear.
struct tovFightTackle
{
    enum Reel : int32_t
    {
        kRest = 0,
        kReel = 1,
        kFastReel = 2
    };

    float drag = 4.0f;          // lb
    float lineStrength = 10.0f; // lb
    float wear = 0.0f;          // 0..1
    Reel reel = kRest;
};

class tovFishFight
{
public:
    enum Outcome : int32_t
    {
        kGoing = 0,
        kLanded,
        kLineBroke,
        kSpoolEmpty,
        kHookPulled
    };

    static constexpr float kMaxLineOut = 1.8f;
    static constexpr float kLandDistance = 0.04f;
    static constexpr float kLandStamina = 0.3f;

    // Starts a fight with the fish at the given distance; weight in pounds.
    void Start(int32_t species, float weight, float lineOut, uRandom& random);
    // One step; after the first outcome other than kGoing the fight stays there.
    Outcome Step(double elapsed, tovFightTackle& tackle, uRandom& random);

    Outcome GetOutcome() const { return m_outcome; }
    float GetTension() const { return m_tension; }
    float GetPull() const { return m_pull; }
    float GetLineOut() const { return m_lineOut; }
    float GetStamina() const { return m_stamina; }
    bool IsRunning() const { return m_running; }

private:
    Outcome Finish(Outcome outcome);
    void StepSurge(float dt, uRandom& random);

    float m_weight = 1.0f;
    float m_strength = 1.0f; // weight times the species' pull
    float m_stamina = 1.0f;
    float m_lineOut = 0.0f;
    float m_tension = 0.0f; // smoothed by the rod
    float m_pull = 0.0f;
    float m_surge = 0.5f;
    float m_surgeLeft = 0.0f;
    float m_slackTime = 0.0f;
    bool m_running = false;
    Outcome m_outcome = kGoing;
};
