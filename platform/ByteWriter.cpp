#include "ByteWriter.h"

#include <cstring>

namespace plat
{

void ByteWriter::Write(const void* data, size_t n)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), p, p + n);
}

void ByteWriter::U16(uint16_t v)
{
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        U8(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::F32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    U32(bits);
}

void ByteWriter::F64(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    U32(static_cast<uint32_t>(bits));
    U32(static_cast<uint32_t>(bits >> 32));
}

void ByteWriter::U16BE(uint16_t v)
{
    U8(static_cast<uint8_t>(v >> 8));
    U8(static_cast<uint8_t>(v));
}

void ByteWriter::U32BE(uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        U8(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::PatchU32(size_t offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        m_buffer.at(offset + i) = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace plat
