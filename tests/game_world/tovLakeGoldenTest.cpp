// The first sample lake as the player sees it: its terrain, the plants of its tiles and the
// water drawn through the software renderer from the shore and from a boat, at full and at low
// detail.
#include "qrxCutout.h"
#include "qrxSkyDome.h"
#include "tovInstallSettings.h"
#include "tovLake.h"
#include "tovPopulationCatalogue.h"
#include "tovScene.h"
#include "tovSky.h"
#include "tovWater.h"
#include "tovWaterCrossAction.h"
#include "tovWaterFollowAction.h"
#include "tovWeather.h"
#include "tovWorldClasses.h"
#include "tovWorldServices.h"

#include "GoldenImage.h"
#include "HeadlessRenderer.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include "qrxAssetCache.h"
#include "qrxIdleManager.h"
#include "tovUserProfile.h"
#include "uRandom.h"

#include "QrCamera.h"
#include "QrFogProperty.h"
#include "QrLight.h"
#include "QrZBufferProperty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{

// Switches what the lake world owns when the camera crosses the water, as the fishing world
// does.
class GoldenWorld : public tovWorldServices
{
public:
    void SetUnderwater(bool below) override
    {
        scene->SetUnderwater(below);
        if (lake)
            lake->SetUnderwaterState(below ? 100.0f : 1.0f);
    }
    void SetLightAPosition(const QrPoint3& /*position*/) override {}
    tovScene* GetScene() override { return scene.Get(); }
    qrxIdleManager* GetIdleManager() override { return &idle; }
    QrPointer<tovScene> scene;
    tovLake* lake = nullptr;
    qrxIdleManager idle;
};

enum View
{
    kFromShore,
    kFromBoat,
    kUnderWater,
};

// The weather overhead: none (a plain background), or the sky's domes, fog and colours.
enum Sky
{
    kNoSky,
    kSunrise,
    kNoonUnderClouds,
    kFog,
};

class tovLakeGoldenTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
        RegisterGameWorldClasses();
        m_detail = TheUserProfile().GetDetail();
        m_rig = std::make_unique<HeadlessRenderer>();
        ASSERT_TRUE(m_rig->GetRenderer()) << QrD3DRender::GetLastErrorText();
        SetWorldServices(&m_world);
        // The water's frames are found under the data root.
        SetInstallRoot(testfiles::DataDir());
    }
    void TearDown() override
    {
        SetInstallRoot("");
        SetWorldServices(nullptr);
        ClearPopulationCatalogue();
        // The cache holds the pictures, which the renderer must see go first.
        qrxAssetCache::Get().Clear();
        m_rig.reset();
        TheUserProfile().SetDetail(m_detail);
        QrEngineTest::TearDown();
    }

    // The sample lake at its first start, in a fishing scene with its water and the sun.
    golden::RgbImage Frame(float detail, View view, Sky weather = kNoSky);
    QrPoint3 PutUpSky(tovSky& sky, Sky weather, tovWater* water, QrCamera* camera);

    std::unique_ptr<HeadlessRenderer> m_rig;
    GoldenWorld m_world;
    float m_detail = 1.0f;
};

// The sky over the lake as the fishing world hangs it: domes drawn first, fog over the whole
// scene, the water's waves from the weather. Answers the background colour of the frame.
QrPoint3 tovLakeGoldenTest::PutUpSky(tovSky& sky, Sky weather, tovWater* water, QrCamera* camera)
{
    tovWeather* w = sky.GetWeather();
    w->SetAuto(false);
    sky.SetRenderer(m_rig->GetRenderer());
    sky.SetWater(water);
    sky.CreateFog();
    sky.CreateDomes();
    for (int i = 0; i < tovSky::kDomeCount; ++i)
    {
        m_world.scene->GetFirstGroup()->AttachChild(sky.GetDome(i).Get());
        sky.GetDome(i)->AttachToCamera(camera);
    }
    m_world.scene->AttachProperty(sky.GetFogProperty());
    w->SetCloud(weather == kNoonUnderClouds ? 0.42f : weather == kFog ? 2.0f / 3.0f : 0.0f);
    w->SetFog(weather == kFog ? 0.9f : 0.0f);
    sky.Update();
    if (weather == kSunrise)
    {
        // Early morning: the sunrise picture alone on the inner dome.
        sky.GetDome(0)->SetAlpha(0.0f);
        sky.GetDome(1)->SetFirstProperty(sky.GetTexture(0));
        sky.GetDome(1)->SetAlpha(1.0f);
        return tovSky::GetStateColour(0);
    }
    return sky.GetBlendingColour();
}

