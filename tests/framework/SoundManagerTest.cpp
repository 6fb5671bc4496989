// The sound manager and facade with the headless sink: the worker thread runs for real, so
// these run under ThreadSanitizer too.

#include "PackTestSupport.h"

#include "ResourceTypes.h"
#include "SoundManager.h"
#include "tovSoundFacade.h"

#include "Files.h"
#include "HeadlessAudioOutput.h"
#include "WavWriter.h"
#include "WaveFormat.h"

#include <chrono>
#include <cmath>
#include <functional>
#include <set>
#include <thread>

namespace
{

constexpr uint32_t kRate = 22050;

std::vector<int16_t> Tone(double seconds, double hz, double amplitude = 0.5)
{
    std::vector<int16_t> samples(size_t(seconds * kRate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(std::lround(32767.0 * amplitude * std::sin(2.0 * M_PI * hz * double(i) / kRate)));
    return samples;
}

std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples)
{
    const auto* raw = reinterpret_cast<const uint8_t*>(samples.data());
    return std::vector<uint8_t>(raw, raw + samples.size() * 2);
}

double Peak(const std::vector<int16_t>& samples, size_t from = 0)
{
    double peak = 0.0;
    for (size_t i = from; i < samples.size(); ++i)
        peak = std::max(peak, std::fabs(double(samples[i])));
    return peak;
}

struct EndLog
{
    int calls = 0;
    std::thread::id thread;
};

void RecordEnd(uintptr_t arg)
{
    auto* log = reinterpret_cast<EndLog*>(arg);
    ++log->calls;
    log->thread = std::this_thread::get_id();
}

class SoundManagerTest : public packtest::PackTest
{
protected:
    void SetUp() override
    {
        PackTest::SetUp();
        SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
        SetSoundInitQuestion(nullptr);
        ASSERT_EQ(InitSoundManager(nullptr), kSoundOk);
        ASSERT_TRUE(IsSoundOn());
        m_format = {plat::WaveFormat::kTagPcm, 1, kRate, kRate * 2, 2, 16, 0};
    }
    void TearDown() override
    {
        StopSoundManager();
        SetSoundWorkerManual(false);
        SetSoundOutputFactory(nullptr);
        PackTest::TearDown();
    }
    // The worker's refills and ends then come at the pull that calls for them (Play serves it):
    // a worker thread left behind on a busy machine comes seconds of sound late.
    void UseManualWorker()
    {
        StopSoundManager();
        SetSoundWorkerManual(true);
        ASSERT_EQ(InitSoundManager(nullptr), kSoundOk);
    }
    plat::HeadlessAudioOutput& Output() { return *static_cast<plat::HeadlessAudioOutput*>(GetSoundOutput()); }
    // Pulls audio in device-sized pieces, serves a manual worker and runs the frame's end
    // delivery after each piece, until done or the audio time runs out.
    bool Play(double seconds, const std::function<bool()>& done = nullptr)
    {
        const int pieces = int(seconds * plat::Mixer::kRate / 512);
        for (int i = 0; i < pieces; ++i)
        {
            Output().Pull(512);
            ServiceSoundWorker();
            DeliverSoundEnds();
            if (done && done())
                return true;
        }
        return !done;
    }
    // Waits for the worker (real time) without moving the audio on.
    bool WaitFor(const std::function<bool()>& done)
    {
        for (int i = 0; i < 2000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return done();
    }
    std::string WriteWave(const std::string& name, const std::vector<int16_t>& samples)
    {
        const std::vector<uint8_t> bytes = tools::WriteWAV(samples, kRate, 1);
        const std::string path = m_dir.File(name);
        EXPECT_TRUE(plat::WriteFile(path, bytes.data(), bytes.size()));
        return path;
    }

    plat::WaveFormat m_format;
};

} // namespace

TEST_F(SoundManagerTest, TheEleventhSoundIsRefusedAndTheTenKeepPlaying)
{
    const std::vector<uint8_t> data = Bytes(Tone(0.5, 440.0, 0.05));
    SoundHandle handles[kSoundSlotCount + 1] = {};
    for (int i = 0; i < kSoundSlotCount; ++i)
        ASSERT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), true, nullptr, 0, &handles[i], 0),
                  kSoundOk);
    EXPECT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), true, nullptr, 0, &handles[10], 0),
              kSoundNoFreeSlot);
    EXPECT_EQ(handles[10], 0u);
    Play(1.2);
    EXPECT_EQ(Output().GetMixer().BufferCount(), size_t(kSoundSlotCount));
    for (int i = 0; i < kSoundSlotCount; ++i)
        EXPECT_NE(handles[i], 0u);
    const std::set<SoundHandle> before(handles, handles + kSoundSlotCount);
    EXPECT_EQ(before.size(), size_t(kSoundSlotCount));
    StopEverySound();
    EXPECT_EQ(Output().GetMixer().BufferCount(), 0u);
    for (const SoundHandle handle : handles)
        EXPECT_EQ(handle, 0u);
    // A slot played again gives a new handle, so a late end of the old play clears nothing.
    SoundHandle again = 0;
    ASSERT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), true, nullptr, 0, &again, 0), kSoundOk);
    EXPECT_EQ(before.count(again), 0u);
    StopSound(again);
}

