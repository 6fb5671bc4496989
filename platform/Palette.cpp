#include "Palette.h"

namespace plat
{

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
