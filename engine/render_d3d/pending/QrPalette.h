#pragma once
// PENDING: stand-in until the palette classes are merged; removed then.

#include "Palette.h"
#include "QrObject.h"

#include <array>
#include <memory>

class QrPalette : public QrObject
{
    QR_DECLARE_RTTI

public:
    explicit QrPalette(const plat::PaletteEntry* entries);
    const plat::PaletteEntry* GetEntries() const { return m_entries.data(); }
    std::shared_ptr<plat::Palette> CreateDDPalette();

protected:
    ~QrPalette() override = default;

private:
    std::array<plat::PaletteEntry, 256> m_entries{};
    std::shared_ptr<plat::Palette> m_ddPalette;
};
