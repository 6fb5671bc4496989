#pragma once
// Reader of the palette files a renderer's creation block may name for palettised display
// modes: an 8-bit Windows bitmap (by its ".bmp" extension, any case), whose colour table is
// taken and whose pixels are not read, or any other file as 256 raw red-green-blue triples.
// The file is hostile input: every header field is checked before it is used.

#include "Palette.h"

#include <cstdint>

class QrPaletteFile
{
public:
    enum : uint32_t
    {
        kRead = 0,
        kCannotOpen = 2,
        kBadFormat = 11,
    };

    // Fills 256 entries (flags 0x40). On failure the entries are unspecified.
    static uint32_t Load(const char* path, plat::PaletteEntry out[256]);
};
