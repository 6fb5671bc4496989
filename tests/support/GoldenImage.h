#pragma once
// Exact comparison of test output with the files in tests/golden. On a mismatch the actual
// output (and, for pictures, a difference image: differing pixels red, the rest dimmed) is
// written to golden-out in the build folder. QR_UPDATE_GOLDEN=1 rewrites the golden instead;
// a person then looks at the change.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace golden
{

struct RgbImage
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb; // rows from the top, three bytes per pixel
};

// Each 5- or 6-bit channel widened by repeating its top bits.
RgbImage FromRgb565(const uint16_t* pixels, uint32_t width, uint32_t height);

bool ReadPng(const std::string& path, RgbImage& out);
bool WritePng(const std::string& path, const RgbImage& image);

// name: a file in tests/golden, such as "render_empty_frame.png".
::testing::AssertionResult MatchesGoldenImage(const std::string& name, const RgbImage& actual);
// One line per entry, each ended by a line feed.
::testing::AssertionResult MatchesGoldenText(const std::string& name, const std::vector<std::string>& actual);

} // namespace golden
