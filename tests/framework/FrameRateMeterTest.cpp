#include "FrameRateMeter.h"

#include "FrameworkTestImages.h"
#include "qrxAssetCache.h"

#include "QrCamera.h"

#include "Clock.h"

#include <algorithm>

namespace
{

class FrameRateMeterTest : public FrameworkImageTest
{
protected:
    void SetUp() override
    {
        FrameworkImageTest::SetUp();
        plat::SetCurrentClock(&m_clock);
    }
    void TearDown() override
    {
        m_meter.Destroy();
        plat::SetCurrentClock(nullptr);
        FrameworkImageTest::TearDown();
    }
    // n samples, stepsMs apart.
    void Run(int n, uint32_t stepMs)
    {
        for (int i = 0; i < n; ++i)
        {
            m_clock.AdvanceMs(stepMs);
            m_meter.Sample();
        }
    }
    // The glyph each digit shows.
    std::vector<int> Shown()
    {
        std::vector<int> glyphs;
        for (int d = 0; d < FrameRateMeter::kDigits; ++d)
        {
            int found = -1;
            for (int g = 0; g < FrameRateMeter::kGlyphs; ++g)
            {
                if (m_meter.GetDigit(d)->GetPropertyList().Contains(m_meter.GetGlyph(g)))
                    found = g;
            }
            glyphs.push_back(found);
        }
        return glyphs;
    }

    plat::ManualClock m_clock{5'000'000'000ull};
    FrameRateMeter m_meter;
};

TEST_F(FrameRateMeterTest, TheFirstRateComesAfterTwentyFramesAndShowsWithoutLeadingZeros)
{
    m_meter.Create(true);
    Run(20, 20);
    EXPECT_EQ(m_meter.GetFramesPerSecond(), 0) << "the first sample only starts the clock";
    Run(1, 20);
    EXPECT_EQ(m_meter.GetFramesPerSecond(), 50);
    m_meter.Draw();
    EXPECT_EQ(Shown(), (std::vector<int>{FrameRateMeter::kBlank, 5, 0}));
    // The ring keeps the last twenty times: a slower stretch takes over once it fills.
    Run(19, 40);
    EXPECT_EQ(m_meter.GetFramesPerSecond(), 25);
    Run(20, 1);
    EXPECT_EQ(m_meter.GetFramesPerSecond(), 1000);
    m_meter.Draw();
    EXPECT_EQ(Shown(), (std::vector<int>(3, FrameRateMeter::kBlank))) << "thousands are lost";
    m_meter.Create(true);
    Run(30, 0);
    EXPECT_EQ(m_meter.GetFramesPerSecond(), 0) << "a clock that stands still gives no rate";
}

TEST_F(FrameRateMeterTest, RepeatedGamesReuseTheGlyphTextures)
{
    for (int game = 0; game < 3; ++game)
        m_meter.Create(true);
    EXPECT_EQ(qrxAssetCache::Get().GetRawCount(), static_cast<size_t>(FrameRateMeter::kGlyphs));
    m_meter.Create(false);
    EXPECT_EQ(m_meter.GetDigit(0), nullptr);
    QrPointer<QrCamera> camera = new QrCamera;
    m_meter.AttachTo(camera.Get());
    EXPECT_EQ(camera->GetScreenPolygonCount(), 0u) << "a hidden meter attaches nothing";
    m_meter.Create(true);
    m_meter.AttachTo(camera.Get());
    EXPECT_EQ(camera->GetScreenPolygonCount(), 3u);
}

} // namespace
