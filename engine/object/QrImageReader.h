#pragma once
// Decoders of the image files the engine reads: Windows bitmaps, Targa and SGI images. Each
// treats its input as hostile: sizes, products of sizes, colour indices, packets and row
// offsets are checked, and a file that ends early fails rather than giving half a picture.
// On failure the output is left untouched.
//
// Nothing here touches engine objects or program-wide state, so a loader thread may call
// DecodeFile and hand the pixels to the main thread (QrRawImageData::SetBuffer there).

#include "QrImagePixels.h"

#include <string>

namespace plat
{
class ByteReader;
}
class QrRawImageData;

class QrImageReader
{
public:
    enum class FileKind
    {
        kUnknown,
        kScene, // a scene file holding one raw image (main thread only: it makes objects)
        kBMP,
        kTGA,
        kSGI,
    };

    // The reader chosen by the extension (from the last '.', any letter case), and the path
    // to open: the name without a leading "file://".
    static FileKind Classify(const char* name, std::string& path);

    // Reads a BMP, Targa or SGI file whole and decodes it; scene files and unknown
    // extensions fail. Safe on any thread.
    static bool DecodeFile(const char* name, QrImagePixels& out);

    // Each reads from the input's current position, which is the start of the file.
    static bool ReadBMP(plat::ByteReader& input, QrImagePixels& out);
    static bool ReadTGA(plat::ByteReader& input, QrImagePixels& out);
    static bool ReadSGI(plat::ByteReader& input, QrImagePixels& out);

    static bool ReadBMP(plat::ByteReader& input, QrRawImageData& rawData);
    static bool ReadTGA(plat::ByteReader& input, QrRawImageData& rawData);
    static bool ReadSGI(plat::ByteReader& input, QrRawImageData& rawData);
};
