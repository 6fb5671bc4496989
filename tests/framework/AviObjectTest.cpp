#include "AviObject.h"
#include "FrameworkRenderFixture.h"

#include "AviWriter.h"
#include "Clock.h"
#include "Files.h"
#include "QrPoint3.h"
#include "TestFiles.h"
#include "VideoClip.h"

#include <gtest/gtest.h>

namespace
{

struct Rgb
{
    uint8_t r, g, b;
};

// Frame i of the test clip is one flat colour; odd widths give padded rows in the file.
const Rgb kColours[] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {200, 200, 20}, {20, 200, 200}};

std::vector<uint8_t> FlatClip(uint32_t width, uint32_t height, bool withSound, uint32_t soundRate = 22050)
{
    tools::AviClip clip;
    clip.soundRate = soundRate;
    clip.framesPerSecond = 10;
    for (const Rgb& c : kColours)
    {
        QrImagePixels frame;
        frame.Allocate(QrImagePixels::kFormatRGB, width, height);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
            {
                uint8_t* p = frame.GetRow(y) + x * 3;
                p[0] = c.r;
                p[1] = c.g;
                p[2] = uint8_t(c.b + (y == 0 ? 5 : 0)); // the top row differs: upside-down shows
            }
        clip.frames.push_back(std::move(frame));
    }
    if (withSound)
        clip.sound.assign(11025, 1000);
    return tools::WriteAVI(clip);
}

void CountEnd(uintptr_t arg)
{
    ++*reinterpret_cast<int*>(arg);
}

class AviObjectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = &plat::CurrentClock();
        plat::SetCurrentClock(&m_clock);
    }
    void TearDown() override { plat::SetCurrentClock(m_previous); }
    void Advance(uint32_t ms) { m_clock.SetNanoseconds(m_clock.Nanoseconds() + uint64_t(ms) * 1000000u); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(plat::WriteFile(m_dir.File(name), bytes.data(), bytes.size()));
        return m_dir.File(name);
    }
    // The colour at (x, y) of the last frame, blue-first in memory.
    Rgb Pixel(const AviObject& avi, uint32_t x, uint32_t y)
    {
        const uint8_t* p = avi.GetFrame().Row(y) + x * 3;
        return {p[2], p[1], p[0]};
    }

    plat::ManualClock m_clock{5'000'000'000ull};
    plat::Clock* m_previous = nullptr;
    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(AviObjectTest, FramesLandAtTheClipsRateAndTheEndRunsOnce)
{
    for (const bool withSound : {true, false})
    {
        AviObject avi;
        int ends = 0;
        avi.SetEndCallback(&CountEnd, reinterpret_cast<uintptr_t>(&ends));
        ASSERT_EQ(avi.Play(Write("clip.avi", FlatClip(7, 3, withSound)).c_str(), 10, 20), 0);
        ASSERT_EQ(avi.GetFrame().width, 7u);
        for (uint32_t frame = 0; frame < 5; ++frame)
        {
            avi.UpdateFrame();
            const Rgb c = Pixel(avi, 6, 2);
            EXPECT_EQ(c.r, kColours[frame].r) << frame;
            EXPECT_EQ(c.g, kColours[frame].g) << frame;
            EXPECT_EQ(c.b, kColours[frame].b) << frame;
            EXPECT_EQ(Pixel(avi, 0, 0).b, kColours[frame].b + 5) << "rows come out the right way up";
            Advance(100);
        }
        EXPECT_TRUE(avi.IsPlaying());
        EXPECT_EQ(ends, 0);
        avi.UpdateFrame();
        EXPECT_FALSE(avi.IsPlaying());
        EXPECT_EQ(ends, 1);
        // Stopping a clip that ended, and stepping it again, run nothing more.
        avi.UpdateFrame();
        avi.Stop();
        EXPECT_EQ(ends, 1);
    }
}

TEST_F(AviObjectTest, StopWhilePlayingEndsOnceAndAnUnopenableClipLeavesNothing)
{
    AviObject avi;
    int ends = 0;
    avi.SetEndCallback(&CountEnd, reinterpret_cast<uintptr_t>(&ends));
    ASSERT_EQ(avi.Play(Write("clip.avi", FlatClip(4, 4, true)).c_str(), 0, 0), 0);
    avi.UpdateFrame();
    avi.Stop();
    avi.Stop();
    EXPECT_EQ(ends, 1);

    std::vector<uint8_t> damaged = FlatClip(4, 4, false);
    damaged.resize(200);
    Write("clip.avi", FlatClip(4, 4, false));
    const std::string concat = "ffconcat version 1.0\nfile 'clip.avi'\n";
    const std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nclip.avi\n#EXT-X-ENDLIST\n";
    for (const std::string& path :
         {m_dir.File("missing.avi"), Write("text.avi", {'n', 'o', 'p', 'e'}), Write("short.avi", damaged),
          Write("concat.avi", std::vector<uint8_t>(concat.begin(), concat.end())),
          Write("list.avi", std::vector<uint8_t>(playlist.begin(), playlist.end()))})
    {
        EXPECT_EQ(avi.Play(path.c_str(), 0, 0), AviObject::kFailed) << path;
        EXPECT_FALSE(avi.IsPlaying());
        avi.UpdateFrame();
        avi.Stop();
    }
    EXPECT_EQ(avi.Play(nullptr, 0, 0), AviObject::kFailed);
    EXPECT_EQ(ends, 1);

    // Sound at an absurd declared rate is left out; the pictures still play.
    plat::VideoClip clip;
    ASSERT_TRUE(clip.Open(Write("fast.avi", FlatClip(4, 4, true, 2000000000u))));
    std::vector<int16_t> samples;
    uint32_t rate = 0;
    uint16_t channels = 0;
    EXPECT_FALSE(clip.DecodeSound(samples, rate, channels));
    EXPECT_TRUE(samples.empty());
}

namespace
{

// The clip on the real renderer: each frame is blitted at the clip's place in the window.
class AviObjectScreenTest : public FrameworkRenderTest
{
protected:
    Rgb ShownAt(const golden::RgbImage& image, uint32_t x, uint32_t y)
    {
        const uint8_t* p = &image.rgb[(size_t(y) * image.width + x) * 3];
        return {p[0], p[1], p[2]};
    }
    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(AviObjectScreenTest, FramesReachTheWindowAtTheClipsPlace)
{
    const std::string path = m_dir.File("clip.avi");
    const std::vector<uint8_t> bytes = FlatClip(24, 16, false);
    ASSERT_TRUE(plat::WriteFile(path, bytes.data(), bytes.size()));
    AviObject avi;
    ASSERT_EQ(avi.Play(path.c_str(), 100, 50), 0);
    for (uint32_t frame = 0; frame < 2; ++frame)
    {
        SCOPED_TRACE(frame);
        m_renderer->SetBackgroundColor(QrPoint3(0.0f, 0.0f, 0.0f));
        m_renderer->ClearBuffer(nullptr, 3);
        m_renderer->BeginFrame();
        avi.UpdateFrame();
        m_renderer->DisplayFrame();
        const golden::RgbImage shown = Shown();
        const Rgb inside = ShownAt(shown, 123, 65);
        // 565 keeps the top bits of each channel.
        EXPECT_EQ(inside.r >> 3, kColours[frame].r >> 3);
        EXPECT_EQ(inside.g >> 2, kColours[frame].g >> 2);
        EXPECT_EQ(inside.b >> 3, kColours[frame].b >> 3);
        for (const auto& [x, y] :
             {std::pair{99u, 58u}, std::pair{124u, 58u}, std::pair{110u, 49u}, std::pair{110u, 66u}})
        {
            const Rgb outside = ShownAt(shown, x, y);
            EXPECT_EQ(outside.r + outside.g + outside.b, 0) << x << "," << y;
        }
        m_clock.AdvanceMs(100);
    }
}
