#pragma once
// The sample terrain: one continuous height field cut into a 4 x 4 block of 129-sample pages,
// whose neighbouring pages share their border samples. Page columns 0 are flat, columns 1 a
// slope rising along +x, columns 2 and 3 rough ground that grows out of the slope. Page
// (row p, column q) lies at grid offset (128 q, 128 p); rows run along +y.

#include <cstdint>
#include <string>
#include <vector>

namespace gen
{

constexpr uint16_t kTerrainPageSize = 129;
constexpr int kTerrainBlockPages = 4;
// Height range and sample spacing the sample pages are meant to be built with.
constexpr float kTerrainMinHeight = 0.0f;
constexpr float kTerrainMaxHeight = 100.0f;
constexpr float kTerrainSpacing = 1.0f;

// Sample at global grid position (x, y), both 0 .. 512.
uint16_t TerrainSample(int x, int y);
// The page's samples, row-major, kTerrainPageSize squared.
std::vector<uint16_t> TerrainPageHeights(int pageRow, int pageColumn);
// Relative path of a page's height file: little-endian u16 samples, row-major.
std::string TerrainHeightFile(int pageRow, int pageColumn);

} // namespace gen
