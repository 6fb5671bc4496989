#include "WavWriter.h"

#include "ByteWriter.h"

namespace tools
{

namespace
{
std::vector<uint8_t> WriteRiff(const void* samples, uint32_t bytes, uint32_t rate, uint16_t channels, uint16_t bits)
{
    plat::ByteWriter out;
    const uint16_t blockAlign = uint16_t(channels * bits / 8);
    out.Write("RIFF", 4);
    out.U32(4 + 8 + 16 + 8 + bytes + (bytes & 1));
    out.Write("WAVE", 4);
    out.Write("fmt ", 4);
    out.U32(16);
    out.U16(1);
    out.U16(channels);
    out.U32(rate);
    out.U32(rate * blockAlign);
    out.U16(blockAlign);
    out.U16(bits);
    out.Write("data", 4);
    out.U32(bytes);
    out.Write(samples, bytes);
    if (bytes & 1)
        out.U8(0);
    return out.Take();
}
} // namespace

std::vector<uint8_t> WriteWAV(const std::vector<int16_t>& samples, uint32_t rate, uint16_t channels)
{
    // Little-endian host: the samples are written as they lie in memory.
    return WriteRiff(samples.data(), uint32_t(samples.size() * 2), rate, channels, 16);
}

std::vector<uint8_t> WriteWAV8(const std::vector<uint8_t>& samples, uint32_t rate, uint16_t channels)
{
    return WriteRiff(samples.data(), uint32_t(samples.size()), rate, channels, 8);
}

} // namespace tools
