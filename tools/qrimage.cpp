// Converts any image the engine reads to PNG, through the engine's own readers.
//   qrimage FILE --out OUT.png
// FILE is a BMP, Targa or SGI image, or a scene file holding one raw image. On failure it
// prints the engine's image error (and the scene-file error, when there is one).
#include "ImageWriters.h"

#include "QrEngineCoreClasses.h"
#include "QrImage.h"
#include "QrStream.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: qrimage FILE --out OUT.png\n");
    return 64;
}

} // namespace

int main(int argc, char** argv)
{
    const char* in = nullptr;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            out = argv[++i];
        else if (argv[i][0] != '-' && !in)
            in = argv[i];
        else
            return Usage();
    }
    if (!in || !out)
        return Usage();

    RegisterEngineCoreClasses();
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levels = 0;
    uint32_t bits = 0;
    const uint8_t* pixels = nullptr;
    const uint8_t* palette = nullptr;
    const uint32_t code = QrImage::GetFileInfo(in, width, height, levels, bits, pixels, palette);
    if (code != 0)
    {
        std::printf("image error %u: cannot read %s\n", QrImage::GetErrorCode(), in);
        if (QrStream::LastErrorCode != 0)
            std::printf("  scene file error %u: %s\n  at: %s\n", QrStream::LastErrorCode,
                        QrStream::LastErrorMessage.c_str(), QrStream::LastErrorContext.c_str());
        return 1;
    }

    QrImagePixels picture;
    picture.Allocate(QrImage::GetFormatFromDepth(bits), width, height);
    std::memcpy(picture.GetPixels(), pixels, picture.GetPixelBytes());
    if (palette)
        std::memcpy(picture.GetPalette(), palette, QrImagePixels::kPaletteBytes);
    std::string error;
    if (!tools::WritePNG(out, picture, error))
    {
        std::printf("error: cannot write %s: %s\n", out, error.c_str());
        return 1;
    }
    std::printf("%s: %u x %u, %u bits, %u levels -> %s\n", in, width, height, bits, levels, out);
    return 0;
}
