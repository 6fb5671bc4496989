#include "Palette.h"

namespace plat
{

void SystemPaletteEntries(PaletteEntry out[256])
{
    // Low end: black, the six half-bright primaries and mixes, grey, and two light tints;
    // high end: their bright counterparts, ending in white.
    static const uint8_t kLow[10][3] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                                        {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                                        {192, 220, 192}, {166, 202, 240}};
    static const uint8_t kHigh[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                         {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                         {0, 255, 255},   {255, 255, 255}};
    for (int i = 0; i < 10; ++i)
    {
        out[i] = {kLow[i][0], kLow[i][1], kLow[i][2], 0};
        out[246 + i] = {kHigh[i][0], kHigh[i][1], kHigh[i][2], 0};
    }
    int n = 10;
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r)
                out[n++] = {static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51),
                            0};
    for (int i = 0; n < 246; ++i)
    {
        const uint8_t v = static_cast<uint8_t>(12 + i * 12);
        out[n++] = {v, v, v, 0};
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
