// xwdpng as the Xvfb script runs it: a dump of either byte order becomes the same PNG, and
// dumps it cannot read (damaged or shortened headers, sizes past the file, other pixel
// layouts) are refused with a reason, never read past their end.

#include "GoldenImage.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t kWidth = 3;
constexpr uint32_t kHeight = 2;
// Red, green, blue; white, black, grey.
constexpr uint8_t kPixels[kHeight][kWidth][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                                                 {{255, 255, 255}, {0, 0, 0}, {128, 128, 128}}};

void PutBig(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// A 32-bit true-colour dump as xwd writes it: header, window name, no colours, then rows
// padded to a whole number of words plus one spare word.
std::vector<uint8_t> Dump(bool msbFirst, uint32_t bitsPerPixel = 32)
{
    const std::string name = "game\0";
    const uint32_t headerSize = 100 + static_cast<uint32_t>(name.size());
    const uint32_t bytesPerLine = kWidth * 4 + 4;
    const uint32_t fields[25] = {headerSize,
                                 7,
                                 2,
                                 24,
                                 kWidth,
                                 kHeight,
                                 0,
                                 msbFirst ? 1u : 0u,
                                 32,
                                 0,
                                 32,
                                 bitsPerPixel,
                                 bytesPerLine,
                                 4,
                                 0xff0000,
                                 0xff00,
                                 0xff,
                                 8,
                                 256,
                                 0,
                                 kWidth,
                                 kHeight,
                                 0,
                                 0,
                                 0};
    std::vector<uint8_t> out;
    for (uint32_t field : fields)
        PutBig(out, field);
    out.insert(out.end(), name.begin(), name.end());
    for (uint32_t y = 0; y < kHeight; ++y)
    {
        for (uint32_t x = 0; x < kWidth; ++x)
        {
            const uint8_t* p = kPixels[y][x];
            const uint8_t word[4] = {0, p[0], p[1], p[2]}; // big-endian 0x00RRGGBB
            for (int b = 0; b < 4; ++b)
                out.push_back(word[msbFirst ? b : 3 - b]);
        }
        out.insert(out.end(), 4, 0xee);
    }
    return out;
}

std::string Write(const testfiles::TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void SetField(std::vector<uint8_t>& dump, size_t field, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        dump[4 * field + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

TEST(XwdPngTest, EitherByteOrderGivesThePicturesPixels)
{
    testfiles::TempDir dir;
    for (const bool msbFirst : {false, true})
    {
        SCOPED_TRACE(msbFirst);
        const std::string png = dir.File("out.png");
        const toolrun::Result run = toolrun::Run(XWDPNG_PATH, Write(dir, "in.xwd", Dump(msbFirst)) + " --out " + png);
        ASSERT_EQ(run.status, 0) << run.err;
        golden::RgbImage image;
        ASSERT_TRUE(golden::ReadPng(png, image));
        ASSERT_EQ(image.width, kWidth);
        ASSERT_EQ(image.height, kHeight);
        EXPECT_EQ(image.rgb, std::vector<uint8_t>(&kPixels[0][0][0], &kPixels[0][0][0] + sizeof kPixels));
    }
}

TEST(XwdPngTest, DumpsItCannotReadAreRefusedWithAReason)
{
    testfiles::TempDir dir;
    const std::vector<uint8_t> good = Dump(false);
    struct BadDump
    {
        const char* what;
        size_t field; // 25: cut the file instead
        uint32_t value;
        const char* reason;
    };
    const char* kLayout = "not a true-colour ZPixmap dump of 24 or 32 bits a pixel";
    const char* kSizes = "sizes do not fit the file";
    const BadDump cases[] = {
        {"version", 1, 6, kLayout},
        {"bitmap format", 2, 1, kLayout},
        {"16 bits a pixel", 11, 16, kLayout},
        {"palette visual", 13, 3, kLayout},
        {"no red", 14, 0, "a colour mask is empty"},
        {"width past the file", 4, 4000, kSizes},
        {"height past the file", 5, 0x7fffffff, kSizes},
        {"line shorter than its pixels", 12, 8, kSizes},
        {"header past the file", 0, 0xffffff00, kSizes},
        {"colours past the file", 19, 0x40000000, kSizes},
        {"header shorter than its fields", 0, 40, kSizes},
        {"last row cut", 25, static_cast<uint32_t>(good.size() - 5), kSizes},
        {"header cut", 25, 60, "shorter than a header"},
    };
    for (const BadDump& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> dump = good;
        if (c.field == 25)
            dump.resize(c.value);
        else
            SetField(dump, c.field, c.value);
        const std::string in = Write(dir, "bad.xwd", dump);
        const toolrun::Result run = toolrun::Run(XWDPNG_PATH, in + " --out " + dir.File("bad.png"));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "xwdpng: " + in + ": " + c.reason + "\n");
    }
    const toolrun::Result usage = toolrun::Run(XWDPNG_PATH, "only.xwd");
    EXPECT_EQ(usage.status, 2);
}

} // namespace
