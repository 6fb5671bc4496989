// Sounds that end by themselves, through the real sound manager on the headless output, with
// the framework's own loop delivering the ends: the manual worker makes every end land on a
// fixed frame.

#include "FrameworkInputFixture.h"
#include "FrameworkTestApp.h"

#include "SoundManager.h"
#include "qrxAmbientSound.h"

#include "Files.h"
#include "HeadlessAudioOutput.h"
#include "TestFiles.h"
#include "WavWriter.h"

#include <cmath>

namespace
{

constexpr uint32_t kRate = 22050;

std::vector<int16_t> Tone(double seconds)
{
    std::vector<int16_t> samples(size_t(seconds * kRate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(std::lround(8000.0 * std::sin(2.0 * M_PI * 440.0 * double(i) / kRate)));
    return samples;
}

class SoundInTheLoopTest : public FrameworkInputTest
{
protected:
    void SetUp() override
    {
        FrameworkInputTest::SetUp();
        qrxBaseApp::SetQuitFlag(false);
        SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
        SetSoundInitQuestion(nullptr);
        SetSoundWorkerManual(true);
        ASSERT_EQ(InitSoundManager(nullptr), kSoundOk);
        m_app = std::make_unique<TestApp>(&m_window, &m_input, m_log);
        m_app->BeginRun();
    }
    void TearDown() override
    {
        m_app.reset();
        StopSoundManager();
        SetSoundWorkerManual(false);
        SetSoundOutputFactory(nullptr);
        qrxBaseApp::SetQuitFlag(false);
        FrameworkInputTest::TearDown();
    }
    // A tenth of a second of audio, the worker's signals, then one pass of the loop.
    void Frame()
    {
        static_cast<plat::HeadlessAudioOutput*>(GetSoundOutput())->Pull(plat::Mixer::kRate / 10);
        ServiceSoundWorker();
        m_clock.AdvanceMs(100);
        ASSERT_TRUE(m_app->RunOnce());
    }

    std::vector<std::string> m_log;
    std::unique_ptr<TestApp> m_app;
    testfiles::TempDir m_dir;
};

TEST_F(SoundInTheLoopTest, TheLoopDeliversAnEndOnceAndClearsTheHandle)
{
    const std::vector<int16_t> samples = Tone(0.15);
    const plat::WaveFormat format{plat::WaveFormat::kTagPcm, 1, kRate, kRate * 2, 2, 16, 0};
    static int ends = 0;
    ends = 0;
    SoundHandle handle = 0;
    ASSERT_EQ(PlaySoundBuffer(
                  format, reinterpret_cast<const uint8_t*>(samples.data()), uint32_t(samples.size() * 2), false,
                  [](uintptr_t) { ++ends; }, 0, &handle, 0),
              kSoundOk);
    Frame();
    EXPECT_EQ(ends, 0);
    EXPECT_NE(handle, 0u);
    for (int i = 0; i < 3; ++i)
        Frame();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(handle, 0u);
}

TEST_F(SoundInTheLoopTest, AnAmbientChannelPlaysItsSecondSound)
{
    const std::vector<uint8_t> bytes = tools::WriteWAV(Tone(0.2), kRate, 1);
    const std::string path = m_dir.File("chirp.wav");
    ASSERT_TRUE(plat::WriteFile(path, bytes.data(), bytes.size()));
    qrxAmbientSound ambient;
    static int ends = 0;
    ends = 0;
    ambient.AddChannelFile(3, path.c_str(), false);
    ambient.SetChannelDelay(3, 0.0, 0.0, true);
    ambient.SetChannelAllowed(3, true, false);
    ambient.SetChannelEndCallback(
        3, [](uintptr_t, int, const char*) { ++ends; }, 0);
    // A stream ends when its buffer (three seconds here) has gone round once.
    for (int frame = 0; frame < 100 && ends < 2; ++frame)
    {
        ambient.OnIdle(0.1);
        Frame();
    }
    EXPECT_EQ(ends, 2);
    ambient.OnIdle(0.1);
    EXPECT_TRUE(ambient.IsChannelPlaying(3)) << "the third sound starts after the second ends";
}

} // namespace
