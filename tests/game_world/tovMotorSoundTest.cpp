#include "tovMotorSound.h"

#include "HeadlessAudioOutput.h"
#include "SoundManager.h"
#include "SoundPackRig.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

// The motor on the sample pack's sounds.
class tovMotorSoundTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(m_sound.Start());
        m_motor = std::make_unique<tovMotorSound>();
        m_motor->SetSoundPack(m_sound.Pack());
        m_motor->SetLocal(true);
        tovMotorSound::SetStopping(false);
    }
    void TearDown() override
    {
        m_motor.reset();
        m_sound.Stop();
    }
    bool Playing(uint32_t id) { return m_sound.Plays(id) > 0; }
    // Frames of a tenth of a second: audio, the worker, the end delivery, then the boat's
    // frame serving a pending request.
    void Run(double seconds)
    {
        for (int i = 0; i < int(seconds * 10.0 + 0.5); ++i)
        {
            m_sound.Pull(0.1);
            m_motor->ServePending(m_throttle);
        }
    }
    void Request(int32_t request) { m_motor->UpdateMotorSound(request, m_throttle); }
    void StartedAndIdling()
    {
        Request(tovMotorSound::kStart);
        Run(2.0);
        ASSERT_EQ(m_motor->GetState(), tovMotorSound::kRunning);
    }

    SoundPackRig m_sound;
    std::unique_ptr<tovMotorSound> m_motor;
    float m_throttle = 0.0f;
};

TEST_F(tovMotorSoundTest, StartPlaysTheStartSoundThenTheIdleLoop)
{
    Request(tovMotorSound::kStart);
    EXPECT_EQ(m_motor->GetState(), tovMotorSound::kStart);
    EXPECT_TRUE(Playing(6039));
    Run(2.0);
    EXPECT_FALSE(Playing(6039));
    EXPECT_TRUE(Playing(6031));
    EXPECT_EQ(m_motor->GetState(), tovMotorSound::kRunning);
}

TEST_F(tovMotorSoundTest, ARiseAndAFallEndInTheLoopsOfTheirBands)
{
    StartedAndIdling();
    m_throttle = 0.5f; // band 1: rises into level 2
    Request(tovMotorSound::kRise);
    EXPECT_EQ(m_motor->GetState(), 22);
    EXPECT_TRUE(Playing(6018));
    EXPECT_FALSE(Playing(6031));
    Request(tovMotorSound::kRise); // same band: the transition is not restarted
    EXPECT_EQ(m_motor->GetState(), 22);
    Run(1.0);
    EXPECT_EQ(m_motor->GetState(), tovMotorSound::kRunning + 2);
    EXPECT_TRUE(Playing(6033));

    m_throttle = 1.0f;
    Request(tovMotorSound::kRise); // above the highest rising band
    EXPECT_EQ(m_motor->GetState(), tovMotorSound::kRunning + 2);
    Request(tovMotorSound::kFall);
    EXPECT_EQ(m_motor->GetState(), 34);
    EXPECT_TRUE(Playing(6030));
    Run(1.0);
    EXPECT_EQ(m_motor->GetState(), tovMotorSound::kRunning + 6);
    EXPECT_TRUE(Playing(6037));

    Request(tovMotorSound::kStop);
    for (uint32_t id = 6031; id <= 6039; ++id)
        EXPECT_FALSE(Playing(id)) << id;
}

TEST_F(tovMotorSoundTest, ARiseDuringTheStartSoundIsNotLost)
{
    Request(tovMotorSound::kStart);
    Run(0.3);
    m_throttle = 0.5f;
    Request(tovMotorSound::kRise);
    EXPECT_FALSE(Playing(6039));
    EXPECT_EQ(m_motor->GetState(), 22);
    EXPECT_FALSE(m_motor->IsRequestPending());
    Run(1.0);
    EXPECT_EQ(m_motor->GetState(), tovMotorSound::kRunning + 2);
    EXPECT_TRUE(Playing(6033));
    EXPECT_FALSE(Playing(6031));
}

