#include "tovFish.h"
#include "tovFishFactory.h"
#include "tovFishSizeTable.h"
#include "tovFishSpecies.h"
#include "tovLure.h"
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

#include <filesystem>
#include <memory>
#include <random>
#include <string>
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

    void DrawSideView()
    {
        m_root->UpdateAllInstances();
        m_camera = new QrCamera(0.5f, 30.0f);
        m_camera->SetTranslate(0.0f, 0.6f, 6.0f);
        m_camera->UpdateAllInstances();
        ASSERT_TRUE(m_camera->LookAt(QrPoint3(0.0f, 0.5f, 0.0f), QrPoint3(0.0f, 1.0f, 0.0f)));
        m_camera->SetSceneRoot(m_root.Get());
        m_rig->DrawFrame(m_camera.Get(), 0.0f, QrPoint3(0.45f, 0.6f, 0.68f));
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
    DrawSideView();
    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    EXPECT_TRUE(golden::MatchesGoldenImage(
        "angling_six_species.png",
        golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight())));
}

// Damaged fish and lure files: what loads builds, is sized, swims and draws.
TEST_F(tovFishGoldenTest, DamagedModelFilesBuildSwimAndDraw)
{
    testfiles::TempDir dir;
    std::filesystem::create_directories(dir.Path() + "/Data/Angling");
    const std::string fishFile = tovFish::GetModelFile(kWalleye);
    const std::string lureFile = "Spinner.QRF";
    SetInstallRoot(dir.Path());
    std::mt19937 random(31);
    for (const std::string& file : {fishFile, lureFile})
    {
        const std::vector<uint8_t> good = testfiles::ReadBytes(testfiles::DataDir() + "/Data/" + file);
        ASSERT_GT(good.size(), 64u);
        for (int trial = 0; trial < 6; ++trial)
        {
            std::vector<uint8_t> bad = good;
            const size_t at = std::uniform_int_distribution<size_t>(0, good.size() - 1)(random);
            if (trial % 2 == 0)
                bad.resize(at);
            else
                for (size_t k = at; k < std::min(bad.size(), at + 8); ++k)
                    bad[k] = uint8_t(random());
            testfiles::WriteBytes(dir.Path() + "/Data/" + file, bad);
            tovModelFileCache::Clear();
            m_root = new QrNode;
            Light();
            QrPointer<tovFish> fish = CreateFish(kWalleye);
            fish->RecordModelSize(kWalleye);
            fish->SetLength(18.0f);
            fish->SetScale(1.0f);
            QrPointer<tovLure> lure(new tovLure(lureFile, 2));
            m_root->AttachChild(fish.Get());
            if (lure->GetModel())
            {
                lure->GetModel()->SetScale(1.0f);
                m_root->AttachChild(lure->GetModel());
                lure->GetModel()->Update(0.5, 0.5);
            }
            for (int frame = 1; frame <= 3; ++frame)
                fish->Update(frame / 30.0, 1.0 / 30.0);
            DrawSideView();
            m_camera->SetSceneRoot(nullptr);
            m_camera = nullptr;
            m_lights.clear();
            m_root = nullptr;
        }
    }
}

} // namespace
