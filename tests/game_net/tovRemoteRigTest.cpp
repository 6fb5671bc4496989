#include "NetScreensFixture.h"

#include "QrTestFixture.h"
#include "qrxAssetCache.h"
#include "tovAngler.h"
#include "tovComputerRig.h"
#include "tovLocalRig.h"
#include "tovNetFacade.h"
#include "tovRemoteRig.h"
#include "tovUserProfile.h"
#include "tovWorldServices.h"

#include <cmath>
#include <limits>

namespace
{

// Deep water over a square lake 2000 across.
class OpenWater : public tovWorldServices
{
public:
    void SetUnderwater(bool) override {}
    void SetLightAPosition(const QrPoint3&) override {}
    float GroundHeight(const QrPoint3&) override { return -30.0f; }
    bool IsOnLake(const QrPoint3&) override { return true; }
    bool IsInLakeExtent(const QrPoint3& p) override
    {
        return m_built && std::abs(p.x) < 1000.0f && std::abs(p.z) < 1000.0f && std::abs(p.y) < 1000.0f;
    }
    bool m_built = true;
};

class tovRemoteRigTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SetWorldServices(&m_world);
        SetNetworkPlay(&m_net);
        m_rig = QrPointer<tovRemoteRig>(new tovRemoteRig(2, 1, 0, -1, true));
        m_boat = m_rig->GetBoat();
    }
    void TearDown() override
    {
        m_boat = nullptr;
        m_rig = nullptr;
        SetNetworkPlay(nullptr);
        SetWorldServices(nullptr);
        qrxAssetCache::Get().Clear();
        tovBoat::ReleaseStatics();
        QrEngineTest::TearDown();
    }
    void Step()
    {
        m_now += 0.05;
        m_rig->Idle(m_now, 0.05);
    }
    static tovBoatState Moving(float x, float z)
    {
        tovBoatState s;
        s.m_throttle = 1.0f;
        s.m_speed = 10.0f;
        s.m_targetSpeed = 10.0f;
        s.m_position = {x, 0.0f, z};
        s.m_changeMask = tovBoatState::kThrottle | tovBoatState::kPosition | tovBoatState::kSpeed;
        return s;
    }
    float Distance(float x, float z) const
    {
        const QrPoint3 p = m_boat->GetPosition();
        return std::hypot(p.x - x, p.z - z);
    }

    OpenWater m_world;
    ScriptedSession m_net;
    QrPointer<tovRemoteRig> m_rig;
    QrPointer<tovBoat> m_boat;
    double m_now = 0.0;
};

// A record puts the boat where its player is; without new ones it runs on by its own motion,
// and the next record takes it where that player has got to.
TEST_F(tovRemoteRigTest, AppliesReceivedStatesAndDeadReckonsBetween)
{
    m_net.m_boatStates = {Moving(100.0f, 200.0f)};
    Step();
    const float first = Distance(100.0f, 200.0f);
    EXPECT_LT(first, 1.0f);
    EXPECT_FLOAT_EQ(m_boat->GetThrottle(), 1.0f);
    float last = first;
    for (int frame = 0; frame < 10; ++frame)
    {
        Step();
        const float d = Distance(100.0f, 200.0f);
        EXPECT_GT(d, last) << "frame " << frame;
        last = d;
    }
    m_net.m_boatStates = {Moving(300.0f, 50.0f)};
    Step();
    EXPECT_LT(Distance(300.0f, 50.0f), 1.0f);
}

// A position off the lake, or any while no lake stands, leaves the boat where it was.
TEST_F(tovRemoteRigTest, PositionsOffTheLakeAreLeftOut)
{
    m_net.m_boatStates = {Moving(100.0f, 200.0f)};
    Step();
    struct Row
    {
        QrPoint3 at;
        bool built;
    };
    const Row rows[] = {
        {{3e38f, 0.0f, 200.0f}, true},
        {{100.0f, 0.0f, -1500.0f}, true},
        {{100.0f, 3e38f, 200.0f}, true},
        {{120.0f, 0.0f, 200.0f}, false},
    };
    for (const Row& row : rows)
    {
        m_world.m_built = row.built;
        const QrPoint3 before = m_boat->GetPosition();
        tovBoatState s = Moving(row.at.x, row.at.z);
        s.m_position.y = row.at.y;
        s.m_speed = s.m_targetSpeed = 0.0f;
        s.m_throttle = 0.0f;
        m_net.m_boatStates = {s};
        Step();
        EXPECT_LT(Distance(before.x, before.z), 1.0f) << row.at.x << " " << row.at.y << " " << row.at.z;
        EXPECT_LT(std::abs(m_boat->GetPosition().y), 1000.0f);
    }
}

