#pragma once
// The height samples of one lake tile: always 129 x 129, so that readers never index past
// the buffer; a tile whose file is missing, damaged or short reads as zero where data is
// missing. Row k of the file lies on map y = 128 * (tile row + 1) - k, column c on map
// x = 128 * tile column + c. The buffer is shared with the terrain pages drawn from it, so a
// page outlives neither its samples nor a reload of the tile.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class tovHeightRaster
{
public:
    static constexpr int32_t kSize = 129;
    static constexpr size_t kHeaderBytes = 28;
    using Samples = std::vector<uint16_t>;

    tovHeightRaster() : m_samples(std::make_shared<Samples>(size_t(kSize) * kSize, 0)) {}

    // False (and all samples zero) when the file is missing or its header is not that of a
    // 129 x 129 raster; a short file keeps what it holds. Always reads into a new buffer.
    bool Load(const std::string& path);
    uint16_t At(int32_t column, int32_t row) const { return (*m_samples)[size_t(row) * kSize + size_t(column)]; }
    const uint16_t* GetSamples() const { return m_samples->data(); }
    std::shared_ptr<const Samples> Share() const { return m_samples; }
    // The header's elevation range (file units); 0 without a readable header.
    float GetMinimum() const { return m_minimum; }
    float GetMaximum() const { return m_maximum; }

private:
    std::shared_ptr<Samples> m_samples;
    float m_minimum = 0.0f;
    float m_maximum = 0.0f;
};
