// The sample lake "Clearwater" through the software renderer, as the fishing mode uses it.
//   LoadLake:     the description, mask, catalogue and the start sector's sixteen tiles with
//                 their terrain, models and plants (textures read by the renderer's images)
//   SwitchSector: back and forth between the lake's two overlapping sectors: eight tiles
//                 freed and read, the sector's pages built, plants placed and hung in
//   DrawLake:     one 640 x 480 frame at full detail from a boat at the first start location,
//                 turning one step of 64 per frame: level of detail and the drawn frame
//   StepLakeDay:  the per-frame simulation of a day on the lake at 30 frames a second: the
//                 water's waves and texture, the weather and the sky's blending and fog
//   DrawLakeDay:  the same frame as DrawLake with the water moving, the sky's domes and fog
// Counters: tiles read per switch; drawn terrain triangles per frame.
#include "HeadlessRenderer.h"
#include "qrxAssetCache.h"
#include "qrxCutout.h"
#include "qrxIdleManager.h"
#include "qrxSkyDome.h"
#include "tovInstallSettings.h"
#include "tovLake.h"
#include "tovPopulationCatalogue.h"
#include "tovScene.h"
#include "tovSky.h"
#include "tovWater.h"
#include "tovWaterFollowAction.h"
#include "tovWeather.h"
#include "tovWorldClasses.h"
#include "tovWorldServices.h"

#include "QrCamera.h"
#include "QrFogProperty.h"
#include "QrLight.h"
#include "QrZBufferProperty.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

namespace
{

const std::string kLake = std::string(QR_DATA_DIR) + "/Lakes/Clearwater.txt";
constexpr int kHeadings = 64;

class LakeWorld : public tovWorldServices
{
public:
    LakeWorld() : m_rig(std::make_unique<HeadlessRenderer>())
    {
        RegisterGameWorldClasses();
        SetInstallRoot(QR_DATA_DIR);
        qrxCutout::CreateSharedProperties();
        m_scene = new tovScene;
        // The engine draws without a depth test unless told to.
        QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
        depth->m_test = depth->m_write = 1;
        m_scene->AttachProperty(depth.Get());
        m_water = new tovWater(8, 0.2f, nullptr);
        m_water->SetWaveScale(0.015f);
        m_scene->SetWater(m_water.Get());
        SetWorldServices(this);
        m_lake = new tovLake(true);
    }
    ~LakeWorld() override
    {
        m_sky.reset();
        if (m_camera)
        {
            m_camera->SetSceneRoot(nullptr);
            m_camera->DetachObject(m_water->GetFollowAction());
        }
        m_camera = nullptr;
        m_scene->DetachChild(m_lake.Get());
        m_lake = nullptr;
        m_scene = nullptr;
        SetWorldServices(nullptr);
        ClearPopulationCatalogue();
        qrxAssetCache::Get().Clear();
    }

    void SetUnderwater(bool /*below*/) override {}
    void SetLightAPosition(const QrPoint3& /*position*/) override {}
    tovScene* GetScene() override { return m_scene.Get(); }

    bool Load() { return m_lake->Load(kLake); }
    tovLake& Lake() { return *m_lake; }

    // A boat's eye, four feet over the water at the first start location, a sun and a sky.
    void Board()
    {
        m_scene->AttachChild(m_lake.Get());
        QrPointer<QrLight> sun(new QrLight);
        sun->SetType(QrLight::kDirectional);
        sun->SetLocalDirection(QrPoint3(-0.4f, -0.8f, -0.45f));
        sun->AttachAffectedNode(m_scene.Get());
        m_scene->AttachChild(sun.Get());
        m_scene->UpdateAllInstances();
        m_lake->GetTerrainSector()->BuildPageMeshes(sun.Get(), nullptr);
        double x, y;
        m_lake->GetStartLocation(0, x, y, m_heading);
        m_lake->MapToWorld(x, y, m_eye);
        m_eye.y = 0.04f;
        m_camera = new QrCamera(0.02f, 60.0f);
        m_camera->SetSceneRoot(m_scene.Get());
        m_lake->AttachToCamera(m_camera.Get());
        m_water->AttachToCamera(m_camera.Get());
        // The tolerance is in pixels of the camera's display.
        m_camera->SetDisplay(m_rig->GetDisplay());
        m_lake->GetTerrainSector()->SetTerrainError(m_camera.Get(), 1.0f);
        m_camera->SetDisplay(nullptr);
    }

