#include "QrPalette.h"

#include "QrDDImage.h"

#include "Display.h"

#include <climits>
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
    int32_t red[kEntryCount];
    int32_t green[kEntryCount];
    int32_t blue[kEntryCount];
    for (uint32_t i = 0; i < kEntryCount; ++i)
    {
        red[i] = m_entries[i].red;
        green[i] = m_entries[i].green;
        blue[i] = m_entries[i].blue;
    }
    uint8_t* out = m_inverseTable.get();
    for (int32_t b = 0; b < 32 * 8; b += 8)
    {
        for (int32_t g = 0; g < 32 * 8; g += 8)
        {
            for (int32_t r = 0; r < 32 * 8; r += 8)
            {
                uint32_t best = 0;
                int32_t bestDistance = INT32_MAX;
                for (uint32_t i = 1; i < kEntryCount; ++i)
                {
                    const int32_t dr = r - red[i];
                    const int32_t dg = g - green[i];
                    const int32_t db = b - blue[i];
                    const int32_t d = dr * dr + dg * dg + db * db;
                    if (d < bestDistance)
                    {
                        best = i;
                        bestDistance = d;
                        if (d == 0)
                            break;
                    }
                }
                // Cells are visited in table order: blue << 10 | green << 5 | red.
                *out++ = static_cast<uint8_t>(best);
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