TEST_F(SoundManagerTest, AManualWorkerEndsASoundAtThePullThatPassesItsEnd)
{
    ASSERT_NO_FATAL_FAILURE(UseManualWorker());
    const std::vector<uint8_t> data = Bytes(Tone(0.1, 440.0));
    EndLog log;
    SoundHandle handle = 0;
    ASSERT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), false, &RecordEnd,
                              reinterpret_cast<uintptr_t>(&log), &handle, 0),
              kSoundOk);
    const auto step = [this](uint32_t frames)
    {
        Output().Pull(frames);
        ServiceSoundWorker();
        DeliverSoundEnds();
    };
    step(plat::Mixer::kRate / 20);
    EXPECT_EQ(log.calls, 0);
    EXPECT_NE(handle, 0u);
    step(plat::Mixer::kRate / 10);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.thread, std::this_thread::get_id());
    EXPECT_EQ(handle, 0u);
}

TEST_F(SoundManagerTest, EndCallbacksRunOnceOnTheMainThreadAtTheNextDelivery)
{
    const std::vector<uint8_t> data = Bytes(Tone(0.1, 440.0));
    EndLog log;
    SoundHandle handle = 0;
    ASSERT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), false, &RecordEnd,
                              reinterpret_cast<uintptr_t>(&log), &handle, 0),
              kSoundOk);
    Output().Pull(plat::Mixer::kRate / 4);
    // The worker frees the slot, but the end waits for the main thread.
    ASSERT_TRUE(WaitFor([this] { return Output().GetMixer().BufferCount() == 0; }));
    EXPECT_EQ(log.calls, 0);
    EXPECT_NE(handle, 0u);
    // The worker queues the end just after it frees the slot: deliver until it is there.
    ASSERT_TRUE(WaitFor(
        [&log]
        {
            DeliverSoundEnds();
            return log.calls > 0;
        }));
    DeliverSoundEnds();
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.thread, std::this_thread::get_id());
    EXPECT_EQ(handle, 0u);

    // Stopping runs the end at once; stopping again, or an ended handle, does nothing.
    ASSERT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), true, &RecordEnd,
                              reinterpret_cast<uintptr_t>(&log), &handle, 0),
              kSoundOk);
    const SoundHandle stopped = handle;
    StopSound(handle);
    StopSound(stopped);
    EXPECT_EQ(log.calls, 2);
    EXPECT_EQ(handle, 0u);
}

// Streams of four seconds and of one (shorter than the three-second buffer, played padded),
// looping and not: a looping stream plays on, the others end once after their sound.
TEST_F(SoundManagerTest, StreamsLoopOrPlayOutAndEndOnce)
{
    ASSERT_NO_FATAL_FAILURE(UseManualWorker());
    const struct
    {
        double seconds;
        bool loop;
    } cases[] = {{4.0, false}, {1.0, false}, {4.0, true}, {1.0, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.seconds << " s, loop " << c.loop);
        const std::string path = WriteWave("stream.wav", Tone(c.seconds, 330.0));
        EndLog log;
        SoundHandle handle = 0;
        ASSERT_EQ(PlaySoundStream(path.c_str(), c.loop, &RecordEnd, reinterpret_cast<uintptr_t>(&log), &handle, 0),
                  kSoundOk);
        ASSERT_NE(handle, 0u);
        Output().TakeSamples();
        if (c.loop)
        {
            Play(9.0);
            EXPECT_EQ(log.calls, 0);
            const std::vector<int16_t> heard = Output().TakeSamples();
            // Still sounding near the end, long after the file's data ran out.
            EXPECT_GT(Peak(heard, heard.size() - plat::Mixer::kRate), 10000.0);
            StopSound(handle);
            EXPECT_EQ(log.calls, 1);
            continue;
        }
        ASSERT_TRUE(Play(c.seconds + 4.0, [&log] { return log.calls > 0; }));
        const std::vector<int16_t> heard = Output().TakeSamples();
        const double endedAfter = double(heard.size()) / (2.0 * plat::Mixer::kRate);
        EXPECT_GE(endedAfter, c.seconds);
        EXPECT_GT(Peak(heard), 10000.0);
        Play(0.5);
        EXPECT_EQ(log.calls, 1);
        EXPECT_EQ(handle, 0u);
    }
}

