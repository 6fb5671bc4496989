#include "tovPopulation.h"

#include "ByteReader.h"
#include "Files.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace
{

constexpr float kDensityStep = 0.33333334f;

} // namespace

void tovPopulation::FreeMap()
{
    m_samples.clear();
    m_width = m_height = -1;
    m_cellSize = -1.0f;
    m_worldCell = 0.0f;
}

bool tovPopulation::LoadMap(const std::string& path)
{
    FreeMap();
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    if (ec || size > kHeaderBytes + uint64_t(kMaxSide) * kMaxSide * 2 || !plat::ReadFile(path, bytes))
        return false;
    plat::ByteReader in(bytes.data(), bytes.size());
    const int32_t width = int32_t(in.U32());
    const int32_t height = int32_t(in.U32());
    in.Skip(8);
    const float cellSize = in.F32();
    const float seedA = in.F32();
    const float seedB = in.F32();
    // The full width x height, never its low 16 bits, must be in the file; the cell size
    // divides positions.
    if (in.Failed() || width < 2 || height < 2 || width > kMaxSide || height > kMaxSide ||
        !in.CanRead(uint64_t(width) * uint64_t(height), 2) || !(cellSize > 0.0f) || !std::isfinite(cellSize) ||
        !(std::fabs(seedA) < 2.0e9f) || !(std::fabs(seedB) < 2.0e9f))
        return false;
    const float worldCell = 0.01f * m_scale * cellSize;
    if (!(worldCell > 0.0f) || !std::isfinite(worldCell))
        return false;
    m_samples.resize(size_t(width) * size_t(height));
    for (uint16_t& sample : m_samples)
        sample = in.U16();
    m_width = width;
    m_height = height;
    m_seedA = int32_t(seedA);
    m_seedB = int32_t(seedB);
    m_cellSize = cellSize;
    m_worldCell = worldCell;
    return true;
}

void tovPopulation::CellOf(const QrPoint3& p, int32_t& column, int32_t& row) const
{
    const double x = std::clamp(std::trunc(double(p.x) / m_worldCell + 0.5), -1.0e6, 1.0e6);
    const double z = std::clamp(std::trunc(double(p.z) / m_worldCell + 0.5), -1.0e6, 1.0e6);
    column = m_width - int32_t(x) - 1;
    row = int32_t(z);
}

float tovPopulation::GetDensityAt(const QrPoint3& p) const
{
    if (!HasMap())
        return 0.0f;
    int32_t column = 0, row = 0;
    CellOf(p, column, row);
    column = std::clamp(column, 0, m_width - 2);
    row = std::clamp(row, 0, m_height - 2);
    return float(m_samples[size_t(row) * size_t(m_width) + size_t(column)] & 3) * kDensityStep;
}

void tovPopulation::QueryAt(const QrPoint3& p, Cell out[4]) const
{
    if (!HasMap())
    {
        std::fill(out, out + 4, Cell{0.0f, 0.0f, 0.0f});
        return;
    }
    int32_t column = 0, row = 0;
    CellOf(p, column, row);
    for (int32_t k = 0; k < 4; ++k)
    {
        const int32_t c = column + (k & 1), r = row + (k >> 1);
        const float dx = c < 0 ? 1.0f : c > m_width - 1 ? -1.0f : 0.0f;
        const float dz = r < 0 ? 1.0f : r > m_height - 1 ? -1.0f : 0.0f;
        if (dx != 0.0f || dz != 0.0f)
            out[k] = {-1.0f, dx, dz};
        else
            out[k] = {float(m_samples[size_t(r) * size_t(m_width) + size_t(c)] & 3) * kDensityStep, 0.0f, 0.0f};
    }
}
