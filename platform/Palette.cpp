#include "Palette.h"

namespace plat
{

void GetSystemPaletteEntries(PaletteEntry* out)
{
    static const PaletteEntry kLow[10] = {{0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},
                                          {128, 128, 0, 0},   {0, 0, 128, 0},     {128, 0, 128, 0},
                                          {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0},
                                          {166, 202, 240, 0}};
    static const PaletteEntry kHigh[10] = {{255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0},
                                           {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
                                           {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},
                                           {255, 255, 255, 0}};
    for (uint32_t i = 0; i < 10; ++i)
    {
        out[i] = kLow[i];
        out[246 + i] = kHigh[i];
    }
    uint32_t at = 10;
    for (uint32_t b = 0; b < 6; ++b)
    {
        for (uint32_t g = 0; g < 6; ++g)
        {
            for (uint32_t r = 0; r < 6; ++r)
                out[at++] = PaletteEntry{static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                         static_cast<uint8_t>(b * 51), 0};
        }
    }
    // 20 greys strictly between black and white.
    for (uint32_t i = 1; at < 246; ++i)
    {
        const auto v = static_cast<uint8_t>(i * 255 / 21);
        out[at++] = PaletteEntry{v, v, v, 0};
    }
}

Palette::Palette(uint32_t caps, const PaletteEntry* entries) : m_caps(caps)
{
    if (entries)
    {
        for (uint32_t i = 0; i < kEntryCount; ++i)
            m_entries[i] = entries[i];
    }
}

Result Palette::GetEntries(uint32_t start, uint32_t count, PaletteEntry* out) const
{
    if (!out || start > kEntryCount || count > kEntryCount - start)
        return Result::InvalidParams;
    for (uint32_t i = 0; i < count; ++i)
        out[i] = m_entries[start + i];
    return Result::Ok;
}

Result Palette::SetEntries(uint32_t start, uint32_t count, const PaletteEntry* entries)
{
    if (!entries || start > kEntryCount || count > kEntryCount - start)
        return Result::InvalidParams;
    for (uint32_t i = 0; i < count; ++i)
        m_entries[start + i] = entries[i];
    return Result::Ok;
}

} // namespace plat
