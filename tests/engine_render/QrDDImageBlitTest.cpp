#include "ImageTestRig.h"

#include "QrDDBufferImage.h"
#include "QrRawImageData.h"
#include "QrRect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace
{

constexpr uint32_t kTargetWidth = 40;
constexpr uint32_t kTargetHeight = 30;

// What a blit of src's rectangle to (x, y) must leave: every target pixel whose source pixel
// lies inside both the rectangle and the picture takes it, unless keyed and 0.
std::vector<uint32_t> Model(const std::vector<uint32_t>& before, const plat::Surface& src, const QrRect* rect,
                            int64_t x, int64_t y, bool keyed)
{
    const int64_t sl = rect ? rect->left : 0;
    const int64_t st = rect ? rect->top : 0;
    const int64_t sr = rect ? rect->right : src.Width();
    const int64_t sb = rect ? rect->bottom : src.Height();
    std::vector<uint32_t> out = before;
    for (int64_t ty = 0; ty < kTargetHeight; ++ty)
    {
        for (int64_t tx = 0; tx < kTargetWidth; ++tx)
        {
            const int64_t sx = tx - x + sl;
            const int64_t sy = ty - y + st;
            if (sx < std::max<int64_t>(sl, 0) || sx >= std::min<int64_t>(sr, src.Width()) ||
                sy < std::max<int64_t>(st, 0) || sy >= std::min<int64_t>(sb, src.Height()))
                continue;
            const uint32_t v = PixelAt(src, static_cast<uint32_t>(sx), static_cast<uint32_t>(sy));
            if (keyed && v == 0)
                continue;
            out[ty * kTargetWidth + tx] = v;
        }
    }
    return out;
}

class QrDDImageBlitTest : public ImageTest
{
protected:
    QrPointer<QrDDBufferImage> m_back;
    plat::Surface* m_target = nullptr;
    QrPointer<QrDDImage> m_image;
    plat::Surface* m_source = nullptr;

    void SetUp() override
    {
        ImageTest::SetUp();
        m_back = QrDDBufferImage::Create(MakeSurface(kTargetWidth, kTargetHeight, plat::PixelFormat::Rgb565));
        ASSERT_TRUE(m_back);
        m_back->GetSurface(m_target);
        for (uint32_t y = 0; y < kTargetHeight; ++y)
            for (uint32_t x = 0; x < kTargetWidth; ++x)
                SetPixelAt(*m_target, x, y, 0x4000 + y * kTargetWidth + x);

        // 8 x 6, every pixel its own colour, a diagonal of black ones.
        QrPointer<QrRawImageData> raw = new QrRawImageData;
        raw->AllocatePixels(QrImagePixels::kFormatRGB, 8, 6);
        for (uint32_t y = 0; y < 6; ++y)
        {
            for (uint32_t x = 0; x < 8; ++x)
            {
                uint8_t* p = raw->GetPixels() + 3 * (y * 8 + x);
                const bool black = x == y;
                p[0] = black ? 0 : static_cast<uint8_t>(8 * x + 8);
                p[1] = black ? 0 : static_cast<uint8_t>(32 * y + 4);
                p[2] = black ? 0 : 200;
            }
        }
        m_image = QrDynamicCast<QrDDImage>(QrImage::CreateFromRawData(raw, 0).Get());
        ASSERT_TRUE(m_image);
        ASSERT_TRUE(m_image->GetSurfaceFor(nullptr, QrDDImage::kKindDisplay, m_source));
        ASSERT_EQ(m_source->Format(), plat::PixelFormat::Rgb565);
    }

    void TearDown() override
    {
        m_image = nullptr;
        m_back = nullptr;
        ImageTest::TearDown();
    }

    std::vector<uint32_t> Target() const
    {
        std::vector<uint32_t> out;
        for (uint32_t y = 0; y < kTargetHeight; ++y)
            for (uint32_t x = 0; x < kTargetWidth; ++x)
                out.push_back(PixelAt(*m_target, x, y));
        return out;
    }

    void ExpectBlit(const QrRect* rect, int32_t x, int32_t y, bool keyed)
    {
        const std::vector<uint32_t> want = Model(Target(), *m_source, rect, x, y, keyed);
        EXPECT_EQ(QrDDImage::BlitImage(m_render.Get(), m_back.Get(), m_image.Get(), rect, x, y, keyed),
                  plat::Result::Ok);
        EXPECT_EQ(Target(), want);
    }
};

} // namespace

