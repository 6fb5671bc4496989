#include "GenImages.h"

#include "ImageWriters.h"
#include "SampleData.h"

#include "QrRawImageData.h"
#include "QrStream.h"

#include <cstring>

namespace gen
{
namespace
{

const char* const kFolder = "Data/Engine/Images/";

QrImagePixels Clone(const QrImagePixels& picture)
{
    QrImagePixels copy;
    copy.Allocate(picture.GetFormat(), picture.GetWidth(), picture.GetHeight());
    if (picture.GetPalette())
        std::memcpy(copy.GetPalette(), picture.GetPalette(), QrImagePixels::kPaletteBytes);
    if (picture.GetPixelBytes() > 0)
        std::memcpy(copy.GetPixels(), picture.GetPixels(), picture.GetPixelBytes());
    return copy;
}

// What a Targa reader makes of a palettised picture stored through a colour map of entries
// of the given size: 15/16-bit entries keep five bits a channel, 32-bit entries add alpha.
QrImagePixels ExpandThroughMap(const QrImagePixels& picture, uint32_t entryBits)
{
    const bool alpha = entryBits == 32;
    QrImagePixels out;
    out.Allocate(alpha ? QrImagePixels::kFormatRGBA : QrImagePixels::kFormatRGB, picture.GetWidth(),
                 picture.GetHeight());
    const uint32_t bpp = out.GetBytesPerPixel();
    for (size_t i = 0; i < static_cast<size_t>(picture.GetWidth()) * picture.GetHeight(); ++i)
    {
        const uint8_t* e = picture.GetPalette() + picture.GetPixels()[i] * 4;
        uint8_t* p = out.GetPixels() + i * bpp;
        for (int c = 0; c < 3; ++c)
            p[c] = entryBits <= 16 ? static_cast<uint8_t>(e[c] & 0xf8) : e[c];
        if (alpha)
            p[3] = e[3];
    }
    return out;
}

// What a 15/16-bit Targa reader gives for an RGB picture.
QrImagePixels Quantise555(const QrImagePixels& picture)
{
    QrImagePixels out = Clone(picture);
    for (size_t i = 0; i < out.GetPixelBytes(); ++i)
        out.GetPixels()[i] &= 0xf8;
    return out;
}

// Green and blue copied from red: what grey files give back.
QrImagePixels ToGrey(QrImagePixels picture)
{
    const uint32_t bpp = picture.GetBytesPerPixel();
    for (size_t i = 0; i + bpp <= picture.GetPixelBytes(); i += bpp)
        picture.GetPixels()[i + 1] = picture.GetPixels()[i + 2] = picture.GetPixels()[i];
    return picture;
}

void Add(std::vector<ImageSample>& samples, const std::string& name, std::vector<uint8_t> bytes, QrImagePixels expected)
{
    ImageSample s;
    s.file = kFolder + name;
    s.bytes = std::move(bytes);
    s.expected = std::move(expected);
    samples.push_back(std::move(s));
}

void AddBmp(std::vector<ImageSample>& samples, const std::string& name, const QrImagePixels& picture,
            const tools::BmpOptions& options)
{
    Add(samples, name, tools::WriteBMP(picture, options), Clone(picture));
}

void AddTga(std::vector<ImageSample>& samples, const std::string& name, const QrImagePixels& picture,
            const tools::TgaOptions& options)
{
    QrImagePixels expected;
    if (options.imageType == 1 || options.imageType == 9)
        expected = ExpandThroughMap(picture, options.mapEntryBits);
    else if (options.depth == 15 || options.depth == 16)
        expected = Quantise555(picture);
    else
        expected = Clone(picture);
    Add(samples, name, tools::WriteTGA(picture, options), std::move(expected));
}

void AddSgi(std::vector<ImageSample>& samples, const std::string& name, const QrImagePixels& picture,
            const tools::SgiOptions& options)
{
    Add(samples, name, tools::WriteSGI(picture, options), Clone(picture));
}

void AddScene(std::vector<ImageSample>& samples, const std::string& name, const QrImagePixels& picture)
{
    QrPointer<QrRawImageData> raw = MakeRawImage(name, picture);
    QrStream stream;
    stream.InsertTopLevelObject(raw.Get());
    std::vector<uint8_t> bytes;
    stream.SaveToMemory(bytes);
    Add(samples, name, std::move(bytes), Clone(picture));
}

} // namespace

QrPointer<QrRawImageData> MakeRawImage(const std::string& name, const QrImagePixels& picture)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    raw->SetBuffer(Clone(picture));
    raw->SetName(name.c_str());
    return raw;
}

QrImagePixels MakeIndexedPicture(uint32_t width, uint32_t height, uint32_t colors)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatPalettized, width, height);
    for (uint32_t i = 0; i < colors && i < QrImagePixels::kPaletteEntries; ++i)
    {
        uint8_t* e = p.GetPalette() + i * 4;
        e[0] = static_cast<uint8_t>(i * 53 + 7);
        e[1] = static_cast<uint8_t>(i * 97 + 31);
        e[2] = static_cast<uint8_t>(255 - i * 29);
        e[3] = static_cast<uint8_t>(i * 71 + 5);
    }
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            p.GetRow(y)[x] = static_cast<uint8_t>((x * 3 + y * 5) % colors);
    return p;
}