TEST_F(SoundManagerTest, VolumeScalesTheMixedSamples)
{
    const std::vector<uint8_t> data = Bytes(Tone(1.0, 441.0));
    SoundHandle handle = 0;
    ASSERT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), true, nullptr, 0, &handle, 0), kSoundOk);
    Output().Pull(4410);
    const double full = Peak(Output().TakeSamples());
    SetSoundVolume(handle, -600);
    Output().Pull(4410);
    const double quieter = Peak(Output().TakeSamples());
    SetSoundVolume(handle, -10000);
    Output().Pull(4410);
    EXPECT_NEAR(full, 0.5 * 32767.0, 400.0);
    // -6 dB halves the amplitude.
    EXPECT_NEAR(quieter / full, std::pow(10.0, -600.0 / 2000.0), 0.02);
    EXPECT_EQ(Peak(Output().TakeSamples()), 0.0);
}

TEST_F(SoundManagerTest, WithSoundOffOrStoppedNothingPlays)
{
    const std::vector<uint8_t> data = Bytes(Tone(0.2, 440.0));
    SoundHandle handle = 0;
    SetSoundEnabled(false);
    EXPECT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), false, nullptr, 0, &handle, 0), kSoundOk);
    EXPECT_EQ(handle, 0u);
    SetSoundEnabled(true);
    ASSERT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), true, nullptr, 0, &handle, 0), kSoundOk);
    EXPECT_NE(handle, 0u);

    StopSoundManager();
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(GetSoundOutput(), nullptr);
    EXPECT_EQ(PlaySoundBuffer(m_format, data.data(), uint32_t(data.size()), false, nullptr, 0, &handle, 0), kSoundOk);
    EXPECT_EQ(PlaySoundStream(m_dir.File("none.wav").c_str(), false, nullptr, 0, &handle, 0), kSoundOk);
    EXPECT_EQ(handle, 0u);
    SetSoundEnabled(true);
    EXPECT_FALSE(IsSoundOn());
    StopSound(1);
    StopSoundManager();
}

TEST_F(SoundManagerTest, FailedPlaysLeaveNoHandleAndNoSlot)
{
    SoundHandle handle = 0;
    const std::vector<uint8_t> data = Bytes(Tone(0.2, 440.0));
    plat::WaveFormat adpcm = m_format;
    adpcm.formatTag = 2;
    EXPECT_EQ(PlaySoundBuffer(adpcm, data.data(), uint32_t(data.size()), false, nullptr, 0, &handle, 0),
              kSoundBufferFailed);
    EXPECT_EQ(PlaySoundStream(m_dir.File("missing.wav").c_str(), false, nullptr, 0, &handle, 0), kSoundOpenFailed);
    const std::string notWave = m_dir.File("text.wav");
    ASSERT_TRUE(plat::WriteFile(notWave, "RIFF\4\0\0\0TEXT", 12));
    EXPECT_EQ(PlaySoundStream(notWave.c_str(), false, nullptr, 0, &handle, 0), kSoundNotWave);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(Output().GetMixer().BufferCount(), 0u);
}

TEST_F(SoundManagerTest, WithoutADeviceThePlayerChoosesToGoOnOrStop)
{
    StopSoundManager();
    SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(false); });
    static const char* asked = nullptr;
    SetSoundInitQuestion(
        [](plat::WindowBackend*, const char*, const char* text)
        {
            asked = text;
            return true;
        });
    EXPECT_EQ(InitSoundManager(nullptr), kSoundOk);
    EXPECT_STREQ(asked, "Sound Initialization failed, do you wish to continue?");
    EXPECT_FALSE(IsSoundOn());
    SetSoundEnabled(true);
    EXPECT_FALSE(IsSoundOn());
    SetSoundInitQuestion([](plat::WindowBackend*, const char*, const char*) { return false; });
    EXPECT_EQ(InitSoundManager(nullptr), kSoundCreateFailed);
}

