#pragma once
// The sample lakes' ground: a height field over the whole lake map from which the generator
// cuts every tile raster, texture, population raster and the mask, so that they agree. A lake
// is an irregular bowl with coves and points, an island and a thin spit of land; heights are in
// feet above a datum, the water standing at kLakeWaterLevel.

#include <cstdint>
#include <string>
#include <vector>

namespace gen
{

constexpr int kLakeTileCells = 128;
constexpr float kLakeMinElev = 580.0f;
constexpr float kLakeMaxElev = 680.0f;
constexpr float kLakeWaterLevel = 620.0f;
// Feet per map cell; with a resolution and multiplier of 1 a cell is 0.3 world units.
constexpr float kLakeSpan = 30.0f;
constexpr int kLakeUnderwaterFrameCount = 16;
constexpr const char* kLakeUnderwaterFrames = "LakeUnder.bmp";

struct LakeSectorBlock
{
    int row, column;
};

// Lake-map position and heading in degrees.
struct LakeSpot
{
    double x, y, heading;
};

// A landing: the last land cell centre on the bank and the unit step from it into the water.
struct LakeSite
{
    double shoreX, shoreY, dirX, dirY;
};

struct LakeParams
{
    const char* name;
    int tileColumns, tileRows;
    uint32_t seed;
    double latitude, longitude;
    std::vector<LakeSectorBlock> sectors;
    double centreX, centreY, radiusX, radiusY, phase;
    double islandX, islandY, islandRadius;
    double spitX0, spitY0, spitX1, spitY1;
    // Where landings are searched from (land) and the axis step towards the water.
    std::vector<LakeSite> landingSearches;
    // Rough spots (fractions of the map) that starts and computer boats move to the nearest water.
    std::vector<LakeSpot> starts, bots;
};

class LakeShape : public LakeParams
{
public:
    explicit LakeShape(const LakeParams& params);

    int Width() const { return tileColumns * kLakeTileCells; }
    int Height() const { return tileRows * kLakeTileCells; }

    double Hash(int x, int y, int salt) const;
    // Smooth value noise in [0, 1).
    double Noise(double x, double y, int salt) const;

    // Raster sample at map point (x, y), 0 <= x <= Width, 0 <= y <= Height, and its elevation.
    uint16_t Sample(int x, int y) const { return m_samples[size_t(y) * size_t(Width() + 1) + size_t(x)]; }
    double SampleElevation(int x, int y) const;
    // The ground at the cell's centre as the terrain draws it: the mean of the two corners on
    // the diagonal its triangles share.
    double CellElevation(int column, int row) const;
    bool IsWaterCell(int column, int row) const { return CellElevation(column, row) < kLakeWaterLevel; }
    uint16_t Population(int x, int y) const;

    std::vector<uint8_t> MaskFile() const;
    std::vector<LakeSpot> Starts() const;
    std::vector<LakeSpot> Bots() const;
    std::vector<LakeSite> Landings() const;

private:
    double Land(double x, double y) const;
    double Elevation(double x, double y) const;
    LakeSpot NearestWater(const LakeSpot& rough) const;

    std::vector<uint16_t> m_samples;
};

const std::vector<LakeShape>& SampleLakes();

// Billboard pictures of the population kinds, shared by the lakes.
struct LakeSprite
{
    const char* kind;
    const char* file;
    float weight, sizeLow, sizeHigh;
    int look;
};
const std::vector<LakeSprite>& LakeSprites();
std::vector<uint8_t> LakeSpritePicture(const LakeSprite& sprite);

std::string LakeUnderwaterFrameName(int frame);
std::vector<uint8_t> LakeUnderwaterFrame(int frame);

} // namespace gen
