#pragma once
// One sector block of a lake description: a window of 4 x 4 tiles whose first tile is at
// (row, column), with its origin and centre in lake-map cells.

#include <cstdint>

struct tovSectorDesc
{
    static constexpr int32_t kTiles = 4;
    static constexpr double kHalfCells = 256.0; // centre offset: half of 4 tiles of 128 cells

    int32_t row = -1;
    int32_t column = -1;
    double originX = -1.0;
    double originY = -1.0;
    double centreX = -1.0 + kHalfCells;
    double centreY = -1.0 + kHalfCells;
    double neLatitude = 1.0;
    double neLongitude = 1.0;
    double swLatitude = 0.0;
    double swLongitude = 0.0;
};
