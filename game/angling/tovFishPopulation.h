#pragma once
// The one fish population of the current lake: plain fish records placed in the water by the
// lake's cover and the species' abundance and depth, stepped once a frame. Fish near a lure in
// the water notice it, follow and strike by species, depth, the lure's family and the weather;
// the angler sets the hook, and the hooked fish fights until it is landed or gets away.
// Positions are kept in lake-map coordinates, so a sector switch moves no fish. Reproducible
// from the seed. Owned by the fishing world; it borrows the world.

#include "QrPoint3.h"
#include "qrxIdleObject.h"
#include "tovFishBehavior.h"
#include "tovFishFight.h"
#include "uRandom.h"

#include <array>
#include <cstdint>
#include <vector>

class tovAnglingWorld;
class tovLure;
class tovTackle;

// What the fish see of a lure this frame.
struct tovLurePresence
{
    QrPoint3 position;   // world
    float depth = 0.05f; // running depth below the surface, world units
    bool inWater = false;
    tovFightTackle::Reel retrieve = tovFightTackle::kRest;
    int32_t speciesRow = 0;
    float temperature = 0.5f; // the lure's attraction values, matched against the weather
    float clarity = 0.5f;
    float wave = 0.5f;
    float lineVisibility = 0.5f;

    // What the fish see of an angler's lure on its tackle; a hidden lure is out of the water.
    static tovLurePresence Of(const tovLure& lure, const tovTackle& tackle, float waterHeight);
};

class tovFishPopulation : public qrxIdleObject
{
public:
    struct Fish
    {
        int32_t species = 0;
        float weight = 0.0f; // lb
        float length = 0.0f; // inches
        QrPoint3 map;        // lake map x/z; y unused
        QrPoint3 home;
        float depth = 0.0f;   // below the surface, world units
        float heading = 0.0f; // radians from +z in world x/z, while cruising
        tovFishBehavior behavior;
    };

    // Per species: abundance, preferred depth in feet (0 any), activity (0 counts 1).
    using SpeciesTables = std::array<std::array<float, 17>, 3>;

    static constexpr int32_t kDefaultCount = 150;
    static constexpr int32_t kMaxCount = 2000;
    static constexpr float kActiveRadius = 1.5f;
    static constexpr float kStrikeDistance = 0.02f;

    explicit tovFishPopulation(const tovAnglingWorld& world);

    // Places count fish (at most kMaxCount) in the world rectangle from x0/z0 to x1/z1.
    void Populate(int32_t seed, const SpeciesTables& tables, float x0, float z0, float x1, float z1,
                  int32_t count = kDefaultCount, int32_t skill = 0);
    void Clear();

    // The lure the fish see during the next steps; null for none. Borrowed until replaced.
    void SetLure(const tovLurePresence* lure) { m_lure = lure; }
    // 0..2; sets the hook-set window.
    void SetSkill(int32_t skill);
    void Update(double now, double elapsed) override;

    // The fish that struck since the last call, or -1.
    int32_t TakeStrike();
    // Sets the hook in a striking fish and starts its fight with the given line out.
    bool SetHook(int32_t index, float lineOut);
    // Steps the hooked fish's fight; on an end the fish is landed or swims off.
    tovFishFight::Outcome StepFight(double elapsed, tovFightTackle& tackle);
    // The same on an angler's tackle, which wears its line and goes back to the rod at the end.
    tovFishFight::Outcome StepFight(double elapsed, tovTackle& tackle);
    int32_t GetHookedFish() const { return m_hooked; }
    const tovFishFight& GetFight() const { return m_fight; }
    // The hooked fish is where the fight's line out puts it: that far from the given point
    // along its bearing, while that spot is on the lake.
    void HoldHookedFrom(const QrPoint3& world);
    // A landed fish kept in a livewell leaves the lake; one let go swims off.
    void RemoveFish(int32_t index);
    void ReleaseFish(int32_t index);
    // A boat passing fast scares the fish near it.
    void SpookAt(const QrPoint3& world, float speedMph);

    int32_t GetCount() const { return static_cast<int32_t>(m_fish.size()); }
    const Fish& GetFish(int32_t index) const { return m_fish.at(static_cast<size_t>(index)); }
    int32_t CountInState(int32_t state) const;
    float GetHookWindow() const { return m_hookWindow; }

private:
    int32_t PickSpecies(const SpeciesTables& tables);
    bool PlaceFish(Fish& fish, const SpeciesTables& tables, float x0, float z0, float x1, float z1);
    float Appeal(const Fish& fish, const tovLurePresence& lure) const;
    void StepFish(Fish& fish, int32_t index, float dt);
    void Wander(Fish& fish, float dt);
    QrPoint3 WorldOf(const Fish& fish) const;
    tovFishFight::Outcome EndFight(tovFishFight::Outcome outcome);

    const tovAnglingWorld& m_world;
    std::vector<Fish> m_fish;
    std::array<float, 17> m_activity{};
    const tovLurePresence* m_lure = nullptr;
    uRandom m_random{1};
    tovFishFight m_fight;
    int32_t m_hooked = -1;
    int32_t m_strike = -1;
    float m_hookWindow = 2.0f;
};
