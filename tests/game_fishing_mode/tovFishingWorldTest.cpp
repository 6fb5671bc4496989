// The fishing world on the sample lake: built and torn down whole, boats kept in place on the
// lake across sector switches, the scene switched at the water plane, computer boats kept on
// the water, and the start of a quick-fish day drawn from the cameras.
#include "FishingWorldHarness.h"

#include "tovCameraHeadingTracker.h"
#include "tovCameraModeAction.h"
#include "tovFishModels.h"
#include "tovFishingBoatProbe.h"

#include "GoldenImage.h"

#include "qrxKeyMapper.h"
#include "tovBoat.h"
#include "tovComputerRig.h"
#include "tovFish.h"
#include "tovLake.h"
#include "tovLocalRig.h"
#include "tovLure.h"
#include "tovScene.h"
#include "tovSky.h"
#include "tovTackleSet.h"
#include "tovWake.h"
#include "tovWorldServices.h"

#include "QrAlphaSorter.h"
#include "QrCamera.h"
#include "QrFogProperty.h"
#include "QrLight.h"
#include "QrSorter.h"
#include "QrTriShape.h"

#include "HeadlessInputBackend.h"
#include "KeyNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
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

// The fish shown swim clear of the ground under their whole length (the terrain's coarser
// triangles at a distance must not cover them) and under the surface, as they wander.
TEST_F(tovFishingWorldTest, ShownFishSwimClearOfTheGround)
{
    ASSERT_TRUE(BuildDay(1.0f));
    int32_t checked = 0;
    for (int32_t round = 0; round < 4; ++round)
    {
        Step(10, 0.2);
        for (int32_t i = 0; tovFish* fish = m_world->GetFish()->GetShownModel(i); ++i)
        {
            const QrPoint3 at = fish->GetTranslate();
            const float r = 0.5f * fish->GetLength() / 1200.0f;
            float ground = m_world->GroundHeight(at);
            for (const auto& [dx, dz] : {std::pair{r, 0.0f}, {-r, 0.0f}, {0.0f, r}, {0.0f, -r}})
                ground = std::max(ground, m_world->GroundHeight(QrPoint3(at.x + dx, at.y, at.z + dz)));
            // Half a foot at least wherever the water is that deep.
            EXPECT_GE(at.y - ground, std::min(0.005f, -0.001f - ground) - 1e-6f) << "fish " << i << " round " << round;
            EXPECT_LT(at.y, m_world->WaterHeight()) << "fish " << i << " round " << round;
            ++checked;
        }
    }
    EXPECT_GT(checked, 8);
}

// The current lure is shown in the scene and stepped with the world; a new one replaces it,
// none takes it away, and the teardown lets the last one go.
TEST_F(tovFishingWorldTest, CurrentLureJoinsTheSceneAndLeavesIt)
{
    QrPointer<tovLure> first(new tovLure(tovTackleSet::LureModelFile(0), 0));
    QrPointer<tovLure> second(new tovLure(tovTackleSet::LureModelFile(1), 1));
    ASSERT_TRUE(first->GetModel() && second->GetModel());
    // Nothing before a build.
    m_world->SetCurrentLure(first.Get());
    EXPECT_FALSE(m_world->GetCurrentLure());

    ASSERT_TRUE(BuildDay(1.0f));
    const qrxIdleManager* idle = m_world->GetIdleManager();
    const auto shown = [&](tovLure& lure)
    { return lure.GetModel()->GetParent() != nullptr && idle->Contains(lure.GetModel()); };
    m_world->SetCurrentLure(first.Get());
    EXPECT_TRUE(shown(*first));
    m_world->SetCurrentLure(first.Get());
    EXPECT_TRUE(shown(*first));
    m_world->SetCurrentLure(second.Get());
    EXPECT_FALSE(first->GetModel()->GetParent());
    EXPECT_FALSE(idle->Contains(first->GetModel()));
    EXPECT_TRUE(shown(*second));
    Step(2);
    m_world->SetCurrentLure(nullptr);
    EXPECT_FALSE(second->GetModel()->GetParent());
    EXPECT_FALSE(idle->Contains(second->GetModel()));

    m_world->SetCurrentLure(second.Get());
    m_world->Teardown();
    EXPECT_FALSE(m_world->GetCurrentLure());
    EXPECT_FALSE(second->GetModel()->GetParent());
    EXPECT_EQ(second->GetRefCount(), 1u);
}

