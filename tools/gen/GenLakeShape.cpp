#include "GenLakeShape.h"

#include "ByteWriter.h"

#include <algorithm>
#include <cmath>

namespace gen
{
namespace
{

constexpr double kPi = 3.14159265358979323846;

double SegmentDistance(double x, double y, double x0, double y0, double x1, double y1)
{
    const double dx = x1 - x0, dy = y1 - y0;
    const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
}

double Smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

LakeShape::LakeShape(const LakeParams& params) : LakeParams(params)
{
    const int w = Width() + 1, h = Height() + 1;
    m_samples.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const double e = std::clamp(Elevation(x, y), double(kLakeMinElev), double(kLakeMaxElev));
            m_samples[size_t(y) * size_t(w) + size_t(x)] =
                uint16_t(std::lround((e - kLakeMinElev) / (kLakeMaxElev - kLakeMinElev) * 65535.0));
        }
}

double LakeShape::Hash(int x, int y, int salt) const
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ (seed + uint32_t(salt)) * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return double(h & 0xffffff) / double(0x1000000);
}

double LakeShape::Noise(double x, double y, int salt) const
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double tx = Smooth(x - fx), ty = Smooth(y - fy);
    const double top = Hash(ix, iy, salt) + (Hash(ix + 1, iy, salt) - Hash(ix, iy, salt)) * tx;
    const double bottom = Hash(ix, iy + 1, salt) + (Hash(ix + 1, iy + 1, salt) - Hash(ix, iy + 1, salt)) * tx;
    return top + (bottom - top) * ty;
}

// Roughly the distance in cells to the nearest water, negative in the water.
double LakeShape::Land(double x, double y) const
{
    const double nx = (x - centreX) / radiusX, ny = (y - centreY) / radiusY;
    const double angle = std::atan2(ny, nx);
    const double reach = 1.0 + 0.13 * std::sin(3.0 * angle + phase) + 0.07 * std::sin(5.0 * angle + 2.0 * phase + 1.0) +
                         0.045 * std::sin(8.0 * angle + 3.0 * phase) + 0.16 * (Noise(x / 60.0, y / 60.0, 1) - 0.5) +
                         0.1 * (Noise(x / 22.0, y / 22.0, 8) - 0.5);
    const double bowl = (std::hypot(nx, ny) - reach) * 0.5 * (radiusX + radiusY);
    const double island =
        islandRadius * (0.8 + 0.4 * Noise(x / 12.0, y / 12.0, 2)) - std::hypot(x - islandX, y - islandY);
    const double spit = 2.2 - SegmentDistance(x, y, spitX0, spitY0, spitX1, spitY1);
    const double edge = 20.0 - std::min({x, y, Width() - x, Height() - y});
    return std::max({bowl, island, spit, edge});
}

double LakeShape::Elevation(double x, double y) const
{
    const double land = Land(x, y);
    if (land > 0.0)
    {
        const double hills = 14.0 * Noise(x / 45.0, y / 45.0, 3) * (1.0 - std::exp(-land / 12.0));
        return kLakeWaterLevel + 0.8 + 26.0 * (1.0 - std::exp(-land / 30.0)) + hills;
    }
    // Shelves near the bank, a soft drop-off, humps and holes in the deep.
    const double floor = 5.0 * (Noise(x / 28.0, y / 28.0, 4) - 0.5) * (1.0 - std::exp(land / 10.0));
    return kLakeWaterLevel - std::max(0.6, 1.2 + 30.0 * (1.0 - std::exp(land / 45.0)) + floor);
}

double LakeShape::SampleElevation(int x, int y) const
{
    return kLakeMinElev + (kLakeMaxElev - kLakeMinElev) * Sample(x, y) / 65535.0;
}

double LakeShape::CellElevation(int column, int row) const
{
    // Rasters run against map y, so the page's diagonal alternates with column + row.
    if ((column + row) % 2 == 0)
        return 0.5 * (SampleElevation(column, row) + SampleElevation(column + 1, row + 1));
    return 0.5 * (SampleElevation(column + 1, row) + SampleElevation(column, row + 1));
}

