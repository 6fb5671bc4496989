#include "WaveFormat.h"

#include "ByteReader.h"

namespace plat
{

bool WaveFormat::Parse(const uint8_t* bytes, size_t size, WaveFormat& out)
{
    if (!bytes || size < kFixedSize)
        return false;
    ByteReader reader(bytes, size);
    out.formatTag = reader.U16();
    out.channels = reader.U16();
    out.samplesPerSecond = reader.U32();
    out.averageBytesPerSecond = reader.U32();
    out.blockAlign = reader.U16();
    out.bitsPerSample = reader.U16();
    out.extraSize = size >= kFixedSize + 2 ? reader.U16() : 0;
    return true;
}

bool WaveFormat::IsPlayablePcm() const
{
    return formatTag == kTagPcm && (bitsPerSample == 8 || bitsPerSample == 16) && (channels == 1 || channels == 2) &&
           blockAlign == channels * bitsPerSample / 8 && samplesPerSecond >= 100 && samplesPerSecond <= 192000;
}

} // namespace plat
