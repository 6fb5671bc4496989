// The fishing world on the sample lake: built and torn down whole, boats kept in place on the
// lake across sector switches, the scene switched at the water plane, computer boats kept on
// the water, and the start of a quick-fish day drawn from the cameras.
#include "FishingWorldHarness.h"

#include "tovCameraModeAction.h"
#include "tovFishModels.h"
#include "tovFishingBoatProbe.h"

#include "GoldenImage.h"

#include "tovBoat.h"
#include "tovComputerRig.h"
#include "tovFish.h"
#include "tovLake.h"
#include "tovScene.h"
#include "tovSky.h"
#include "tovWorldServices.h"

#include "QrAlphaSorter.h"
#include "QrCamera.h"
#include "QrSorter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{

class tovFishingWorldTest : public FishingWorldHarness
{
};

// Built twice over (the second build takes down the first), stepped and torn down: the
// engine's live-object count is back where it was (checked by the fixture), the services and
// the sorter factory are the program's again, and a world that never loaded builds nothing.
TEST_F(tovFishingWorldTest, BuildAndTeardownLeaveNothingBehind)
{
    ASSERT_TRUE(BuildDay(1.0f)) << m_world->LastError();
    ASSERT_TRUE(BuildDay(0.5f)) << m_world->LastError();
    EXPECT_TRUE(m_world->IsBuilt());
    EXPECT_EQ(GetWorldServices(), m_world.get());
    EXPECT_NE(QrSorter::GetFactory(), &QrAlphaSorter::Create);
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_TRUE(m_world->GetBoat(i)) << i;
    EXPECT_FALSE(m_world->GetBoat(5));
    EXPECT_FALSE(m_world->GetBoat(-1));
    Step(10);
    // Fish swim on their models near the boat, no more than the models kept.
    ASSERT_TRUE(m_world->GetFish());
    EXPECT_GT(m_world->GetFish()->GetShownCount(), 0);
    EXPECT_LE(m_world->GetFish()->GetShownCount(), tovFishModels::kMaxShown);
    // The local boat's probe reads the depth under it at the start: on water, so some depth.
    auto* probe = dynamic_cast<tovFishingBoatProbe*>(m_world->GetPlayerBoat()->GetProbe());
    ASSERT_TRUE(probe);
    EXPECT_GT(probe->GetDepthFeet(), 0.0f);
    m_world->Teardown();
    EXPECT_FALSE(m_world->IsBuilt());
    EXPECT_EQ(GetWorldServices(), nullptr);
    EXPECT_EQ(QrSorter::GetFactory(), &QrAlphaSorter::Create);
    EXPECT_FALSE(m_world->GetBoat(0));
    EXPECT_EQ(m_world->GroundHeight(QrPoint3()), 0.0f);
    m_world->RestoreTerrain();
    m_world->Update(1.0, 0.1);

    EXPECT_FALSE(m_world->Build(LakePath() + ".missing", 1.0f, nullptr, nullptr));
    EXPECT_FALSE(m_world->IsBuilt());
    EXPECT_FALSE(m_world->LastError().empty());
    EXPECT_EQ(GetWorldServices(), nullptr);
}

// A sector switch moves the scene's origin; every boat keeps its place on the lake map, and
// the switch is stamped. The next frame does not switch back while the boats stay put.
TEST_F(tovFishingWorldTest, SectorSwitchKeepsBoatsWhereTheyAre)
{
    ASSERT_TRUE(BuildDay(1.0f));
    tovLake* lake = m_world->GetLake();
    ASSERT_GE(lake->GetDesc().sectors.size(), 2u);
    const int32_t first = lake->GetCurrentSector();
    const int32_t other = first == 0 ? 1 : 0;
    std::vector<QrPoint3> before;
    for (int32_t i = 0; tovBoat* boat = m_world->GetBoat(i); ++i)
        before.push_back(m_world->WorldToMap(boat->GetPosition()));
    m_now = 12.0;
    m_world->Update(m_now, 0.0);
    m_world->SwitchSector(other);
    EXPECT_EQ(lake->GetCurrentSector(), other);
    EXPECT_DOUBLE_EQ(m_world->GetSectorSwitchTime(), 12.0 - 0.01);
    for (int32_t i = 0; tovBoat* boat = m_world->GetBoat(i); ++i)
    {
        const QrPoint3 now = m_world->WorldToMap(boat->GetPosition());
        EXPECT_NEAR(now.x, before[size_t(i)].x, 0.01f) << i;
        EXPECT_NEAR(now.z, before[size_t(i)].z, 0.01f) << i;
        EXPECT_TRUE(m_world->IsOnLake(boat->GetPosition())) << i;
    }
    // Back again, by the frame's own paging after the local boat.
    m_world->SwitchSector(first);
    EXPECT_EQ(lake->GetCurrentSector(), first);
    Step(1);
    EXPECT_EQ(lake->GetCurrentSector(), lake->NearestSectorToPoint(m_world->GetPlayerBoat()->GetPosition()));
}

