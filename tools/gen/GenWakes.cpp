// The boat's two wake pictures (32-bit Targa): "innerWake.tga", the churned white water of the
// propeller wash down the middle of the strip, and "outerWake.tga", the two foam crests that
// spread out in a V at its sides. Across the picture runs across the strip; down it runs along
// the boat's track and repeats from tile to tile, so the top and bottom rows meet.

#include "SampleData.h"

#include "ImageWriters.h"
#include "QrImagePixels.h"

#include <algorithm>
#include <cmath>

namespace gen
{
namespace
{

constexpr int kWakeSize = 64;
constexpr double kTurn = 6.283185307179586;

// Value noise on a grid that wraps every period cells, smoothly interpolated.
double Lattice(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double Noise(double u, double v, int period, uint32_t seed)
{
    const double x = u * period;
    const double y = v * period;
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    const auto at = [&](int i, int j)
    { return Lattice((i % period + period) % period, (j % period + period) % period, seed); };
    const double sx = fx * fx * (3.0 - 2.0 * fx);
    const double sy = fy * fy * (3.0 - 2.0 * fy);
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

// Foam over a few octaves, 0 to 1.
double Foam(double u, double v, uint32_t seed)
{
    return 0.5 * Noise(u, v, 4, seed) + 0.3 * Noise(u, v, 8, seed + 1) + 0.2 * Noise(u, v, 16, seed + 2);
}

std::vector<uint8_t> WakePicture(bool inner)
{
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGBA, kWakeSize, kWakeSize);
    for (int y = 0; y < kWakeSize; ++y)
    {
        uint8_t* row = picture.GetRow(uint32_t(y));
        for (int x = 0; x < kWakeSize; ++x)
        {
            const double u = (x + 0.5) / kWakeSize;
            const double v = (y + 0.5) / kWakeSize;
            const double foam = Foam(u, v, inner ? 11u : 23u);
            double cover;
            if (inner)
            {
                // The wash: densest in the middle, with streaks along the track.
                const double across = std::exp(-std::pow((u - 0.5) / 0.24, 2.0));
                const double streaks = 0.75 + 0.25 * std::sin(kTurn * 5.0 * u + 2.0 * foam);
                cover = across * streaks * (0.45 + 0.75 * foam);
            }
            else
            {
                // Two crests near the edges, fading to clear water between and beyond them.
                const double crest =
                    std::max(std::exp(-std::pow((u - 0.14) / 0.09, 2.0)), std::exp(-std::pow((u - 0.86) / 0.09, 2.0)));
                const double trail = 0.25 * std::exp(-std::pow((u - 0.5) / 0.3, 2.0));
                cover = (crest * (0.5 + 0.7 * foam) + trail * foam);
            }
            const double a = std::clamp(cover, 0.0, 1.0);
            // White foam with the lake's green-blue showing through where it is thin.
            const double white = 0.78 + 0.22 * a;
            uint8_t* p = row + x * 4;
            p[0] = uint8_t(std::lround(255.0 * white * 0.94));
            p[1] = uint8_t(std::lround(255.0 * white * 0.98));
            p[2] = uint8_t(std::lround(255.0 * white));
            p[3] = uint8_t(std::lround(255.0 * a));
        }
    }
    tools::TgaOptions options;
    options.depth = 32;
    return tools::WriteTGA(picture, options);
}

} // namespace

void GenerateWakes(Context& context)
{
    context.WriteBytes("Data/innerWake.tga", WakePicture(true));
    context.WriteBytes("Data/outerWake.tga", WakePicture(false));
}

} // namespace gen
