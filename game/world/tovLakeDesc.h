#pragma once
// The lake description: the text file of header keys and sector blocks that tells the lake
// its elevations, scales, file base name, locations and sectors. Read from a hostile file:
// tokens, counts and numbers are checked and a damaged file fails with a reason.

#include "tovSectorDesc.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct tovLakeDesc
{
    // Map x, map y and heading in degrees.
    using Location = std::array<double, 3>;

    static constexpr size_t kMaxSectors = 32;
    static constexpr size_t kMaxLocations = 64;
    static constexpr size_t kMaxToken = 255;
    static constexpr size_t kMaxFileBytes = 1 << 20;
    // Tile numbers go into two-digit file names.
    static constexpr int32_t kMaxTileIndex = 99;

    float minElev = 0.0f;
    float maxElev = 0.0f;
    float span = 0.0f;
    float resolution = 0.0f;
    float waterLevelMin = -1000.0f;
    float waterLevelMax = -1000.0f;
    std::string baseName;
    std::string underwaterTexture;
    float elevMult = 1.0f;
    double originX = -1.0;
    double originY = -1.0;
    std::vector<tovSectorDesc> sectors;
    std::vector<Location> starts;
    std::vector<Location> bots;

    // Back to the values before any reading.
    void Reset();
    // Parses the whole text; false with the reason in error (the description is then
    // partly filled and must not be used).
    bool Parse(const std::string& text, std::string& error);
    // Reads the file (at most kMaxFileBytes) and parses it; false with the reason in error.
    bool Load(const std::string& path, std::string& error);

    // The side of a lake-map cell in world units (100 feet); not normal when the scales give
    // no usable size.
    float CellSize() const;
    // Whether a world point measured in sector's frame lies over the tiles of some sector.
    bool HoldsWorldPoint(size_t sector, double x, double z) const;
};