TEST_F(QrDDImageBlitTest, WholeImageInside)
{
    const std::vector<uint32_t> before = Target();
    ExpectBlit(nullptr, 10, 5, false);
    EXPECT_NE(Target(), before);
    EXPECT_EQ(PixelAt(*m_target, 11, 6), 0u); // black is copied when not keyed
}

TEST_F(QrDDImageBlitTest, KeyedBlitSkipsZeroPixels)
{
    const uint32_t under = PixelAt(*m_target, 12, 7);
    ExpectBlit(nullptr, 10, 5, true);
    EXPECT_EQ(PixelAt(*m_target, 12, 7), under);
    EXPECT_EQ(PixelAt(*m_target, 13, 7), PixelAt(*m_source, 3, 2));
}

TEST_F(QrDDImageBlitTest, NegativePositionsClipAtTheLeftAndTop)
{
    ExpectBlit(nullptr, -3, -2, false);
    EXPECT_EQ(PixelAt(*m_target, 0, 0), PixelAt(*m_source, 3, 2));
    ExpectBlit(nullptr, -7, 4, true);
}

TEST_F(QrDDImageBlitTest, PositionsPastTheRightAndBottomClip)
{
    ExpectBlit(nullptr, 36, 27, false);
    EXPECT_EQ(PixelAt(*m_target, 39, 29), PixelAt(*m_source, 3, 2));
}

TEST_F(QrDDImageBlitTest, BlitsEntirelyOutsideChangeNothing)
{
    const std::vector<uint32_t> before = Target();
    for (const auto& [x, y] : std::vector<std::pair<int32_t, int32_t>>{
             {40, 0}, {-8, 0}, {0, 30}, {0, -6}, {INT32_MAX - 2, 0}, {0, INT32_MIN + 1}, {INT32_MIN, INT32_MAX}})
    {
        EXPECT_EQ(QrDDImage::BlitImage(m_render.Get(), m_back.Get(), m_image.Get(), nullptr, x, y, false),
                  plat::Result::Ok)
            << x << "," << y;
    }
    EXPECT_EQ(Target(), before);
}

TEST_F(QrDDImageBlitTest, SourceRectangleSelectsPartOfTheImage)
{
    const QrRect part{2, 6, 1, 5}; // left, right, top, bottom
    ExpectBlit(&part, 0, 0, false);
    EXPECT_EQ(PixelAt(*m_target, 0, 0), PixelAt(*m_source, 2, 1));
    EXPECT_EQ(PixelAt(*m_target, 4, 0), 0x4004u);
}

TEST_F(QrDDImageBlitTest, SourceRectanglePastTheImageEdgesIsClipped)
{
    const QrRect wide{-2, 100, -1, 3};
    ExpectBlit(&wide, 5, 5, false);
    EXPECT_EQ(PixelAt(*m_target, 7, 6), PixelAt(*m_source, 0, 0));
    EXPECT_EQ(PixelAt(*m_target, 5, 5), 0x4000u + 5 * kTargetWidth + 5);
    const QrRect huge{INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX};
    ExpectBlit(&huge, 0, 0, false);
    const QrRect beyond{20, 30, 0, 6};
    ExpectBlit(&beyond, 0, 0, false);
}

TEST_F(QrDDImageBlitTest, InvertedSourceRectangleIsRefused)
{
    const std::vector<uint32_t> before = Target();
    const QrRect inverted{6, 2, 1, 5};
    EXPECT_EQ(QrDDImage::BlitImage(m_render.Get(), m_back.Get(), m_image.Get(), &inverted, 0, 0, false),
              plat::Result::InvalidRect);
    EXPECT_EQ(Target(), before);
}