    // The day overhead as the fishing world sets it up: weather running, the sky's domes first
    // in the scene with fog over it, the water stepped with the weather by one idle manager.
    void PutUpSky()
    {
        m_sky = std::make_unique<tovSky>(&m_idle);
        m_sky->SetRenderer(m_rig->GetRenderer());
        m_sky->SetWater(m_water.Get());
        m_sky->CreateFog();
        m_sky->CreateDomes();
        for (int i = 0; i < tovSky::kDomeCount; ++i)
        {
            m_scene->GetFirstGroup()->AttachChild(m_sky->GetDome(i).Get());
            m_sky->GetDome(i)->AttachToCamera(m_camera.Get());
        }
        m_scene->AttachProperty(m_sky->GetFogProperty());
        m_sky->GetWeather()->SetCloud(0.42f);
        m_sky->GetWeather()->SetFog(0.3f);
        m_water->GetAnimatedTexture()->SetRunning(1);
        m_idle.Add(m_water.Get());
        m_scene->UpdateAllInstances();
    }

    // One frame of simulation at the given time.
    void Step(double now)
    {
        m_idle.Update(now);
        m_sky->Update();
    }

    // One frame turned by step / 64 of a circle; the terrain triangles drawn.
    uint32_t Draw(int step)
    {
        const double a = m_heading * 3.14159265358979 / 180.0 + 6.28318530717959 * (step % kHeadings) / kHeadings;
        m_camera->SetTranslate(m_eye.x, m_eye.y, m_eye.z);
        m_camera->UpdateAllInstances();
        m_camera->LookAt(QrPoint3(m_eye.x - 10.0f * float(std::sin(a)), 0.0f, m_eye.z - 10.0f * float(std::cos(a))),
                         QrPoint3(0.0f, 1.0f, 0.0f));
        m_rig->DrawFrame(m_camera.Get(), 1.0f, QrPoint3(0.45f, 0.55f, 0.65f));
        uint32_t triangles = 0;
        for (int p = 0; p < tovTerrainSector::kPages; ++p)
            for (int q = 0; q < tovTerrainSector::kPages; ++q)
            {
                qrxTerrainPage* page = m_lake->GetTerrainSector()->GetPage(p, q);
                triangles += page->GetAppCulled() ? 0 : page->GetDrawTriangleCount();
            }
        return triangles;
    }

private:
    std::unique_ptr<HeadlessRenderer> m_rig;
    // Before the water and the sky, so that it outlives what it steps.
    qrxIdleManager m_idle;
    QrPointer<tovScene> m_scene;
    QrPointer<tovLake> m_lake;
    QrPointer<tovWater> m_water;
    std::unique_ptr<tovSky> m_sky;
    QrPointer<QrCamera> m_camera;
    QrPoint3 m_eye;
    double m_heading = 0.0;
};

void LoadLake(benchmark::State& state)
{
    LakeWorld world;
    for (auto _ : state)
        if (!world.Load())
            state.SkipWithError("the sample lake does not load");
}
BENCHMARK(LoadLake)->Unit(benchmark::kMillisecond);

void SwitchSector(benchmark::State& state)
{
    LakeWorld world;
    if (!world.Load())
        state.SkipWithError("the sample lake does not load");
    int32_t sector = world.Lake().GetCurrentSector();
    const auto reads = [&world]
    {
        uint64_t total = 0;
        for (size_t k = 0; k < world.Lake().GetTileCount(); ++k)
            total += world.Lake().GetTile(k)->GetLoadCount();
        return total;
    };
    const uint64_t before = reads();
    for (auto _ : state)
    {
        sector = 1 - sector;
        world.Lake().SetCurrentSector(sector);
    }
    state.counters["tiles"] = benchmark::Counter(double(reads() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SwitchSector)->Unit(benchmark::kMillisecond);

void DrawLake(benchmark::State& state)
{
    LakeWorld world;
    if (!world.Load())
        state.SkipWithError("the sample lake does not load");
    world.Board();
    int step = 0;
    uint64_t triangles = 0;
    for (auto _ : state)
        triangles += world.Draw(step++);
    state.counters["triangles"] = benchmark::Counter(double(triangles), benchmark::Counter::kAvgIterations);
}
BENCHMARK(DrawLake)->Unit(benchmark::kMillisecond);

void StepLakeDay(benchmark::State& state)
{
    LakeWorld world;
    if (!world.Load())
        state.SkipWithError("the sample lake does not load");
    world.Board();
    world.PutUpSky();
    double now = 0.0;
    for (auto _ : state)
        world.Step(now += 1.0 / 30.0);
}
BENCHMARK(StepLakeDay)->Unit(benchmark::kMicrosecond);

void DrawLakeDay(benchmark::State& state)
{
    LakeWorld world;
    if (!world.Load())
        state.SkipWithError("the sample lake does not load");
    world.Board();
    world.PutUpSky();
    int step = 0;
    double now = 0.0;
    for (auto _ : state)
    {
        state.PauseTiming();
        world.Step(now += 1.0 / 30.0);
        state.ResumeTiming();
        world.Draw(step++);
    }
}
BENCHMARK(DrawLakeDay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
