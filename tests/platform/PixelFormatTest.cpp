#include "PixelFormat.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(PixelFormat, PackingTruncatesAndExpandingRepeatsTopBits)
{
    EXPECT_EQ(PackColor(PixelFormat::Rgb565, 0x00FF7F00), 0xFBE0u);
    EXPECT_EQ(PackColor(PixelFormat::Argb4444, 0x80FF0010), 0x8F01u);
    EXPECT_EQ(PackColor(PixelFormat::Argb1555, 0x7FFFFFFF), 0x7FFFu); // alpha below half drops
    EXPECT_EQ(PackColor(PixelFormat::Argb8888, 0x12345678), 0x12345678u);
    EXPECT_EQ(PackColor(PixelFormat::Pal8, 0xFFFFFFFF), 0u);
    EXPECT_EQ(ExpandColor(PixelFormat::Rgb565, 0xFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(ExpandColor(PixelFormat::Rgb565, 0x0821), 0xFF080408u);
    EXPECT_EQ(ExpandColor(PixelFormat::Argb4444, 0x8F01), 0x88FF0011u);
    EXPECT_EQ(ExpandColor(PixelFormat::Argb1555, 0x8000), 0xFF000000u);
    for (uint32_t p = 0; p < 0x10000; ++p)
        ASSERT_EQ(PackColor(PixelFormat::Rgb565, ExpandColor(PixelFormat::Rgb565, p)), p);
}

TEST(PixelFormat, FindsFormatsByTheirDescription)
{
    const PixelFormat all[] = {PixelFormat::Pal8,   PixelFormat::Rgb565,   PixelFormat::Argb1555, PixelFormat::Argb4444,
                               PixelFormat::Rgb888, PixelFormat::Xrgb8888, PixelFormat::Argb8888, PixelFormat::Z16,
                               PixelFormat::Z24,    PixelFormat::Z32,      PixelFormat::Z24S8,    PixelFormat::Z16S8};
    for (PixelFormat f : all)
        EXPECT_EQ(FindFormat(DescribeFormat(f)), f) << static_cast<int>(f);
    PixelFormatInfo odd = DescribeFormat(PixelFormat::Rgb565);
    odd.greenMask = 0x03E0;
    EXPECT_EQ(FindFormat(odd), PixelFormat::Unknown);
    EXPECT_EQ(PitchFor(PixelFormat::Rgb888, 5), 16);
    EXPECT_EQ(PitchFor(PixelFormat::Pal8, 4), 4);
}
