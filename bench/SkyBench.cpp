// The sky's cost per frame at 640 x 480 through the software renderer, split as the game
// splits it: the controller's update (blend by cloud, fog, background) while the cloud cover
// changes, and the drawn frame of the two domes over fogged flat water.
#include "HeadlessRenderer.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrFogProperty.h"
#include "QrNode.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"
#include "qrxAssetCache.h"
#include "qrxSkyDome.h"
#include "tovInstallSettings.h"
#include "tovSky.h"
#include "tovWeather.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

class SkyRig
{
public:
    SkyRig()
    {
        SetInstallRoot(QR_DATA_DIR);
        m_rig = std::make_unique<HeadlessRenderer>();
        m_sky = std::make_unique<tovSky>();
        m_sky->GetWeather()->SetAuto(false);
        m_sky->GetWeather()->SetFog(0.5f);
        m_sky->SetRenderer(m_rig->GetRenderer());
        m_sky->CreateFog();
        m_sky->CreateDomes();
        m_camera = new QrCamera(0.1f, 60.0f);
        m_camera->SetTranslate(0.0f, 0.08f, 0.0f);
        m_camera->Update(m_camera->GetCurrentInstance());
        m_camera->LookAt(QrPoint3(10.0f, 1.6f, 2.0f), QrPoint3(0, 1, 0));
        m_root = new QrNode;
        for (int i = 0; i < tovSky::kDomeCount; ++i)
        {
            m_root->AttachChild(m_sky->GetDome(i).Get());
            m_sky->GetDome(i)->AttachToCamera(m_camera.Get());
        }
        const float h = 50.0f;
        const QrPoint3 vertices[4] = {{-h, 0.0f, -h}, {h, 0.0f, -h}, {h, 0.0f, h}, {-h, 0.0f, h}};
        const QrColorA lake(0.13f, 0.27f, 0.30f, 1.0f);
        const QrColorA colors[4] = {lake, lake, lake, lake};
        const uint16_t indices[6] = {0, 2, 1, 0, 3, 2};
        QrPointer<QrTriShape> water(new QrTriShape(4, vertices, nullptr, 2, indices, nullptr, colors));
        QrPointer<QrVertexColorProperty> mode(new QrVertexColorProperty);
        mode->m_mode = 1;
        water->AttachProperty(mode.Get());
        m_root->AttachChild(water.Get());
        m_root->AttachProperty(m_sky->GetFogProperty());
        m_camera->SetSceneRoot(m_root.Get());
    }

    ~SkyRig()
    {
        m_camera->SetSceneRoot(nullptr);
        m_camera = nullptr;
        m_root = nullptr;
        m_sky.reset();
        qrxAssetCache::Get().Clear();
        m_rig.reset();
    }

    // A cloud cover sweeping over the day's range, one step a frame.
    void Step(int frame)
    {
        m_sky->GetWeather()->SetCloud(float(frame % 200) / 200.0f);
        m_sky->Update();
    }

    void Draw(int frame)
    {
        m_root->UpdateAllInstances();
        m_rig->DrawFrame(m_camera.Get(), float(frame) / 30.0f, m_sky->GetBlendingColour());
    }

private:
    std::unique_ptr<HeadlessRenderer> m_rig;
    std::unique_ptr<tovSky> m_sky;
    QrPointer<QrCamera> m_camera;
    QrPointer<QrNode> m_root;
};

void SkyUpdate(benchmark::State& state)
{
    SkyRig rig;
    int frame = 0;
    for (auto _ : state)
        rig.Step(frame++);
}
BENCHMARK(SkyUpdate)->Unit(benchmark::kMicrosecond);

void SkyFrame(benchmark::State& state)
{
    SkyRig rig;
    int frame = 0;
    rig.Step(40);
    for (auto _ : state)
        rig.Draw(frame++);
}
BENCHMARK(SkyFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
