#pragma once
// A 256-entry palette for 8-bit palettised surfaces. Made by the display, shared by the
// surfaces it is attached to.

#include "Result.h"

#include <array>
#include <cstdint>

namespace plat
{

constexpr uint32_t kPaletteCaps8Bit = 0x1;
constexpr uint32_t kPaletteCapsInitialize = 0x2;
constexpr uint32_t kPaletteCapsAllow256 = 0x4;

struct PaletteEntry
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
};

// The display's own 256 colours, shown where nothing else is asked: ten fixed colours at
// each end, a 6 x 6 x 6 colour cube from entry 10 and a grey ramp up to entry 245.
void SystemPaletteEntries(PaletteEntry out[256]);

class Palette
{
public:
    static constexpr uint32_t kEntryCount = 256;

    Palette(uint32_t caps, const PaletteEntry* entries);

    uint32_t Caps() const { return m_caps; }
    Result GetEntries(uint32_t start, uint32_t count, PaletteEntry* out) const;
    Result SetEntries(uint32_t start, uint32_t count, const PaletteEntry* entries);
    const PaletteEntry& Entry(uint8_t index) const { return m_entries[index]; }

private:
    uint32_t m_caps;
    std::array<PaletteEntry, kEntryCount> m_entries{};
};

} // namespace plat