golden::RgbImage tovLakeGoldenTest::Frame(float detail, View view, Sky weather)
{
    TheUserProfile().SetDetail(detail);
    // The waves' phases come from the shared generator: the same frame whatever ran before.
    SharedRandom().seed(111);
    m_world.scene = new tovScene;
    // Depth tested and written below the root, as the fishing mode sets its scene up.
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    m_world.scene->AttachProperty(depth.Get());
    QrPointer<tovLake> lake(new tovLake(true));
    EXPECT_TRUE(lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt")) << lake->LastError();
    m_world.scene->AttachChild(lake.Get());
    QrPointer<tovWater> water(new tovWater(8, 0.2f, nullptr));
    water->SetWaveScale(0.015f);
    // The fishing world steps the water every frame; its first waves follow the new scale.
    water->Update(0.0, 0.0);
    water->Update(0.25, 0.25);
    m_world.scene->SetWater(water.Get());
    QrPointer<QrLight> sun(new QrLight);
    sun->SetType(QrLight::kDirectional);
    sun->SetLocalDirection(QrPoint3(-0.4f, -0.8f, -0.45f));
    sun->AttachAffectedNode(m_world.scene.Get());
    QrPointer<QrLight> ambient(new QrLight);
    ambient->SetType(QrLight::kAmbient);
    ambient->SetAmbientColor(QrPoint3(0.4f, 0.4f, 0.4f));
    ambient->AttachAffectedNode(m_world.scene.Get());
    m_world.scene->UpdateAllInstances();
    if (lake->GetTerrainSector())
        lake->GetTerrainSector()->BuildPageMeshes(sun.Get(), nullptr);

    // The first start, on the water, facing along its heading.
    double x = 0.0, y = 0.0, heading = 0.0;
    lake->GetStartLocation(0, x, y, heading);
    QrPoint3 start;
    lake->MapToWorld(x, y, start);
    const float a = float(heading * 3.14159265358979 / 180.0);
    const QrPoint3 ahead(-std::sin(a), 0.0f, -std::cos(a));
    // Back from the start until well up the bank: the shore the start faces away from.
    QrPoint3 shore = start;
    for (int32_t step = 0; step < 400 && lake->GroundHeight(shore) < 0.08f; ++step)
        shore = QrPoint3(shore.x - 0.05f * ahead.x, 0.0f, shore.z - 0.05f * ahead.z);
    shore.y = lake->GroundHeight(shore);
    // From the bank, a man's height up, over the start; from a boat at the start, at the bank;
    // under water out where it is deep, towards the bank, a little up.
    QrPoint3 eye(start.x, 0.05f, start.z);
    QrPoint3 target(shore.x, shore.y + 0.1f, shore.z);
    if (view == kFromShore)
    {
        eye = QrPoint3(shore.x, shore.y + 0.06f, shore.z);
        target = QrPoint3(start.x, 0.0f, start.z);
    }
    else if (view == kUnderWater)
    {
        QrPoint3 deep = start;
        for (int32_t step = 0; step < 400 && lake->GroundHeight(deep) > -0.2f; ++step)
            deep = QrPoint3(deep.x + 0.05f * ahead.x, 0.0f, deep.z + 0.05f * ahead.z);
        eye = QrPoint3(deep.x, -0.08f, deep.z);
        target = QrPoint3(start.x, 0.0f, start.z);
    }
    QrPointer<QrCamera> camera(new QrCamera(0.01f, 100.0f));
    camera->SetTranslate(eye.x, eye.y, eye.z);
    camera->UpdateAllInstances();
    EXPECT_TRUE(camera->LookAt(target, QrPoint3(0.0f, 1.0f, 0.0f)));
    // The scene root's own order: what lies beyond the water, the water, then the near side.
    // The plants are colour-keyed and need no sorting.
    camera->SetDisplayPassFlag(1);
    camera->SetSortFlag(0);
    camera->SetSceneRoot(m_world.scene.Get());
    lake->AttachToCamera(camera.Get());
    water->AttachToCamera(camera.Get());
    m_world.lake = lake.Get();
    QrPointer<tovWaterCrossAction> crossing(new tovWaterCrossAction);
    camera->AttachObject(crossing.Get());
    QrPoint3 background(0.55f, 0.68f, 0.82f);
    std::unique_ptr<tovSky> sky;
    if (weather != kNoSky)
    {
        sky = std::make_unique<tovSky>();
        background = PutUpSky(*sky, weather, water.Get(), camera.Get());
    }
    // The first frame refines the terrain for the eye; the second shows it.
    m_rig->DrawFrame(camera.Get(), 1.0f, background);
    m_rig->DrawFrame(camera.Get(), 1.0f, background);
    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    golden::RgbImage image = golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight());

    EXPECT_EQ(m_world.scene->IsUnderwater(), view == kUnderWater);
    camera->SetSceneRoot(nullptr);
    camera->DetachObject(water->GetFollowAction());
    sky.reset();
    m_world.lake = nullptr;
    sun->DetachAffectedNode(m_world.scene.Get());
    ambient->DetachAffectedNode(m_world.scene.Get());
    lake = nullptr;
    m_world.scene = nullptr;
    return image;
}

TEST_F(tovLakeGoldenTest, FromTheShoreFromTheWaterAndUnderIt)
{
    const struct
    {
        const char* golden;
        float detail;
        View view;
    } frames[] = {{"lake_shore_full.png", 1.0f, kFromShore},
                  {"lake_shore_low.png", 0.3f, kFromShore},
                  {"lake_water_full.png", 1.0f, kFromBoat},
                  {"lake_water_low.png", 0.3f, kFromBoat},
                  {"lake_under_full.png", 1.0f, kUnderWater}};
    for (const auto& f : frames)
        EXPECT_TRUE(golden::MatchesGoldenImage(f.golden, Frame(f.detail, f.view)));
}

// The lake from the boat under the day's skies: sunrise, noon under fair-weather clouds, and
// thick fog closing in on the shore.
TEST_F(tovLakeGoldenTest, UnderTheDaysSkies)
{
    const struct
    {
        const char* golden;
        Sky weather;
    } frames[] = {
        {"lake_sky_sunrise.png", kSunrise}, {"lake_sky_clouds.png", kNoonUnderClouds}, {"lake_sky_fog.png", kFog}};
    for (const auto& f : frames)
        EXPECT_TRUE(golden::MatchesGoldenImage(f.golden, Frame(1.0f, kFromBoat, f.weather)));
}

} // namespace
