#pragma once
// Drawing pieces the placeholder screen pictures share: gradients, boxes, bevelled buttons,
// centred labels, and adding the pictures to a pack.

#include "PackWriter.h"
#include "QrImagePixels.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gen
{

struct Rgb
{
    uint8_t r, g, b;
};

// An RGB picture fading from top to bottom.
QrImagePixels Gradient(uint32_t w, uint32_t h, Rgb top, Rgb bottom);

// Clipped to the picture on the right and bottom.
void FillRect(QrImagePixels& p, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, Rgb c);

// Each channel scaled by f, clamped.
Rgb Shade(Rgb c, float f);

// A sunken box: dark inside, lit lower edge.
void Well(QrImagePixels& p, uint32_t x, uint32_t y, uint32_t w, uint32_t h);

// The smallest label scale: 14 pixels high, what still reads at 640 x 480.
constexpr uint32_t kMinLabelScale = 2;

// Centred across the picture, shrunk until it fits its width, never below kMinLabelScale.
void CentreLabel(QrImagePixels& p, const std::string& text, uint32_t y, uint32_t scale, Rgb c);

// Centred in the box (x, y, w, h) less a margin on each side, at the largest scale from
// maxScale down to kMinLabelScale at which it fits; words wrap onto more lines where one line
// is too wide, and '|' always breaks. Text that fits nowhere is drawn at the smallest scale
// all the same, so that the label checks see it stick out.
void BoxLabel(QrImagePixels& p, uint32_t x, uint32_t y, uint32_t w, uint32_t h, const std::string& text,
              uint32_t maxScale, Rgb c, uint32_t margin = 2);

// A bevelled button with its label centred, brighter when lit.
QrImagePixels BevelButton(uint32_t w, uint32_t h, const std::string& text, Rgb face, bool lit, uint32_t maxScale = 3);

// A 24-bit picture item in the given groups.
void AddScreenPicture(tools::PackContents& pack, uint32_t id, const QrImagePixels& picture,
                      std::vector<uint32_t> groups);
void AddScreenPicture(tools::PackContents& pack, uint32_t id, const QrImagePixels& picture, uint32_t group);

// A picture another screen made, listed in one more group.
void ShareScreenPicture(tools::PackContents& pack, uint32_t id, uint32_t group);

} // namespace gen
