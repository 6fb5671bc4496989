// The sky pictures of the lake world's dome, as the dome maps them: a square seen from under
// the zenith, its centre straight up and its inscribed circle the horizon (the corners are
// never shown and carry the horizon colour). A sunrise, a clear sky with a few clouds, fair-
// weather cumulus and a grey overcast, each a 24-bit BMP in the data folder.

#include "SampleData.h"

#include "ImageWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gen
{
namespace
{

constexpr uint32_t kSkySize = 256;
constexpr double kPi = 3.14159265358979323846;

struct Rgb
{
    double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Smooth value noise from an integer hash: the same picture on every machine.
double Lattice(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xffff) / 65535.0;
}

double Noise(double x, double y, uint32_t seed)
{
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * sx;
    const double bottom = Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * sx;
    return top + (bottom - top) * sy;
}

// Four octaves, 0 to about 1.
double Fractal(double x, double y, uint32_t seed)
{
    double sum = 0.0, amplitude = 0.5, frequency = 1.0;
    for (int octave = 0; octave < 4; ++octave)
    {
        sum += amplitude * Noise(x * frequency, y * frequency, seed + uint32_t(octave));
        amplitude *= 0.5;
        frequency *= 2.0;
    }
    return sum / 0.9375;
}

// A point of the picture as the dome shows it.
struct SkyPoint
{
    double x, y;      // -1 to 1, x to the right, y up the picture
    double elevation; // 0 at the horizon, 1 straight up
    double azimuth;   // radians, 0 along +x
    bool corner;      // outside the horizon circle: never shown, kept plain
};

// The dome is five times wider than high: a point at distance rho from the picture's centre is
// seen from the dome's centre at this height over the horizon, 0 to 1 (straight up).
double ApparentElevation(double rho)
{
    return std::atan2(0.2 * std::sqrt(std::max(0.0, 1.0 - rho * rho)), rho) / (kPi / 2);
}

// Cloud cover at a point: flat-bottomed puffs whose tops are lit. Amount 0 to 1.
struct Cloud
{
    double cover;
    double light;
};

Cloud Clouds(const SkyPoint& p, double scaleX, double scaleY, double threshold, uint32_t seed)
{
    const double u = p.x * scaleX + 11.3, v = p.y * scaleY + 4.7;
    const double n = Fractal(u, v, seed);
    const double cover = p.corner ? 0.0 : std::clamp((n - threshold) / 0.1, 0.0, 1.0);
    // Thick middles are bright; thin edges and the side away from the light are greyer.
    const double behind = Fractal(u + 0.12, v - 0.12, seed);
    const double light = std::clamp(0.78 + (n - threshold) * 1.6 - (behind - n) * 2.0, 0.6, 1.0);
    return {cover, light};
}

template <class Shade> std::vector<uint8_t> Paint(Shade shade)
{
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, kSkySize, kSkySize);
    for (uint32_t row = 0; row < kSkySize; ++row)
    {
        uint8_t* out = picture.GetRow(row);
        for (uint32_t column = 0; column < kSkySize; ++column)
        {
            SkyPoint p;
            p.x = (column + 0.5) / (kSkySize / 2.0) - 1.0;
            p.y = 1.0 - (row + 0.5) / (kSkySize / 2.0);
            // The corners lie outside the horizon circle: they take its colour.
            const double rho = std::hypot(p.x, p.y);
            p.corner = rho > 1.0;
            if (p.corner)
            {
                p.x /= rho;
                p.y /= rho;
            }
            p.elevation = ApparentElevation(std::min(rho, 1.0));
            p.azimuth = std::atan2(p.y, p.x);
            const Rgb c = shade(p);
            // A faint grain, as a photographed sky has.
            const double grain = (Lattice(int(column), int(row), 99) - 0.5) * 3.0;
            out[column * 3 + 0] = uint8_t(std::clamp(c.r + grain, 0.0, 255.0));
            out[column * 3 + 1] = uint8_t(std::clamp(c.g + grain, 0.0, 255.0));
            out[column * 3 + 2] = uint8_t(std::clamp(c.b + grain, 0.0, 255.0));
        }
    }
    return tools::WriteBMP(picture, tools::BmpOptions{});
}

// Deep blue overhead to a pale haze at the horizon.
Rgb ClearBlue(const SkyPoint& p)
{
    const Rgb zenith{34, 86, 170}, middle{88, 146, 212}, horizon{200, 220, 236};
    return p.elevation > 0.12 ? Mix(middle, zenith, (p.elevation - 0.12) / 0.5)
                              : Mix(horizon, middle, p.elevation / 0.12);
}

std::vector<uint8_t> Sunrise()
{
    return Paint(
        [](const SkyPoint& p)
        {
            // The sun just over the horizon to the east (right of the picture).
            const double towardSun = 0.5 + 0.5 * std::cos(p.azimuth);
            const Rgb zenith{30, 66, 130}, middle{112, 128, 176}, glow{240, 150, 96}, horizon{252, 200, 128};
            Rgb c = p.elevation > 0.15 ? Mix(middle, zenith, (p.elevation - 0.15) / 0.5)
                                       : Mix(Mix(glow, horizon, towardSun), middle, p.elevation / 0.15);
            // Warmth spreads along the horizon and up on the sun's side.
            const double warm = std::pow(towardSun, 3.0) * std::max(0.0, 1.0 - p.elevation * 4.0);
            c = Mix(c, Rgb{250, 176, 112}, warm * 0.7);
            const double d = std::hypot(p.x - 0.97, p.y);
            c = Mix(c, Rgb{255, 238, 186}, std::exp(-d * d / 0.004));
            if (d < 0.03)
                c = Rgb{255, 250, 230};
            // Long thin clouds lit pink from below.
            const Cloud cloud = Clouds(p, 1.4, 5.0, 0.64, 31);
            return Mix(c, Mix(Rgb{130, 100, 136}, Rgb{252, 168, 140}, towardSun), cloud.cover * 0.75);
        });
}

std::vector<uint8_t> ClearNice()
{
    return Paint(
        [](const SkyPoint& p)
        {
            const Cloud cloud = Clouds(p, 2.2, 2.2, 0.68, 7);
            const Rgb white{250 * cloud.light, 251 * cloud.light, 253 * cloud.light};
            return Mix(ClearBlue(p), white, cloud.cover);
        });
}

std::vector<uint8_t> FairWeather()
{
    return Paint(
        [](const SkyPoint& p)
        {
            const Cloud cloud = Clouds(p, 3.4, 3.4, 0.53, 19);
            // Grey undersides, bright tops.
            const Rgb puff = Mix(Rgb{148, 156, 172}, Rgb{252, 252, 250}, (cloud.light - 0.6) / 0.4);
            return Mix(ClearBlue(p), puff, cloud.cover);
        });
}

std::vector<uint8_t> Overcast()
{
    return Paint(
        [](const SkyPoint& p)
        {
            const double n = Fractal(p.x * 3.0 + 2.1, p.y * 3.0 + 8.4, 43);
            // Heavy grey, lighter toward the horizon, with darker rolls in the deck.
            const double base = 112.0 + 40.0 * std::max(0.0, 1.0 - p.elevation * 3.0);
            const double shade = base + (n - 0.5) * 44.0;
            return Rgb{shade, shade + 2.0, shade + 6.0};
        });
}

} // namespace

void GenerateSky(Context& context)
{
    context.WriteBytes("Data/skyClearSunrise.bmp", Sunrise());
    context.WriteBytes("Data/skyClearNice2.bmp", ClearNice());
    context.WriteBytes("Data/sky_nice.bmp", FairWeather());
    context.WriteBytes("Data/skyOvercast.bmp", Overcast());
}

} // namespace gen
