#pragma once
// The population raster of one lake tile: per cell the vegetation density (0 to 3) and the
// kinds of plants, trees and rocks that stand there. It answers the density queries with
// which fish are placed, and places the tile's cutouts from the catalogue's types into five
// quad trees that hang in the fishing scene. Column 0 of the raster lies at the tile's far x
// edge (tile-local x = (width - 1) cells), row 0 at tile-local z = 0.

#include "QrPoint3.h"
#include "QrPointer.h"
#include "qrxQuadTree.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class tovPopulationType;
class tovScene;
class uRandom;

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
    // A tile of the sample lakes places a few hundred items; a raster asking for more than
    // this is damaged and the rest is not placed.
    static constexpr int32_t kMaxItems = 8192;

    // The trees: above water, below water, one slot nothing fills, and the surface plants as
    // seen from above and from below the water.
    enum Tree : int32_t
    {
        kAboveWater,
        kBelowWater,
        kUnused,
        kAboveWaterSurface,
        kBelowWaterSurface,
        kTreeCount,
    };
    // How an item's height is chosen.
    enum Mode : int32_t
    {
        kOnGround = 1,
        kOnSurface = 2,
        kUnderWater = 3,
    };

    // The ground height at a tile-local point (x, z), in world units.
    using HeightCallback = float (*)(void* context, float x, float z);

    tovPopulation() = default;
    tovPopulation(const tovPopulation&) = delete;
    tovPopulation& operator=(const tovPopulation&) = delete;
    ~tovPopulation();

    // RESOLUTION / TERRAIN_ELEV_MULT of the lake: file units to hundreds of feet.
    void SetScale(float value) { m_scale = value; }
    // Frees the old map first; false when the file is missing or damaged (no map then).
    bool LoadMap(const std::string& path);
    void FreeMap();
    bool HasMap() const { return !m_samples.empty(); }

    void SetHeightCallback(HeightCallback callback, void* context);
    void* GetHeightContext() const { return m_heightContext; }
    // The tile's height samples for a population without a callback; borrowed, may be null.
    void SetHeightRaster(const uint16_t* samples, int32_t width, int32_t height, float minimum, float maximum);

    // Places the cutouts once per loaded map, every cell from detail level 6 and every second
    // one below; seeded from the raster, so a tile places the same items each time.
    void Place(int32_t detailLevel);
    bool IsPlaced() const { return m_placed != 0; }
    // Hangs the trees that have no parent into the scene and moves every tree to position.
    void AttachPopulations(tovScene& scene, const QrPoint3& position);
    void DetachPopulations(tovScene& scene);
    // Takes the trees out of whatever holds them and releases them; the next Place builds
    // them again.
    void FreeTrees();
    // Null before the first item of the tree was placed.
    qrxQuadTree* GetTree(int32_t tree) const;
    // The ground under the tile-local point less 0.01, where the plants stand.
    float PopulationHeight(float x, float z) const;

    float GetDensityAt(const QrPoint3& tileLocal) const;
    // The cells (c, r), (c + 1, r), (c, r + 1), (c + 1, r + 1) around the point.
    void QueryAt(const QrPoint3& tileLocal, Cell out[4]) const;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetSeedA() const { return m_seedA; }
    int32_t GetSeedB() const { return m_seedB; }

private:
    struct Item
    {
        int32_t tree;
        int32_t second; // -1: none
        int32_t kind;
        int32_t mode;
    };

    // Nearest cell column and row of a tile-local point, unclamped but bounded.
    void CellOf(const QrPoint3& tileLocal, int32_t& column, int32_t& row) const;
    // The same at fractions (0..1) of the tile's extent.
    float PopulationHeightAt(float u, float v) const;
    void PlaceCell(uRandom& random, int32_t column, int32_t row, uint16_t sample);
    void AddItem(uRandom& random, const Item& item, int32_t column, int32_t row);
    const tovPopulationType* ChooseType(uRandom& random, int32_t kind) const;
    qrxQuadTree* EnsureTree(int32_t tree);

    std::array<QrPointer<qrxQuadTree>, kTreeCount> m_trees;
    uint8_t m_placed = 0;
    int32_t m_itemCount = 0;

    float m_scale = 1.0f;
    std::vector<uint16_t> m_samples;
    int32_t m_width = -1;
    int32_t m_height = -1;
    int32_t m_seedA = 0;
    int32_t m_seedB = 0;
    float m_cellSize = -1.0f;
    float m_worldCell = 0.0f;
    const uint16_t* m_heightSamples = nullptr;
    int32_t m_heightWidth = 0;
    int32_t m_heightHeight = 0;
    float m_heightMin = 0.0f;
    float m_heightMax = 0.0f;
    float m_waterHeight = 0.0f;
    HeightCallback m_heightCallback = nullptr;
    void* m_heightContext = nullptr;
};
