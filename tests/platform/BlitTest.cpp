#include "DisplayTestSupport.h"

#include <gtest/gtest.h>

using namespace plat;
using displaytest::FillPattern;
using displaytest::Pixel;
using displaytest::Rig;

namespace
{

// What an unstretched copy of src with its corner at (dx, dy) leaves in a cleared dst.
void ExpectTranslated(const Surface& dst, const Surface& src, int32_t dx, int32_t dy)
{
    for (uint32_t y = 0; y < dst.Height(); ++y)
    {
        for (uint32_t x = 0; x < dst.Width(); ++x)
        {
            const int32_t sx = static_cast<int32_t>(x) - dx, sy = static_cast<int32_t>(y) - dy;
            const bool inside =
                sx >= 0 && sy >= 0 && sx < static_cast<int32_t>(src.Width()) && sy < static_cast<int32_t>(src.Height());
            const uint32_t want = inside ? Pixel(src, static_cast<uint32_t>(sx), static_cast<uint32_t>(sy)) : 0;
            ASSERT_EQ(Pixel(dst, x, y), want) << "at " << x << ", " << y;
        }
    }
}

} // namespace

TEST(Blit, CopiesWholeSurfacesAndSubRectangles)
{
    Rig rig;
    auto src = rig.Make(4, 3, PixelFormat::Rgb565);
    auto dst = rig.Make(4, 3, PixelFormat::Rgb565);
    FillPattern(*src);
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, kBltWait, nullptr), Result::Ok);
    ExpectTranslated(*dst, *src, 0, 0);

    auto small = rig.Make(6, 5, PixelFormat::Rgb565);
    const Rect from{1, 1, 3, 3};
    const Rect to{3, 2, 5, 4};
    ASSERT_EQ(small->Blt(&to, src.get(), &from, 0, nullptr), Result::Ok);
    for (uint32_t y = 0; y < 5; ++y)
    {
        for (uint32_t x = 0; x < 6; ++x)
        {
            const bool inside = x >= 3 && x < 5 && y >= 2 && y < 4;
            EXPECT_EQ(Pixel(*small, x, y), inside ? Pixel(*src, x - 2, y - 1) : 0u) << x << ", " << y;
        }
    }
}

TEST(Blit, ClipsAtEveryEdgeAndNegativePositions)
{
    Rig rig;
    auto src = rig.Make(4, 4, PixelFormat::Rgb565);
    FillPattern(*src);
    const int32_t offsets[][2] = {{-2, -1}, {-3, 2}, {2, -3}, {6, 5}, {7, 0},
                                  {0, 7},   {-2, 6}, {-4, 0}, {8, 8}, {-10, -10}};
    for (const auto& o : offsets)
    {
        SCOPED_TRACE(testing::Message() << o[0] << ", " << o[1]);
        auto dst = rig.Make(8, 8, PixelFormat::Rgb565);
        const Rect to{o[0], o[1], o[0] + 4, o[1] + 4};
        ASSERT_EQ(dst->Blt(&to, src.get(), nullptr, 0, nullptr), Result::Ok);
        ExpectTranslated(*dst, *src, o[0], o[1]);

        auto fast = rig.Make(8, 8, PixelFormat::Rgb565);
        ASSERT_EQ(fast->BltFast(o[0], o[1], src.get(), nullptr, kBltWait), Result::Ok);
        ExpectTranslated(*fast, *src, o[0], o[1]);
    }
}

TEST(Blit, SourceRectanglesPastTheSourceEdgesCopyOnlyWhatExists)
{
    Rig rig;
    auto src = rig.Make(4, 4, PixelFormat::Rgb565);
    FillPattern(*src);
    auto dst = rig.Make(4, 4, PixelFormat::Rgb565);
    const Rect from{-1, -1, 3, 3};
    ASSERT_EQ(dst->Blt(nullptr, src.get(), &from, 0, nullptr), Result::Ok);
    ExpectTranslated(*dst, *src, 1, 1);

    auto past = rig.Make(4, 4, PixelFormat::Rgb565);
    const Rect beyond{2, 2, 6, 6};
    ASSERT_EQ(past->Blt(nullptr, src.get(), &beyond, 0, nullptr), Result::Ok);
    ExpectTranslated(*past, *src, -2, -2);
}