// Changing to a camera on the other side of the water plane switches the scene, the sky and
// the camera range; the crossing action does the same for a camera moved through the plane.
TEST_F(tovFishingWorldTest, UnderwaterSwitchAtTheWaterPlane)
{
    ASSERT_TRUE(BuildDay(1.0f));
    EXPECT_FALSE(m_world->IsUnderwater());
    m_world->SetCamera(tovCameraModeAction::kLure);
    EXPECT_TRUE(m_world->IsUnderwater());
    EXPECT_TRUE(m_world->GetScene()->IsUnderwater());
    EXPECT_FALSE(m_world->GetSky()->IsAboveWater());
    EXPECT_FLOAT_EQ(m_world->GetCamera()->GetFrustum()[QrCamera::kFar], tovFishingWorld::kFarBelow);
    m_world->SetCamera(tovCameraModeAction::kFight);
    EXPECT_TRUE(m_world->IsUnderwater());
    m_world->SetCamera(tovCameraModeAction::kChase);
    EXPECT_FALSE(m_world->IsUnderwater());
    EXPECT_TRUE(m_world->GetSky()->IsAboveWater());
    EXPECT_FLOAT_EQ(m_world->GetCamera()->GetFrustum()[QrCamera::kFar], tovFishingWorld::kFarAbove);

    // The free camera stays where it is put: just above, then just below the plane.
    m_world->SetCamera(tovCameraModeAction::kFree);
    QrCamera* camera = m_world->GetCamera();
    const QrPoint3 at = m_world->GetPlayerBoat()->GetPosition();
    for (const float y : {0.001f, -0.001f, 0.001f})
    {
        camera->SetTranslate(at.x, y, at.z);
        camera->UpdateAllInstances();
        m_rig->DrawFrame(camera, 1.0f, QrPoint3());
        EXPECT_EQ(m_world->IsUnderwater(), y < 0.0f) << y;
        EXPECT_EQ(m_world->GetScene()->IsUnderwater(), y < 0.0f) << y;
    }
}

// Two minutes of the computer anglers driving to their spots: every boat stays on the lake's
// water every frame, and they do move.
TEST_F(tovFishingWorldTest, ComputerBoatsNeverLeaveTheWater)
{
    ASSERT_TRUE(BuildDay(0.3f));
    std::vector<QrPoint3> start;
    for (int32_t i = 1; tovBoat* boat = m_world->GetBoat(i); ++i)
        start.push_back(m_world->WorldToMap(boat->GetPosition()));
    ASSERT_EQ(start.size(), 4u);
    for (int frame = 0; frame < 600; ++frame)
    {
        Step(1, 0.2);
        for (int32_t i = 1; tovBoat* boat = m_world->GetBoat(i); ++i)
            ASSERT_TRUE(m_world->IsOnLake(boat->GetPosition())) << "boat " << i << " frame " << frame;
    }
    float moved = 0.0f;
    for (int32_t i = 1; tovBoat* boat = m_world->GetBoat(i); ++i)
    {
        const QrPoint3 now = m_world->WorldToMap(boat->GetPosition());
        moved = std::max(moved, std::hypot(now.x - start[size_t(i - 1)].x, now.z - start[size_t(i - 1)].z));
    }
    EXPECT_GT(moved, 1.0f);
}

// The start of a quick-fish day: from the driver's seat and from behind the boat at full and
// low detail, and under water off the bow.
TEST_F(tovFishingWorldTest, StartOfTheDayFromTheCameras)
{
    const struct
    {
        const char* golden;
        float detail;
        int32_t camera;
    } frames[] = {{"fishing_driver_full.png", 1.0f, tovCameraModeAction::kDriver},
                  {"fishing_chase_full.png", 1.0f, tovCameraModeAction::kChase},
                  {"fishing_driver_low.png", 0.3f, tovCameraModeAction::kDriver},
                  {"fishing_chase_low.png", 0.3f, tovCameraModeAction::kChase},
                  {"fishing_under_full.png", 1.0f, tovCameraModeAction::kLure},
                  {"fishing_under_fish.png", 1.0f, tovCameraModeAction::kFree}};
    for (const auto& f : frames)
    {
        ASSERT_TRUE(BuildDay(f.detail));
        Step(5);
        m_world->SetCamera(f.camera);
        if (f.camera == tovCameraModeAction::kFree)
        {
            // Beside the deepest of the fish shown, a little above it, looking at it.
            tovFish* fish = m_world->GetFish()->GetShownModel(0);
            ASSERT_TRUE(fish);
            for (int32_t i = 1; tovFish* other = m_world->GetFish()->GetShownModel(i); ++i)
                if (other->GetTranslate().y < fish->GetTranslate().y)
                    fish = other;
            const QrPoint3 at = fish->GetTranslate();
            ASSERT_LT(at.y, -0.02f);
            QrCamera* camera = m_world->GetCamera();
            camera->SetTranslate(at.x + 0.04f, std::min(at.y + 0.01f, -0.01f), at.z + 0.04f);
            camera->UpdateAllInstances();
            ASSERT_TRUE(camera->LookAt(at, QrPoint3(0.0f, 1.0f, 0.0f)));
            // The first frame down there switches the scene under water.
            Draw();
        }
        Draw();
        plat::HeadlessWindowBackend& window = m_rig->GetWindow();
        EXPECT_TRUE(golden::MatchesGoldenImage(
            f.golden, golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight())));
        m_world->Teardown();
    }
}

} // namespace
