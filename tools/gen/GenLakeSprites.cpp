// Billboard pictures of the lakes' trees, plants and rocks (32-bit Targa, clear around the
// shape, standing on the bottom row) and the murky green frames seen under water.

#include "GenLakeShape.h"
#include "ImageWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gen
{
namespace
{

constexpr int kSpriteSize = 64;

enum Look
{
    kPine,
    kOak,
    kBirch,
    kShrub,
    kWeed,
    kLily,
    kRock,
    kSnag,
    kReeds,
};

class Painter
{
public:
    Painter() { m_picture.Allocate(QrImagePixels::kFormatRGBA, kSpriteSize, kSpriteSize); }

    // Coordinates from the bottom left, in pixels.
    void Pixel(int x, int y, int r, int g, int b)
    {
        if (x < 0 || y < 0 || x >= kSpriteSize || y >= kSpriteSize)
            return;
        // A little grain so the shapes do not look flat.
        const int grain = int((uint32_t(x * 7919 + y * 104729) % 17)) - 8;
        uint8_t* p = m_picture.GetRow(uint32_t(kSpriteSize - 1 - y)) + x * 4;
        p[0] = uint8_t(std::clamp(r + grain, 0, 255));
        p[1] = uint8_t(std::clamp(g + grain, 0, 255));
        p[2] = uint8_t(std::clamp(b + grain, 0, 255));
        p[3] = 255;
    }
    void Ellipse(double cx, double cy, double rx, double ry, int r, int g, int b)
    {
        for (int y = 0; y < kSpriteSize; ++y)
            for (int x = 0; x < kSpriteSize; ++x)
                if (std::pow((x + 0.5 - cx) / rx, 2) + std::pow((y + 0.5 - cy) / ry, 2) <= 1.0)
                    Pixel(x, y, r, g, b);
    }
    void Rect(int x0, int y0, int x1, int y1, int r, int g, int b)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                Pixel(x, y, r, g, b);
    }
    // Triangle with a horizontal base from (cx - half, y0) to (cx + half, y0) and its tip at y1.
    void Spire(double cx, int y0, int y1, double half, int r, int g, int b)
    {
        for (int y = y0; y < y1; ++y)
        {
            const double w = half * (1.0 - double(y - y0) / (y1 - y0));
            for (int x = int(cx - w); x <= int(cx + w); ++x)
                Pixel(x, y, r, g, b);
        }
    }
    // A stem from (x0, 0) leaning by dx at the top.
    void Stem(double x0, int height, double dx, int r, int g, int b)
    {
        for (int y = 0; y < height; ++y)
            Pixel(int(x0 + dx * y / height), y, r, g, b);
    }
    std::vector<uint8_t> Targa()
    {
        tools::TgaOptions options;
        options.depth = 32;
        return tools::WriteTGA(m_picture, options);
    }

private:
    QrImagePixels m_picture;
};

void PaintTree(Painter& p, int look)
{
    switch (look)
    {
    case kPine:
        p.Rect(30, 0, 34, 14, 92, 64, 40);
        for (int tier = 0; tier < 4; ++tier)
            p.Spire(32, 8 + tier * 12, 30 + tier * 11, 20 - tier * 4, 34, 82 - tier * 4, 44);
        break;
    case kOak:
        p.Rect(29, 0, 35, 24, 98, 72, 46);
        p.Ellipse(32, 38, 26, 20, 58, 104, 42);
        p.Ellipse(22, 44, 12, 10, 72, 120, 50);
        p.Ellipse(42, 34, 12, 10, 50, 92, 38);
        break;
    case kBirch:
        p.Rect(30, 0, 33, 34, 226, 222, 206);
        p.Ellipse(32, 42, 14, 21, 110, 150, 58);
        break;
    case kShrub:
        p.Ellipse(32, 10, 28, 12, 70, 104, 46);
        p.Ellipse(22, 14, 12, 10, 86, 118, 52);
        break;
    case kSnag:
        p.Rect(29, 0, 34, 58, 128, 120, 108);
        p.Stem(33, 20, 12.0, 128, 120, 108);
        for (int y = 30; y < 44; ++y)
            p.Pixel(33 + (y - 30), y, 128, 120, 108);
        for (int y = 24; y < 36; ++y)
            p.Pixel(29 - (y - 24), y, 128, 120, 108);
        break;
    default:
        break;
    }
}

void PaintPlant(Painter& p, int look)
{
    switch (look)
    {
    case kWeed:
        for (int i = 0; i < 7; ++i)
            for (int y = 0; y < 56 - i * 3; ++y)
                p.Pixel(int(10 + i * 7 + 3.0 * std::sin(y * 0.25 + i)), y, 48, 98 - i * 3, 54);
        break;
    case kLily:
        p.Ellipse(32, 4, 30, 4, 58, 122, 50);
        p.Ellipse(40, 8, 4, 4, 240, 236, 224);
        break;
    case kRock:
        p.Ellipse(32, 4, 28, 18, 118, 114, 106);
        p.Ellipse(26, 12, 12, 7, 146, 140, 130);
        break;
    case kReeds:
        for (int i = 0; i < 12; ++i)
        {
            const int height = 40 + int((i * 37) % 22);
            p.Stem(6 + i * 4.5, height, (i % 3 - 1) * 4.0, 104, 130, 62);
            if (i % 3 == 0)
                p.Rect(int(6 + i * 4.5 + (i % 3 - 1) * 4.0) - 1, height - 12, int(6 + i * 4.5 + (i % 3 - 1) * 4.0) + 2,
                       height - 3, 104, 70, 40);
        }
        break;
    default:
        PaintTree(p, look);
        break;
    }
}

} // namespace

