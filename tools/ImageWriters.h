#pragma once
// Writers of the image files the engine reads, for sample data and tests; the engine never
// writes these formats. Each takes a picture laid out as the readers give it (rows from the
// top, RGB order) and returns the file's bytes, or nothing when the picture does not fit
// the options (wrong format for the depth, indices out of range).

#include "QrImagePixels.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools
{

struct BmpOptions
{
    // 4 or 8 take a palettised picture (4: indices below 16), 24 RGB, 32 RGBA.
    uint32_t bits = 24;
    bool topDown = false;
    // 32-bit files: 0, or 3 with the usual masks after the header.
    uint32_t compression = 0;
};
std::vector<uint8_t> WriteBMP(const QrImagePixels& picture, const BmpOptions& options);

struct TgaOptions
{
    // 1, 2, 3 or run-length 9, 10, 11.
    uint32_t imageType = 2;
    // Pixel depth: colour-mapped 8 or 16 (index), true colour 15, 16, 24 or 32, grey 8.
    uint32_t depth = 24;
    // Colour-mapped only: 15, 16, 24 or 32 bits per entry; the map holds the palette's
    // first (highest index used + 1) entries, stored from index mapFirst on.
    uint32_t mapEntryBits = 24;
    uint32_t mapFirst = 0;
    bool topOrigin = false;
    // 0 none, 1 every second row, 2 every fourth.
    uint32_t interleave = 0;
    std::string id;
};
// Colour-mapped types take a palettised picture, types 2 and 10 RGB or RGBA (32 bits: RGBA),
// grey types the red channel of an RGB picture. Run-length packets run on across rows.
std::vector<uint8_t> WriteTGA(const QrImagePixels& picture, const TgaOptions& options);

struct SgiOptions
{
    bool rle = false;
    // 1 or 2 (verbatim only); two-byte values are v * 257.
    uint32_t bytesPerChannel = 1;
    // 1 grey (red channel), 2 grey and alpha, 3 RGB, 4 RGBA; alpha is 255 for RGB pictures.
    uint32_t channels = 3;
};
std::vector<uint8_t> WriteSGI(const QrImagePixels& picture, const SgiOptions& options);

// Writes an 8-bit RGB or RGBA PNG, rows from the top; palettised pictures are expanded
// (RGB). False with a reason when the file cannot be written.
bool WritePNG(const std::string& path, const QrImagePixels& picture, std::string& error);

} // namespace tools
