#pragma once
// Builds the fishing world on the sample lake with the session's five anglers (the local one
// and four computer anglers) and steps it, as the fishing screen will.

#include "tovFishingWorld.h"

#include "Clock.h"
#include "HeadlessRenderer.h"
#include "QrTestFixture.h"

#include "tovAnglerRig.h"
#include "tovFishPopulation.h"
#include "tovGameClock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FishingWorldHarness : public QrEngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds at the detail with the five anglers placed; false when the lake did not load.
    bool BuildDay(float detail);
    // The same on the lake described at `path` with its species tables and triples, the shared
    // generator (whose state seeds the day's fish) seeded with `seed`.
    using SpeciesTriples = std::array<std::array<float, 3>, 17>;
    bool BuildDay(float detail, const std::string& path, const tovFishPopulation::SpeciesTables& tables,
                  const SpeciesTriples& triples, uint32_t seed);
    // Frames at a fixed rate from the current time.
    void Step(int frames, double dt = 1.0 / 30.0);
    // Two frames through the current camera (the first refines the terrain).
    void Draw();
    // One frame through the current camera with the overlays drawn over it before it is shown.
    void DrawOver(const std::function<void()>& overlays);

    static std::string LakePath();

    std::unique_ptr<HeadlessRenderer> m_rig;
    std::unique_ptr<tovFishingWorld> m_world;
    std::vector<QrPointer<tovAnglerRig>> m_anglers;
    // The day's clock runs on manual time, so the weather is the same on every run.
    plat::ManualClock m_time{1'000'000'000};
    tovGameClock m_savedClock;
    double m_now = 0.0;
    float m_detail = 1.0f;
};
