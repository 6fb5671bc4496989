#include "tovLake.h"

#include "ByteReader.h"
#include "CRandom.h"
#include "Files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

QR_IMPLEMENT_RTTI(tovLake, QrNode)

namespace
{

constexpr double kHalf = tovSectorDesc::kHalfCells;
constexpr size_t kMaxDescriptionBytes = tovLakeDesc::kMaxFileBytes;

} // namespace

tovLake::tovLake(bool lightingFlag) : m_lighting(lightingFlag) {}

tovLake::~tovLake() = default;

void tovLake::Clear()
{
    m_desc.Reset();
    m_current = -1;
    m_waterOffset = -1000.0f;
    m_inverseMult = 1.0f;
    m_cellSize = 1.0f;
    m_mask.clear();
    m_maskWidth = m_maskHeight = -1;
    for (tovHeightRaster& raster : m_heights)
        raster = tovHeightRaster();
    for (tovPopulation& population : m_populations)
        population.FreeMap();
}

std::string tovLake::LakeFile(const std::string& name) const
{
    return (std::filesystem::path(m_folder) / name).string();
}

bool tovLake::Load(const std::string& path)
{
    // Always cleared first, so nothing of a previous lake survives a failed load.
    Clear();
    m_error.clear();
    m_folder = std::filesystem::path(path).parent_path().string();
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ec && size > kMaxDescriptionBytes)
        reason = "the description is too large";
    else if (ec || !plat::ReadFile(path, bytes))
        reason = "cannot be read";
    else if (!m_desc.Parse(std::string(bytes.begin(), bytes.end()), reason))
        m_desc.Reset();
    if (!reason.empty())
    {
        m_error = path + ": " + reason;
        return false;
    }
    m_waterOffset = m_desc.waterLevelMax * m_desc.resolution;
    m_inverseMult = 1.0f / m_desc.elevMult;
    m_cellSize = m_inverseMult * m_desc.span * m_desc.resolution * 0.01f;

    // Computer boats from the third on start in random order; the first two keep theirs.
    std::vector<tovLakeDesc::Location>& bots = m_desc.bots;
    for (size_t i = 3; i < bots.size(); ++i)
        std::swap(bots[i], bots[2 + size_t(plat::CRand()) % (i - 1)]);

    ReadMask(LakeFile(m_desc.baseName + ".msk"));
    if (!m_desc.starts.empty())
        SetCurrentSector(NearestSector(m_desc.starts[0][0], m_desc.starts[0][1]));
    return true;
}

bool tovLake::ReadMask(const std::string& path)
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    const uint64_t most = kMaskHeaderBytes + (uint64_t(kMaxMaskSide) * kMaxMaskSide + 7) / 8;
    std::vector<uint8_t> bytes;
    if (ec || size < kMaskHeaderBytes || size > most || !plat::ReadFile(path, bytes))
        return false;
    plat::ByteReader in(bytes.data(), bytes.size());
    in.Seek(50);
    const int32_t width = int32_t(in.U32());
    const int32_t height = int32_t(in.U32());
    if (in.Failed() || width <= 0 || height <= 0 || width > kMaxMaskSide || height > kMaxMaskSide)
        return false;
    // A mask shorter than its size says is dropped whole.
    const size_t bits = (size_t(width) * size_t(height) + 7) / 8;
    if (bytes.size() < kMaskHeaderBytes + bits)
        return false;
    m_mask.assign(bytes.begin() + kMaskHeaderBytes, bytes.begin() + ptrdiff_t(kMaskHeaderBytes + bits));
    m_maskWidth = width;
    m_maskHeight = height;
    return true;
}

void tovLake::SetCurrentSector(int32_t index)
{
    if (index == m_current || index < -1 || index >= int32_t(m_desc.sectors.size()))
        return;
    m_current = index;
    for (tovHeightRaster& raster : m_heights)
        raster = tovHeightRaster();
    for (tovPopulation& population : m_populations)
        population.FreeMap();
    if (index < 0)
        return;
    const tovSectorDesc& sector = m_desc.sectors[size_t(index)];
    for (int32_t i = 0; i < tovSectorDesc::kTiles; ++i)
        for (int32_t j = 0; j < tovSectorDesc::kTiles; ++j)
        {
            char name[32];
            std::snprintf(name, sizeof name, "%02d%02d.raw", int(sector.column + j), int(sector.row + i));
            const size_t tile = size_t(i * tovSectorDesc::kTiles + j);
            m_heights[tile].Load(LakeFile(m_desc.baseName + name));
            std::snprintf(name, sizeof name, "Pop%02d%02d.raw", int(sector.column + j), int(sector.row + i));
            m_populations[tile].SetScale(m_desc.resolution * m_inverseMult);
            m_populations[tile].LoadMap(LakeFile(m_desc.baseName + name));
        }
}