// The newest wake tile's four corners of every boat, in lake-map coordinates.
std::vector<QrPoint3> NewestWakeCorners(tovFishingWorld& world)
{
    std::vector<QrPoint3> corners;
    for (int32_t i = 0; tovBoat* boat = world.GetBoat(i); ++i)
        for (int32_t w = 0; w < tovBoat::GetWakeCount(); ++w)
            if (tovWake* wake = boat->GetWake(w); wake && wake->GetTilesInUse() > 0)
                for (int32_t k = 0; k < 4; ++k)
                    corners.push_back(world.WorldToMap(wake->GetTile(wake->GetNewestTile())->GetVertices()[k]));
    return corners;
}

// A sector switch moves the scene's origin; every boat and the wakes behind the computer
// boats under way keep their places on the lake map, and the switch is stamped. The next
// frame does not switch back while the boats stay put.
TEST_F(tovFishingWorldTest, SectorSwitchKeepsBoatsWhereTheyAre)
{
    ASSERT_TRUE(BuildDay(1.0f));
    // Under way, so that the computer boats trail their wakes.
    Step(20, 0.1);
    tovLake* lake = m_world->GetLake();
    ASSERT_GE(lake->GetDesc().sectors.size(), 2u);
    const int32_t first = lake->GetCurrentSector();
    const int32_t other = first == 0 ? 1 : 0;
    std::vector<QrPoint3> before;
    for (int32_t i = 0; tovBoat* boat = m_world->GetBoat(i); ++i)
        before.push_back(m_world->WorldToMap(boat->GetPosition()));
    const std::vector<QrPoint3> wakes = NewestWakeCorners(*m_world);
    ASSERT_FALSE(wakes.empty());
    // A lure out on the water beside the player's boat.
    QrPointer<tovLure> lure(new tovLure(tovTackleSet::LureModelFile(0), 0));
    m_world->SetCurrentLure(lure.Get());
    lure->SetPosition(m_world->GetPlayerBoat()->GetPosition() + QrPoint3(0.2f, -0.01f, 0.1f));
    const QrPoint3 lureBefore = m_world->WorldToMap(lure->GetPosition());
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
    const QrPoint3 lureNow = m_world->WorldToMap(lure->GetPosition());
    EXPECT_NEAR(lureNow.x, lureBefore.x, 0.01f);
    EXPECT_NEAR(lureNow.z, lureBefore.z, 0.01f);
    EXPECT_FLOAT_EQ(lure->GetPosition().y, lure->GetModel()->GetTranslate().y);
    const std::vector<QrPoint3> moved = NewestWakeCorners(*m_world);
    ASSERT_EQ(moved.size(), wakes.size());
    for (size_t k = 0; k < wakes.size(); ++k)
    {
        EXPECT_NEAR(moved[k].x, wakes[k].x, 0.01f) << k;
        EXPECT_NEAR(moved[k].z, wakes[k].z, 0.01f) << k;
    }
    // The next frame lays on where the strip left off: the newest tile stays at its stern.
    Step(1, 0.1);
    for (int32_t i = 1; tovBoat* boat = m_world->GetBoat(i); ++i)
        if (tovWake* wake = boat->GetWake(0); wake->GetTilesInUse() > 0)
        {
            const QrPoint3 nearCorner = wake->GetTile(wake->GetNewestTile())->GetVertices()[1];
            EXPECT_LT((nearCorner - boat->GetPosition()).Length(), 0.2f) << i;
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
    // From above, what lies under the surface is not drawn and the camera's lamp is off.
    QrNode* belowGroup = m_world->GetScene()->GetGroupB();
    EXPECT_TRUE(belowGroup->GetAppCulled());
    EXPECT_FALSE(m_world->GetLightA()->GetOn());
    m_world->SetCamera(tovCameraModeAction::kLure);
    EXPECT_TRUE(m_world->IsUnderwater());
    EXPECT_FALSE(belowGroup->GetAppCulled());
    EXPECT_TRUE(m_world->GetLightA()->GetOn());
    EXPECT_TRUE(m_world->GetScene()->IsUnderwater());
    EXPECT_FALSE(m_world->GetSky()->IsAboveWater());
    EXPECT_FLOAT_EQ(m_world->GetCamera()->GetFrustum()[QrCamera::kFar], tovFishingWorld::kFarBelow);
    m_world->SetCamera(tovCameraModeAction::kFight);
    EXPECT_TRUE(m_world->IsUnderwater());
    m_world->SetCamera(tovCameraModeAction::kChase);
    EXPECT_FALSE(m_world->IsUnderwater());
    EXPECT_TRUE(belowGroup->GetAppCulled());
    EXPECT_FALSE(m_world->GetLightA()->GetOn());
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

// Lake-map cells through the world: a cell's centre reads back as that cell anywhere on the
// map, edges included; points and cells off the map come to its nearest edge cell; without a
// lake nothing is answered or written.
TEST_F(tovFishingWorldTest, MapCellsRoundTripAndStayOnTheMap)
{
    int32_t column = -7, row = -7;
    QrPoint3 at(1.0f, 2.0f, 3.0f);
    EXPECT_FALSE(m_world->WorldToMapCell(QrPoint3(), column, row));
    EXPECT_FALSE(m_world->MapCellToWorld(3, 3, at));
    EXPECT_EQ(column, -7);
    EXPECT_EQ(at.x, 1.0f);

    ASSERT_TRUE(BuildDay(0.3f));
    const tovLake& lake = *m_world->GetLake();
    const int32_t w = lake.GetMaskWidth(), h = lake.GetMaskHeight();
    ASSERT_GT(w, 2);
    ASSERT_GT(h, 2);
    const struct
    {
        int32_t column, row;  // asked
        int32_t wantC, wantR; // answered after the round trip
    } cells[] = {
        {0, 0, 0, 0},    {w - 1, h - 1, w - 1, h - 1}, {w / 2, h / 3, w / 2, h / 3},     {0, h - 1, 0, h - 1},
        {-1, -50, 0, 0}, {w, h + 9, w - 1, h - 1},     {INT32_MIN, INT32_MAX, 0, h - 1},
    };
    for (const auto& c : cells)
    {
        ASSERT_TRUE(m_world->MapCellToWorld(c.column, c.row, at));
        ASSERT_TRUE(m_world->WorldToMapCell(at, column, row));
        EXPECT_EQ(column, c.wantC) << c.column << "," << c.row;
        EXPECT_EQ(row, c.wantR) << c.column << "," << c.row;
    }
    const float far = 1.0e30f, nan = std::nanf("");
    const struct
    {
        QrPoint3 world;
        int32_t wantC, wantR;
    } points[] = {
        {{far, 0.0f, far}, 0, 0},
        {{-far, 0.0f, -far}, w - 1, h - 1},
        {{nan, 0.0f, nan}, 0, 0},
    };
    for (const auto& p : points)
    {
        ASSERT_TRUE(m_world->WorldToMapCell(p.world, column, row));
        EXPECT_EQ(column, p.wantC) << p.world.x;
        EXPECT_EQ(row, p.wantR) << p.world.x;
    }
}

// The chase camera's heading tracker: the first step takes the heading, later steps turn at
// its rate the shorter way through north (ties turn down), snap onto the heading when they
// would pass it, and answer a heading inside 0..360.
TEST(tovCameraHeadingTrackerTest, TurnsTheShorterWayAtItsRate)
{
    const float rate = tovCameraHeadingTracker::kTurnRate;
    const struct
    {
        float from, to;
        double elapsed;
        float want;
    } rows[] = {
        {350.0f, 10.0f, 0.05, 350.0f + 0.05f * rate},
        {350.0f, 10.0f, 0.1, 350.0f + 0.1f * rate - 360.0f},
        {350.0f, 10.0f, 1.0, 10.0f},
        {10.0f, 350.0f, 0.05, 10.0f - 0.05f * rate},
        {10.0f, 350.0f, 0.1, 10.0f - 0.1f * rate + 360.0f},
        {0.0f, 180.0f, 0.5, 360.0f - 0.5f * rate},
        {90.0f, 450.0f, 0.1, 90.0f},
        {90.0f, 100.0f, 0.0, 100.0f},
        {90.0f, std::nanf(""), 0.1, 90.0f},
    };
    for (const auto& r : rows)
    {
        tovCameraHeadingTracker tracker;
        tracker.Follow(r.from, 0.5);
        EXPECT_FLOAT_EQ(tracker.GetHeading(), r.from);
        tracker.Follow(r.to, r.elapsed);
        EXPECT_NEAR(tracker.GetHeading(), r.want, 1e-3f) << r.from << " -> " << r.to << " in " << r.elapsed;
    }
    // Two steps across north keep going the same way.
    tovCameraHeadingTracker tracker;
    tracker.Follow(340.0f, 0.0);
    tracker.Follow(40.0f, 0.25);
    tracker.Follow(40.0f, 0.25);
    EXPECT_NEAR(tracker.GetHeading(), 340.0f + 0.5f * rate - 360.0f, 1e-3f);
}

// The two under-water cameras keep under the surface and clear of the bed: at their set depth
// in deep water, lifted in shallows, under the surface where the water is thinner than that.
TEST_F(tovFishingWorldTest, UnderwaterCamerasKeepOutOfTheBed)
{
    ASSERT_TRUE(BuildDay(0.3f));
    Step(2);
    const tovBoat& boat = *m_world->GetPlayerBoat();
    struct FlatBed : tovWorldServices
    {
        void SetUnderwater(bool) override {}
        void SetLightAPosition(const QrPoint3&) override {}
        float GroundHeight(const QrPoint3&) override { return ground; }
        float ground = 0.0f;
    } bed;
    QrPointer<QrCamera> camera = new QrCamera;
    for (const int32_t mode : {tovCameraModeAction::kLure, tovCameraModeAction::kFight})
    {
        QrPointer<tovCameraModeAction> action = new tovCameraModeAction(mode);
        ASSERT_TRUE(action->Place(*camera, boat));
        const float nominal = camera->GetTranslate().y;
        ASSERT_LT(nominal, -0.04f);
        const struct
        {
            float ground, eye;
        } rows[] = {
            {-1.0f, nominal}, {-0.03f, -0.02f}, {-0.005f, -0.002f}, {0.2f, -0.002f}, {NAN, nominal},
        };
        for (const auto& row : rows)
        {
            bed.ground = row.ground;
            ASSERT_TRUE(action->Place(*camera, boat, &bed));
            EXPECT_NEAR(camera->GetTranslate().y, row.eye, 1e-5f) << mode << " " << row.ground;
        }
    }
}

// The chase camera swings after a boat that turns at once instead of jumping with it; the
// keypad moves the free camera only while it is the current one.
TEST_F(tovFishingWorldTest, ChaseCameraLagsTheTurnAndTheKeypadMovesTheFreeCamera)
{
    ASSERT_TRUE(BuildDay(0.3f));
    m_world->SetCamera(tovCameraModeAction::kChase);
    // The manager's first step at time 0 passes no time; the second settles.
    Step(2, 0.1);
    tovBoat* boat = m_world->GetPlayerBoat();
    const float heading = boat->GetHeadingDegrees();
    EXPECT_NEAR(m_world->GetHeadingTracker()->GetHeading(), heading, 0.01f);
    // A quarter turn in one go: a frame later the tracker has turned one frame's worth.
    const QrMatrix3 quarter{0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    boat->SetRotation(boat->GetRotation() * quarter);
    boat->UpdateAllInstances();
    Step(1, 0.1);
    const float lag = std::fabs(std::remainder(m_world->GetHeadingTracker()->GetHeading() - heading, 360.0f));
    EXPECT_NEAR(lag, 0.1f * tovCameraHeadingTracker::kTurnRate, 1.0f);
    // The chase camera sits behind the tracker's heading, not the hull's.
    m_rig->DrawFrame(m_world->GetCamera(), 1.0f, QrPoint3());
    const QrPoint3 back = m_world->GetCamera()->GetTranslate() - boat->GetPosition();
    const float seen = std::atan2(back.x, -back.z) * 57.2957795f;
    EXPECT_NEAR(std::remainder(seen - m_world->GetHeadingTracker()->GetHeading(), 360.0f), 0.0f, 0.5f);
    Step(10, 0.1);
    EXPECT_NEAR(std::remainder(m_world->GetHeadingTracker()->GetHeading() - boat->GetHeadingDegrees(), 360.0f), 0.0f,
                1.0f);

    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    plat::HeadlessInputBackend input{window};
    qrxKeyMapper keys;
    keys.Connect(&input, &window);
    const auto hold = [&](bool down)
    {
        input.SetKey(plat::kKeyKeypad8, down);
        qrxKeyMapper::BeginFrame();
        keys.Poll();
    };
    QrCamera* free = m_world->GetCameraAt(tovCameraModeAction::kFree);
    const QrPoint3 start = free->GetTranslate();
    hold(true);
    Step(1, 0.5);
    EXPECT_EQ(free->GetTranslate().x, start.x) << "moved while another camera is current";
    const QrPoint3 view = m_world->GetCamera()->GetTranslate();
    m_world->SetCamera(tovCameraModeAction::kFree);
    const QrPoint3 from = free->GetTranslate();
    const QrMatrix3 r = free->GetRotate();
    // It starts from the view the player had.
    EXPECT_EQ(from.x, view.x);
    EXPECT_EQ(from.z, view.z);
    Step(1, 0.5);
    hold(false);
    const QrPoint3 to = free->GetTranslate();
    // Half a second forward, in the horizontal plane along the camera's forward axis.
    EXPECT_NEAR(to.x - from.x, 0.5f * 0.3f * r.m[0][0], 1e-4f);
    EXPECT_NEAR(to.z - from.z, 0.5f * 0.3f * r.m[2][0], 1e-4f);
    EXPECT_GT(std::hypot(to.x - from.x, to.z - from.z), 0.01f);
    Step(1, 0.5);
    EXPECT_EQ(free->GetTranslate().x, to.x);
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

// The player's rig full ahead from the start until the shore holds the bow: with the motor off
// reverse does nothing; with the motor on the boat backs off into open water.
TEST_F(tovFishingWorldTest, ABoatOnTheShoreBacksOffInReverseWithTheMotorOn)
{
    ASSERT_TRUE(BuildDay(0.3f));
    auto* rig = static_cast<tovLocalRig*>(m_anglers.front().Get());
    tovBoat* boat = m_world->GetPlayerBoat();
    const auto lakeAt = [this](const QrPoint3& p) { return m_world->WorldToMap(p); };
    rig->StartMotor();
    for (int i = 0; i < 10; ++i)
        rig->Throttle(tovLocalRig::kThrottleUp);
    QrPoint3 stuck = lakeAt(boat->GetPosition());
    bool held = false;
    for (int second = 0; second < 600 && !held; ++second)
    {
        Step(5, 0.2);
        const QrPoint3 p = lakeAt(boat->GetPosition());
        held = std::hypot(p.x - stuck.x, p.z - stuck.z) < 0.001f;
        stuck = p;
    }
    ASSERT_TRUE(held) << "the boat never reached the shore";

    const auto backedOff = [&]
    {
        Step(100, 0.2);
        const QrPoint3 p = lakeAt(boat->GetPosition());
        return std::hypot(p.x - stuck.x, p.z - stuck.z);
    };
    rig->StopMotor();
    rig->Throttle(tovLocalRig::kThrottleReverse);
    EXPECT_LT(backedOff(), 0.001f);
    rig->StartMotor();
    rig->Throttle(tovLocalRig::kThrottleReverse);
    // Twenty seconds at about four miles an hour: over a hundred feet.
    EXPECT_GT(backedOff(), 1.0f);
    EXPECT_LE(m_world->GroundHeight(boat->GetPosition()), tovBoatStateBase::kDraftLimit);
}

// The day's fish as lake-map places.
std::vector<QrPoint3> FishPlaces(const tovFishPopulation& population)
{
    std::vector<QrPoint3> places;
    for (int32_t i = 0; i < population.GetCount(); ++i)
        places.push_back(population.GetFish(i).map);
    return places;
}

// A network player starts at its slot's start, in another sector than the first start: the
// day's fish are put around it there and shown near its boat. Another boat put at a start
// takes no fish along, and the player back at the first start finds the single-player fish.
TEST_F(tovFishingWorldTest, FishLiveAroundThePlayersOwnStart)
{
    ASSERT_TRUE(BuildDay(0.3f));
    const tovFishPopulation& population = m_world->GetFish()->GetPopulation();
    const std::vector<QrPoint3> single = FishPlaces(population);
    ASSERT_FALSE(single.empty());
    m_world->PlaceBoatAtStart(*m_world->GetBoat(1), 1);
    EXPECT_EQ(FishPlaces(population), single);

    tovBoat& player = *m_world->GetPlayerBoat();
    const int32_t sector = m_world->GetLake()->GetCurrentSector();
    m_world->PlaceBoatAtStart(player, 1);
    EXPECT_NE(m_world->GetLake()->GetCurrentSector(), sector) << "the lake's other start lies in another sector";
    ASSERT_GT(size_t(population.GetCount()), single.size() / 2);
    const QrPoint3 start = player.GetPosition();
    for (int32_t i = 0; i < population.GetCount(); ++i)
    {
        const QrPoint3 at = m_world->MapToWorld(population.GetFish(i).map);
        EXPECT_LE(std::max(std::fabs(at.x - start.x), std::fabs(at.z - start.z)), 3.0f) << i;
        EXPECT_TRUE(m_world->IsOnLake(at)) << i;
    }
    Step(5);
    EXPECT_GT(m_world->GetFish()->GetShownCount(), 0);

    m_world->PlaceBoatAtStart(player, 0);
    EXPECT_EQ(FishPlaces(population), single);

    // A loaded game puts the fish around the player's boat where it was saved.
    const QrPoint3 saved(player.GetPosition().x + 2.5f, 0.0f, player.GetPosition().z - 1.5f);
    m_world->AddLoadedAngler(m_anglers.front().Get(), saved, player.GetRotation());
    ASSERT_GT(population.GetCount(), 0);
    for (int32_t i = 0; i < population.GetCount(); ++i)
    {
        const QrPoint3 at = m_world->MapToWorld(population.GetFish(i).map);
        EXPECT_LE(std::max(std::fabs(at.x - saved.x), std::fabs(at.z - saved.z)), 3.0f) << i;
    }
    m_world->PlaceBoatAtStart(player, 0);
    EXPECT_EQ(FishPlaces(population), single);
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

// Seen from just below, the surface overhead is fogged like the bottom: the lake's fog reaches
// the water, and under water it starts behind the eye, where the surface always lies near.
TEST_F(tovFishingWorldTest, SurfaceOverheadIsFoggedFromBelow)
{
    ASSERT_TRUE(BuildDay(1.0f));
    Step(5);
    m_world->SetCamera(tovCameraModeAction::kFree);
    ASSERT_TRUE(m_world->GetFish()->GetShownModel(0));
    const QrPoint3 at = m_world->GetFish()->GetShownModel(0)->GetTranslate();
    QrCamera* camera = m_world->GetCamera();
    camera->SetTranslate(at.x, -0.02f, at.z);
    camera->UpdateAllInstances();
    ASSERT_TRUE(camera->LookAt(QrPoint3(at.x, 0.0f, at.z), QrPoint3(0.0f, 0.0f, 1.0f)));
    Draw();
    ASSERT_TRUE(m_world->IsUnderwater());
    // A red fog, so that what the fog adds stands apart from the blue surface.
    QrFogProperty* fog = m_world->GetSky()->GetFogProperty();
    ASSERT_TRUE(fog->m_enabled);
    fog->m_color = QrPoint3(1.0f, 0.0f, 0.0f);
    Draw();
    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    for (const auto& [x, y] : {std::pair{320, 240}, {80, 60}, {560, 420}})
    {
        const uint16_t pixel = window.Frame()[size_t(y) * window.FrameWidth() + size_t(x)];
        EXPECT_GE((pixel >> 11) << 3, 96) << x << "," << y;
    }
}

} // namespace
