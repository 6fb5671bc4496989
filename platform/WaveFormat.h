#pragma once
// The wave format record as sound files and packs store it (little-endian, 16 bytes and an
// optional extra-size word with extra bytes). Only PCM is played.

#include <cstddef>
#include <cstdint>

namespace plat
{

struct WaveFormat
{
    static constexpr uint16_t kTagPcm = 1;
    // The fixed part every record has; 18 with the extra-size word.
    static constexpr size_t kFixedSize = 16;

    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    // False when fewer than 16 bytes are given.
    static bool Parse(const uint8_t* bytes, size_t size, WaveFormat& out);
    // PCM, 8 or 16 bits, 1 or 2 channels, a block align that matches, a rate we can resample.
    bool IsPlayablePcm() const;
};

} // namespace plat
