// Converts an X window dump (what `xwd` writes) to PNG, so that pictures of the game's real
// window under a virtual X server can be looked at like the headless harness's screenshots.
// Reads the true-colour ZPixmap dumps of 24- and 32-bit screens; refuses anything else.
#include "ImageWriters.h"
#include "ToolExit.h"

#include "QrImagePixels.h"

#include <bit>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

const char kUsage[] = "usage: xwdpng FILE.xwd --out OUT.png\n"
                      "  Writes a true-colour X window dump (24 or 32 bits a pixel, as xwd writes for\n"
                      "  a 24-bit screen) as an 8-bit RGB PNG.\n";

constexpr size_t kHeaderFields = 25;
constexpr size_t kHeaderBytes = kHeaderFields * 4;
constexpr size_t kColourBytes = 12;
constexpr uint32_t kZPixmap = 2;
constexpr uint32_t kTrueColor = 4;
// Xvfb's 24-bit screens: masks as true colour, with the server's identity colour map.
constexpr uint32_t kDirectColor = 5;

enum Field : size_t
{
    kHeaderSize = 0,
    kVersion = 1,
    kFormat = 2,
    kWidth = 4,
    kHeight = 5,
    kByteOrder = 7,
    kBitsPerPixel = 11,
    kBytesPerLine = 12,
    kVisualClass = 13,
    kRedMask = 14,
    kGreenMask = 15,
    kBlueMask = 16,
    kColours = 19,
};

uint32_t BigEndian(const uint8_t* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The 8-bit value of one channel under its mask.
uint8_t Channel(uint32_t pixel, uint32_t mask)
{
    const int shift = std::countr_zero(mask);
    const uint32_t top = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255u / top);
}

// The picture, or a reason in `error`.
bool Decode(const std::vector<uint8_t>& file, QrImagePixels& picture, std::string& error)
{
    if (file.size() < kHeaderBytes)
        return error = "shorter than a header", false;
    uint32_t h[kHeaderFields];
    for (size_t i = 0; i < kHeaderFields; ++i)
        h[i] = BigEndian(file.data() + 4 * i);
    const uint32_t bits = h[kBitsPerPixel];
    if (h[kVersion] != 7 || h[kFormat] != kZPixmap ||
        (h[kVisualClass] != kTrueColor && h[kVisualClass] != kDirectColor) || (bits != 24 && bits != 32))
        return error = "not a true-colour ZPixmap dump of 24 or 32 bits a pixel", false;
    for (const Field mask : {kRedMask, kGreenMask, kBlueMask})
        if (h[mask] == 0)
            return error = "a colour mask is empty", false;
    const uint32_t width = h[kWidth];
    const uint32_t height = h[kHeight];
    const uint64_t pixels = uint64_t{h[kHeaderSize]} + uint64_t{h[kColours]} * kColourBytes;
    const uint64_t line = h[kBytesPerLine];
    if (h[kHeaderSize] < kHeaderBytes || line < uint64_t{width} * (bits / 8) ||
        !picture.Allocate(QrImagePixels::kFormatRGB, width, height) || pixels + line * height > file.size())
        return error = "sizes do not fit the file", false;
    const size_t step = bits / 8;
    const bool msbFirst = h[kByteOrder] != 0;
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint8_t* in = file.data() + pixels + line * y;
        uint8_t* out = picture.GetRow(y);
        for (uint32_t x = 0; x < width; ++x, in += step, out += 3)
        {
            uint32_t value = 0;
            for (size_t b = 0; b < step; ++b)
                value |= uint32_t{in[msbFirst ? b : step - 1 - b]} << (8 * (step - 1 - b));
            out[0] = Channel(value, h[kRedMask]);
            out[1] = Channel(value, h[kGreenMask]);
            out[2] = Channel(value, h[kBlueMask]);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && tools::IsHelp(argv[1]))
    {
        std::fputs(kUsage, stdout);
        return tools::kExitOk;
    }
    if (argc != 4 || std::string(argv[2]) != "--out")
    {
        std::fputs(kUsage, stderr);
        return tools::kExitUsage;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    QrImagePixels picture;
    std::string error;
    if (!in.is_open() || !Decode(file, picture, error) || !tools::WritePNG(argv[3], picture, error))
    {
        std::fprintf(stderr, "xwdpng: %s: %s\n", argv[1], error.empty() ? "cannot read" : error.c_str());
        return tools::kExitInputFailed;
    }
    return tools::kExitOk;
}
