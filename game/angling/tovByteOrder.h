#pragma once
// Little-endian words for the records that leave the program (saved games, messages).

#include <cstdint>
#include <cstring>

inline void PutLittleWord(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t TakeLittleWord(const uint8_t* in)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(in[i]) << (8 * i);
    return value;
}

inline void PutLittleFloat(uint8_t* out, float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutLittleWord(out, bits);
}

inline float TakeLittleFloat(const uint8_t* in)
{
    const uint32_t bits = TakeLittleWord(in);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
