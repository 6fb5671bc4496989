#include "tovBoat.h"

#include "BoatTestWorld.h"
#include "WaterTestFixture.h"

#include "QrCamera.h"
#include "TestFiles.h"
#include "qrxAssetCache.h"
#include "qrxIdleManager.h"
#include "qrxWaveGrid.h"
#include "tovInstallSettings.h"
#include "tovScene.h"
#include "tovWater.h"
#include "tovWorldClasses.h"
#include "uRandom.h"

#include "DebugOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

class tovBoatGoldenTest : public WaterTestFixture
{
protected:
    void SetUp() override
    {
        WaterTestFixture::SetUp();
        RegisterGameWorldClasses();
        m_world.m_ground = [](const QrPoint3&) { return -0.3f; };
    }

    void TearDown() override
    {
        if (m_camera)
            m_camera->SetSceneRoot(nullptr);
        m_camera = nullptr;
        m_boat = nullptr;
        m_water = nullptr;
        m_root = nullptr;
        qrxAssetCache::Get().Clear();
        tovBoat::ReleaseStatics();
        plat::SetDebugSink(nullptr);
        WaterTestFixture::TearDown();
    }

    // The painted boat at rest on calm water, the pose settled.
    void Build()
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
        // Above the water: drawn after it, so the water never covers the hull.
        scene->AttachToGroupA(m_boat.Get());
        m_root->UpdateAllInstances();
        for (int frame = 1; frame <= 30; ++frame)
        {
            m_manager.Update(frame / 30.0);
            m_boat->Update(frame / 30.0, 1.0 / 30.0);
        }
        m_root->UpdateAllInstances();
    }

    golden::RgbImage Look(const QrPoint3& eye, const QrPoint3& at, float nearPlane, float lens)
    {
        m_camera = new QrCamera(nearPlane, 120.0f);
        for (uint32_t side : {QrCamera::kLeft, QrCamera::kRight, QrCamera::kTop, QrCamera::kBottom})
            m_camera->GetFrustum()[side] *= lens;
        m_camera->SetTranslate(eye.x, eye.y, eye.z);
        m_camera->UpdateAllInstances();
        EXPECT_TRUE(m_camera->LookAt(at, QrPoint3(0.0f, 1.0f, 0.0f)));
        m_camera->SetSceneRoot(m_root.Get());
        m_water->AttachToCamera(m_camera.Get());
        // The scene root orders the water between its two sides.
        m_camera->SetDisplayPassFlag(1);
        m_camera->SetSortFlag(0);
        return Draw(m_camera.Get(), 1.0f);
    }

    BoatTestWorld m_world;
    plat::RecordingDebugSink m_debug;
    qrxIdleManager m_manager;
    QrPointer<tovWater> m_water;
    QrPointer<QrNode> m_root;
    QrPointer<tovBoat> m_boat;
    QrPointer<QrCamera> m_camera;
};

TEST_F(tovBoatGoldenTest, TheBoatAtRest)
{
    Build();
    EXPECT_TRUE(golden::MatchesGoldenImage("world_boat_rest.png",
                                           Look(QrPoint3(0.3f, 0.12f, 0.3f), QrPoint3(0.0f, 0.0f, 0.01f), 0.1f, 0.6f)));
}

TEST_F(tovBoatGoldenTest, FromTheDriversSeat)
{
    Build();
    // The driver sits right of the console, his eyes four feet above the seat. A camera's near
    // plane is at least a tenth of a unit, so the deck shows from ten feet ahead on: the bow,
    // the stowed trolling motor and the water beyond.
    const QrPoint3 eye(0.018f, 0.05f, -0.005f);
    EXPECT_TRUE(golden::MatchesGoldenImage("world_boat_driver.png",
                                           Look(eye, eye + QrPoint3(-0.01f, -0.045f, 0.3f), 0.1f, 0.6f)));
}

// Damaged model files: the boat builds from what loads, drives, poses and draws; a file the
// scene loader refuses is named once in the debug output.
TEST_F(tovBoatGoldenTest, DamagedModelFilesBuildDriveAndDraw)
{
    // After the renderer, which brings a quiet sink of its own.
    StartRenderer();
    plat::SetDebugSink(&m_debug);
    int refused = 0;
    testfiles::TempDir dir;
    std::filesystem::create_directories(dir.Path() + "/Data");
    for (const char* file : {tovBoat::kMotorTextureFile, tovBoat::kSideTextureFile, tovBoat::kDeckTextureFile,
                             tovBoat::kModelFile, tovBoat::kLodModelFile})
        std::filesystem::copy_file(testfiles::DataDir() + "/Data/" + file, dir.Path() + "/Data/" + file);
    SetInstallRoot(dir.Path());
    uRandom random(77);
    for (const char* file : {tovBoat::kModelFile, tovBoat::kLodModelFile})
    {
        const std::vector<uint8_t> good = testfiles::ReadBytes(testfiles::DataDir() + "/Data/" + file);
        ASSERT_GT(good.size(), 64u);
        for (int trial = 0; trial < 6; ++trial)
        {
            const std::vector<uint8_t> bad =
                testfiles::DamagedCopy(good, trial, [&](int32_t lo, int32_t hi) { return random.range(lo, hi); });
            testfiles::WriteBytes(dir.Path() + "/Data/" + file, bad);
            tovBoat::ReleaseStatics();
            m_boat = nullptr;
            m_root = nullptr;
            m_water = nullptr;
            m_debug.Clear();
            Build();
            const QrNode* model = file == tovBoat::kModelFile ? m_boat->GetFullModel() : m_boat->GetLodModel();
            const std::vector<std::string> lines = m_debug.Lines();
            const auto named = std::count_if(lines.begin(), lines.end(),
                                             [&](const std::string& line)
                                             { return line.find(std::string("/Data/") + file) != std::string::npos; });
            EXPECT_EQ(named, model ? 0 : 1) << file << " trial " << trial;
            refused += model ? 0 : 1;
            m_boat->SetThrottle(1.0f);
            m_boat->SetSteering(0.5f);
            for (int frame = 1; frame <= 5; ++frame)
                m_boat->Update(2.0 + frame / 30.0, 1.0 / 30.0);
            Look(QrPoint3(0.3f, 0.12f, 0.3f), m_boat->GetPosition(), 0.1f, 0.6f);
            m_camera->SetSceneRoot(nullptr);
            m_camera = nullptr;
        }
        testfiles::WriteBytes(dir.Path() + "/Data/" + file, good);
    }
    EXPECT_GT(refused, 0);
}

} // namespace