TEST_F(SoundManagerTest, FacadePlaysPackSoundsAndUnloadingStopsThem)
{
    ASSERT_NO_FATAL_FAILURE(UseManualWorker());
    tools::PackContents contents;
    tools::PackItem click;
    click.type = kResourceSound;
    click.id = 6183;
    click.info = tools::PcmFormatRecord(kRate, 1, 16);
    click.data = Bytes(Tone(0.5, 880.0));
    contents.Add(click, {0});
    OpenPack(contents);
    tovSoundFacade facade;

    EXPECT_EQ(tovSoundFacade::FindSound(m_pack, 6183), nullptr);
    EXPECT_EQ(facade.Play(nullptr, false, 0), kSoundOk);
    facade.Stop(nullptr);
    facade.SetParam(nullptr, -100);
    ASSERT_EQ(ResourcePack::LoadGroup(0, m_pack), kResourceOk);
    SoundRecord* record = tovSoundFacade::FindSound(m_pack, 6183);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(tovSoundFacade::FindSound(m_pack, 6184), nullptr);

    // A second play keeps the first: both sound, and Stop reaches both.
    EndLog log;
    ASSERT_EQ(facade.Play(record, false, 0, &RecordEnd, reinterpret_cast<uintptr_t>(&log)), kSoundOk);
    const SoundHandle first = record->handle;
    ASSERT_EQ(facade.Play(record, true, 0), kSoundOk);
    EXPECT_NE(record->handle, first);
    EXPECT_EQ(OwnedSoundCount(&record->handle), 2);
    // The first ends by itself; the word still names the second, which plays on.
    ASSERT_TRUE(Play(1.5, [&log] { return log.calls == 1; }));
    EXPECT_NE(record->handle, 0u);
    EXPECT_EQ(OwnedSoundCount(&record->handle), 1);
    facade.Stop(record);
    EXPECT_EQ(record->handle, 0u);
    EXPECT_EQ(OwnedSoundCount(&record->handle), 0);

    // Unloading the item while it plays stops the sound before its record goes.
    ASSERT_EQ(facade.Play(record, true, 0), kSoundOk);
    ResourcePack::UnloadGroup(0, m_pack);
    EXPECT_EQ(Output().GetMixer().BufferCount(), 0u);
    Play(0.2);
}

TEST_F(SoundManagerTest, UnloadsRacingTheWorkersEndsLeaveNoReportOfAFreedRecord)
{
    tools::PackContents contents;
    tools::PackItem blip;
    blip.type = kResourceSound;
    blip.id = 6190;
    blip.info = tools::PcmFormatRecord(kRate, 1, 16);
    blip.data = Bytes(Tone(0.002, 880.0));
    contents.Add(blip, {0});
    OpenPack(contents);
    tovSoundFacade facade;
    // Each round ends the sound on the worker while the main thread unloads its record; a
    // report left naming the freed record is written through at the delivery (ASan, TSan).
    for (int round = 0; round < 200; ++round)
    {
        ASSERT_EQ(ResourcePack::LoadGroup(0, m_pack), kResourceOk);
        SoundRecord* record = tovSoundFacade::FindSound(m_pack, 6190);
        ASSERT_NE(record, nullptr);
        ASSERT_EQ(facade.Play(record, false, 0), kSoundOk);
        Output().Pull(256);
        if (round % 2)
            std::this_thread::yield();
        ResourcePack::UnloadGroup(0, m_pack);
        DeliverSoundEnds();
    }
    EXPECT_TRUE(WaitFor([this] { return Output().GetMixer().BufferCount() == 0; }));
    DeliverSoundEnds();
}

namespace
{

// Starts both workers with a sound playing, then ends the process through exit: the statics'
// teardown must stop them.
[[noreturn]] void ExitWithBothWorkersRunning()
{
    SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
    SetSoundInitQuestion(nullptr);
    if (InitSoundManager(nullptr) != kSoundOk || ResourcePack::InitLoader() != kResourceOk)
        std::_Exit(3);
    const std::vector<uint8_t> data = Bytes(Tone(0.5, 440.0));
    const plat::WaveFormat format{plat::WaveFormat::kTagPcm, 1, kRate, kRate * 2, 2, 16, 0};
    PlaySoundBuffer(format, data.data(), uint32_t(data.size()), true, nullptr, 0, nullptr, 0);
    std::exit(0);
}

} // namespace

TEST(WorkerShutdownTest, AProgramEndsWithTheLoaderAndTheSoundWorkerRunning)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWithBothWorkersRunning(), ::testing::ExitedWithCode(0), "");
}
