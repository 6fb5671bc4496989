#pragma once
// Little-endian writer into a growing byte buffer; the counterpart of ByteReader.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat
{

class ByteWriter
{
public:
    void Write(const void* data, size_t n);
    void U8(uint8_t v) { m_buffer.push_back(v); }
    void I8(int8_t v) { U8(static_cast<uint8_t>(v)); }
    void U16(uint16_t v);
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void U32(uint32_t v);
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v);
    void F64(double v);
    void U16BE(uint16_t v);
    void U32BE(uint32_t v);
    // Overwrites four bytes already written (sizes and offsets known only later).
    void PatchU32(size_t offset, uint32_t v);

    size_t Size() const { return m_buffer.size(); }
    const std::vector<uint8_t>& Buffer() const { return m_buffer; }
    std::vector<uint8_t> Take() { return std::move(m_buffer); }

private:
    std::vector<uint8_t> m_buffer;
};

} // namespace plat