uint16_t LakeShape::Population(int x, int y) const
{
    enum : uint16_t
    {
        kTall = 0x004,
        kShort = 0x008,
        kShrub = 0x010,
        kUnderWater = 0x020,
        kSurface = 0x040,
        kRock = 0x080,
        kDead = 0x100,
        kInOut = 0x400,
    };
    const double above = SampleElevation(x, y) - kLakeWaterLevel;
    const double r = Hash(x, y, 21);
    if (above > 0.0)
    {
        const double forest = Noise(x / 40.0, y / 40.0, 6);
        if (forest > 0.5 && above > 2.0 && r < 0.02 + 0.2 * (forest - 0.5))
            return Hash(x, y, 22) < 0.6 ? kTall : kShort;
        if (r > 0.985)
            return above < 2.5 ? kRock : kShrub;
        if (r > 0.96 || (above < 3.0 && r > 0.93))
            return kShrub;
        return r < 0.0015 ? kDead : 0;
    }
    const double depth = -above;
    const double weeds = Noise(x / 18.0, y / 18.0, 5);
    uint16_t bits = 0;
    if (weeds > 0.52)
    {
        bits = depth < 6.0 ? 3 : depth < 12.0 ? 2 : depth < 18.0 ? 1 : 0;
        if (depth < 2.5 && r < 0.2)
            bits |= kInOut;
        else if (depth < 5.0 && r < 0.1)
            bits |= kSurface;
        else if (depth < 12.0 && r < 0.06)
            bits |= kUnderWater;
    }
    else if (depth < 8.0)
        bits = 1;
    if (depth < 14.0 && r > 0.996)
        bits |= kDead; // standing timber
    else if (r > 0.99)
        bits |= kRock;
    return bits;
}

std::vector<uint8_t> LakeShape::MaskFile() const
{
    plat::ByteWriter out;
    out.U16(1);
    out.F64(latitude);
    out.F64(longitude);
    out.F64(latitude - 0.042);
    out.F64(longitude + 0.0132 * tileColumns);
    for (int i = 0; i < 4; ++i)
        out.U32(0);
    out.I32(Width());
    out.I32(Height());
    out.F32(kLakeSpan);
    out.F32(kLakeSpan);
    while (out.Size() < 128)
        out.U8(0);
    std::vector<uint8_t> bits((size_t(Width()) * size_t(Height()) + 7) / 8, 0);
    for (int row = 0; row < Height(); ++row)
        for (int column = 0; column < Width(); ++column)
            if (!IsWaterCell(column, row))
            {
                const size_t n = size_t(row) * size_t(Width()) + size_t(column);
                bits[n / 8] = uint8_t(bits[n / 8] | (1u << (n % 8)));
            }
    out.Write(bits.data(), bits.size());
    return out.Take();
}

LakeSpot LakeShape::NearestWater(const LakeSpot& rough) const
{
    const int x0 = int(rough.x * Width()), y0 = int(rough.y * Height());
    for (int radius = 0; radius < Width(); ++radius)
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
            {
                const int x = x0 + dx, y = y0 + dy;
                if (std::max(std::abs(dx), std::abs(dy)) != radius || x < 1 || y < 1 || x >= Width() - 1 ||
                    y >= Height() - 1)
                    continue;
                // Clear of the bank: the cell and its neighbours are water.
                if (IsWaterCell(x, y) && IsWaterCell(x - 1, y) && IsWaterCell(x + 1, y) && IsWaterCell(x, y - 1) &&
                    IsWaterCell(x, y + 1))
                    return {x + 0.5, y + 0.5, rough.heading};
            }
    return {Width() * 0.5, Height() * 0.5, rough.heading};
}