QrImagePixels MakeColorPicture(uint32_t format, uint32_t width, uint32_t height)
{
    QrImagePixels p;
    p.Allocate(format, width, height);
    const uint32_t bpp = p.GetBytesPerPixel();
    for (uint32_t y = 0; y < height; ++y)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            uint8_t* px = p.GetRow(y) + x * bpp;
            px[0] = static_cast<uint8_t>(x * 37 + y * 11 + 3);
            px[1] = static_cast<uint8_t>(x * 5 + y * 61 + 7);
            px[2] = static_cast<uint8_t>((x * x + y * 3) * 13);
            if (bpp == 4)
                px[3] = static_cast<uint8_t>(255 - x * 19 - y * 23);
        }
    }
    return p;
}

QrImagePixels MakeGreyPicture(uint32_t format, uint32_t width, uint32_t height)
{
    QrImagePixels p;
    p.Allocate(format, width, height);
    const uint32_t bpp = p.GetBytesPerPixel();
    for (uint32_t y = 0; y < height; ++y)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            uint8_t* px = p.GetRow(y) + x * bpp;
            px[0] = px[1] = px[2] = static_cast<uint8_t>(x * 29 + y * 43 + 1);
            if (bpp == 4)
                px[3] = static_cast<uint8_t>(x * 41 + y * 7 + 100);
        }
    }
    return p;
}

QrImagePixels MakeBandedPicture(uint32_t format, uint32_t width, uint32_t height, uint32_t run, bool bottomUp)
{
    QrImagePixels p = format == QrImagePixels::kFormatPalettized ? MakeIndexedPicture(width, height, 16)
                                                                 : MakeColorPicture(format, width, height);
    const uint32_t bpp = p.GetBytesPerPixel();
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint32_t fileRow = bottomUp ? height - 1 - y : y;
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t band = (fileRow * width + x) / run;
            uint8_t* px = p.GetRow(y) + x * bpp;
            if (format == QrImagePixels::kFormatPalettized)
            {
                px[0] = static_cast<uint8_t>(band % 16);
                continue;
            }
            px[0] = static_cast<uint8_t>(band * 67 + 9);
            px[1] = static_cast<uint8_t>(band * 31 + 200);
            px[2] = static_cast<uint8_t>(band * 113);
            if (bpp == 4)
                px[3] = static_cast<uint8_t>(band * 17 + 128);
        }
    }
    return p;
}

