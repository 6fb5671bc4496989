#include "QrPalette.h"

#include "QrDDImage.h"

#include "Display.h"

#include <new>

QR_IMPLEMENT_RTTI(QrPalette, QrObject)

QrPalette::QrPalette(const plat::PaletteEntry* entries)
{
    if (!entries)
        return;
    m_entries.reset(new (std::nothrow) plat::PaletteEntry[kEntryCount]);
    m_inverseTable.reset(new (std::nothrow) uint8_t[kInverseTableSize]);
    if (!m_entries || !m_inverseTable)
    {
        m_entries.reset();
        m_inverseTable.reset();
        return;
    }
    for (uint32_t i = 0; i < kEntryCount; ++i)
    {
        m_entries[i] = entries[i];
        m_entries[i].flags = kEntryFlags;
    }
    m_inverseTableSize = static_cast<uint16_t>(kInverseTableSize);
    m_redLoss = m_greenLoss = m_blueLoss = 3;
    BuildInverseTable();
}

QrPalette::~QrPalette() = default;

// For each 5-5-5 colour (red fastest) the entry of 1-255 at the smallest squared distance;
// ties keep the lower entry and an exact match ends the search.
void QrPalette::BuildInverseTable()
{
    for (uint32_t blue = 0; blue < 32; ++blue)
    {
        for (uint32_t green = 0; green < 32; ++green)
        {
            for (uint32_t red = 0; red < 32; ++red)
            {
                const int32_t r = static_cast<int32_t>(red * 8);
                const int32_t g = static_cast<int32_t>(green * 8);
                const int32_t b = static_cast<int32_t>(blue * 8);
                auto distance = [&](uint32_t i)
                {
                    const int32_t dr = r - m_entries[i].red;
                    const int32_t dg = g - m_entries[i].green;
                    const int32_t db = b - m_entries[i].blue;
                    return dr * dr + dg * dg + db * db;
                };
                uint32_t best = 1;
                int32_t bestDistance = distance(1);
                for (uint32_t i = 2; i < kEntryCount && bestDistance != 0; ++i)
                {
                    const int32_t d = distance(i);
                    if (d < bestDistance)
                    {
                        best = i;
                        bestDistance = d;
                    }
                }
                m_inverseTable[(blue << 10) | (green << 5) | red] = static_cast<uint8_t>(best);
            }
        }
    }
}

int32_t QrPalette::NearestIndex(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) const
{
    if (!m_inverseTable)
        return -1;
    if (alpha < 127)
        return 0;
    const uint32_t index = ((static_cast<uint32_t>(red >> m_redLoss) << m_redShift) & m_redMask) |
                           ((static_cast<uint32_t>(green >> m_greenLoss) << m_greenShift) & m_greenMask) |
                           ((static_cast<uint32_t>(blue >> m_blueLoss) << m_blueShift) & m_blueMask);
    return m_inverseTable[index];
}

std::shared_ptr<plat::Palette> QrPalette::CreateDDPalette()
{
    if (m_ddPalette || !m_entries)
        return m_ddPalette;
    plat::Display* display = nullptr;
    if (!QrDDImage::GetDirectDraw(display))
        return nullptr;
    std::shared_ptr<plat::Palette> palette;
    const uint32_t caps = plat::kPaletteCaps8Bit | plat::kPaletteCapsInitialize | plat::kPaletteCapsAllow256;
    if (display->CreatePalette(caps, m_entries.get(), palette) != plat::Result::Ok)
        return nullptr;
    m_ddPalette = std::move(palette);
    return m_ddPalette;
}

bool QrPalette::SameColors(const plat::PaletteEntry* entries) const
{
    if (!m_entries || !entries)
        return false;
    for (uint32_t i = 0; i < kEntryCount; ++i)
    {
        if (m_entries[i].red != entries[i].red || m_entries[i].green != entries[i].green ||
            m_entries[i].blue != entries[i].blue)
            return false;
    }
    return true;
}