void tovLake::ReloadCurrentSector()
{
    const int32_t previous = m_current;
    SetCurrentSector(-1);
    SetCurrentSector(previous);
}

int32_t tovLake::NearestSector(double x, double y) const
{
    const size_t count = m_desc.sectors.size();
    if (count < 2)
        return count == 0 ? -1 : 0;
    std::array<double, tovLakeDesc::kMaxSectors> distance{};
    for (size_t k = 0; k < count; ++k)
    {
        const double dx = x - m_desc.sectors[k].centreX, dy = y - m_desc.sectors[k].centreY;
        distance[k] = dx * dx + dy * dy;
    }
    // Between the first two a tie goes to the second.
    size_t nearest = distance[1] <= distance[0] ? 1 : 0;
    size_t second = 1 - nearest;
    for (size_t k = 2; k < count; ++k)
    {
        if (distance[k] < distance[nearest])
        {
            second = nearest;
            nearest = k;
        }
        else if (distance[k] < distance[second])
            second = k;
    }
    // Stay in the current sector until another is clearly nearer.
    if (int32_t(second) == m_current && distance[nearest] * 1.1 > distance[second])
        return m_current;
    return int32_t(nearest);
}

int32_t tovLake::NearestSectorToPoint(const QrPoint3& world) const
{
    double x = 0.0, y = 0.0;
    WorldToMap(world, x, y);
    return NearestSector(x, y);
}

const tovSectorDesc* tovLake::Current() const
{
    return m_current < 0 ? nullptr : &m_desc.sectors[size_t(m_current)];
}

void tovLake::WorldToMap(const QrPoint3& world, double& x, double& y) const
{
    const tovSectorDesc* s = Current();
    x = s ? s->originX + kHalf - double(world.x) / m_cellSize : 0.0;
    y = s ? s->originY + kHalf - double(world.z) / m_cellSize : 0.0;
}

void tovLake::MapToWorld(double x, double y, QrPoint3& world) const
{
    const tovSectorDesc* s = Current();
    world = s ? QrPoint3(float(-m_cellSize * (x - (s->originX + kHalf))), 0.0f,
                         float(-m_cellSize * (y - (s->originY + kHalf))))
              : QrPoint3(0.0f, 0.0f, 0.0f);
}

void tovLake::WorldToMapCell(const QrPoint3& world, int32_t& column, int32_t& row) const
{
    double x = 0.0, y = 0.0;
    WorldToMap(world, x, y);
    // Clamped so that far-away points cannot overflow the conversion.
    column = int32_t(std::clamp(std::trunc(x), -1.0e9, 1.0e9));
    row = int32_t(std::clamp(std::trunc(y), -1.0e9, 1.0e9));
}

void tovLake::MapCellToWorld(int32_t column, int32_t row, QrPoint3& world) const
{
    const tovSectorDesc* s = Current();
    if (!s)
    {
        world = QrPoint3(0.0f, 0.0f, 0.0f);
        return;
    }
    world = QrPoint3(float(-(std::trunc(column - (s->originX + kHalf)) + 0.5) * m_cellSize), 0.0f,
                     float(-(std::trunc(row - (s->originY + kHalf)) + 0.5) * m_cellSize));
}

void tovLake::ToSectorFrame(int32_t sectorA, const QrPoint3& world, int32_t sectorB, QrPoint3& out) const
{
    const int32_t count = int32_t(m_desc.sectors.size());
    if (sectorA < 0 || sectorB < 0 || sectorA >= count || sectorB >= count)
    {
        out = world;
        return;
    }
    const tovSectorDesc& a = m_desc.sectors[size_t(sectorA)];
    const tovSectorDesc& b = m_desc.sectors[size_t(sectorB)];
    const double s = m_cellSize;
    out = QrPoint3(float(-s * ((a.originX + kHalf - world.x / s) - (b.originX + kHalf))), world.y,
                   float(-s * ((a.originY + kHalf - world.z / s) - (b.originY + kHalf))));
}