std::vector<ImageSample> MakeImageSamples()
{
    constexpr uint32_t kIndexed = QrImagePixels::kFormatPalettized;
    constexpr uint32_t kRGB = QrImagePixels::kFormatRGB;
    constexpr uint32_t kRGBA = QrImagePixels::kFormatRGBA;
    std::vector<ImageSample> s;

    // Windows bitmaps: odd widths make every row padded.
    const QrImagePixels indexed16 = MakeIndexedPicture(5, 3, 16);
    const QrImagePixels indexed256 = MakeIndexedPicture(16, 8, 256);
    const QrImagePixels rgb = MakeColorPicture(kRGB, 5, 3);
    const QrImagePixels rgba = MakeColorPicture(kRGBA, 5, 3);
    AddBmp(s, "bmp4_bottomup.bmp", indexed16, {4, false, 0});
    AddBmp(s, "bmp4_topdown.bmp", indexed16, {4, true, 0});
    AddBmp(s, "bmp8_bottomup.bmp", indexed256, {8, false, 0});
    AddBmp(s, "bmp8_topdown.bmp", indexed256, {8, true, 0});
    AddBmp(s, "bmp24_bottomup.bmp", rgb, {24, false, 0});
    AddBmp(s, "bmp24_topdown.bmp", rgb, {24, true, 0});
    AddBmp(s, "bmp32_bottomup.bmp", rgba, {32, false, 0});
    AddBmp(s, "bmp32_topdown.bmp", rgba, {32, true, 0});
    AddBmp(s, "bmp32_masks.bmp", rgba, {32, false, 3});
    AddBmp(s, "CAPS24.BMP", MakeColorPicture(kRGB, 7, 4), {24, false, 0});
    AddBmp(s, "texture64x32.bmp", MakeColorPicture(kRGB, 64, 32), {24, false, 0});

    // Targa: every type, both origins, every depth, interleaving, runs across rows.
    const QrImagePixels indexed = MakeIndexedPicture(16, 8, 40);
    const QrImagePixels tgaRgb = MakeColorPicture(kRGB, 16, 8);
    const QrImagePixels tgaRgba = MakeColorPicture(kRGBA, 16, 8);
    const QrImagePixels grey = MakeGreyPicture(kRGB, 16, 8);
    tools::TgaOptions o;
    o = {1, 8, 24, 0, false, 0, "map24"};
    AddTga(s, "tga1_map24.tga", indexed, o);
    o = {1, 8, 32, 0, true, 0, ""};
    AddTga(s, "tga1_map32_top.tga", indexed, o);
    o = {1, 16, 16, 300, false, 0, ""};
    AddTga(s, "tga1_index16_map16.tga", indexed, o);
    o = {1, 8, 15, 10, true, 0, ""};
    AddTga(s, "tga1_map15_first10.tga", indexed, o);
    o = {2, 16, 0, 0, false, 0, ""};
    AddTga(s, "tga2_16.tga", tgaRgb, o);
    o = {2, 24, 0, 0, false, 0, "picture id"};
    AddTga(s, "tga2_24.tga", tgaRgb, o);
    o = {2, 24, 0, 0, true, 0, ""};
    AddTga(s, "tga2_24_top.tga", tgaRgb, o);
    o = {2, 32, 0, 0, false, 0, ""};
    AddTga(s, "tga2_32.tga", tgaRgba, o);
    o = {2, 24, 0, 0, false, 1, ""};
    AddTga(s, "tga2_24_interleave2.tga", MakeColorPicture(kRGB, 5, 7), o);
    o = {2, 24, 0, 0, true, 2, ""};
    AddTga(s, "tga2_24_interleave4_top.tga", MakeColorPicture(kRGB, 5, 7), o);
    o = {3, 8, 0, 0, false, 0, ""};
    AddTga(s, "tga3_grey.tga", grey, o);
    o = {9, 8, 24, 0, false, 0, ""};
    AddTga(s, "tga9_map24.tga", MakeBandedPicture(kIndexed, 5, 3, 4, true), o);
    o = {10, 24, 0, 0, false, 0, ""};
    AddTga(s, "tga10_24.tga", MakeBandedPicture(kRGB, 5, 3, 4, true), o);
    o = {10, 32, 0, 0, true, 0, ""};
    AddTga(s, "tga10_32_top.tga", MakeBandedPicture(kRGBA, 5, 3, 3, false), o);
    o = {10, 16, 0, 0, true, 0, ""};
    AddTga(s, "tga10_16_top.tga", MakeBandedPicture(kRGB, 7, 5, 6, false), o);
    o = {10, 24, 0, 0, false, 0, ""};
    AddTga(s, "tga10_24_long_runs.tga", MakeBandedPicture(kRGB, 20, 16, 150, true), o);
    o = {11, 8, 0, 0, true, 0, ""};
    AddTga(s, "tga11_grey_top.tga", ToGrey(MakeBandedPicture(kRGB, 16, 8, 5, false)), o);

    // SGI: 1 to 4 channels, verbatim and run-length; two bytes per channel verbatim.
    const QrImagePixels greyRgb = MakeGreyPicture(kRGB, 5, 3);
    const QrImagePixels greyRgba = MakeGreyPicture(kRGBA, 5, 3);
    const QrImagePixels sgiRgb = MakeColorPicture(kRGB, 5, 3);
    const QrImagePixels sgiRgba = MakeColorPicture(kRGBA, 5, 3);
    AddSgi(s, "sgi_z1.int", greyRgb, {false, 1, 1});
    AddSgi(s, "sgi_z2.inta", greyRgba, {false, 1, 2});
    AddSgi(s, "sgi_z3.rgb", sgiRgb, {false, 1, 3});
    AddSgi(s, "sgi_z4.rgba", sgiRgba, {false, 1, 4});
    AddSgi(s, "sgi_z4_16bit.rgba", sgiRgba, {false, 2, 4});
    AddSgi(s, "sgi_z1_16bit.int", greyRgb, {false, 2, 1});
    AddSgi(s, "sgi_rle_z1.int", ToGrey(MakeBandedPicture(kRGB, 16, 8, 5, true)), {true, 1, 1});
    AddSgi(s, "sgi_rle_z2.inta", MakeGreyPicture(kRGBA, 16, 8), {true, 1, 2});
    AddSgi(s, "sgi_rle_z3.rgb", MakeBandedPicture(kRGB, 16, 8, 5, true), {true, 1, 3});
    AddSgi(s, "sgi_rle_z4.rgba", MakeBandedPicture(kRGBA, 200, 4, 9, true), {true, 1, 4});

    // Scene files holding one raw image.
    AddScene(s, "raw_indexed.qrf", MakeIndexedPicture(5, 3, 16));
    AddScene(s, "raw_rgb.qrf", MakeColorPicture(kRGB, 5, 3));
    AddScene(s, "raw_rgba.qrf", MakeColorPicture(kRGBA, 16, 8));
    return s;
}

void GenerateImages(Context& context)
{
    for (const ImageSample& sample : MakeImageSamples())
    {
        if (sample.bytes.empty())
            context.Error(sample.file + ": the writer refused the picture");
        else
            context.WriteBytes(sample.file, sample.bytes);
    }
}

} // namespace gen
