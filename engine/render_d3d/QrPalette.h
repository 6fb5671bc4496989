#pragma once
// The 256-colour palette of palettised display modes, with a table that finds the nearest
// entry of any colour in one read. Entry 0 stands for transparent pixels: opaque colours map
// to entries 1 to 255 only. Immutable after construction except for its display palette, made
// on first request. One palette is program-wide (QrDDImage::SetGlobalObject).

#include "QrObject.h"

#include "Palette.h"

#include <cstdint>
#include <memory>

class QrPalette : public QrObject
{
    QR_DECLARE_RTTI

public:
    static constexpr uint32_t kEntryCount = 256;
    static constexpr uint32_t kInverseTableSize = 32768;
    // Every entry is marked read-only for the device.
    static constexpr uint8_t kEntryFlags = 0x40;

    // Copies the entries and builds the nearest-colour table; null entries (or no memory)
    // leave an empty palette whose lookups answer -1.
    explicit QrPalette(const plat::PaletteEntry* entries);

    // Null for an empty palette.
    const plat::PaletteEntry* GetEntries() const { return m_entries.get(); }
    bool IsEmpty() const { return !m_entries; }

    // -1 without a table; 0 (transparent) when alpha < 127; else the nearest of entries 1-255
    // to the colour at 5 bits a channel.
    int32_t NearestIndex(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) const;

    // The display palette made from the entries through the shared display on first use;
    // null without entries, without a display, or when the display refuses.
    std::shared_ptr<plat::Palette> CreateDDPalette();

    // Whether the red, green and blue bytes of all 256 entries equal the given ones (their
    // flags bytes are not compared).
    bool SameColors(const plat::PaletteEntry* entries) const;

protected:
    ~QrPalette() override;

private:
    void BuildInverseTable();

    std::unique_ptr<uint8_t[]> m_inverseTable;
    uint16_t m_inverseTableSize = 0;
    uint32_t m_redMask = 0x1F;
    uint32_t m_greenMask = 0x3E0;
    uint32_t m_blueMask = 0x7C00;
    uint16_t m_redLoss = 8;
    uint16_t m_greenLoss = 8;
    uint16_t m_blueLoss = 8;
    uint16_t m_redShift = 0;
    uint16_t m_greenShift = 5;
    uint16_t m_blueShift = 10;
    std::unique_ptr<plat::PaletteEntry[]> m_entries;
    std::shared_ptr<plat::Palette> m_ddPalette;
};