std::vector<LakeSite> LakeShape::Landings() const
{
    std::vector<LakeSite> sites;
    for (const LakeSite& search : landingSearches)
    {
        double x = search.shoreX * Width(), y = search.shoreY * Height();
        while (x > 0 && y > 0 && x < Width() - 1 && y < Height() - 1 && !IsWaterCell(int(x), int(y)))
        {
            x += search.dirX;
            y += search.dirY;
        }
        sites.push_back(
            {std::floor(x - search.dirX) + 0.5, std::floor(y - search.dirY) + 0.5, search.dirX, search.dirY});
    }
    return sites;
}

std::vector<LakeSpot> LakeShape::Starts() const
{
    // The first start is just off the first landing, heading out onto the lake; the second just
    // off the other landing, across the lake (the lake's own second spot only where there is no
    // other landing); three more lie beside the first. Every start has the bank near it: the
    // day's fish fill the water around a start, and out in open water half as many come near a
    // lure at rest, so that some days none takes it.
    std::vector<LakeSpot> spots;
    const std::vector<LakeSite> sites = Landings();
    for (const LakeSpot& rough : starts)
        spots.push_back(NearestWater(rough));
    const auto offLanding = [this](const LakeSite& site)
    {
        const double heading = std::atan2(site.dirX, site.dirY) * 180.0 / kPi;
        return NearestWater({(site.shoreX + site.dirX * 4.0) / Width(), (site.shoreY + site.dirY * 4.0) / Height(),
                             std::round(heading)});
    };
    if (sites.size() > 1 && spots.size() > 1)
        spots[1] = offLanding(sites[1]);
    if (!sites.empty())
    {
        const LakeSite& site = sites.front();
        spots.front() = offLanding(site);
        // The third to fifth players of a network game start beside the first, along the bank.
        const LakeSpot first = spots.front();
        for (const double side : {2.0, -2.0, 4.0})
            spots.push_back(NearestWater(
                {(first.x + site.dirY * side) / Width(), (first.y - site.dirX * side) / Height(), first.heading}));
    }
    return spots;
}

std::vector<LakeSpot> LakeShape::Bots() const
{
    std::vector<LakeSpot> spots;
    for (const LakeSpot& rough : bots)
        spots.push_back(NearestWater(rough));
    return spots;
}

const std::vector<LakeShape>& SampleLakes()
{
    // A wide lake of 6 x 4 tiles seen through two sectors side by side, and a long reservoir
    // of 4 x 5 tiles seen through two sectors one above the other.
    static const std::vector<LakeShape> lakes = {
        LakeShape({"Clearwater",
                   6,
                   4,
                   1997u,
                   34.7212,
                   -92.3481,
                   {{0, 0}, {0, 2}},
                   384.0,
                   256.0,
                   300.0,
                   190.0,
                   0.4,
                   470.0,
                   300.0,
                   22.0,
                   150.0,
                   420.0,
                   250.0,
                   335.0,
                   {{0.06, 0.48, 1.0, 0.0}, {0.62, 0.95, 0.0, -1.0}},
                   {{0.3, 0.45, 90.0}, {0.7, 0.35, 180.0}},
                   {{0.55, 0.6, 270.0}, {0.8, 0.5, 0.0}, {0.25, 0.3, 45.0}, {0.45, 0.25, 135.0}, {0.35, 0.7, 90.0}}}),
        LakeShape({"Sandridge",
                   4,
                   5,
                   2024u,
                   36.1540,
                   -94.1187,
                   {{0, 0}, {1, 0}},
                   250.0,
                   330.0,
                   175.0,
                   265.0,
                   2.1,
                   300.0,
                   200.0,
                   16.0,
                   400.0,
                   470.0,
                   300.0,
                   430.0,
                   {{0.5, 0.04, 0.0, 1.0}, {0.05, 0.55, 1.0, 0.0}},
                   {{0.5, 0.25, 0.0}, {0.45, 0.8, 180.0}},
                   {{0.4, 0.4, 90.0}, {0.6, 0.65, 200.0}, {0.5, 0.9, 10.0}, {0.3, 0.55, 300.0}, {0.55, 0.15, 120.0}}}),
    };
    return lakes;
}

} // namespace gen
