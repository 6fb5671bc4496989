#include "GenTerrain.h"

#include "SampleData.h"

#include "QrNode.h"
#include "QrPointer.h"
#include "QrTerrainPage.h"

#include "ByteWriter.h"
#include "Format.h"

#include <algorithm>
#include <cstdint>

namespace gen
{

namespace
{

constexpr int kCells = kTerrainPageSize - 1;
constexpr int64_t kFlatLevel = 20000;
constexpr int64_t kSlopePerSample = 150;

// Integer hash of a lattice point: the same values on every machine.
uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// Value noise in 0 .. amplitude on a lattice of the given cell size, bilinear in integers.
int64_t Noise(int x, int y, int cell, int64_t amplitude, uint32_t seed)
{
    const int cx = x / cell, cy = y / cell;
    const int64_t fx = x % cell, fy = y % cell, s = cell;
    const auto corner = [&](int dx, int dy)
    { return int64_t(Hash(uint32_t(cx + dx), uint32_t(cy + dy), seed) % 1024); };
    const int64_t sum = corner(0, 0) * (s - fx) * (s - fy) + corner(1, 0) * fx * (s - fy) +
                        corner(0, 1) * (s - fx) * fy + corner(1, 1) * fx * fy;
    return sum * amplitude / (s * s * 1023);
}

} // namespace

uint16_t TerrainSample(int x, int y)
{
    if (x <= kCells)
        return uint16_t(kFlatLevel);
    const int64_t slope = kFlatLevel + kSlopePerSample * (std::min(x, 2 * kCells) - kCells);
    if (x <= 2 * kCells)
        return uint16_t(slope);
    // Rough ground fades in over 32 samples past the slope's top so that the slope pages stay
    // exact planes.
    const int64_t fade = std::min(x - 2 * kCells, 32);
    const int64_t rough = Noise(x, y, 32, 12000, 1) + Noise(x, y, 8, 4000, 2) + Noise(x, y, 2, 1500, 3);
    return uint16_t(std::clamp<int64_t>(slope + rough * fade / 32, 0, 65535));
}

std::vector<uint16_t> TerrainPageHeights(int pageRow, int pageColumn)
{
    std::vector<uint16_t> heights(size_t(kTerrainPageSize) * kTerrainPageSize);
    for (int r = 0; r < kTerrainPageSize; ++r)
        for (int c = 0; c < kTerrainPageSize; ++c)
            heights[size_t(r) * kTerrainPageSize + c] = TerrainSample(pageColumn * kCells + c, pageRow * kCells + r);
    return heights;
}

std::string TerrainHeightFile(int pageRow, int pageColumn)
{
    return plat::Format("Data/Engine/Terrain/height_%d_%d.raw", pageRow, pageColumn);
}

void GenerateTerrain(Context& context)
{
    // The pages themselves keep nothing in a scene file (they are built from the height files),
    // so the scene only names them in their block.
    QrPointer<QrNode> block(new QrNode);
    block->SetName("TerrainBlock");
    for (int p = 0; p < kTerrainBlockPages; ++p)
    {
        for (int q = 0; q < kTerrainBlockPages; ++q)
        {
            plat::ByteWriter writer;
            for (uint16_t sample : TerrainPageHeights(p, q))
                writer.U16(sample);
            context.WriteBytes(TerrainHeightFile(p, q), writer.Take());
            QrPointer<QrTerrainPage> page(new QrTerrainPage);
            page->SetName(plat::Format("Page_%d_%d", p, q).c_str());
            block->AttachChild(page.Get());
        }
    }
    context.WriteScene("Data/Engine/Terrain/block.qrf", {block.Get()});
}

} // namespace gen
