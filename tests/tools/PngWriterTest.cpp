#include "TestFiles.h"

#include "ImageWriters.h"
#include "gen/GenImages.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

namespace
{

// Reads a PNG back as 8-bit RGBA, rows from the top.
bool ReadPng(const std::string& path, uint32_t& width, uint32_t& height, std::vector<uint8_t>& rgba)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    width = image.width;
    height = image.height;
    rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) != 0;
}

} // namespace

TEST(PngWriter, EveryFormatReadsBackAsItsColours)
{
    testfiles::TempDir dir;
    const QrImagePixels pictures[] = {gen::MakeIndexedPicture(5, 3, 16), gen::MakeColorPicture(1, 7, 2),
                                      gen::MakeColorPicture(2, 3, 4)};
    for (const QrImagePixels& picture : pictures)
    {
        SCOPED_TRACE(picture.GetFormat());
        const std::string path = dir.File("out.png");
        std::string error;
        ASSERT_TRUE(tools::WritePNG(path, picture, error)) << error;
        uint32_t w = 0, h = 0;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadPng(path, w, h, rgba));
        ASSERT_EQ(w, picture.GetWidth());
        ASSERT_EQ(h, picture.GetHeight());
        for (uint32_t y = 0; y < h; ++y)
        {
            for (uint32_t x = 0; x < w; ++x)
            {
                const uint8_t* got = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                const uint8_t* p = picture.GetRow(y) + x * picture.GetBytesPerPixel();
                uint8_t want[4] = {0, 0, 0, 255};
                if (picture.GetFormat() == QrImagePixels::kFormatPalettized)
                    std::memcpy(want, picture.GetPalette() + p[0] * 4, 3); // the palette's fourth byte is not alpha
                else
                    std::memcpy(want, p, picture.GetBytesPerPixel());
                ASSERT_EQ(std::memcmp(got, want, 4), 0) << x << ", " << y;
            }
        }
    }
}

TEST(PngWriter, FailuresGiveAReason)
{
    std::string error;
    EXPECT_FALSE(tools::WritePNG("/nonexistent-folder/x.png", gen::MakeColorPicture(1, 2, 2), error));
    EXPECT_FALSE(error.empty());
    error.clear();
    testfiles::TempDir dir;
    EXPECT_FALSE(tools::WritePNG(dir.File("empty.png"), QrImagePixels(), error));
    EXPECT_FALSE(error.empty());
}
