#include "tovLocalRig.h"

#include "FakeAnglingWorld.h"
#include "RecordingNetworkPlay.h"
#include "SoundPackRig.h"
#include "WaterTestFixture.h"

#include "tovAngler.h"
#include "tovAnglingRigFactory.h"
#include "tovBoat.h"
#include "tovMotorSound.h"
#include "tovNetFacade.h"
#include "tovUserProfile.h"
#include "tovWorldClasses.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace
{

class tovLocalRigTest : public WaterTestFixture
{
protected:
    void SetUp() override
    {
        // Boats of earlier tests leave the shared boat parts behind; counting starts without them.
        tovBoat::ReleaseStatics();
        WaterTestFixture::SetUp();
        RegisterGameWorldClasses();
    }
    void TearDown() override
    {
        SetNetworkPlay(nullptr);
        tovAngler::ReleaseSharedClips();
        tovBoat::ReleaseStatics();
        WaterTestFixture::TearDown();
    }

    // Steps the rig on a manual clock of 30 frames a second.
    void Run(tovLocalRig& rig, int frames)
    {
        for (int i = 0; i < frames; ++i)
        {
            m_now += 1.0 / 30.0;
            rig.Idle(m_now, 1.0 / 30.0);
        }
    }

    FakeAnglingWorld m_lake;
    double m_now = 0.0;
};

// Puts the profile's looks back after a test that dresses the player.
class ProfileLooks
{
public:
    ProfileLooks()
        : m_gender(TheUserProfile().GetGender()), m_looks{TheUserProfile().GetLook(0), TheUserProfile().GetLook(1),
                                                          TheUserProfile().GetLook(2)}
    {
    }
    ~ProfileLooks()
    {
        TheUserProfile().SetGender(m_gender);
        for (int32_t i = 0; i < 3; ++i)
            TheUserProfile().SetLook(i, m_looks[size_t(i)]);
    }
    ProfileLooks(const ProfileLooks&) = delete;
    ProfileLooks& operator=(const ProfileLooks&) = delete;

private:
    int32_t m_gender;
    std::array<int32_t, 3> m_looks;
};

TEST_F(tovLocalRigTest, TheFactoryMakesItWithItsFigureAtTheWheel)
{
    ProfileLooks keep;
    TheUserProfile().SetGender(1);
    TheUserProfile().SetLook(0, 0);
    TheUserProfile().SetLook(1, 3);
    TheUserProfile().SetLook(2, 1);
    tovAnglingRigFactory factory;
    QrPointer<tovAnglerRigBase> base = factory.CreateLocalRig(true);
    auto* rig = dynamic_cast<tovLocalRig*>(base.Get());
    ASSERT_NE(rig, nullptr);
    EXPECT_EQ(rig->GetId(), tovAnglingRigFactory::kLocalId);
    EXPECT_EQ(rig->GetBoat()->GetAnglerNode(), rig->GetAngler());
    EXPECT_EQ(rig->GetAngler()->GetBoat(), rig->GetBoat().Get());
    // The profile dresses the player: a woman in the second shirt and the last cap.
    EXPECT_EQ(rig->GetGender(), 1);
    EXPECT_EQ(rig->GetAngler()->GetGender(), 1);
    EXPECT_EQ(rig->GetAngler()->GetColour1(), 1);
    EXPECT_EQ(rig->GetAngler()->GetColour2(), 3);
    // The rig's look reaches the figure on the next frame.
    rig->SetAppearance(-1, 2, 1);
    Run(*rig, 1);
    EXPECT_EQ(rig->GetAngler()->GetColour1(), 2);
    EXPECT_EQ(rig->GetAngler()->GetColour2(), 1);
}

TEST_F(tovLocalRigTest, ControlsDriveTheBoat)
{
    ScopedBoatWorld boats(m_lake);
    QrPointer<tovLocalRig> rig(new tovLocalRig(true));
    tovBoat& boat = *rig->GetBoat();
    boat.SetPosition(QrPoint3(0.0f, 0.0f, -5.0f));

    // The lever does nothing before the motor runs.
    rig->Throttle(tovLocalRig::kThrottleUp);
    EXPECT_EQ(boat.GetThrottle(), 0.0f);
    rig->StartMotor();
    EXPECT_EQ(rig->GetMode(), tovAnglerRig::kModeDriving);
    EXPECT_EQ(rig->GetAngler()->GetPose(), tovAngler::kPoseDriving);
    for (int i = 0; i < 5; ++i)
        rig->Throttle(tovLocalRig::kThrottleUp);
    EXPECT_GT(boat.GetThrottle(), 0.3f);
    Run(*rig, 60);
    const QrPoint3 ahead = boat.GetPosition();
    EXPECT_GT(ahead.z, -5.0f + 0.05f);
    EXPECT_NEAR(ahead.x, 0.0f, 0.01f);

    rig->Steer(0.6f);
    EXPECT_FLOAT_EQ(rig->GetAngler()->GetDriveLevel(), boat.GetSteering());
    const float heading = boat.GetHeadingDegrees();
    Run(*rig, 60);
    EXPECT_NE(boat.GetHeadingDegrees(), heading);
    rig->CentreWheel();
    rig->Trim(0.3f);
    EXPECT_GT(boat.GetRangeControl(), 0.0f);
    rig->ResetTrim();

    // Standing to fish stops the motor; the boat coasts to rest.
    rig->StandToFish();
    EXPECT_EQ(rig->GetMode(), tovAnglerRig::kModeAiming);
    EXPECT_EQ(rig->GetAngler()->GetPose(), tovAngler::kPoseStanding);
    EXPECT_EQ(boat.GetThrottle(), 0.0f);
    EXPECT_FALSE(rig->IsMotorRunning());
    Run(*rig, 300);

    // The trolling motor pushes only once it is in the water.
    const QrPoint3 rest = boat.GetPosition();
    rig->TrollingCommand(tovTrollingMotor::kForward);
    EXPECT_FALSE(boat.GetTrollingMotor().IsRunning());
    rig->LowerTrollingMotor();
    Run(*rig, 125);
    rig->TrollingCommand(tovTrollingMotor::kForward);
    EXPECT_TRUE(boat.GetTrollingMotor().IsRunning());
    Run(*rig, 60);
    const QrPoint3 trolled = boat.GetPosition();
    EXPECT_GT((trolled - rest).Length(), 0.001f);
    rig->RaiseTrollingMotor();
    EXPECT_FALSE(boat.GetTrollingMotor().IsRunning());
    Run(*rig, 125);
    EXPECT_EQ(rig->GetAngler()->GetTrollingDeploy(), 0.0f);

    rig->SitToDrive();
    EXPECT_EQ(rig->GetMode(), tovAnglerRig::kModeDriving);
    EXPECT_TRUE(rig->IsMotorRunning());
    EXPECT_TRUE(m_lake.IsOnLake(boat.GetPosition()));
    // Lowering the trolling motor from the wheel stops the outboard and stands the angler up.
    rig->LowerTrollingMotor();
    EXPECT_FALSE(rig->IsMotorRunning());
    EXPECT_EQ(rig->GetMode(), tovAnglerRig::kModeAiming);
    EXPECT_EQ(rig->GetAngler()->GetPose(), tovAngler::kPoseTrolling);
}

TEST_F(tovLocalRigTest, ControlEventsReachOnlyAnOpenSession)
{
    RecordingNetworkPlay session;
    SetNetworkPlay(&session);
    struct Case
    {
        bool open;
        const char* expected;
    };
    const Case cases[] = {
        {false, ""},
        {true, "SendAnglerPhase1;SendThrottle(0.07);SendThrottle(0);SendSteering(-0.326316);SendRangeControl(0.1);"
               "SendThrottle(-0.1);SendThrottle(0);SendAnglerPhase1Via45;SendTackleChoice(0,0);SendTackleChoice(5,-1);"
               "SendCastTarget(0.5,0,0.25);SendAnglerFlagsA;SendAnglerFlagsAB;SendAnglerFlagsOff"},
    };
    for (const Case& c : cases)
    {
        session.open = c.open;
        session.log.clear();
        QrPointer<tovLocalRig> rig(new tovLocalRig(true));
        rig->Throttle(tovLocalRig::kThrottleUp);
        rig->StartMotor();
        rig->StartMotor();
        rig->Throttle(tovLocalRig::kThrottleUp);
        rig->Throttle(tovLocalRig::kThrottleDown);
        // Unchanged values send nothing.
        rig->Throttle(tovLocalRig::kThrottleIdle);
        rig->Steer(-0.2f);
        rig->Steer(0.0f);
        rig->Trim(0.1f);
        rig->Throttle(tovLocalRig::kThrottleReverse);
        rig->StandToFish();
        rig->LowerTrollingMotor();
        rig->Idle(10.0, 5.0);
        rig->TrollingCommand(tovTrollingMotor::kForward);
        rig->RaiseTrollingMotor();
        rig->Idle(20.0, 5.0);
        rig->CastAt(QrPoint3(0.5f, 0.0f, 0.25f));
        rig->Idle(22.0, 2.0);
        // The lure is in the water: the figure reels.
        EXPECT_EQ(rig->GetMode(), tovAnglerRig::kModeWaitCast);
        EXPECT_EQ(rig->GetAngler()->GetPose(), tovAngler::kPoseReeling);
        // The flags go out once per change.
        rig->ReadyOn();
        rig->ReadyOn();
        rig->ReadyAndReel();
        rig->ReadyOff();
        EXPECT_EQ(session.Joined(), c.expected) << c.open;
    }
}

// The player's boat: the one whose motor is heard.
class PlayerBoatWorld : public FakeAnglingWorld
{
public:
    tovBoat* GetPlayerBoat() override { return boat; }
    tovBoat* boat = nullptr;
};

// The motor heard through the sound manager on a headless sink whose worker runs by hand, so
// every sound ends on the same frame of every run.
class tovLocalRigSoundTest : public tovLocalRigTest
{
protected:
    void SetUp() override
    {
        tovLocalRigTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(m_sound.Start());
        SetWorldServices(&m_world);
    }
    void TearDown() override
    {
        SetWorldServices(nullptr);
        m_sound.Stop();
        tovMotorSound::SetStopping(false);
        tovLocalRigTest::TearDown();
    }
    // Tenths of a second of audio, ends delivered, then the boat's frame serving a request.
    void Listen(tovBoat& boat, double seconds)
    {
        for (int i = 0; i < int(seconds * 10.0 + 0.5); ++i)
        {
            m_sound.Pull(0.1);
            boat.GetMotorSound().ServePending(boat.GetThrottle());
        }
    }
    bool AnyMotorSound()
    {
        for (uint32_t id = tovMotorSound::kRiseSound; id <= tovMotorSound::kStartSound; ++id)
            if (m_sound.Plays(id) > 0)
                return true;
        return false;
    }

    PlayerBoatWorld m_world;
    SoundPackRig m_sound;
};

// Stopping the motor while its start sound or a rise still plays leaves it silent: neither
// sound's end may go on to a running loop.
TEST_F(tovLocalRigSoundTest, AMotorStoppedMidSoundFallsSilent)
{
    const struct
    {
        const char* when;
        int32_t ups;
    } cases[] = {{"during the start sound", 0}, {"during a rise", 3}};
    for (const auto& c : cases)
    {
        QrPointer<tovLocalRig> rig(new tovLocalRig(true));
        tovBoat& boat = *rig->GetBoat();
        m_world.boat = &boat;
        boat.GetMotorSound().SetSoundPack(m_sound.Pack());
        rig->StartMotor();
        if (c.ups > 0)
        {
            Listen(boat, 2.0);
            for (int32_t i = 0; i < c.ups; ++i)
                rig->Throttle(tovLocalRig::kThrottleUp);
        }
        Listen(boat, 0.2);
        ASSERT_TRUE(AnyMotorSound()) << c.when;
        rig->StopMotor();
        Listen(boat, 3.0);
        EXPECT_FALSE(AnyMotorSound()) << c.when;
        m_world.boat = nullptr;
    }
}

} // namespace
