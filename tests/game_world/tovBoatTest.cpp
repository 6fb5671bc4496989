#include "tovBoat.h"

#include "BoatTestWorld.h"
#include "GenLakeShape.h"
#include "SoundPackRig.h"
#include "WaterTestFixture.h"

#include "Qr3dsAnimationNode.h"
#include "QrCamera.h"
#include "QrLODNode.h"
#include "TestFiles.h"
#include "qrxAssetCache.h"
#include "tovLake.h"
#include "tovUserProfile.h"
#include "tovWorldClasses.h"

#include <gtest/gtest.h>

#include <functional>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// A rotation whose forward axis (third column) points along the unit (dx, 0, dz).
QrMatrix3 Facing(float dx, float dz)
{
    return QrMatrix3(dz, 0.0f, dx, 0.0f, 1.0f, 0.0f, -dx, 0.0f, dz);
}

class tovBoatTest : public WaterTestFixture
{
protected:
    void SetUp() override
    {
        WaterTestFixture::SetUp();
        RegisterGameWorldClasses();
    }

    void TearDown() override
    {
        m_boats.clear();
        m_lake = nullptr;
        qrxAssetCache::Get().Clear();
        tovBoat::ReleaseStatics();
        WaterTestFixture::TearDown();
    }

    tovBoat* AddBoat(float detail, const QrPoint3& at, const QrMatrix3& rotation)
    {
        QrPointer<tovBoat> boat(new tovBoat(detail));
        boat->SetRotation(rotation);
        boat->SetPosition(at);
        boat->UpdateAllInstances();
        m_boats.push_back(boat);
        m_world.m_boats.push_back(boat.Get());
        return boat.Get();
    }

