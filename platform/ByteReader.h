#pragma once
// Bounds-checked little-endian reader over a block of memory. The first failure is sticky:
// every later read returns zeros, so a count read after a failure is 0. Callers check
// counts against Remaining() (see CanRead) before they allocate anything.

#include <cstddef>
#include <cstdint>

namespace plat
{

class ByteReader
{
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size);

    size_t Size() const { return m_size; }
    size_t Offset() const { return m_offset; }
    size_t Remaining() const { return m_failed ? 0 : m_size - m_offset; }
    bool Failed() const { return m_failed; }
    void Fail() { m_failed = true; }

    // Copies n bytes; past the end it zero-fills the output, fails and returns false.
    bool Read(void* out, size_t n);
    bool Skip(size_t n);
    bool Seek(size_t offset);
    // True when count items of itemSize bytes each are still there; otherwise the reader fails.
    bool CanRead(uint64_t count, uint64_t itemSize);
    // The unread bytes, or null once failed.
    const uint8_t* Current() const { return m_failed ? nullptr : m_data + m_offset; }

    uint8_t U8();
    int8_t I8() { return static_cast<int8_t>(U8()); }
    uint16_t U16();
    int16_t I16() { return static_cast<int16_t>(U16()); }
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32();
    double F64();
    uint16_t U16BE();
    uint32_t U32BE();

private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_offset = 0;
    bool m_failed = false;
};

} // namespace plat
