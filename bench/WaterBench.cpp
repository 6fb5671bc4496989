// Frame time of the lake's water at 640 x 480 through the software renderer, split into the
// simulation (the water's idle step: wave phases, positions, normals, world update, the surface
// texture) and the drawing (the follow action and the frame through the scene root), at the
// patch sizes of low, middle and full detail.
#include "HeadlessRenderer.h"

#include "tovScene.h"
#include "tovWater.h"

#include "tovInstallSettings.h"

#include "qrxAnimatedTextureProperty.h"
#include "qrxAssetCache.h"
#include "qrxIdleManager.h"

#include "QrCamera.h"
#include "QrLight.h"

#include <benchmark/benchmark.h>

namespace
{

constexpr double kFrame = 1.0 / 30.0;

class WaterStage
{
public:
    explicit WaterStage(int32_t cells)
    {
        SetInstallRoot(QR_DATA_DIR);
        if (!m_rig.GetRenderer())
            return;
        // Patches of 160 feet whatever the cell count.
        m_water = new tovWater(cells, 1.6f / float(cells), &m_idle);
        m_water->SetWaveScale(0.015f);
        m_water->GetAnimatedTexture()->SetRunning(1);
        m_idle.Add(m_water.Get());
        m_scene = new tovScene;
        m_scene->SetWater(m_water.Get());
        m_light = new QrLight;
        m_light->SetType(QrLight::kDirectional);
        QrPoint3 sun(-0.4f, -0.6f, -0.7f);
        sun.Unitize();
        m_light->SetLocalDirection(sun);
        m_light->SetDiffuseColor(QrPoint3(1.0f, 0.95f, 0.85f));
        m_light->UpdateAllInstances();
        m_light->AttachAffectedNode(m_scene.Get());
        m_scene->UpdateAllInstances();
        m_camera = new QrCamera(0.1f, 200.0f);
        m_camera->SetTranslate(0.3f, 0.05f, 0.2f);
        m_camera->UpdateAllInstances();
        m_camera->LookAt(QrPoint3(-0.6f, 0.0f, -2.0f), QrPoint3(0.0f, 1.0f, 0.0f));
        m_camera->SetSceneRoot(m_scene.Get());
        m_camera->SetDisplayPassFlag(1);
        m_water->AttachToCamera(m_camera.Get());
    }

    ~WaterStage()
    {
        if (m_camera)
            m_camera->SetSceneRoot(nullptr);
        m_camera = nullptr;
        m_light = nullptr;
        m_scene = nullptr;
        m_water = nullptr;
        qrxAssetCache::Get().Clear();
    }

    bool Ready() const { return m_camera != nullptr; }
    void Step() { m_idle.Update(m_now += kFrame); }
    void Draw() { m_rig.DrawFrame(m_camera.Get(), float(m_now), QrPoint3(0.62f, 0.74f, 0.86f)); }

private:
    HeadlessRenderer m_rig;
    qrxIdleManager m_idle;
    QrPointer<tovWater> m_water;
    QrPointer<tovScene> m_scene;
    QrPointer<QrLight> m_light;
    QrPointer<QrCamera> m_camera;
    double m_now = 1.0;
};

void BM_WaterSimulation(benchmark::State& state)
{
    WaterStage stage(int32_t(state.range(0)));
    if (!stage.Ready())
    {
        state.SkipWithError("no renderer");
        return;
    }
    for (auto _ : state)
        stage.Step();
}
BENCHMARK(BM_WaterSimulation)->Arg(1)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

void BM_WaterDrawing(benchmark::State& state)
{
    WaterStage stage(int32_t(state.range(0)));
    if (!stage.Ready())
    {
        state.SkipWithError("no renderer");
        return;
    }
    stage.Step();
    for (auto _ : state)
        stage.Draw();
}
BENCHMARK(BM_WaterDrawing)->Arg(1)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
