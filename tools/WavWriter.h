#pragma once
// Writes PCM RIFF WAVE files for the sample data and tests.

#include <cstdint>
#include <vector>

namespace tools
{

// 16-bit samples, interleaved when channels is 2.
std::vector<uint8_t> WriteWAV(const std::vector<int16_t>& samples, uint32_t rate, uint16_t channels);
// 8-bit unsigned samples.
std::vector<uint8_t> WriteWAV8(const std::vector<uint8_t>& samples, uint32_t rate, uint16_t channels);

} // namespace tools
