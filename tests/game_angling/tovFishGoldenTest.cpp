#include "tovFish.h"
#include "tovFishFactory.h"
#include "tovFishSizeTable.h"
#include "tovFishSpecies.h"
#include "tovModelFileCache.h"

#include "tovInstallSettings.h"

#include "qrxAssetCache.h"
#include "qrxFrameworkClasses.h"

#include "GoldenImage.h"
#include "HeadlessRenderer.h"
#include "QrCamera.h"
#include "QrEngineAnimationClasses.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

class tovFishGoldenTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterEngineAnimationClasses();
        RegisterFrameworkClasses();
        SetInstallRoot(testfiles::DataDir());
        // The skins are made by the renderer's image hook, so it comes first.
        m_rig = std::make_unique<HeadlessRenderer>();
        ASSERT_TRUE(m_rig->GetRenderer()) << QrD3DRender::GetLastErrorText();
    }

    void TearDown() override
    {
        if (m_camera)
            m_camera->SetSceneRoot(nullptr);
        m_camera = nullptr;
        m_fish.clear();
        m_lights.clear();
        m_root = nullptr;
        qrxAssetCache::Get().Clear();
        m_rig.reset();
        tovModelFileCache::Clear();
        tovFishSizeTable::Clear();
        SetInstallRoot("");
        QrEngineTest::TearDown();
    }

    void Light()
    {
        QrPointer<QrLight> sun(new QrLight);
        sun->SetType(QrLight::kDirectional);
        QrPoint3 direction(-0.3f, -0.8f, -0.5f);
        direction.Unitize();
        sun->SetLocalDirection(direction);
        sun->SetDiffuseColor(QrPoint3(0.9f, 0.88f, 0.8f));
        QrPointer<QrLight> ambient(new QrLight);
        ambient->SetType(QrLight::kAmbient);
        ambient->SetAmbientColor(QrPoint3(0.5f, 0.52f, 0.55f));
        for (QrLight* light : {sun.Get(), ambient.Get()})
        {
            light->UpdateAllInstances();
            light->AttachAffectedNode(m_root.Get());
            m_lights.emplace_back(light);
        }
    }

    std::unique_ptr<HeadlessRenderer> m_rig;
    QrPointer<QrNode> m_root;
    QrPointer<QrCamera> m_camera;
    std::vector<QrPointer<tovFish>> m_fish;
    std::vector<QrPointer<QrLight>> m_lights;
};

// Six species side by side, seen from the side a quarter of a stroke into their swim loop.
TEST_F(tovFishGoldenTest, SixSpeciesSideBySide)
{
    m_root = new QrNode;
    Light();
    const int32_t species[] = {kLargemouthBass, kSmallmouthBass, kBluegill, kNorthernPike, kPerch, kBlackCrappie};
    for (size_t i = 0; i < std::size(species); ++i)
    {
        QrPointer<tovFish> fish = CreateFish(species[i]);
        ASSERT_TRUE(fish->HasModel());
        fish->RecordModelSize(species[i]);
        fish->SetTranslate(i % 2 ? 1.15f : -1.15f, 1.6f - 1.1f * float(i / 2), 0.0f);
        m_root->AttachChild(fish.Get());
        fish->Update(0.0, 0.25);
        m_fish.push_back(fish);
    }
    m_root->UpdateAllInstances();
    m_camera = new QrCamera(0.5f, 30.0f);
    m_camera->SetTranslate(0.0f, 0.6f, 6.0f);
    m_camera->UpdateAllInstances();
    ASSERT_TRUE(m_camera->LookAt(QrPoint3(0.0f, 0.5f, 0.0f), QrPoint3(0.0f, 1.0f, 0.0f)));
    m_camera->SetSceneRoot(m_root.Get());
    m_rig->DrawFrame(m_camera.Get(), 0.0f, QrPoint3(0.45f, 0.6f, 0.68f));
    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    EXPECT_TRUE(golden::MatchesGoldenImage(
        "angling_six_species.png",
        golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight())));
}

} // namespace
