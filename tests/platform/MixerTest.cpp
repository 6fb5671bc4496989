#include "Mixer.h"

#include "HeadlessAudioOutput.h"

#include "Event.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

plat::WaveFormat Format(uint32_t rate, uint16_t channels, uint16_t bits)
{
    const uint16_t align = uint16_t(channels * bits / 8);
    return {plat::WaveFormat::kTagPcm, channels, rate, rate * align, align, bits, 0};
}

bool Fired(plat::Event& event)
{
    plat::Waitable* waitable = &event;
    return plat::WaitAny(&waitable, 1, 0) == 0;
}

} // namespace

TEST(MixerTest, ConvertsRatesDepthsAndChannels)
{
    const struct
    {
        uint32_t rate;
        uint16_t channels;
        uint16_t bits;
        uint8_t fill;
        float left;
        float right;
    } cases[] = {
        {22050, 1, 8, 0x80, 0.0f, 0.0f},  // 8-bit silence
        {22050, 1, 8, 0xC0, 0.5f, 0.5f},  // mono goes to both sides
        {44100, 2, 16, 0x00, 0.0f, 0.0f}, // 16-bit silence
        {11025, 1, 16, 0x40, 0.5f, 0.5f}, // 0x4040 = 16448
    };
    for (const auto& c : cases)
    {
        plat::Mixer mixer;
        const uint32_t frames = c.rate / 10;
        const plat::WaveFormat format = Format(c.rate, c.channels, c.bits);
        plat::Mixer::Buffer* buffer = mixer.CreateBuffer(format, frames * format.blockAlign);
        ASSERT_NE(buffer, nullptr);
        std::vector<uint8_t> bytes(frames * format.blockAlign, c.fill);
        ASSERT_TRUE(mixer.Write(buffer, 0, bytes.data(), uint32_t(bytes.size())));
        ASSERT_TRUE(mixer.Play(buffer, false));
        // A tenth of a second at any rate is 4410 device frames, then the buffer stops.
        std::vector<int16_t> out(2 * 5000);
        mixer.Mix(out.data(), 5000);
        EXPECT_NEAR(out[2 * 100] / 32768.0, c.left, 0.01);
        EXPECT_NEAR(out[2 * 100 + 1] / 32768.0, c.right, 0.01);
        EXPECT_EQ(out[2 * 4420], 0);
        plat::Mixer::Status status;
        ASSERT_TRUE(mixer.GetStatus(buffer, status));
        EXPECT_FALSE(status.playing);
    }
    plat::Mixer mixer;
    EXPECT_EQ(mixer.CreateBuffer(Format(22050, 3, 16), 600), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(Format(22050, 1, 16), 601), nullptr);
}

TEST(MixerTest, NotificationsFireAsTheCursorPassesThem)
{
    plat::Mixer mixer;
    const plat::WaveFormat format = Format(44100, 1, 16);
    const uint32_t size = 4000; // 2000 frames
    plat::Mixer::Buffer* looping = mixer.CreateBuffer(format, size);
    plat::Mixer::Buffer* once = mixer.CreateBuffer(format, size);
    plat::Event quarter(plat::Event::Reset::kAuto);
    plat::Event last(plat::Event::Reset::kAuto);
    plat::Event stopped(plat::Event::Reset::kAuto);
    ASSERT_TRUE(mixer.SetNotifications(looping, {{size / 4, &quarter}, {size - 1, &last}}));
    ASSERT_TRUE(mixer.SetNotifications(once, {{plat::Mixer::kStopOffset, &stopped}}));
    EXPECT_FALSE(mixer.SetNotifications(once, {{size, &stopped}}));
    ASSERT_TRUE(mixer.Play(looping, true));
    ASSERT_TRUE(mixer.Play(once, false));

    std::vector<int16_t> out(2 * 4100);
    mixer.Mix(out.data(), 400);
    EXPECT_FALSE(Fired(quarter));
    mixer.Mix(out.data(), 200); // cursor 600 frames: byte 1200 passed 1000
    EXPECT_TRUE(Fired(quarter));
    EXPECT_FALSE(Fired(last));
    mixer.Mix(out.data(), 1400); // wraps to 0
    EXPECT_TRUE(Fired(last));
    EXPECT_TRUE(Fired(stopped));
    EXPECT_FALSE(Fired(quarter));
    uint32_t cursor = 1;
    ASSERT_TRUE(mixer.GetPlayCursor(looping, cursor));
    EXPECT_EQ(cursor, 0u);
    // Several laps in one call still signal each point.
    mixer.Mix(out.data(), 400);
    mixer.Mix(out.data(), 4100);
    EXPECT_TRUE(Fired(quarter));
    EXPECT_TRUE(Fired(last));
    EXPECT_FALSE(Fired(stopped));
}

TEST(MixerTest, ALoopShorterThanOneStepStaysInsideItsBuffer)
{
    for (const uint32_t rate : {48000u, 96000u, 192000u})
    {
        plat::Mixer mixer;
        const plat::WaveFormat format = Format(rate, 1, 16);
        plat::Mixer::Buffer* buffer = mixer.CreateBuffer(format, 2);
        ASSERT_NE(buffer, nullptr);
        const int16_t sample = 16384;
        ASSERT_TRUE(mixer.Write(buffer, 0, &sample, 2));
        ASSERT_TRUE(mixer.Play(buffer, true));
        std::vector<int16_t> out(2 * 4410);
        for (int call = 0; call < 10; ++call)
            mixer.Mix(out.data(), 4410);
        EXPECT_NEAR(out[2 * 4409] / 32768.0, 0.5, 0.01) << rate;
        uint32_t cursor = 1;
        ASSERT_TRUE(mixer.GetPlayCursor(buffer, cursor));
        EXPECT_EQ(cursor, 0u) << rate;
    }
}

// The headless harness skips the minutes of a fast-forward: nothing is mixed for them and the
// next pull takes up from the skip's end, neither replaying the skipped time nor losing more.
TEST(HeadlessAudioOutputTest, ASkipMixesNothingAndTheNextPullStartsAtItsEnd)
{
    plat::HeadlessAudioOutput output;
    ASSERT_TRUE(output.Open());
    output.PullUntil(10.0);
    output.PullUntil(10.5);
    EXPECT_EQ(output.TakeSamples().size(), size_t{plat::Mixer::kRate / 2 * plat::Mixer::kChannels});
    output.SkipUntil(610.0);
    EXPECT_TRUE(output.TakeSamples().empty());
    output.SkipUntil(300.0); // never backwards
    output.PullUntil(610.25);
    EXPECT_EQ(output.TakeSamples().size(), size_t{plat::Mixer::kRate / 4 * plat::Mixer::kChannels});
}
