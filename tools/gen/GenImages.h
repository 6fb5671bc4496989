#pragma once
// The sample images: one file for every branch of the engine's image readers, each with the
// picture the reader must give. The generator writes them; the reader tests compare.

#include "QrImagePixels.h"
#include "QrPointer.h"
#include "QrRawImageData.h"

#include <string>
#include <vector>

namespace gen
{

struct ImageSample
{
    std::string file; // relative to the data root
    std::vector<uint8_t> bytes;
    QrImagePixels expected;
};

// Every sample image under Data/Engine/Images/, in a fixed order.
std::vector<ImageSample> MakeImageSamples();

// A named raw image holding a copy of the picture.
QrPointer<QrRawImageData> MakeRawImage(const std::string& name, const QrImagePixels& picture);

// Deterministic test pictures.
// Indices (x * 3 + y * 5) % colors into a palette whose first `colors` entries are set.
QrImagePixels MakeIndexedPicture(uint32_t width, uint32_t height, uint32_t colors);
// RGB or RGBA (format 1 or 2) gradients that differ in every channel.
QrImagePixels MakeColorPicture(uint32_t format, uint32_t width, uint32_t height);
// Grey (red = green = blue), with alpha for format 2.
QrImagePixels MakeGreyPicture(uint32_t format, uint32_t width, uint32_t height);
// Bands of `run` equal pixels counted in file order (rows from the bottom when bottomUp),
// so that runs cross row ends; format 0 takes indices into a 16-colour palette.
QrImagePixels MakeBandedPicture(uint32_t format, uint32_t width, uint32_t height, uint32_t run, bool bottomUp);

} // namespace gen
