#pragma once
// A 5 x 7 block font for the labels of placeholder pictures (letters, digits, a few signs),
// so that a player sees which picture stands where.

#include "QrImagePixels.h"

#include <cstdint>
#include <string>

namespace gen
{

// Draws text into an RGB or palettised picture at (x, y), each font dot scale pixels wide;
// colour is an RGB triple for RGB pictures, an index (in red) for palettised ones.
void DrawLabel(QrImagePixels& picture, uint32_t x, uint32_t y, const std::string& text, uint32_t scale, uint8_t red,
               uint8_t green, uint8_t blue);
uint32_t LabelWidth(const std::string& text, uint32_t scale);

} // namespace gen