const std::vector<LakeSprite>& LakeSprites()
{
    // Sizes in hundreds of feet: trees 30 to 60 feet, reeds a few feet.
    static const std::vector<LakeSprite> sprites = {
        {"tallTree", "popPine.tga", 3.0f, 0.40f, 0.62f, kPine},
        {"tallTree", "popOak.tga", 2.0f, 0.35f, 0.50f, kOak},
        {"shortTree", "popBirch.tga", 1.0f, 0.18f, 0.30f, kBirch},
        {"shrub", "popShrub.tga", 1.0f, 0.04f, 0.08f, kShrub},
        {"underWaterPlant", "popWeed.tga", 1.0f, 0.03f, 0.07f, kWeed},
        {"surfacePlant", "popLily.tga", 1.0f, 0.02f, 0.04f, kLily},
        {"rock", "popRock.tga", 1.0f, 0.03f, 0.09f, kRock},
        {"deadTree", "popSnag.tga", 1.0f, 0.20f, 0.35f, kSnag},
        {"inOutPlant", "popReeds.tga", 1.0f, 0.04f, 0.07f, kReeds},
    };
    return sprites;
}

std::vector<uint8_t> LakeSpritePicture(const LakeSprite& sprite)
{
    Painter painter;
    PaintPlant(painter, sprite.look);
    return painter.Targa();
}

std::string LakeUnderwaterFrameName(int frame)
{
    char name[64];
    std::snprintf(name, sizeof name, "LakeUnder%02d.bmp", frame);
    return name;
}

std::vector<uint8_t> LakeUnderwaterFrame(int frame)
{
    // Murky green with slow bright ripples of light; the pattern wraps in both directions and
    // over the sixteen frames.
    constexpr int kSize = 64;
    constexpr double kTurn = 6.283185307179586;
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, kSize, kSize);
    const double t = frame * kTurn / kLakeUnderwaterFrameCount;
    for (int y = 0; y < kSize; ++y)
    {
        uint8_t* row = picture.GetRow(uint32_t(y));
        for (int x = 0; x < kSize; ++x)
        {
            const double u = x * kTurn / kSize, v = y * kTurn / kSize;
            const double wave =
                std::sin(2 * u + std::sin(v + t)) + std::sin(3 * v + std::cos(2 * u - t)) + std::sin(u + v + t);
            const double light = std::pow(std::max(0.0, wave / 3.0), 3.0);
            row[x * 3 + 0] = uint8_t(40 + 60 * light);
            row[x * 3 + 1] = uint8_t(72 + 80 * light);
            row[x * 3 + 2] = uint8_t(58 + 50 * light);
        }
    }
    return tools::WriteBMP(picture, {});
}

} // namespace gen
