#pragma once
// The height samples of one lake tile: always 129 x 129, so that readers never index past
// the buffer; a tile whose file is missing, damaged or short reads as zero where data is
// missing. Row k of the file lies on map y = 128 * (tile row + 1) - k, column c on map
// x = 128 * tile column + c.

#include <cstdint>
#include <string>
#include <vector>

class tovHeightRaster
{
public:
    static constexpr int32_t kSize = 129;
    static constexpr size_t kHeaderBytes = 28;

    tovHeightRaster() : m_samples(size_t(kSize) * kSize, 0) {}

    // False (and all samples zero) when the file is missing or its header is not that of a
    // 129 x 129 raster; a short file keeps what it holds.
    bool Load(const std::string& path);
    uint16_t At(int32_t column, int32_t row) const { return m_samples[size_t(row) * kSize + size_t(column)]; }
    const uint16_t* Samples() const { return m_samples.data(); }

private:
    std::vector<uint16_t> m_samples;
};
