#include "qrxScratchImage.h"
#include "qrxFloatingText.h"
#include "qrxRoundGauge.h"

#include "FrameworkTestImages.h"

#include "Font.h"

namespace
{

class qrxScratchImageTest : public FrameworkImageTest
{
protected:
    void SetUp() override
    {
        FrameworkImageTest::SetUp();
        qrxScratchImage::SetRenderer(m_render.Get());
    }
    void TearDown() override
    {
        qrxScratchImage::ReleaseRenderer();
        FrameworkImageTest::TearDown();
    }
};

TEST_F(qrxScratchImageTest, TheSharedImageIsRebuiltAtTheRequestedSizeOnlyWhenASideGrows)
{
    struct SizeStep
    {
        int32_t w, h;
        bool rebuilt;
    };
    const SizeStep steps[] = {{100, 50, true}, {80, 60, true}, {90, 40, true}, {90, 40, false}, {10, 10, false}};
    // The previous image is held, so a new one can never take its address.
    QrPointer<QrImage> last;
    for (const SizeStep& s : steps)
    {
        qrxScratchImage::PrepareImage(s.w, s.h);
        QrImage* image = qrxScratchImage::GetSharedImage();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image != last.Get(), s.rebuilt) << s.w << "x" << s.h;
        if (!s.rebuilt)
        {
            EXPECT_EQ(image->GetWidth(), last->GetWidth());
        }
        if (s.rebuilt)
        {
            EXPECT_EQ(qrxScratchImage::GetCachedWidth(), s.w);
            EXPECT_EQ(qrxScratchImage::GetCachedHeight(), s.h);
            EXPECT_EQ(image->GetWidth(), static_cast<uint32_t>(s.w));
        }
        last = image;
    }
}

TEST_F(qrxScratchImageTest, EmptyTextDrawsNothingAndReportsOneLine)
{
    std::unique_ptr<plat::Font> font = plat::Font::Create("Verdana", 18, 400);
    ASSERT_TRUE(font);
    qrxFloatingText text(font.get(), plat::kColorWhite);
    plat::Rect rect;
    EXPECT_EQ(text.DrawText(30, 40, "", &rect), 30);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.right, 30);
    EXPECT_EQ(rect.bottom - rect.top, font->Height());
    EXPECT_TRUE(m_render->GetLog().empty());
    qrxScratchImage::ReleaseRenderer();
    EXPECT_EQ(text.DrawText(30, 40, "x", &rect), 0) << "nothing without a renderer";
}

// A box lower than the font's line keeps the letters' feet: the drawing takes a whole line.
TEST_F(qrxScratchImageTest, BoxedTextInALowBoxKeepsAWholeLine)
{
    std::unique_ptr<plat::Font> font = plat::Font::Create("Verdana", 18, 400);
    ASSERT_TRUE(font);
    qrxFloatingText text(font.get(), plat::kColorWhite);
    text.DrawBoxedText(371, 95, 548, 110, "Partly Cloudy", nullptr);
    EXPECT_EQ(qrxScratchImage::GetCachedWidth(), 548 - 371);
    EXPECT_EQ(qrxScratchImage::GetCachedHeight(), font->Height());
}

TEST_F(qrxScratchImageTest, GaugeNeedlesPointLeftUpAndRight)
{
    qrxRoundGauge gauge(0, 0, 100, 100);
    const plat::Point left = gauge.NeedleEnd(-90.0f);
    const plat::Point up = gauge.NeedleEnd(0.0f);
    const plat::Point right = gauge.NeedleEnd(90.0f);
    EXPECT_LT(left.x, 10);
    EXPECT_NEAR(left.y, 50, 1);
    EXPECT_NEAR(up.x, 50, 1);
    EXPECT_LT(up.y, 10);
    EXPECT_GT(right.x, 90);
    EXPECT_NEAR(right.y, 50, 1);
    EXPECT_EQ(gauge.NeedleEnd(-900.0f), gauge.NeedleEnd(-180.0f)) << "far angles wrap into the table";
}

} // namespace