TEST_F(QrDDImageBlitTest, WideImageAtTheRightEdgeCopiesItsLeftColumns)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    raw->AllocatePixels(QrImagePixels::kFormatRGB, 100, 50);
    for (uint32_t i = 0; i < 100 * 50; ++i)
        raw->GetPixels()[3 * i] = static_cast<uint8_t>(8 * (i % 100 % 32) + 7);
    QrPointer<QrDDImage> wide = QrDynamicCast<QrDDImage>(QrImage::CreateFromRawData(raw, 0).Get());
    QrPointer<QrDDBufferImage> back = QrDDBufferImage::Create(MakeSurface(640, 480, plat::PixelFormat::Rgb565));
    ASSERT_EQ(QrDDImage::BlitImage(nullptr, back.Get(), wide.Get(), nullptr, 600, 0, false), plat::Result::Ok);
    plat::Surface* target = nullptr;
    back->GetSurface(target);
    for (uint32_t x = 600; x < 640; ++x)
        ASSERT_EQ(PixelAt(*target, x, 49), ((x - 600) % 32) << 11) << x;
    EXPECT_EQ(PixelAt(*target, 599, 0), 0u);
    EXPECT_EQ(PixelAt(*target, 600, 50), 0u);
}

TEST_F(QrDDImageBlitTest, RectangleBlitStretches)
{
    const QrRect dest{4, 20, 2, 14};
    ASSERT_EQ(QrDDImage::BlitImageRect(m_render.Get(), m_back.Get(), m_image.Get(), nullptr, &dest, false),
              plat::Result::Ok);
    for (uint32_t y = 0; y < 12; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            ASSERT_EQ(PixelAt(*m_target, 4 + x, 2 + y), PixelAt(*m_source, x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(PixelAt(*m_target, 3, 2), 0x4000u + 2 * kTargetWidth + 3);

    // Null rectangles: the whole image over the whole target, five times as large; keyed.
    const uint32_t under = PixelAt(*m_target, 7, 9); // under source pixel (1, 1), black
    ASSERT_EQ(QrDDImage::BlitImageRect(m_render.Get(), m_back.Get(), m_image.Get(), nullptr, nullptr, true),
              plat::Result::Ok);
    EXPECT_EQ(PixelAt(*m_target, 7, 9), under);
    EXPECT_EQ(PixelAt(*m_target, 39, 29), PixelAt(*m_source, 7, 5));
}

TEST_F(QrDDImageBlitTest, MissingPicturesAreInvalid)
{
    QrPointer<QrDDImage> empty = static_cast<QrDDImage*>(QrDDImage::Create(0));
    EXPECT_EQ(QrDDImage::BlitImage(nullptr, m_back.Get(), empty.Get(), nullptr, 0, 0, false),
              plat::Result::InvalidParams);
    EXPECT_EQ(QrDDImage::BlitImage(nullptr, m_back.Get(), nullptr, nullptr, 0, 0, false), plat::Result::InvalidParams);
    EXPECT_EQ(QrDDImage::BlitImage(nullptr, empty.Get(), m_image.Get(), nullptr, 0, 0, false),
              plat::Result::InvalidParams);
    EXPECT_EQ(QrDDImage::BlitImageRect(nullptr, nullptr, m_image.Get(), nullptr, nullptr, false),
              plat::Result::InvalidParams);
}

TEST_F(QrDDImageBlitTest, LostSurfacesAreReportedUntilRestored)
{
    m_display->LoseAllSurfaces();
    EXPECT_EQ(QrDDImage::BlitImage(nullptr, m_back.Get(), m_image.Get(), nullptr, 0, 0, false),
              plat::Result::SurfaceLost);
    ASSERT_TRUE(QrDDImage::RestoreAllSurfaces());
    // The picture comes back from its raw data; the buffer is the renderer's to redraw.
    EXPECT_EQ(PixelAt(*m_target, 0, 0), 0u);
    ExpectBlit(nullptr, 1, 1, false);
    EXPECT_EQ(PixelAt(*m_target, 2, 1), PixelAt(*m_source, 1, 0));
    EXPECT_NE(PixelAt(*m_source, 1, 0), 0u);
}
