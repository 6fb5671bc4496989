#include "WaveFile.h"

#include "ByteReader.h"
#include "Path.h"

#include <cstring>

namespace plat
{

namespace
{
constexpr uint64_t kRiffHeader = 12;
constexpr uint64_t kChunkHeader = 8;
} // namespace

WaveFile::~WaveFile()
{
    Close();
}

bool WaveFile::ReadAt(uint64_t offset, void* out, size_t size)
{
    if (offset > m_fileSize || size > m_fileSize - offset)
        return false;
    if (std::fseek(m_file, long(offset), SEEK_SET) != 0)
        return false;
    return std::fread(out, 1, size, m_file) == size;
}

bool WaveFile::FindChunk(const char id[4], uint64_t from, uint64_t end, uint64_t& dataAt, uint32_t& size)
{
    uint64_t at = from;
    while (at + kChunkHeader <= end)
    {
        uint8_t header[kChunkHeader];
        if (!ReadAt(at, header, sizeof header))
            return false;
        uint32_t chunkSize = 0;
        std::memcpy(&chunkSize, header + 4, 4);
        const uint64_t bodyAt = at + kChunkHeader;
        const uint64_t available = end - bodyAt;
        if (std::memcmp(header, id, 4) == 0)
        {
            dataAt = bodyAt;
            size = uint32_t(chunkSize < available ? chunkSize : available);
            return true;
        }
        at = bodyAt + chunkSize + (chunkSize & 1u);
    }
    return false;
}

uint16_t WaveFile::Open(const std::string& path)
{
    Close();
    const auto found = FindPathCaseInsensitive(NativePath(path), PathKind::kFile);
    m_file = found ? std::fopen(found->c_str(), "rb") : nullptr;
    if (!m_file)
        return kOpenFailed;
    uint16_t code = kOk;
    uint8_t riff[kRiffHeader];
    if (std::fseek(m_file, 0, SEEK_END) != 0 || std::ftell(m_file) < 0)
        code = kChunkNotFound;
    else
    {
        m_fileSize = uint64_t(std::ftell(m_file));
        if (!ReadAt(0, riff, sizeof riff))
            code = kChunkNotFound;
        else if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
            code = kNotWave;
    }
    uint64_t formatAt = 0;
    uint32_t formatSize = 0;
    if (code == kOk)
    {
        uint32_t riffSize = 0;
        std::memcpy(&riffSize, riff + 4, 4);
        m_riffEnd = riffSize + uint64_t(8) < m_fileSize ? riffSize + uint64_t(8) : m_fileSize;
        if (!FindChunk("fmt ", kRiffHeader, m_riffEnd, formatAt, formatSize))
            code = kChunkNotFound;
        else if (formatSize < WaveFormat::kFixedSize)
            code = kNotWave;
    }
    if (code == kOk)
    {
        uint8_t fixed[WaveFormat::kFixedSize + 2] = {};
        const size_t wanted = formatSize >= sizeof fixed ? sizeof fixed : WaveFormat::kFixedSize;
        if (!ReadAt(formatAt, fixed, wanted))
            code = kReadFailed;
        else
        {
            WaveFormat::Parse(fixed, wanted, m_format);
            // Only non-PCM formats carry an extra-size word that counts.
            if (m_format.formatTag == WaveFormat::kTagPcm)
                m_format.extraSize = 0;
            if (m_format.extraSize > formatSize - wanted)
                code = kReadFailed;
            else
            {
                m_formatBytes.assign(WaveFormat::kFixedSize + 2 + m_format.extraSize, 0);
                std::memcpy(m_formatBytes.data(), fixed, WaveFormat::kFixedSize);
                std::memcpy(m_formatBytes.data() + WaveFormat::kFixedSize, &m_format.extraSize, 2);
                if (m_format.extraSize &&
                    !ReadAt(formatAt + wanted, m_formatBytes.data() + WaveFormat::kFixedSize + 2, m_format.extraSize))
                    code = kReadFailed;
            }
        }
    }
    if (code == kOk)
        code = StartDataRead();
    if (code != kOk)
    {
        Close();
        return code;
    }
    m_dataSize = m_bytesLeft;
    return kOk;
}

uint16_t WaveFile::StartDataRead()
{
    if (!m_file)
        return kChunkNotFound;
    uint32_t size = 0;
    if (!FindChunk("data", kRiffHeader, m_riffEnd, m_dataAt, size))
        return kChunkNotFound;
    m_bytesLeft = size;
    return std::fseek(m_file, long(m_dataAt), SEEK_SET) == 0 ? kOk : kChunkNotFound;
}

uint16_t WaveFile::Read(void* out, uint32_t size, uint32_t& got)
{
    got = 0;
    if (!m_file)
        return kReadFailed;
    const uint32_t wanted = size < m_bytesLeft ? size : m_bytesLeft;
    const size_t read = wanted ? std::fread(out, 1, wanted, m_file) : 0;
    got = uint32_t(read);
    m_bytesLeft -= got;
    if (read != wanted)
        return kReadFailed;
    return got < size ? kDataEnded : kOk;
}

void WaveFile::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_fileSize = m_riffEnd = m_dataAt = 0;
    m_dataSize = m_bytesLeft = 0;
    m_format = WaveFormat();
    m_formatBytes.clear();
}

} // namespace plat
