#pragma once
// Writes AVI clips for the sample data and tests: uncompressed 24-bit frames and PCM sound,
// one sound chunk per frame, with an index.

#include "QrImagePixels.h"

#include <cstdint>
#include <vector>

namespace tools
{

struct AviClip
{
    uint32_t framesPerSecond = 15;
    // RGB pictures (format 1), all of one size.
    std::vector<QrImagePixels> frames;
    // Interleaved 16-bit samples; none for a silent clip.
    std::vector<int16_t> sound;
    uint32_t soundRate = 22050;
    uint16_t soundChannels = 1;
};

// Nothing when the clip has no frames or its frames differ in size or format.
std::vector<uint8_t> WriteAVI(const AviClip& clip);

} // namespace tools
