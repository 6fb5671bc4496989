#pragma once
// The population raster of one lake tile: per cell the vegetation density (0 to 3) and the
// kinds of plants, trees and rocks that stand there. It answers the density queries with
// which fish are placed. Column 0 of the raster lies at the tile's far x edge (tile-local
// x = (width - 1) cells), row 0 at tile-local z = 0.

#include "QrPoint3.h"

#include <cstdint>
#include <string>
#include <vector>

class tovPopulation
{
public:
    // Density and the step towards the neighbouring tile of a cell outside the raster.
    struct Cell
    {
        float density, dx, dz;
    };
    static constexpr size_t kHeaderBytes = 28;
    // A tile is 129 samples a side; anything much larger is a damaged file.
    static constexpr int32_t kMaxSide = 1025;

    // RESOLUTION / TERRAIN_ELEV_MULT of the lake: file units to hundreds of feet.
    void SetScale(float value) { m_scale = value; }
    // Frees the old map first; false when the file is missing or damaged (no map then).
    bool LoadMap(const std::string& path);
    void FreeMap();
    bool HasMap() const { return !m_samples.empty(); }

    float GetDensityAt(const QrPoint3& tileLocal) const;
    // The cells (c, r), (c + 1, r), (c, r + 1), (c + 1, r + 1) around the point.
    void QueryAt(const QrPoint3& tileLocal, Cell out[4]) const;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetSeedA() const { return m_seedA; }
    int32_t GetSeedB() const { return m_seedB; }

private:
    // Nearest cell column and row of a tile-local point, unclamped but bounded.
    void CellOf(const QrPoint3& tileLocal, int32_t& column, int32_t& row) const;

    float m_scale = 1.0f;
    std::vector<uint16_t> m_samples;
    int32_t m_width = -1;
    int32_t m_height = -1;
    int32_t m_seedA = 0;
    int32_t m_seedB = 0;
    float m_cellSize = -1.0f;
    float m_worldCell = 0.0f;
};
