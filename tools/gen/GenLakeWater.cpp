// The lake's water-surface frames ("testmap00.bmp" to "testmap07.bmp": green-blue water with
// bright ripple lines that wrap in both directions and over the eight frames) and the splash
// flip-book ("splsh_01.tga" to "splsh_10.tga": a column of spray that rises, throws its drops
// out and falls back into a widening ring of foam, on a clear background, standing on the
// bottom row).

#include "GenLakeWater.h"
#include "SampleData.h"

#include "ImageWriters.h"
#include "QrImagePixels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gen
{
namespace
{

constexpr double kTurn = 6.283185307179586;
constexpr int kWaterSize = 64;
constexpr int kSplashSize = 64;

// One splash pixel: straight alpha, kept where it is the most opaque so far.
struct Spray
{
    QrImagePixels picture;

    Spray()
    {
        picture.Allocate(QrImagePixels::kFormatRGBA, kSplashSize, kSplashSize);
        // Clear pixels carry the spray's colour, so filtering at the edges does not darken it.
        for (int y = 0; y < kSplashSize; ++y)
            for (int x = 0; x < kSplashSize; ++x)
                Put(x, y, 0.0, 0.0);
    }

    // From the bottom left; shade 0 bright white, 1 the blue-grey of thin water.
    void Put(int x, int y, double alpha, double shade)
    {
        if (x < 0 || y < 0 || x >= kSplashSize || y >= kSplashSize)
            return;
        uint8_t* p = picture.GetRow(uint32_t(kSplashSize - 1 - y)) + x * 4;
        const uint8_t a = uint8_t(std::clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);
        if (a < p[3])
            return;
        p[0] = uint8_t(236 - 60 * shade);
        p[1] = uint8_t(244 - 40 * shade);
        p[2] = uint8_t(250 - 20 * shade);
        p[3] = a;
    }

    // A soft ellipse: opaque to alpha in the middle, fading to clear at its rim.
    void Blob(double cx, double cy, double rx, double ry, double alpha, double shade)
    {
        for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
            for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x)
            {
                const double d = std::hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry);
                if (d < 1.0)
                    Put(x, y, alpha * std::min(1.0, 2.5 * (1.0 - d)), shade * d);
            }
    }
};

} // namespace

std::string WaterFrameName(int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "testmap%02d.bmp", frame);
    return name;
}

std::vector<uint8_t> WaterFrame(int frame)
{
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, kWaterSize, kWaterSize);
    const double t = frame * kTurn / kWaterFrameCount;
    for (int y = 0; y < kWaterSize; ++y)
    {
        uint8_t* row = picture.GetRow(uint32_t(y));
        for (int x = 0; x < kWaterSize; ++x)
        {
            // Whole wave numbers: the pattern wraps at the picture's edges and after the last frame.
            const double u = x * kTurn / kWaterSize, v = y * kTurn / kWaterSize;
            const double swell = std::sin(u + 2 * v + t) + 0.6 * std::sin(3 * u - v - 2 * t);
            const double chop = 0.5 * std::sin(4 * u + std::sin(2 * v - t)) * std::cos(3 * v + std::sin(u + t));
            // Thin bright lines where the two wave trains cross their crests.
            const double line = std::sin(2 * u + 3 * v + 1.5 * swell + t);
            const double cross = std::sin(3 * u - v + swell - 2 * t);
            const double ridge = std::pow(std::max(0.0, line), 12.0) * (0.6 + 0.4 * std::sin(v - u + t)) +
                                 0.5 * std::pow(std::max(0.0, cross), 16.0);
            const double shade = 0.5 + 0.12 * swell + 0.1 * chop;
            row[x * 3 + 0] = uint8_t(std::clamp(40 + 50 * shade + 150 * ridge, 0.0, 255.0));
            row[x * 3 + 1] = uint8_t(std::clamp(78 + 70 * shade + 150 * ridge, 0.0, 255.0));
            row[x * 3 + 2] = uint8_t(std::clamp(92 + 80 * shade + 140 * ridge, 0.0, 255.0));
        }
    }
    return tools::WriteBMP(picture, {});
}

std::string SplashPictureName(int picture)
{
    char name[32];
    std::snprintf(name, sizeof name, "splsh_%02d.tga", picture);
    return name;
}

std::vector<uint8_t> SplashPicture(int picture)
{
    // tau runs through the splash's life over the ten pictures.
    const double tau = (picture - 0.5) / kSplashPictureCount;
    Spray spray;
    // The ring of foam where the water was broken, widening and thinning.
    spray.Blob(32.0, 1.5, 7.0 + 22.0 * tau, 2.5 + 2.0 * tau, 0.85 - 0.45 * tau, 0.3);
    // The column: tallest in the middle of the splash, sinking back after.
    const double height = 44.0 * std::sin(kTurn * 0.5 * std::min(1.0, tau * 1.15));
    const double width = 4.0 + 5.0 * tau;
    if (height > 2.0)
        spray.Blob(32.0, height * 0.5, width, height * 0.5, 0.95 - 0.3 * tau, 0.4);
    // Drops thrown out along arcs; they land by the last picture.
    constexpr int kDrops = 22;
    for (int i = 0; i < kDrops; ++i)
    {
        const double side = i % 2 == 0 ? 1.0 : -1.0;
        const double vx = side * (10.0 + 2.2 * (i % 7) * (1.0 + 0.3 * (i % 3)));
        const double vy = 70.0 + 5.0 * ((i * 5) % 7);
        const double y = vy * tau - 78.0 * tau * tau;
        if (y < 0.0)
            continue;
        const double r = 1.4 + 0.4 * (i % 3);
        spray.Blob(32.0 + vx * tau, y + r, r, r * 1.3, 0.9, 0.2);
    }
    tools::TgaOptions options;
    options.depth = 32;
    return tools::WriteTGA(spray.picture, options);
}

void GenerateLakeWater(Context& context)
{
    for (int frame = 0; frame < kWaterFrameCount; ++frame)
        context.WriteBytes("Data/" + WaterFrameName(frame), WaterFrame(frame));
    for (int picture = 1; picture <= kSplashPictureCount; ++picture)
        context.WriteBytes("Data/" + SplashPictureName(picture), SplashPicture(picture));
}

} // namespace gen