// Values that are not finite and trolling settings out of range never reach the boat.
TEST_F(tovRemoteRigTest, HostileBoatValuesAreLeftOut)
{
    m_net.m_boatStates = {Moving(100.0f, 200.0f)};
    Step();
    tovBoatState bad = Moving(std::numeric_limits<float>::quiet_NaN(), 5.0f);
    bad.m_speed = std::numeric_limits<float>::infinity();
    bad.m_trollingLevel = 99;
    bad.m_changeMask |= tovBoatState::kTrolling;
    m_net.m_boatStates = {bad};
    Step();
    const QrPoint3 p = m_boat->GetPosition();
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.z));
    EXPECT_LT(Distance(100.0f, 200.0f), 2.0f);
    EXPECT_EQ(m_boat->GetTrollingLevel(), -1);
}

// The received phase moves the angler, and the figure in the boat takes the pose of its mode;
// the same phase with nothing listed leaves both.
TEST_F(tovRemoteRigTest, ReceivedPhaseMovesTheAngler)
{
    tovPlayerState state;
    state.anglerValue = 7;
    state.block[tovAnglerState::kPhaseWord] = 1;
    m_net.m_playerStates = {state};
    ASSERT_EQ(m_boat->GetAnglerNode(), m_rig->GetAngler());
    EXPECT_EQ(m_rig->GetAngler()->GetPose(), tovAngler::kPoseSeated);
    Step();
    EXPECT_EQ(m_rig->GetAnglerValue(), 7);
    EXPECT_EQ(m_rig->GetMode(), tovAnglerRig::kModeDriving);
    EXPECT_EQ(m_rig->GetAngler()->GetPose(), tovAngler::kPoseDriving);
    state.block[tovAnglerState::kPhaseWord] = 2;
    m_net.m_playerStates = {state, state};
    Step();
    EXPECT_EQ(m_rig->GetMode(), tovAnglerRig::kModeAiming);
    EXPECT_EQ(m_rig->GetAngler()->GetPose(), tovAngler::kPoseStanding);
    Step();
    EXPECT_EQ(m_rig->GetMode(), tovAnglerRig::kModeAiming);
    EXPECT_EQ(m_rig->GetAngler()->GetPose(), tovAngler::kPoseStanding);
}

TEST_F(tovRemoteRigTest, BuiltFromAPlayersFirstState)
{
    tovPlayerState state;
    state.m_paintScheme = 3;
    state.block = {2, 1, 4, 0, 0};
    state.anglerValue = 12;
    QrPointer<tovRemoteRig> rig = tovRemoteRig::FromState(state, false);
    EXPECT_EQ(rig->GetPaintScheme(), 3);
    EXPECT_EQ(rig->GetLook(), 2);
    EXPECT_EQ(rig->GetGender(), 1);
    EXPECT_EQ(rig->GetAnglerWord(2), 4);
    EXPECT_EQ(rig->GetAnglerValue(), 12);
    EXPECT_FALSE(rig->IsLowDetail());
    EXPECT_TRUE(rig->GetBoat());
}

// Every rig's boat is built at the profile's detail, whatever the rig's own low-detail flag:
// wakes above 0.3, the near model and its switch from 0.2.
TEST_F(tovRemoteRigTest, EveryRigsBoatTakesTheProfilesDetail)
{
    const float kept = TheUserProfile().GetDetail();
    for (const float detail : {0.1f, 0.6f})
    {
        TheUserProfile().SetDetail(detail);
        const QrPointer<tovAnglerRig> rigs[] = {QrPointer<tovAnglerRig>(new tovLocalRig(true)),
                                                QrPointer<tovAnglerRig>(new tovComputerRig(true, 0, 0, 0, 0)),
                                                QrPointer<tovAnglerRig>(new tovRemoteRig(0, 0, 0, -1, true))};
        for (const QrPointer<tovAnglerRig>& rig : rigs)
        {
            const tovBoat& boat = *rig->GetBoat();
            EXPECT_EQ(boat.GetDetail(), detail);
            EXPECT_EQ(boat.GetWake(0) != nullptr, detail > 0.3f) << detail;
            EXPECT_EQ(boat.GetLodSwitch() != nullptr, detail >= 0.2f) << detail;
            EXPECT_TRUE(rig->IsLowDetail());
        }
    }
    TheUserProfile().SetDetail(kept);
}

} // namespace
