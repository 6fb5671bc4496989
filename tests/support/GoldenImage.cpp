#include "GoldenImage.h"

#include "Files.h"
#include "TestFiles.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace golden
{
namespace
{

bool UpdateRequested()
{
    const char* value = std::getenv("QR_UPDATE_GOLDEN");
    return value && std::strcmp(value, "1") == 0;
}

std::string GoldenPath(const std::string& name)
{
    return testfiles::SourceDir() + "/tests/golden/" + name;
}

std::string OutputPath(const std::string& name)
{
    const std::string folder = testfiles::BinaryDir() + "/golden-out";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder + "/" + name;
}

std::string Stem(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

RgbImage FromRgb565(const uint16_t* pixels, uint32_t width, uint32_t height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
    {
        const uint32_t p = pixels[i];
        const uint32_t r = (p >> 11) & 31;
        const uint32_t g = (p >> 5) & 63;
        const uint32_t b = p & 31;
        image.rgb[i * 3 + 0] = static_cast<uint8_t>(r << 3 | r >> 2);
        image.rgb[i * 3 + 1] = static_cast<uint8_t>(g << 2 | g >> 4);
        image.rgb[i * 3 + 2] = static_cast<uint8_t>(b << 3 | b >> 2);
    }
    return image;
}

bool ReadPng(const std::string& path, RgbImage& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    out.width = image.width;
    out.height = image.height;
    out.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    const bool ok = png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

bool WritePng(const std::string& path, const RgbImage& image)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = image.width;
    png.height = image.height;
    png.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(),
                                            static_cast<png_int_32>(image.width * 3), nullptr) != 0;
    png_image_free(&png);
    return ok;
}

::testing::AssertionResult MatchesGoldenImage(const std::string& name, const RgbImage& actual)
{
    const std::string path = GoldenPath(name);
    if (UpdateRequested())
    {
        if (!WritePng(path, actual))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess();
    }
    RgbImage expected;
    const bool found = ReadPng(path, expected);
    size_t differing = 0;
    if (found && expected.width == actual.width && expected.height == actual.height)
    {
        for (size_t i = 0; i < actual.rgb.size(); i += 3)
        {
            if (std::memcmp(&actual.rgb[i], &expected.rgb[i], 3) != 0)
                ++differing;
        }
        if (differing == 0)
            return ::testing::AssertionSuccess();
    }

    const std::string actualPath = OutputPath(Stem(name) + ".actual.png");
    WritePng(actualPath, actual);
    auto failure = ::testing::AssertionFailure();
    if (!found)
        return failure << "no golden " << path << " (actual written to " << actualPath
                       << "; QR_UPDATE_GOLDEN=1 makes it)";
    if (expected.width != actual.width || expected.height != actual.height)
        return failure << name << ": size " << actual.width << " x " << actual.height << ", golden " << expected.width
                       << " x " << expected.height << " (actual: " << actualPath << ")";
    RgbImage difference = expected;
    for (size_t i = 0; i < difference.rgb.size(); i += 3)
    {
        const bool same = std::memcmp(&actual.rgb[i], &expected.rgb[i], 3) == 0;
        for (size_t c = 0; c < 3; ++c)
            difference.rgb[i + c] = same ? static_cast<uint8_t>(expected.rgb[i + c] / 4) : (c == 0 ? 255 : 0);
    }
    const std::string differencePath = OutputPath(Stem(name) + ".diff.png");
    WritePng(differencePath, difference);
    return failure << name << ": " << differing << " pixels differ (actual: " << actualPath
                   << ", difference: " << differencePath << ")";
}

::testing::AssertionResult MatchesGoldenText(const std::string& name, const std::vector<std::string>& actual)
{
    const std::string path = GoldenPath(name);
    const std::string text = Join(actual);
    if (UpdateRequested())
    {
        if (!plat::WriteFile(path, text.data(), text.size()))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess();
    }
    std::vector<uint8_t> bytes;
    if (plat::ReadFile(path, bytes) && std::string(bytes.begin(), bytes.end()) == text)
        return ::testing::AssertionSuccess();
    const std::string actualPath = OutputPath(name + ".actual");
    plat::WriteFile(actualPath, text.data(), text.size());
    return ::testing::AssertionFailure() << name << " differs from its golden (actual written to " << actualPath
                                         << "; diff the two, QR_UPDATE_GOLDEN=1 rewrites)";
}

} // namespace golden
