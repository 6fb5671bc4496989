// A full fishing-world frame at 640 x 480 through the software renderer, on one core: the
// sample lake's start sector with its plants at full detail, the water, the sky's domes and
// fog, five boats (the player's with the angler at the wheel, four computer anglers) and the
// fish near the boat on their models.
//   StepFishingWorld: the per-frame simulation at 30 frames a second: idle objects (water,
//                     weather, fish population), the five rigs and their boats, the sky, the
//                     shown fish and the sector paging
//   DrawFishingWorld: the frame from behind the boat, drawn
//   FishingWorldFrame: both, one frame after the other
// Counter: fish shown on models.
#include "tovCameraModeAction.h"
#include "tovFishModels.h"
#include "tovFishingWorld.h"

#include "HeadlessRenderer.h"
#include "qrxAssetCache.h"
#include "qrxCutout.h"
#include "tovAnglerRig.h"
#include "tovAnglingRigFactory.h"
#include "tovBoat.h"
#include "tovInstallSettings.h"
#include "tovPopulationCatalogue.h"
#include "tovSky.h"
#include "tovUserProfile.h"
#include "tovWeather.h"
#include "tovWorldClasses.h"

#include "QrCamera.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace
{

const std::string kLake = std::string(QR_DATA_DIR) + "/Lakes/Clearwater.txt";

class FishingDay
{
public:
    FishingDay() : m_rig(std::make_unique<HeadlessRenderer>())
    {
        RegisterGameWorldClasses();
        SetInstallRoot(QR_DATA_DIR);
        qrxCutout::CreateSharedProperties();
        TheUserProfile().SetDetail(1.0f);
        std::array<std::array<float, 17>, 3> tables{};
        std::array<std::array<float, 3>, 17> triples{};
        for (const int species : {0, 1, 3, 10})
        {
            tables[0][size_t(species)] = 1.0f;
            triples[size_t(species)] = {0.5f, 5.0f, 1.0f};
        }
        m_world.SetSpeciesTables(tables);
        m_world.SetSpecies(triples);
        m_built = m_world.Build(kLake, 1.0f, m_rig->GetRenderer(), nullptr);
        if (!m_built)
            return;
        tovAnglingRigFactory factory;
        m_anglers.emplace_back(static_cast<tovAnglerRig*>(factory.CreateLocalRig(false).Get()));
        for (int i = 0; i < tovAnglingRigFactory::kComputerCount; ++i)
            m_anglers.emplace_back(static_cast<tovAnglerRig*>(factory.CreateComputerRig(false).Get()));
        for (const QrPointer<tovAnglerRig>& rig : m_anglers)
            m_world.AddAngler(rig.Get());
        m_world.PlaceAnglers();
        m_world.GetSky()->GetWeather()->SetCloud(0.42f);
        m_world.SetCamera(tovCameraModeAction::kChase);
        // Settled: the terrain refined for the eye, the computer anglers under way.
        for (int i = 0; i < 30; ++i)
            Step();
        Draw();
    }
    ~FishingDay()
    {
        m_world.Teardown();
        m_anglers.clear();
        ClearPopulationCatalogue();
        qrxAssetCache::Get().Clear();
        tovBoat::ReleaseStatics();
        SetInstallRoot("");
    }

    bool IsBuilt() const { return m_built; }
    void Step()
    {
        m_now += 1.0 / 30.0;
        m_world.Update(m_now, 1.0 / 30.0);
    }
    void Draw() { m_rig->DrawFrame(m_world.GetCamera(), float(m_now), m_world.GetSky()->GetBlendingColour()); }
    int32_t FishShown() const { return m_world.GetFish()->GetShownCount(); }

private:
    std::unique_ptr<HeadlessRenderer> m_rig;
    tovFishingWorld m_world;
    std::vector<QrPointer<tovAnglerRig>> m_anglers;
    double m_now = 0.0;
    bool m_built = false;
};

void StepFishingWorld(benchmark::State& state)
{
    FishingDay day;
    if (!day.IsBuilt())
        state.SkipWithError("the sample lake does not load");
    for (auto _ : state)
        day.Step();
}
BENCHMARK(StepFishingWorld)->Unit(benchmark::kMicrosecond);

void DrawFishingWorld(benchmark::State& state)
{
    FishingDay day;
    if (!day.IsBuilt())
        state.SkipWithError("the sample lake does not load");
    for (auto _ : state)
        day.Draw();
}
BENCHMARK(DrawFishingWorld)->Unit(benchmark::kMillisecond);

void FishingWorldFrame(benchmark::State& state)
{
    FishingDay day;
    if (!day.IsBuilt())
        state.SkipWithError("the sample lake does not load");
    for (auto _ : state)
    {
        day.Step();
        day.Draw();
    }
    state.counters["fish"] = double(day.FishShown());
}
BENCHMARK(FishingWorldFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
