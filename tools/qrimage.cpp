// Converts any image the engine reads to PNG, through the engine's own readers. On failure it
// prints the engine's image error and why the file could not be read.
#include "ImageWriters.h"
#include "ToolExit.h"

#include "Files.h"
#include "QrEngineCoreClasses.h"
#include "QrImage.h"
#include "QrImageReader.h"
#include "QrRawImageData.h"
#include "QrStream.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

const char kUsage[] = "usage: qrimage FILE --out OUT.png\n"
                      "  Reads FILE with the engine's image readers and writes it as PNG. FILE is a Windows\n"
                      "  bitmap (.bmp), a Targa image (.tga), an SGI image (.rgb, .rgba, .int, .inta) or a\n"
                      "  scene file (.qrf) holding one raw image.\n";

// Why a scene file holds no image; empty when it does.
std::string ExplainScene(const std::string& path)
{
    QrStream stream;
    if (!stream.Load(path.c_str()))
        return "scene file error " + std::to_string(QrStream::LastErrorCode) + ": " + QrStream::LastErrorMessage +
               "\n  at: " + QrStream::LastErrorContext;
    if (stream.GetTopLevelCount() != 1)
        return "the scene file holds " + std::to_string(stream.GetTopLevelCount()) +
               " top-level objects; an image file holds exactly one raw image";
    if (!QrDynamicCast<QrRawImageData>(stream.GetTopLevelAt(0)))
        return std::string("the scene file's object is a ") + stream.GetTopLevelAt(0)->GetRTTI()->GetName() +
               ", not a raw image";
    return {};
}

// Why the engine's readers could not read the file.
std::string ExplainFailure(const char* name)
{
    std::string path;
    const QrImageReader::FileKind kind = QrImageReader::Classify(name, path);
    if (kind == QrImageReader::FileKind::kUnknown)
        return "unknown image type: the name must end in .bmp, .tga, .rgb, .rgba, .int, .inta or .qrf";
    std::vector<uint8_t> bytes;
    if (!plat::ReadFile(path, bytes))
        return "the file does not exist or cannot be read";
    if (bytes.empty())
        return "the file is empty";
    switch (kind)
    {
    case QrImageReader::FileKind::kScene:
        return ExplainScene(path);
    case QrImageReader::FileKind::kBMP:
        if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')
            return "not a Windows bitmap: it does not start with \"BM\"";
        return "the bitmap is damaged or cut short, or of a kind the reader does not take";
    case QrImageReader::FileKind::kSGI:
        if (bytes.size() < 2 || bytes[0] != 0x01 || bytes[1] != 0xDA)
            return "not an SGI image: it does not start with the number 474";
        return "the SGI image is damaged or cut short, or of a kind the reader does not take";
    default:
        return "the Targa image is damaged or cut short, or of a kind the reader does not take";
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* in = nullptr;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        if (tools::IsHelp(argv[i]))
        {
            std::fputs(kUsage, stdout);
            return tools::kExitOk;
        }
    }
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
        {
            out = argv[++i];
        }
        else if (argv[i][0] != '-' && !in)
        {
            in = argv[i];
        }
        else
        {
            std::fputs(kUsage, stderr);
            return tools::kExitUsage;
        }
    }
    if (!in || !out)
    {
        std::fputs(kUsage, stderr);
        return tools::kExitUsage;
    }

    RegisterEngineCoreClasses();
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levels = 0;
    uint32_t bits = 0;
    const uint8_t* pixels = nullptr;
    const uint8_t* palette = nullptr;
    if (QrImage::GetFileInfo(in, width, height, levels, bits, pixels, palette) != 0)
    {
        const uint32_t code = QrImage::GetErrorCode();
        std::fprintf(stderr, "qrimage: image error %u: cannot read %s: %s\n", code, in, ExplainFailure(in).c_str());
        return tools::kExitInputFailed;
    }

    QrImagePixels picture;
    picture.Allocate(QrImage::GetFormatFromDepth(bits), width, height);
    std::memcpy(picture.GetPixels(), pixels, picture.GetPixelBytes());
    if (palette)
        std::memcpy(picture.GetPalette(), palette, QrImagePixels::kPaletteBytes);
    std::string error;
    if (!tools::WritePNG(out, picture, error))
    {
        std::fprintf(stderr, "qrimage: cannot write %s: %s\n", out, error.c_str());
        return tools::kExitInputFailed;
    }
    std::printf("%s: %u x %u, %u bits, %u levels -> %s\n", in, width, height, bits, levels, out);
    return tools::kExitOk;
}
