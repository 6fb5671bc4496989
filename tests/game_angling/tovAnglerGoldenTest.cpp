#include "tovAngler.h"

#include "FakeAnglingWorld.h"
#include "WaterTestFixture.h"

#include "QrCamera.h"
#include "TestFiles.h"
#include "qrxAssetCache.h"
#include "qrxIdleManager.h"
#include "tovBoat.h"
#include "tovInstallSettings.h"
#include "tovScene.h"
#include "tovWater.h"
#include "tovWorldClasses.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

class tovAnglerGoldenTest : public WaterTestFixture
{
protected:
    void SetUp() override
    {
        tovBoat::ReleaseStatics();
        WaterTestFixture::SetUp();
        RegisterGameWorldClasses();
    }

    void TearDown() override
    {
        if (m_camera)
            m_camera->SetSceneRoot(nullptr);
        m_camera = nullptr;
        if (m_boat)
            m_boat->SetAnglerNode(nullptr);
        m_angler = nullptr;
        m_boat = nullptr;
        m_water = nullptr;
        m_root = nullptr;
        qrxAssetCache::Get().Clear();
        tovAngler::ReleaseSharedClips();
        tovBoat::ReleaseStatics();
        WaterTestFixture::TearDown();
    }

    // The painted boat on calm water with the figure in it, the pose settled.
    void Build(int32_t gender, bool standing)
    {
        StartRenderer();
        m_water = new tovWater(32, 0.05f, &m_manager);
        m_water->SetWaveScale(0.001f);
        m_manager.Add(m_water.Get());
        m_root = MakeLitRoot();
        QrPointer<tovScene> scene(new tovScene);
        scene->SetWater(m_water.Get());
        m_root->AttachChild(scene.Get());
        m_boat = new tovBoat(1.0f);
        m_boat->SetPaintScheme(0);
        m_boat->SetWaveGrid(m_water->GetWaveGrid());
        m_boat->SetPosition(QrPoint3(0.0f, 0.0f, 0.0f));
        m_angler = new tovAngler(0, gender, -1);
        m_angler->SetAppearance(0, 1, 0);
        m_angler->SetBoat(m_boat.Get());
        m_boat->SetAnglerNode(m_angler.Get());
        if (standing)
            m_angler->StartFromDriving();
        else
            m_angler->StartToDriving();
        m_boat->IncreaseSteering(0.5f);
        scene->AttachToGroupA(m_boat.Get());
        m_root->UpdateAllInstances();
        for (int frame = 1; frame <= 30; ++frame)
        {
            m_manager.Update(frame / 30.0);
            m_boat->Update(frame / 30.0, 1.0 / 30.0);
            m_angler->Update(frame / 30.0, 1.0 / 30.0);
        }
        m_root->UpdateAllInstances();
    }

    golden::RgbImage Look(const QrPoint3& eye, const QrPoint3& at)
    {
        m_camera = new QrCamera(0.1f, 120.0f);
        for (uint32_t side : {QrCamera::kLeft, QrCamera::kRight, QrCamera::kTop, QrCamera::kBottom})
            m_camera->GetFrustum()[side] *= 0.5f;
        m_camera->SetTranslate(eye.x, eye.y, eye.z);
        m_camera->UpdateAllInstances();
        EXPECT_TRUE(m_camera->LookAt(at, QrPoint3(0.0f, 1.0f, 0.0f)));
        m_camera->SetSceneRoot(m_root.Get());
        m_water->AttachToCamera(m_camera.Get());
        m_camera->SetDisplayPassFlag(1);
        m_camera->SetSortFlag(0);
        return Draw(m_camera.Get(), 1.0f);
    }

    FakeAnglingWorld m_lake;
    qrxIdleManager m_manager;
    QrPointer<tovWater> m_water;
    QrPointer<QrNode> m_root;
    QrPointer<tovBoat> m_boat;
    QrPointer<tovAngler> m_angler;
    QrPointer<QrCamera> m_camera;
};

TEST_F(tovAnglerGoldenTest, SittingInTheBoat)
{
    ScopedBoatWorld boats(m_lake);
    Build(0, false);
    EXPECT_TRUE(golden::MatchesGoldenImage("angling_angler_seated.png",
                                           Look(QrPoint3(0.12f, 0.07f, 0.2f), QrPoint3(0.0f, 0.02f, 0.05f))));
}

TEST_F(tovAnglerGoldenTest, StandingToFish)
{
    ScopedBoatWorld boats(m_lake);
    Build(1, true);
    EXPECT_TRUE(golden::MatchesGoldenImage("angling_angler_standing.png",
                                           Look(QrPoint3(-0.14f, 0.07f, 0.22f), QrPoint3(0.0f, 0.035f, 0.055f))));
}

// Damaged figure files (the model and its moves): the figure builds from what loads, takes its
// looks, changes pose, steps and draws.
TEST_F(tovAnglerGoldenTest, DamagedFigureFilesBuildPoseAndDraw)
{
    ScopedBoatWorld boats(m_lake);
    testfiles::TempDir dir;
    std::filesystem::create_directories(dir.Path() + "/Data");
    for (const char* file : {tovBoat::kMotorTextureFile, tovBoat::kSideTextureFile, tovBoat::kDeckTextureFile,
                             tovBoat::kModelFile, tovBoat::kLodModelFile, tovAngler::kMaleFile, tovAngler::kFemaleFile})
        std::filesystem::copy_file(testfiles::DataDir() + "/Data/" + file, dir.Path() + "/Data/" + file);
    SetInstallRoot(dir.Path());
    uRandom random(31);
    for (int32_t gender : {0, 1})
    {
        const char* file = gender == 0 ? tovAngler::kMaleFile : tovAngler::kFemaleFile;
        const std::vector<uint8_t> good = testfiles::ReadBytes(testfiles::DataDir() + "/Data/" + file);
        ASSERT_GT(good.size(), 64u);
        for (int trial = 0; trial < 4; ++trial)
        {
            const std::vector<uint8_t> bad =
                testfiles::DamagedCopy(good, trial, [&](int32_t lo, int32_t hi) { return random.range(lo, hi); });
            testfiles::WriteBytes(dir.Path() + "/Data/" + file, bad);
            tovAngler::ReleaseSharedClips();
            if (m_boat)
                m_boat->SetAnglerNode(nullptr);
            m_angler = nullptr;
            m_boat = nullptr;
            m_root = nullptr;
            m_water = nullptr;
            Build(gender, trial % 2 == 0);
            m_angler->SetAppearance(2, 3, 1);
            m_angler->Cast(45.0f);
            m_angler->Reel();
            m_angler->LowerTrollingMotor();
            m_boat->SetThrottle(1.0f);
            for (int frame = 1; frame <= 5; ++frame)
            {
                m_boat->Update(2.0 + frame / 30.0, 1.0 / 30.0);
                m_angler->Update(2.0 + frame / 30.0, 1.0 / 30.0);
            }
            Look(QrPoint3(0.12f, 0.07f, 0.2f), m_boat->GetPosition());
            m_camera->SetSceneRoot(nullptr);
            m_camera = nullptr;
        }
        testfiles::WriteBytes(dir.Path() + "/Data/" + file, good);
    }
}

} // namespace
