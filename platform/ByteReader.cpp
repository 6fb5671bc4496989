#include "ByteReader.h"

#include <cstring>

namespace plat
{

ByteReader::ByteReader(const void* data, size_t size) : m_data(static_cast<const uint8_t*>(data)), m_size(size)
{
    if (m_data == nullptr)
        m_size = 0;
}

bool ByteReader::Read(void* out, size_t n)
{
    if (m_failed || n > m_size - m_offset)
    {
        m_failed = true;
        if (n > 0)
            std::memset(out, 0, n);
        return false;
    }
    if (n > 0)
        std::memcpy(out, m_data + m_offset, n);
    m_offset += n;
    return true;
}

bool ByteReader::Skip(size_t n)
{
    if (m_failed || n > m_size - m_offset)
    {
        m_failed = true;
        return false;
    }
    m_offset += n;
    return true;
}

bool ByteReader::Seek(size_t offset)
{
    if (m_failed || offset > m_size)
    {
        m_failed = true;
        return false;
    }
    m_offset = offset;
    return true;
}

bool ByteReader::CanRead(uint64_t count, uint64_t itemSize)
{
    if (m_failed)
        return false;
    const uint64_t left = m_size - m_offset;
    if (itemSize != 0 && count > left / itemSize)
    {
        m_failed = true;
        return false;
    }
    return true;
}

uint8_t ByteReader::U8()
{
    uint8_t b = 0;
    Read(&b, 1);
    return b;
}

uint16_t ByteReader::U16()
{
    uint8_t b[2];
    Read(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t ByteReader::U32()
{
    uint8_t b[4];
    Read(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

float ByteReader::F32()
{
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double ByteReader::F64()
{
    const uint64_t lo = U32();
    const uint64_t hi = U32();
    const uint64_t bits = lo | (hi << 32);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

uint16_t ByteReader::U16BE()
{
    uint8_t b[2];
    Read(b, 2);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

uint32_t ByteReader::U32BE()
{
    uint8_t b[4];
    Read(b, 4);
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]);
}

} // namespace plat
