#pragma once
// Reads the samples of a RIFF WAVE file in pieces, from its "data" chunk, and can go back to
// the start of the data (looping streams). Every chunk size is bounded by the file's size.

#include "WaveFormat.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace plat
{

class WaveFile
{
public:
    enum Code : uint16_t
    {
        kOk = 0,
        kNoMemory = 1,
        kOpenFailed = 3,
        kReadFailed = 5,
        kChunkNotFound = 7,
        kNotWave = 8,
        kDataEnded = 9,
    };

    WaveFile() = default;
    ~WaveFile();
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    uint16_t Open(const std::string& path);
    // Back to the first byte of the data chunk.
    uint16_t StartDataRead();
    // Reads up to size bytes; got is what arrived. kDataEnded when the data ended first.
    uint16_t Read(void* out, uint32_t size, uint32_t& got);
    void Close();

    bool IsOpen() const { return m_file != nullptr; }
    uint32_t DataSize() const { return m_dataSize; }
    const WaveFormat& Format() const { return m_format; }
    // The format record as stored (18 bytes and its extra bytes).
    const std::vector<uint8_t>& FormatBytes() const { return m_formatBytes; }

private:
    // Finds a chunk between from and end; its data starts at dataAt, size clamped to end.
    bool FindChunk(const char id[4], uint64_t from, uint64_t end, uint64_t& dataAt, uint32_t& size);
    bool ReadAt(uint64_t offset, void* out, size_t size);

    std::FILE* m_file = nullptr;
    uint64_t m_fileSize = 0;
    uint64_t m_riffEnd = 0;
    WaveFormat m_format;
    std::vector<uint8_t> m_formatBytes;
    uint64_t m_dataAt = 0;
    uint32_t m_dataSize = 0;
    uint32_t m_bytesLeft = 0;
};

} // namespace plat