TEST_F(tovMotorSoundTest, ARiseAfterTheStartSoundEndedButBeforeItsEndArrivedIsKept)
{
    Request(tovMotorSound::kStart);
    auto* output = static_cast<plat::HeadlessAudioOutput*>(GetSoundOutput());
    output->Pull(plat::Mixer::kRate * 2);
    ServiceSoundWorker(); // the start sound's end waits for the next frame
    m_throttle = 0.5f;
    Request(tovMotorSound::kRise);
    DeliverSoundEnds();
    EXPECT_EQ(m_motor->GetState(), 22);
    EXPECT_FALSE(m_motor->IsRequestPending());
    Run(1.0);
    EXPECT_TRUE(Playing(6033));
}

TEST_F(tovMotorSoundTest, ARiseEndingWhileTheMotorStopsSilencesIt)
{
    StartedAndIdling();
    m_throttle = 0.5f;
    Request(tovMotorSound::kRise);
    tovMotorSound::SetStopping(true);
    Run(1.0);
    for (uint32_t id = 6017; id <= 6039; ++id)
        EXPECT_FALSE(Playing(id)) << id;
    EXPECT_FALSE(m_motor->IsRequestPending());
    m_throttle = 0.75f;
    m_motor->RestartMotorLoop(m_throttle);
    EXPECT_FALSE(tovMotorSound::IsStopping());
    Run(0.1);
    EXPECT_TRUE(Playing(6035));
}

// The fishing mode stops the motor by setting the stopping flag; the next start must run again.
TEST_F(tovMotorSoundTest, AStartAfterAStopRunsTheMotorAgain)
{
    StartedAndIdling();
    tovMotorSound::SetStopping(true);
    Request(tovMotorSound::kStop);
    Run(0.5);
    EXPECT_FALSE(Playing(6031));
    Request(tovMotorSound::kStart);
    EXPECT_TRUE(Playing(6039));
    Run(2.0);
    EXPECT_EQ(m_motor->GetState(), tovMotorSound::kRunning);
    EXPECT_TRUE(Playing(6031));
}

TEST_F(tovMotorSoundTest, ARemoteBoatIsNeverHeard)
{
    m_motor->SetLocal(false);
    m_throttle = 0.5f;
    for (const int32_t request : {0, 1, 3, 5, 12})
        Request(request);
    m_motor->PlaySound(tovMotorSound::kTrollingSound, true);
    Run(0.5);
    for (uint32_t id = 6017; id <= 6039; ++id)
        EXPECT_FALSE(Playing(id)) << id;
    EXPECT_FALSE(Playing(tovMotorSound::kTrollingSound));
    EXPECT_EQ(m_motor->GetState(), 0);
}

TEST_F(tovMotorSoundTest, AnEndReportedAfterTheMachineIsGoneIsIgnored)
{
    m_throttle = 0.5f;
    Request(tovMotorSound::kRise);
    auto* output = static_cast<plat::HeadlessAudioOutput*>(GetSoundOutput());
    output->Pull(plat::Mixer::kRate);
    ServiceSoundWorker(); // the rise's end is queued
    m_motor.reset();
    // A new machine (perhaps at the same address) in the state the old end would look for.
    m_motor = std::make_unique<tovMotorSound>();
    m_motor->SetSoundPack(m_sound.Pack());
    m_motor->SetLocal(true);
    Request(tovMotorSound::kRise);
    DeliverSoundEnds();
    EXPECT_EQ(m_motor->GetState(), 22);
    EXPECT_FALSE(m_motor->IsRequestPending());
}

TEST(tovMotorSoundBand, EighthsOfTheSquare)
{
    const struct
    {
        float throttle;
        int32_t band;
    } cases[] = {{0.0f, 0},  {0.35f, 0}, {0.5f, 1},  {0.6f, 2}, {0.7071f, 3},
                 {0.75f, 4}, {0.9f, 6},  {0.95f, 7}, {1.0f, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(tovMotorSound::Band(c.throttle), c.band) << c.throttle;
}

} // namespace