    void LoadLake()
    {
        m_lake = new tovLake(true);
        ASSERT_TRUE(m_lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt")) << m_lake->LastError();
        m_world.m_lake = m_lake.Get();
    }

    // Drives the boat at full throttle for the given seconds in frames of dt.
    static void Drive(tovBoat* boat, double seconds, double dt)
    {
        boat->SetThrottle(1.0f);
        double now = 0.0;
        for (int32_t frame = 0; now < seconds; ++frame)
        {
            now += dt;
            boat->Update(now, dt);
        }
    }

    BoatTestWorld m_world;
    QrPointer<tovLake> m_lake;
    std::vector<QrPointer<tovBoat>> m_boats;
};

TEST_F(tovBoatTest, DetailDecidesTheModelsAndTheFarDistance)
{
    struct Case
    {
        float detail;
        bool full;
        float distance;
    };
    const Case cases[] = {{0.1f, false, 0.0f}, {0.3f, true, 50.0f}, {0.5f, true, 50.0f}, {0.6f, true, 100.0f}};
    for (const Case& c : cases)
    {
        QrPointer<tovBoat> boat(new tovBoat(c.detail));
        ASSERT_TRUE(boat->GetLodModel()) << c.detail;
        EXPECT_TRUE(boat->GetLodOutboard());
        EXPECT_EQ(boat->GetFullModel() != nullptr, c.full) << c.detail;
        EXPECT_EQ(boat->GetLodSwitch() != nullptr, c.full);
        EXPECT_EQ(boat->GetPropeller() != nullptr, c.full);
        EXPECT_EQ(boat->GetTrollingMotorNode() != nullptr, c.full);
        EXPECT_EQ(boat->GetTrollingFulcrumNode() != nullptr, c.full);
        EXPECT_EQ(boat->GetTrollingPropeller() != nullptr, c.full);
        if (c.full)
        {
            ASSERT_EQ(boat->GetLodSwitch()->GetRangeCount(), 2u);
            EXPECT_EQ(boat->GetLodSwitch()->GetRange(0).m_far, c.distance);
            EXPECT_EQ(boat->GetTrollingMotorNode()->GetFrequency(), 4800.0f);
            EXPECT_EQ(boat->GetTrollingMotorNode()->GetCycleType(), 2u);
        }
        // The far outboard still steers.
        boat->SetSteering(1.0f);
        boat->UpdatePose(0.0, 0.03);
        EXPECT_NE(boat->GetLodOutboard()->GetRotate().m[0][0], 0.0f) << c.detail;
    }
}

TEST_F(tovBoatTest, PositionKeepsTheHeightAndPaintIgnoresRepeats)
{
    tovBoat* boat = AddBoat(1.0f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    EXPECT_EQ(boat->GetPosition().y, tovBoat::kMinHeight);
    boat->GetTranslate().y = 0.02f;
    boat->SetPosition(QrPoint3(1.0f, -5.0f, 2.0f));
    EXPECT_EQ(boat->GetPosition(), QrPoint3(1.0f, 0.02f, 2.0f));

    boat->SetPaintScheme(-1);
    EXPECT_EQ(boat->GetPaintSchemeIndex(), -1);
    boat->SetPaintScheme(0);
    EXPECT_EQ(boat->GetPaintSchemeIndex(), 0);
    boat->SetPaintScheme(1);
    EXPECT_EQ(boat->GetPaintSchemeIndex(), 0);
    boat->SetPaintScheme(0);
    EXPECT_EQ(boat->GetPaintSchemeIndex(), 0);
}

TEST_F(tovBoatTest, HeadingOfTheFourAxes)
{
    tovBoat* boat = AddBoat(0.1f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    struct Case
    {
        float x, z, heading;
    };
    for (const Case& c : {Case{0, 1, 0}, Case{1, 0, 90}, Case{-1, 0, 270}, Case{0, -1, 180}})
    {
        QrMatrix3 r;
        r.MakeIdentity();
        r.SetRow(2, QrPoint3(c.x, 0.0f, c.z));
        boat->SetRotation(r);
        EXPECT_NEAR(boat->GetHeadingDegrees(), c.heading, 0.01f);
    }
}

TEST_F(tovBoatTest, CapturedStateAppliedToASecondBoatReproducesThePose)
{
    m_world.m_ground = [](const QrPoint3&) { return -0.2f; };
    tovBoat* a = AddBoat(1.0f, QrPoint3(0.5f, 0.0f, 0.5f), Facing(0.6f, 0.8f));
    a->SetPaintScheme(0);
    a->SetThrottle(0.8f);
    a->SetSteering(-0.5f);
    a->SetRangeControl(0.3f);
    for (int frame = 1; frame <= 20; ++frame)
        a->Update(frame * 0.05, 0.05);
    tovBoatState state;
    a->CaptureState(state);
    EXPECT_EQ(state.m_changeMask, 0u);
    tovBoat* b = AddBoat(1.0f, QrPoint3(3.0f, 0.0f, 3.0f), Facing(0.0f, 1.0f));
    state.m_changeMask = tovBoatState::kAllMask;
    b->ApplyState(state);
    tovBoatState back;
    b->CaptureState(back);
    const auto motion = [](const tovBoatState& r)
    {
        return std::vector<float>{float(r.m_paintScheme),
                                  float(r.m_trollingLevel),
                                  float(r.m_lastTrollingCommand),
                                  r.m_speed,
                                  r.m_targetSpeed,
                                  r.m_turnRate,
                                  r.m_targetTurnRate,
                                  r.m_pitch,
                                  r.m_pitchTarget,
                                  r.m_roll,
                                  r.m_rollTarget};
    };
    EXPECT_EQ(motion(back), motion(state));
    EXPECT_EQ(back.m_throttle, state.m_throttle);
    // The wheel reads its value through its dead zone, so the steering is not carried exactly.
    EXPECT_EQ(back.m_trim, state.m_trim);
    EXPECT_EQ(back.m_position.x, state.m_position.x);
    EXPECT_EQ(back.m_position.z, state.m_position.z);
    EXPECT_EQ(std::memcmp(&back.m_rotation, &state.m_rotation, sizeof state.m_rotation), 0);
    // Values that are not finite and trolling settings out of range are left out.
    tovBoatState hostile = state;
    hostile.m_changeMask = tovBoatState::kAllMask;
    hostile.m_speed = std::nanf("");
    hostile.m_position.x = HUGE_VALF;
    hostile.m_rotation.m[1][1] = std::nanf("");
    hostile.m_trollingLevel = 300;
    hostile.m_turnRate = 7.0f;
    b->ApplyState(hostile);
    EXPECT_EQ(b->GetSpeed(), state.m_speed);
    EXPECT_EQ(b->GetPosition().x, state.m_position.x);
    EXPECT_EQ(b->GetRotate().m[1][1], state.m_rotation.m[1][1]);
    EXPECT_EQ(b->GetTrollingLevel(), state.m_trollingLevel);
    EXPECT_EQ(b->GetTurnRate(), 7.0f);
    // A mask of nothing but the paint leaves the rest.
    tovBoatState only;
    only.m_paintScheme = 0;
    only.m_throttle = 0.1f;
    b->ApplyState(only);
    EXPECT_EQ(b->GetThrottle(), state.m_throttle);
}

// Each bit of a record's mask lets in its own group and nothing else.
TEST_F(tovBoatTest, EachMaskBitAppliesOnlyItsGroup)
{
    tovBoat* b = AddBoat(1.0f, QrPoint3(0.5f, 0.0f, 0.5f), Facing(0.6f, 0.8f));
    tovBoatState base;
    b->CaptureState(base);
    base.m_changeMask = tovBoatState::kAllMask;
    tovBoatState other = base;
    other.m_throttle = 0.7f;
    other.m_steering = -0.9f;
    other.m_trim = 0.6f;
    other.m_position = QrPoint3(2.0f, 0.0f, -1.0f);
    other.m_rotation = Facing(0.0f, 1.0f);
    other.m_speed = 0.3f;
    other.m_targetSpeed = 0.4f;
    other.m_turnRate = 5.0f;
    other.m_targetTurnRate = 6.0f;
    other.m_pitch = 0.05f;
    other.m_pitchTarget = 0.06f;
    other.m_roll = -0.07f;
    other.m_rollTarget = -0.08f;
    other.m_trollingLevel = 4;
    other.m_lastTrollingCommand = 2;
    // Each group as the boat reports it back.
    const auto groups = [](const tovBoatState& r)
    {
        return std::vector<std::vector<float>>{
            {r.m_throttle},
            {r.m_steering < -0.5f ? 1.0f : 0.0f},
            {r.m_trim},
            {r.m_position.x, r.m_position.z},
            {r.m_rotation.m[0][0], r.m_rotation.m[0][2], r.m_rotation.m[2][0], r.m_rotation.m[2][2]},
            {r.m_speed, r.m_targetSpeed},
            {r.m_turnRate, r.m_targetTurnRate},
            {r.m_pitch, r.m_pitchTarget},
            {r.m_roll, r.m_rollTarget},
            {float(r.m_trollingLevel), float(r.m_lastTrollingCommand)},
        };
    };
    const std::vector<std::vector<float>> before = groups(base), after = groups(other);
    for (size_t bit = 0; bit < before.size(); ++bit)
    {
        SCOPED_TRACE(bit);
        ASSERT_NE(before[bit], after[bit]);
        b->ApplyState(base);
        other.m_changeMask = 1u << bit;
        b->ApplyState(other);
        tovBoatState back;
        b->CaptureState(back);
        const std::vector<std::vector<float>> now = groups(back);
        for (size_t g = 0; g < now.size(); ++g)
            EXPECT_EQ(now[g], g == bit ? after[g] : before[g]) << "group " << g;
    }
}

// The hull rocks by the pitch and by minus the roll: rows (cos r, sin r, 0), (-sin r cos p, cos r cos p, sin p), (sin p
// sin r, -sin p cos r, cos p) with p the pitch and r minus the roll, in radians.
TEST_F(tovBoatTest, TheRockingNodeTurnsByPitchAndMinusRoll)
{
    tovBoat* b = AddBoat(1.0f, QrPoint3(0.5f, 0.0f, 0.5f), Facing(0.6f, 0.8f));
    for (const auto& [pitch, roll] : {std::pair{10.0f, 20.0f}, std::pair{-6.0f, -15.0f}})
    {
        tovBoatState state;
        b->CaptureState(state);
        state.m_changeMask = tovBoatState::kPitch | tovBoatState::kRoll;
        state.m_pitch = state.m_pitchTarget = pitch;
        state.m_roll = state.m_rollTarget = roll;
        b->ApplyState(state);
        b->Update(1.0, 0.01);
        tovBoatState now;
        b->CaptureState(now);
        // The frame eases both toward the motion's own targets; they keep their sides.
        ASSERT_GT(now.m_pitch * pitch, 9.0f);
        ASSERT_GT(now.m_roll * roll, 9.0f);
        const double p = now.m_pitch * M_PI / 180.0, r = -now.m_roll * M_PI / 180.0;
        const double expected[3][3] = {{std::cos(r), std::sin(r), 0.0},
                                       {-std::sin(r) * std::cos(p), std::cos(r) * std::cos(p), std::sin(p)},
                                       {std::sin(p) * std::sin(r), -std::sin(p) * std::cos(r), std::cos(p)}};
        const QrMatrix3& m = b->GetRockingNode()->GetRotate();
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(m.m[i][j], expected[i][j], 1e-4) << pitch << " " << i << j;
    }
}

// The trolling motor turns the boat only where both its ends, 0.12 ahead and behind along the
// turned axis, keep a foot of water.
TEST_F(tovBoatTest, ATrollingTurnNeedsWaterAtBowAndStern)
{
    tovBoat* boat = AddBoat(0.1f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    const struct
    {
        const char* what;
        std::function<float(const QrPoint3&)> ground;
        bool turns;
    } cases[] = {
        {"deep all round", [](const QrPoint3&) { return -0.3f; }, true},
        {"shallow behind", [](const QrPoint3& p) { return p.z < -0.1f ? 0.05f : -0.3f; }, false},
        {"shallow ahead", [](const QrPoint3& p) { return p.z > 0.1f ? 0.05f : -0.3f; }, false},
    };
    for (const auto& c : cases)
    {
        m_world.m_ground = c.ground;
        boat->SetRotation(Facing(0.0f, 1.0f));
        boat->UpdateAllInstances();
        const QrMatrix3 before = boat->GetRotate();
        {
            const tovBoatFlyer::Drive drive(boat->GetFlyer());
            boat->GetFlyer().TurnLeft(1.0f, 1.0f);
        }
        EXPECT_EQ(boat->GetRotate().m[0][0] != before.m[0][0], c.turns) << c.what;
    }
}

TEST_F(tovBoatTest, ARecordDeadReckonsLikeTheBoat)
{
    m_world.m_ground = [](const QrPoint3& p) { return p.x < 2.0f ? -0.2f : 0.1f; };
    tovBoat* boat = AddBoat(0.1f, QrPoint3(0.2f, 0.0f, 0.1f), Facing(0.8f, 0.6f));
    boat->SetThrottle(1.0f);
    boat->SetSteering(0.4f);
    boat->Update(0.0, 0.5);
    tovBoatState record;
    boat->CaptureState(record);
    // Frames of every length, up to one past the split into twenty.
    for (double dt : {0.033, 0.25, 0.4, 1.0, 2.5, 6.0})
    {
        boat->tovBoatStateBase::Update(dt);
        record.Update(dt);
        EXPECT_EQ(record.m_changeMask, tovBoatState::kStepMask);
        EXPECT_EQ(boat->GetSpeed(), record.GetSpeed()) << dt;
        EXPECT_EQ(boat->GetTurnRate(), record.GetTurnRate()) << dt;
        EXPECT_EQ(boat->GetPosition().x, record.m_position.x) << dt;
        EXPECT_EQ(boat->GetPosition().z, record.m_position.z) << dt;
        EXPECT_EQ(std::memcmp(&boat->GetRotate(), &record.m_rotation, sizeof record.m_rotation), 0) << dt;
    }
    // The shore stopped both.
    EXPECT_LT(record.m_position.x, 2.0f - tovBoatStateBase::kLookAhead);
}

// Drives at the sample lake's spit from one side at every frame length: the boat stops on its
// side and never crosses.
TEST_F(tovBoatTest, NoFrameLengthCarriesTheBoatAcrossTheSpit)
{
    LoadLake();
    gen::LakeShape shape = gen::SampleLakes()[0];
    ASSERT_EQ(std::string(shape.name), "Clearwater");
    const double dx = shape.spitX1 - shape.spitX0, dy = shape.spitY1 - shape.spitY0;
    const double length = std::hypot(dx, dy);
    const double nx = -dy / length, ny = dx / length;
    const double mx = shape.spitX0 + dx * 0.6, my = shape.spitY0 + dy * 0.6;
    QrPoint3 start, middle;
    m_lake->MapToWorld(mx + nx * 7.0, my + ny * 7.0, start);
    m_lake->MapToWorld(mx, my, middle);
    ASSERT_TRUE(m_lake->IsOnLake(start));
    ASSERT_FALSE(m_lake->IsOnLake(middle));
    QrPoint3 towards = middle - start;
    towards.y = 0.0f;
    towards.Unitize();
    const auto side = [&](const QrPoint3& p)
    {
        double x, y;
        m_lake->WorldToMap(p, x, y);
        return (x - mx) * nx + (y - my) * ny;
    };
    for (double dt : {0.01, 0.033, 0.1, 0.25, 0.5, 1.0, 2.0, 3.5, 5.0})
    {
        QrPointer<tovBoat> boat(new tovBoat(0.1f));
        m_world.m_player = boat.Get();
        boat->SetRotation(Facing(towards.x, towards.z));
        boat->SetPosition(start);
        boat->UpdateAllInstances();
        Drive(boat.Get(), 30.0, dt);
        EXPECT_GT(side(boat->GetPosition()), 0.0) << dt;
        EXPECT_LT(side(boat->GetPosition()), 6.0) << dt << ": the boat must reach the spit";
        m_world.m_player = nullptr;
    }
}

TEST_F(tovBoatTest, ABoatStopsAgainstAnotherAndCanBackAway)
{
    m_world.m_ground = [](const QrPoint3&) { return -0.3f; };
    tovBoat* mover = AddBoat(0.1f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    tovBoat* parked = AddBoat(0.1f, QrPoint3(0.0f, 0.0f, 1.5f), Facing(1.0f, 0.0f));
    m_world.m_player = mover;
    const float radius = parked->GetWorldBound().GetRadius();
    ASSERT_GT(radius, 0.05f);
    for (double dt : {0.033, 0.5, 2.0, 5.0})
        for (float start : {0.0f, 0.06f, 0.12f, 0.18f})
        {
            mover->SetPosition(QrPoint3(0.0f, 0.0f, start));
            mover->m_speed = 0.0f;
            mover->UpdateAllInstances();
            Drive(mover, 8.0, dt);
            EXPECT_LT(mover->GetPosition().z, 1.5f - radius + 0.01f) << dt;
            EXPECT_GT(mover->GetPosition().z, 0.5f) << dt;
            EXPECT_EQ(parked->GetPosition().z, 1.5f);
        }
    const float stopped = mover->GetPosition().z;
    mover->SetThrottle(0.0f);
    mover->SetReverse(true);
    for (int frame = 1; frame <= 60; ++frame)
        mover->Update(100.0 + frame * 0.033, 0.033);
    EXPECT_LT(mover->GetPosition().z, stopped - 0.01f);
}

// Dry from x = 1 on: an aground local boat moves to the nearest free water along the axes.
TEST_F(tovBoatTest, AnAgroundLocalBoatFindsFreeWater)
{
    m_world.m_ground = [](const QrPoint3& p) { return p.x < 1.0f ? -0.3f : 0.05f; };
    tovBoat* local = AddBoat(0.1f, QrPoint3(1.25f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    tovBoat* other = AddBoat(0.1f, QrPoint3(1.25f, 0.0f, 3.0f), Facing(0.0f, 1.0f));
    m_world.m_player = local;
    local->Update(1.0, 0.033);
    other->Update(1.0, 0.033);
    EXPECT_NEAR(local->GetPosition().x, 0.95f, 1e-5f);
    EXPECT_EQ(local->GetPosition().z, 0.0f);
    EXPECT_EQ(other->GetPosition().x, 1.25f);
    // No water within reach: the boat stays and tries again the next frame.
    m_world.m_ground = [](const QrPoint3&) { return 0.05f; };
    local->SetPosition(QrPoint3(5.0f, 0.0f, 5.0f));
    local->Update(2.0, 0.033);
    EXPECT_EQ(local->GetPosition().x, 5.0f);
    // Water past the map's edge is no free water: the nearer deep points north of z = 0.15 lie
    // off the map, so the boat takes the water to the west.
    m_world.m_ground = [](const QrPoint3& p) { return p.x < 1.0f || p.z > 0.15f ? -0.3f : 0.05f; };
    m_world.m_onLake = [](const QrPoint3& p) { return p.z < 0.15f; };
    local->SetPosition(QrPoint3(1.25f, 0.0f, 0.0f));
    local->Update(3.0, 0.033);
    EXPECT_NEAR(local->GetPosition().x, 0.95f, 1e-5f);
    EXPECT_EQ(local->GetPosition().z, 0.0f);
}

TEST_F(tovBoatTest, ThePoseFollowsSpeedWheelAndTrim)
{
    m_world.m_ground = [](const QrPoint3&) { return -0.3f; };
    tovBoat* boat = AddBoat(1.0f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    ASSERT_TRUE(boat->GetOutboard());
    boat->SetThrottle(1.0f);
    boat->SetSteering(1.0f);
    boat->SetRangeControl(1.0f);
    for (int frame = 1; frame <= 21; ++frame)
        boat->Update(frame / 30.0, 1.0 / 30.0);
    // Accelerating: bow up, banked into the turn, the propeller turning.
    EXPECT_GT(boat->GetPitch(), 1.0f);
    EXPECT_GT(boat->GetRoll(), 1.0f);
    EXPECT_NE(boat->GetPropellerAngle(), 0.0f);
    EXPECT_NE(boat->GetRockingNode()->GetRotate().m[1][2], 0.0f);
    // The outboard: 13 degrees of trim about z, then swung 28 degrees past the quarter turn.
    const float t = 0.2268933f, y = (-90.0f - 28.0f) * 0.017453333f;
    const QrMatrix3 a(std::cos(t), std::sin(t), 0.0f, -std::sin(t), std::cos(t), 0.0f, 0.0f, 0.0f, 1.0f);
    const QrMatrix3 b(std::cos(y), 0.0f, -std::sin(y), 0.0f, 1.0f, 0.0f, std::sin(y), 0.0f, std::cos(y));
    const QrMatrix3 expected = a.Multiply(b);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
        {
            EXPECT_NEAR(boat->GetOutboard()->GetRotate().m[r][c], expected.m[r][c], 1e-6f);
            EXPECT_EQ(boat->GetLodOutboard()->GetRotate().m[r][c], boat->GetOutboard()->GetRotate().m[r][c]);
        }
}

TEST_F(tovBoatTest, BobbingIsAlikeAtEveryFrameRate)
{
    m_world.m_ground = [](const QrPoint3&) { return -0.3f; };
    float heights[2] = {};
    int i = 0;
    for (double dt : {1.0 / 15.0, 1.0 / 60.0})
    {
        tovBoat* boat = AddBoat(0.1f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
        boat->GetTranslate().y = 0.0f;
        double now = 0.0;
        while (now < 0.5 - 1e-9)
        {
            now += dt;
            boat->UpdatePose(now, dt);
        }
        heights[i++] = boat->GetPosition().y;
    }
    EXPECT_NEAR(heights[0], heights[1], 1e-5f);
    EXPECT_GT(heights[0], 0.0f);
}

} // namespace

namespace
{

// The boats' own sounds from the sample pack, heard through the sound manager.
class tovBoatSoundTest : public tovBoatTest
{
protected:
    void SetUp() override
    {
        tovBoatTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(m_sound.Start());
    }
    void TearDown() override
    {
        // The boats stop their sounds as they go, before the manager does.
        m_boats.clear();
        m_world.m_boats.clear();
        m_world.m_player = nullptr;
        m_sound.Stop();
        tovBoatTest::TearDown();
    }

    SoundPackRig m_sound;
};

// Contacts of every kind at chosen times, no audio pulled, so each sound played stays counted.
// A contact sounds only when the last contact of either kind lies more than a quarter of a
// second back, and every contact, heard or not, renews that time: scraping along sounds once.
TEST_F(tovBoatSoundTest, AContactSoundsByItsKindAndNotAgainWithinAQuarterSecond)
{
    // A bank beyond z = 1 at every x; the other boat lies far from it.
    m_world.m_ground = [](const QrPoint3& p) { return p.z > 1.0f ? 0.05f : -0.3f; };
    tovBoat* mover = AddBoat(0.1f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    tovBoat* parked = AddBoat(0.1f, QrPoint3(5.0f, 0.0f, -3.0f), Facing(1.0f, 0.0f));
    m_world.m_player = mover;
    const float radius = parked->GetWorldBound().GetRadius();
    ASSERT_GT(radius, 0.05f);

    enum Kind
    {
        kDriveIntoBank,  // the outboard's motion step
        kTrollIntoBank,  // the trolling motor's creep through the flyer
        kDriveIntoBoat,  // the motion step against the other boat
        kRemoteIntoBank, // the same boat while it is not the player's
    };
    const struct
    {
        double now;
        Kind kind;
        int grounding, contact; // the sounds played so far
        const char* what;
    } events[] = {
        {1.0, kDriveIntoBank, 1, 0, "the first contact sounds"},
        {1.125, kDriveIntoBank, 1, 0, "an eighth of a second later it does not"},
        {1.3125, kTrollIntoBank, 1, 0, "nor 0.19 s after the last silent one"},
        {1.5625, kDriveIntoBank, 1, 0, "nor exactly a quarter second after it"},
        {1.9375, kTrollIntoBank, 2, 0, "the trolling motor's contact sounds past the gap"},
        {2.0625, kDriveIntoBoat, 2, 0, "another boat within the gap of the ground: silent"},
        {2.4375, kDriveIntoBoat, 2, 1, "another boat past the gap: its own sound"},
        {3.0, kRemoteIntoBank, 2, 1, "a boat not the player's is never heard"},
    };
    for (const auto& e : events)
    {
        SCOPED_TRACE(e.what);
        const bool boat = e.kind == kDriveIntoBoat;
        // Just short of the bank's look-ahead limit, or with the look-ahead point just inside
        // the other boat.
        const QrPoint3 at = boat ? QrPoint3(5.0f, 0.0f, -3.0f - radius - tovBoatStateBase::kLookAhead + 0.03f)
                                 : QrPoint3(0.0f, 0.0f, 1.0f - tovBoatStateBase::kLookAhead - 0.005f);
        m_world.m_player = e.kind == kRemoteIntoBank ? parked : mover;
        mover->SetRotation(Facing(0.0f, 1.0f));
        mover->SetPosition(at);
        mover->UpdateAllInstances();
        // Coasting in at a fifth of a unit a second, or at rest with the trolling motor on.
        mover->SetThrottle(0.0f);
        mover->m_speed = e.kind == kTrollIntoBank ? 0.0f : 0.2f;
        if (e.kind == kTrollIntoBank)
            mover->OnMotorEvent(tovTrollingMotor::kForward);
        mover->Update(e.now, 0.2);
        mover->OnMotorEvent(tovTrollingMotor::kOff);
        EXPECT_EQ(mover->GetContactTime(), e.now) << "every contact renews the time";
        EXPECT_EQ(m_sound.Plays(tovBoat::kGroundSound), e.grounding);
        EXPECT_EQ(m_sound.Plays(tovBoat::kBoatContactSound), e.contact);
    }
}

// The trolling motor's loop runs on the player's boat from the first direction command until the
// motor stops, by the slower command, the off command or raising it, and is never restarted by
// the commands between.
TEST_F(tovBoatSoundTest, TheTrollingLoopRunsWhileTheMotorRunsOnThePlayersBoatOnly)
{
    m_world.m_ground = [](const QrPoint3&) { return -0.3f; };
    tovBoat* local = AddBoat(0.1f, QrPoint3(0.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    tovBoat* remote = AddBoat(0.1f, QrPoint3(5.0f, 0.0f, 0.0f), Facing(0.0f, 1.0f));
    m_world.m_player = local;
    using T = tovTrollingMotor;
    const struct
    {
        std::vector<int32_t> commands;
        float deploy; // after the commands; negative: left as it is
        int plays;
    } steps[] = {
        {{T::kForward}, -1.0f, 1},
        {{T::kForward, T::kForward, T::kLeft, T::kBack}, -1.0f, 1},
        {{T::kSlower, T::kSlower, T::kSlower}, -1.0f, 0},
        {{T::kSlower}, -1.0f, 0},
        {{T::kRight}, -1.0f, 1},
        {{}, 0.5f, 0},
        {{T::kForward}, 1.0f, 1},
        {{T::kOff}, -1.0f, 0},
    };
    int i = 0;
    for (const auto& s : steps)
    {
        for (const int32_t command : s.commands)
            local->OnMotorEvent(command);
        if (s.deploy >= 0.0f)
            local->SetTrollingMotorDeploy(s.deploy);
        EXPECT_EQ(m_sound.Plays(tovMotorSound::kTrollingSound), s.plays) << "step " << i;
        ++i;
    }
    remote->OnMotorEvent(T::kForward);
    EXPECT_EQ(remote->GetTrollingLevel(), 0);
    EXPECT_EQ(m_sound.Plays(tovMotorSound::kTrollingSound), 0);
}

} // namespace