TEST(Blit, RejectsInvertedRectanglesAndDoesNothingForEmptyOnes)
{
    Rig rig;
    auto src = rig.Make(4, 4, PixelFormat::Rgb565);
    auto dst = rig.Make(4, 4, PixelFormat::Rgb565);
    FillPattern(*src);
    const Rect inverted{3, 0, 1, 2};
    const Rect upsideDown{0, 3, 2, 1};
    const Rect empty{2, 2, 2, 4};
    EXPECT_EQ(dst->Blt(&inverted, src.get(), nullptr, 0, nullptr), Result::InvalidRect);
    EXPECT_EQ(dst->Blt(nullptr, src.get(), &upsideDown, 0, nullptr), Result::InvalidRect);
    EXPECT_EQ(dst->Blt(&empty, src.get(), nullptr, 0, nullptr), Result::Ok);
    EXPECT_EQ(dst->Blt(nullptr, nullptr, nullptr, 0, nullptr), Result::InvalidParams);
    ExpectTranslated(*dst, *src, 100, 100); // untouched
}

TEST(Blit, StretchesByNearestPixel)
{
    Rig rig;
    auto row = rig.Make(3, 1, PixelFormat::Rgb565);
    displaytest::SetPixel(*row, 0, 0, 10);
    displaytest::SetPixel(*row, 1, 0, 20);
    displaytest::SetPixel(*row, 2, 0, 30);
    auto wide = rig.Make(7, 1, PixelFormat::Rgb565);
    ASSERT_EQ(wide->Blt(nullptr, row.get(), nullptr, 0, nullptr), Result::Ok);
    const uint32_t want[] = {10, 10, 20, 20, 20, 30, 30};
    for (uint32_t x = 0; x < 7; ++x)
        EXPECT_EQ(Pixel(*wide, x, 0), want[x]) << x;

    // Halving takes the pixel under each destination pixel's centre.
    auto big = rig.Make(4, 4, PixelFormat::Argb8888);
    FillPattern(*big);
    auto half = rig.Make(2, 2, PixelFormat::Argb8888);
    ASSERT_EQ(half->Blt(nullptr, big.get(), nullptr, 0, nullptr), Result::Ok);
    EXPECT_EQ(Pixel(*half, 0, 0), Pixel(*big, 1, 1));
    EXPECT_EQ(Pixel(*half, 1, 0), Pixel(*big, 3, 1));
    EXPECT_EQ(Pixel(*half, 0, 1), Pixel(*big, 1, 3));
    EXPECT_EQ(Pixel(*half, 1, 1), Pixel(*big, 3, 3));

    // Doubling into a rectangle hanging off the top-left corner keeps the scale.
    auto small = rig.Make(2, 2, PixelFormat::Rgb565);
    FillPattern(*small);
    auto dst = rig.Make(3, 3, PixelFormat::Rgb565);
    const Rect to{-2, -2, 2, 2};
    ASSERT_EQ(dst->Blt(&to, small.get(), nullptr, 0, nullptr), Result::Ok);
    EXPECT_EQ(Pixel(*dst, 0, 0), Pixel(*small, 1, 1));
    EXPECT_EQ(Pixel(*dst, 1, 1), Pixel(*small, 1, 1));
    EXPECT_EQ(Pixel(*dst, 2, 0), 0u);
}

