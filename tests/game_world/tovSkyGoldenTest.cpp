// The sky as the player sees it, drawn by the real renderer over a lake's flat water: the
// sunrise picture on a dome, a fair-weather sky clouding over, and thick fog. The domes follow
// the camera through their camera actions as the camera draws.
#include "qrxSkyDome.h"
#include "tovSky.h"
#include "tovWeather.h"

#include "GoldenImage.h"
#include "HeadlessRenderer.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include "qrxAssetCache.h"
#include "tovInstallSettings.h"
#include "tovUserProfile.h"

#include "QrCamera.h"
#include "QrColorA.h"
#include "QrFogProperty.h"
#include "QrNode.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

class tovSkyGoldenTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_installRoot = GetInstallRoot();
        SetInstallRoot(testfiles::DataDir());
        TheUserProfile().SetDetail(1.0f);
        m_rig = std::make_unique<HeadlessRenderer>();
        ASSERT_TRUE(m_rig->GetRenderer()) << QrD3DRender::GetLastErrorText();

        m_camera = new QrCamera(0.1f, 60.0f);
        m_camera->SetTranslate(0.0f, 0.08f, 0.0f);
        m_camera->Update(m_camera->GetCurrentInstance());
        m_camera->LookAt(QrPoint3(10.0f, 1.6f, 2.0f), QrPoint3(0, 1, 0));
        m_root = new QrNode;
        m_camera->SetSceneRoot(m_root.Get());
    }

    void TearDown() override
    {
        m_camera->SetSceneRoot(nullptr);
        m_camera = nullptr;
        m_root = nullptr;
        m_sky.reset();
        // The cache holds the sky pictures, which the renderer must see go first.
        qrxAssetCache::Get().Clear();
        m_rig.reset();
        SetInstallRoot(m_installRoot);
        QrEngineTest::TearDown();
    }

    // The sky's domes in drawing order (outer first), then the water.
    void BuildScene()
    {
        m_sky = std::make_unique<tovSky>();
        m_sky->GetWeather()->SetAuto(false);
        m_sky->SetRenderer(m_rig->GetRenderer());
        m_sky->CreateFog();
        m_sky->CreateDomes();
        for (int i = 0; i < tovSky::kDomeCount; ++i)
        {
            m_root->AttachChild(m_sky->GetDome(i).Get());
            m_sky->GetDome(i)->AttachToCamera(m_camera.Get());
        }
        m_root->AttachChild(MakeWater().Get());
        m_root->AttachProperty(m_sky->GetFogProperty());
    }

    static QrPointer<QrTriShape> MakeWater()
    {
        const float h = 50.0f;
        const QrPoint3 vertices[4] = {{-h, 0.0f, -h}, {h, 0.0f, -h}, {h, 0.0f, h}, {-h, 0.0f, h}};
        const QrColorA lake(0.13f, 0.27f, 0.30f, 1.0f);
        const QrColorA colors[4] = {lake, lake, lake, lake};
        const uint16_t indices[6] = {0, 2, 1, 0, 3, 2};
        QrPointer<QrTriShape> water(new QrTriShape(4, vertices, nullptr, 2, indices, nullptr, colors));
        QrPointer<QrVertexColorProperty> mode(new QrVertexColorProperty);
        mode->m_mode = 1;
        water->AttachProperty(mode.Get());
        return water;
    }

    golden::RgbImage Draw(const QrPoint3& background)
    {
        m_root->UpdateAllInstances();
        m_rig->DrawFrame(m_camera.Get(), 1.0f, background);
        plat::HeadlessWindowBackend& window = m_rig->GetWindow();
        return golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight());
    }

    std::string m_installRoot;
    std::unique_ptr<HeadlessRenderer> m_rig;
    QrPointer<QrCamera> m_camera;
    QrPointer<QrNode> m_root;
    std::unique_ptr<tovSky> m_sky;
};

TEST_F(tovSkyGoldenTest, SunriseOnTheDome)
{
    BuildScene();
    ASSERT_NE(m_sky->GetTexture(0), nullptr);
    // The sunrise picture shown alone at full strength on the inner dome.
    QrPointer<qrxSkyDome> outer = m_sky->GetDome(0), inner = m_sky->GetDome(1);
    outer->SetAlpha(0.0f);
    inner->SetFirstProperty(m_sky->GetTexture(0));
    inner->SetAlpha(1.0f);
    m_sky->GetFogProperty()->m_enabled = 0;
    EXPECT_TRUE(golden::MatchesGoldenImage("world_sky_sunrise.png", Draw(tovSky::GetStateColour(0))));
}

TEST_F(tovSkyGoldenTest, CloudingOver)
{
    BuildScene();
    tovWeather* weather = m_sky->GetWeather();
    weather->SetCloud(0.0f);
    weather->SetFog(0.0f);
    m_sky->Update();
    // Fair-weather cumulus half faded into the overcast.
    weather->SetCloud(0.25f);
    m_sky->Update();
    weather->SetCloud(0.42f);
    m_sky->Update();
    EXPECT_EQ(m_sky->GetDomeState(0), 5);
    EXPECT_EQ(m_sky->GetDomeState(1), 4);
    EXPECT_TRUE(golden::MatchesGoldenImage("world_sky_clouds.png", Draw(m_sky->GetBlendingColour())));
}

TEST_F(tovSkyGoldenTest, ThickFog)
{
    BuildScene();
    tovWeather* weather = m_sky->GetWeather();
    weather->SetCloud(2.0f / 3.0f);
    weather->SetFog(0.9f);
    m_sky->Update();
    EXPECT_TRUE(golden::MatchesGoldenImage("world_sky_fog.png", Draw(m_sky->GetBlendingColour())));
}

} // namespace
