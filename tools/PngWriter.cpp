// The PNG side of the image writers: the image tool's output.
#include "ImageWriters.h"

#include <png.h>

#include <cstring>

namespace tools
{

bool WritePNG(const std::string& path, const QrImagePixels& picture, std::string& error)
{
    const uint32_t w = picture.GetWidth();
    const uint32_t h = picture.GetHeight();
    if (w == 0 || h == 0 || !picture.GetPixels())
    {
        error = "the picture is empty";
        return false;
    }
    const bool alpha = picture.GetFormat() == QrImagePixels::kFormatRGBA;
    const uint32_t channels = alpha ? 4 : 3;
    std::vector<uint8_t> rgb;
    const uint8_t* rows = picture.GetPixels();
    if (picture.GetFormat() == QrImagePixels::kFormatPalettized)
    {
        rgb.resize(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i)
            std::memcpy(&rgb[i * 3], picture.GetPalette() + picture.GetPixels()[i] * 4, 3);
        rows = rgb.data();
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rows, static_cast<png_int_32>(w * channels), nullptr))
    {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

} // namespace tools