TEST(Blit, SourceColorKeySkipsMatchingPixels)
{
    Rig rig;
    auto src = rig.Make(4, 1, PixelFormat::Rgb888);
    auto dst = rig.Make(4, 1, PixelFormat::Rgb888);
    const uint32_t values[] = {0, 0x123456, 5, 7};
    for (uint32_t x = 0; x < 4; ++x)
    {
        displaytest::SetPixel(*src, x, 0, values[x]);
        displaytest::SetPixel(*dst, x, 0, 0xABCDEF);
    }
    EXPECT_EQ(dst->Blt(nullptr, src.get(), nullptr, kBltKeySrc, nullptr), Result::NoColorKey);
    EXPECT_EQ(dst->Blt(nullptr, src.get(), nullptr, kBltKeySrcOverride, nullptr), Result::InvalidParams);

    const ColorKey zero{0, 0};
    ASSERT_EQ(src->SetColorKey(&zero), Result::Ok);
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, kBltKeySrc | kBltWait, nullptr), Result::Ok);
    EXPECT_EQ(Pixel(*dst, 0, 0), 0xABCDEFu);
    EXPECT_EQ(Pixel(*dst, 1, 0), 0x123456u);
    EXPECT_EQ(Pixel(*dst, 2, 0), 5u);

    // The override wins over the surface's own key; its range is inclusive.
    BltEffects fx;
    fx.srcKey = {5, 7};
    auto other = rig.Make(4, 1, PixelFormat::Rgb888);
    ASSERT_EQ(other->Blt(nullptr, src.get(), nullptr, kBltKeySrcOverride, &fx), Result::Ok);
    EXPECT_EQ(Pixel(*other, 0, 0), 0u);
    EXPECT_EQ(Pixel(*other, 1, 0), 0x123456u);
    EXPECT_EQ(Pixel(*other, 2, 0), 0u);
    EXPECT_EQ(Pixel(*other, 3, 0), 0u);

    auto fast = rig.Make(4, 1, PixelFormat::Rgb888);
    displaytest::SetPixel(*fast, 0, 0, 99);
    ASSERT_EQ(fast->BltFast(0, 0, src.get(), nullptr, kBltKeySrc), Result::Ok);
    EXPECT_EQ(Pixel(*fast, 0, 0), 99u);
    EXPECT_EQ(Pixel(*fast, 3, 0), 7u);
}

TEST(Blit, OverlappingCopyWithinOneSurfaceReadsTheOriginalPixels)
{
    Rig rig;
    auto s = rig.Make(5, 1, PixelFormat::Pal8);
    FillPattern(*s);
    const Rect from{0, 0, 4, 1};
    const Rect to{1, 0, 5, 1};
    ASSERT_EQ(s->Blt(&to, s.get(), &from, 0, nullptr), Result::Ok);
    const uint32_t want[] = {1, 1, 2, 3, 4};
    for (uint32_t x = 0; x < 5; ++x)
        EXPECT_EQ(Pixel(*s, x, 0), want[x]) << x;
}

TEST(Blit, RefusesMixedFormatsLockedAndLostSurfaces)
{
    Rig rig;
    auto a = rig.Make(2, 2, PixelFormat::Rgb565);
    auto b = rig.Make(2, 2, PixelFormat::Argb4444);
    EXPECT_EQ(a->Blt(nullptr, b.get(), nullptr, 0, nullptr), Result::Unsupported);

    auto c = rig.Make(2, 2, PixelFormat::Rgb565);
    PixelView view;
    ASSERT_EQ(c->Lock(kLockWait, view), Result::Ok);
    EXPECT_EQ(a->Blt(nullptr, c.get(), nullptr, 0, nullptr), Result::Busy);
    EXPECT_EQ(c->Blt(nullptr, a.get(), nullptr, 0, nullptr), Result::Busy);
    ASSERT_EQ(c->Unlock(), Result::Ok);

    auto video = rig.Make(2, 2, PixelFormat::Rgb565, kCapsOffscreenPlain | kCapsVideoMemory);
    rig.display->LoseSurfaces();
    EXPECT_EQ(a->Blt(nullptr, video.get(), nullptr, 0, nullptr), Result::SurfaceLost);
    EXPECT_EQ(video->BltFast(0, 0, a.get(), nullptr, 0), Result::SurfaceLost);
    EXPECT_EQ(a->Blt(nullptr, c.get(), nullptr, 0, nullptr), Result::Ok); // system memory is never lost
}

TEST(Blit, InjectedStillDrawingIsAnsweredUntilItRunsOut)
{
    Rig rig;
    auto a = rig.Make(2, 2, PixelFormat::Rgb565);
    auto b = rig.Make(2, 2, PixelFormat::Rgb565);
    FillPattern(*b);
    rig.injector.FailCall(Operation::Blt, 1, Result::WasStillDrawing, 3);
    int tries = 0;
    Result r;
    while ((r = a->Blt(nullptr, b.get(), nullptr, kBltWait, nullptr)) == Result::WasStillDrawing)
        ++tries;
    EXPECT_EQ(r, Result::Ok);
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(Pixel(*a, 1, 1), Pixel(*b, 1, 1));
}