float tovLake::GroundHeight(const QrPoint3& world) const
{
    const tovSectorDesc* s = Current();
    if (!s)
        return 0.0f;
    double x = 0.0, y = 0.0;
    WorldToMap(world, x, y);
    const double cells = kTileCells * tovSectorDesc::kTiles;
    const double xr = x - s->originX, yr = y - s->originY;
    double terrain = 0.0;
    if (xr >= 0.0 && yr >= 0.0 && xr <= cells && yr <= cells)
    {
        const int32_t j = std::min(int32_t(xr / kTileCells), tovSectorDesc::kTiles - 1);
        const int32_t i = std::min(int32_t(yr / kTileCells), tovSectorDesc::kTiles - 1);
        const tovHeightRaster& raster = m_heights[size_t(i * tovSectorDesc::kTiles + j)];
        // Raster rows run against map y.
        const double c = xr - kTileCells * j, k = kTileCells * (i + 1) - yr;
        const int32_t c0 = std::min(int32_t(c), tovHeightRaster::kSize - 2);
        const int32_t k0 = std::min(int32_t(k), tovHeightRaster::kSize - 2);
        const double fc = c - c0, fk = k - k0;
        const double top = raster.At(c0, k0) + (raster.At(c0 + 1, k0) - raster.At(c0, k0)) * fc;
        const double bottom = raster.At(c0, k0 + 1) + (raster.At(c0 + 1, k0 + 1) - raster.At(c0, k0 + 1)) * fc;
        const double sample = top + (bottom - top) * fk;
        const double elevation = m_desc.minElev + (double(m_desc.maxElev) - m_desc.minElev) * sample / 65535.0;
        terrain = elevation * m_desc.resolution * 0.01 * m_inverseMult;
    }
    return float(terrain - 0.01 * m_waterOffset);
}

bool tovLake::IsOnLake(const QrPoint3& world) const
{
    int32_t column = 0, row = 0;
    WorldToMapCell(world, column, row);
    return IsOnLakeCell(column, row);
}

bool tovLake::IsOnLakeCell(int32_t column, int32_t row) const
{
    if (m_mask.empty() || column < 0 || row < 0 || column >= m_maskWidth || row >= m_maskHeight)
        return false;
    const size_t n = size_t(row) * size_t(m_maskWidth) + size_t(column);
    return (m_mask[n / 8] & (1u << (n % 8))) == 0;
}

float tovLake::GetPopulationDensity(const QrPoint3& world) const
{
    if (!Current())
        return 0.0f;
    // Cells from the sector's corner of largest world x and z; outside the sector nothing.
    const double x = kHalf - double(world.x) / m_cellSize, z = kHalf - double(world.z) / m_cellSize;
    const double cells = kTileCells * tovSectorDesc::kTiles;
    if (!(x >= 0.0 && z >= 0.0 && x < cells && z < cells))
        return 0.0f;
    const int32_t j = int32_t(x / kTileCells), i = int32_t(z / kTileCells);
    const QrPoint3 local(float(world.x - (kTileCells - kTileCells * j) * m_cellSize), 0.0f,
                         float(world.z - (kTileCells - kTileCells * i) * m_cellSize));
    return m_populations[size_t(i * tovSectorDesc::kTiles + j)].GetDensityAt(local);
}

void tovLake::GetStartLocation(int32_t i, double& x, double& y, double& heading) const
{
    const bool in = i >= 0 && size_t(i) < m_desc.starts.size();
    x = in ? m_desc.starts[size_t(i)][0] : 0.0;
    y = in ? m_desc.starts[size_t(i)][1] : 0.0;
    heading = in ? m_desc.starts[size_t(i)][2] : 0.0;
}

void tovLake::GetBotLocation(int32_t i, double& x, double& y, double& heading) const
{
    if (i < 0 || size_t(i) >= m_desc.bots.size())
    {
        GetStartLocation(i, x, y, heading);
        return;
    }
    x = m_desc.bots[size_t(i)][0];
    y = m_desc.bots[size_t(i)][1];
    heading = m_desc.bots[size_t(i)][2];
}
