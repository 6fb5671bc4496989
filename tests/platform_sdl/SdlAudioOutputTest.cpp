// The real SDL audio path, heard through SDL's "disk" driver: what would reach the speakers
// is written to a file, which the test reads back.

#include "SdlAudioOutput.h"

#include "Event.h"
#include "Files.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

TEST(SdlAudioOutputTest, ATonePlayedThroughTheDiskDriverLandsInItsFile)
{
    testfiles::TempDir dir;
    const std::string file = dir.File("heard.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);

    plat::SdlAudioOutput output;
    ASSERT_TRUE(output.Open()) << output.LastError();
    plat::Mixer& mixer = output.GetMixer();
    const plat::WaveFormat format{plat::WaveFormat::kTagPcm, 1, 22050, 44100, 2, 16, 0};
    plat::Mixer::Buffer* buffer = mixer.CreateBuffer(format, 22050 * 2);
    ASSERT_NE(buffer, nullptr);
    std::vector<int16_t> tone(22050);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t(16000.0 * std::sin(2.0 * M_PI * 1000.0 * double(i) / 22050.0));
    ASSERT_TRUE(mixer.Write(buffer, 0, tone.data(), uint32_t(tone.size() * 2)));
    // The device thread may be starved for a while: what it has mixed is awaited, not a time.
    // Half a second of the tone is 22,050 frames at the device's rate; the callback that passes
    // the mark may not have reached the file yet, the ones before it have.
    constexpr uint32_t kMarkSourceFrames = 11025;
    constexpr size_t kLeastSoundingFrames = 16384;
    plat::Event halfway(plat::Event::Reset::kManual);
    ASSERT_TRUE(mixer.SetNotifications(buffer, {{kMarkSourceFrames * 2, &halfway}}));
    ASSERT_TRUE(mixer.Play(buffer, true));
    const bool mixed = plat::WaitAny({&halfway}, 120000) == 0;
    output.Close();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    ASSERT_TRUE(mixed) << "the device thread mixed less than half a second in two minutes";

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadFile(file, bytes));
    const size_t frames = bytes.size() / 4;
    ASSERT_GT(frames, kLeastSoundingFrames);
    std::vector<int16_t> heard(frames * 2);
    std::memcpy(heard.data(), bytes.data(), frames * 4);
    // A 1 kHz tone at about half scale on both sides, counted between the first and the last
    // sounding frame (the device runs silent before the buffer starts).
    size_t first = 0;
    size_t last = frames;
    while (first < frames && heard[2 * first] == 0)
        ++first;
    while (last > first && heard[2 * (last - 1)] == 0)
        --last;
    ASSERT_GT(last - first, kLeastSoundingFrames);
    int crossings = 0;
    int peak = 0;
    for (size_t i = first + 1; i < last; ++i)
    {
        crossings += heard[2 * (i - 1)] < 0 && heard[2 * i] >= 0;
        peak = std::max(peak, int(std::abs(heard[2 * i + 1])));
    }
    const double seconds = double(last - first) / 44100.0;
    EXPECT_NEAR(crossings / seconds, 1000.0, 30.0);
    EXPECT_NEAR(peak, 16000, 600);
}
