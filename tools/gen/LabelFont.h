#pragma once
// A 5 x 7 block font for the labels of placeholder pictures (letters, digits, a few signs),
// so that a player sees which picture stands where.

#include "QrImagePixels.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gen
{

// Draws text into an RGB or palettised picture at (x, y), each font dot scale pixels wide;
// colour is an RGB triple for RGB pictures, an index (in red) for palettised ones.
void DrawLabel(QrImagePixels& picture, uint32_t x, uint32_t y, const std::string& text, uint32_t scale, uint8_t red,
               uint8_t green, uint8_t blue);
uint32_t LabelWidth(const std::string& text, uint32_t scale);

// While noting, every label drawn is kept with the picture it went into, and filed under the
// picture's pack id when the picture is added: a test checks each label against its box.
struct NotedLabel
{
    uint32_t picture = 0; // pack id
    std::string text;
    uint32_t x = 0, y = 0, width = 0, height = 0; // in the picture
    uint32_t pictureWidth = 0, pictureHeight = 0;
};
void StartNotingLabels();
// Notes text drawn into the picture by other means (a real face) at its extent.
void NoteLabel(const QrImagePixels& picture, const std::string& text, uint32_t x, uint32_t y, uint32_t width,
               uint32_t height);
// The labels filed since the start; noting stops.
std::vector<NotedLabel> StopNotingLabels();
// Called by the pack adders with the id the picture is stored under.
void FileNotedLabels(const QrImagePixels& picture, uint32_t id);
// The labels of one picture go with a converted copy of it.
void MoveNotedLabels(const QrImagePixels& from, const QrImagePixels& to);

} // namespace gen
