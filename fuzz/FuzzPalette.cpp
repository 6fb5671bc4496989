// One palette file per call. The reader opens a path and picks its format by extension: the
// first byte chooses ".bmp" or a raw table, the rest is the file.
#include "QrPaletteFile.h"

#include "Palette.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const std::string base = "/tmp/qr_fuzz_palette_" + std::to_string(getpid());
    const std::string path = base + ((data[0] & 1) ? ".BMP" : ".pal");
    if (FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data + 1, 1, size - 1, file);
        std::fclose(file);
    }
    plat::PaletteEntry entries[256];
    QrPaletteFile::Load(path.c_str(), entries);
    std::remove(path.c_str());
    return 0;
}
