// Placeholder pictures of the tackle box and the lure data records: each picture is labelled
// with what it stands for, at the size the screen draws it.

#include "GenFrontEnd2.h"
#include "GenScreenPictures.h"

#include "LabelFont.h"

#include "ImageWriters.h"

#include <algorithm>
#include <string>
#include <vector>

namespace gen
{

namespace
{

constexpr uint32_t kText = 0x80000007;
constexpr uint32_t kPageGroup = 20;
constexpr uint32_t kLureGroup = 23;
constexpr uint32_t kLoaderGroup = 33;
// The fishing screen's group: it shows the current rod's set-up over its tackle button.
constexpr uint32_t kFishingGroup = 26;

// A framed plate with its label centred, the largest that fits.
QrImagePixels Plate(uint32_t w, uint32_t h, const std::string& text, Rgb face, uint32_t maxScale = 3)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, w, h);
    FillRect(p, 0, 0, w, h, {uint8_t(face.r / 2), uint8_t(face.g / 2), uint8_t(face.b / 2)});
    FillRect(p, 1, 1, w - 2, h - 2, face);
    uint32_t scale = maxScale;
    while (scale > 1 && (LabelWidth(text, scale) + 4 > w || 7 * scale + 2 > h))
        --scale;
    const uint32_t tw = LabelWidth(text, scale);
    DrawLabel(p, w > tw ? (w - tw) / 2 : 0, h > 7 * scale ? (h - 7 * scale) / 2 : 0, text, scale, 255, 255, 235);
    return p;
}

const char* const kFamilies[6] = {"CRANKBAIT", "WORM", "JIG", "SPINNER", "TOPWATER", "SPOON"};
const uint32_t kItems[6] = {9, 32, 20, 6, 16, 16};
const uint32_t kLureBase[6] = {1100, 1200, 1300, 1500, 1700, 1900};
// Lure model of each family in the data records.
const int kModels[6] = {0, 2, 5, 1, 4, 3};
const Rgb kSwatches[6] = {{200, 60, 40}, {60, 160, 60}, {60, 90, 200}, {220, 200, 40}, {240, 240, 240}, {40, 40, 40}};

void AddPages(tools::PackContents& pack)
{
    QrImagePixels rod;
    rod.Allocate(QrImagePixels::kFormatRGB, 640, 480);
    FillRect(rod, 0, 0, 640, 480, {70, 55, 35});
    FillRect(rod, 86, 107, 326, 122, {40, 30, 20});
    FillRect(rod, 434, 107, 165, 120, {40, 30, 20});
    DrawLabel(rod, 20, 60, "ROD", 3, 250, 230, 150);
    DrawLabel(rod, 40, 244, "GEAR", 2, 250, 245, 220);
    DrawLabel(rod, 300, 240, "LB TEST", 2, 250, 245, 220);
    DrawLabel(rod, 436, 326, "LINE", 2, 250, 245, 220);
    DrawLabel(rod, 436, 380, "COLOUR", 2, 250, 245, 220);
    DrawLabel(rod, 245, 320, "RODS", 1, 250, 245, 220);
    DrawLabel(rod, 245, 355, "REELS", 1, 250, 245, 220);
    AddScreenPicture(pack, 698, rod, kPageGroup);
    QrImagePixels lure;
    lure.Allocate(QrImagePixels::kFormatRGB, 640, 480);
    FillRect(lure, 0, 0, 640, 480, {35, 55, 70});
    FillRect(lure, 121, 92, 241, 208, {20, 30, 40});
    DrawLabel(lure, 474, 124, "ITEM", 2, 250, 245, 220);
    DrawLabel(lure, 462, 178, "COLOUR", 2, 250, 245, 220);
    DrawLabel(lure, 462, 232, "ADD-ON", 2, 250, 245, 220);
    DrawLabel(lure, 356, 341, "OPTION", 2, 250, 245, 220);
    DrawLabel(lure, 368, 376, "PLAIN", 2, 250, 245, 220);
    AddScreenPicture(pack, 699, lure, kPageGroup);

    // Line colours 1..4; colour 0 has no picture.
    const char* colours[3] = {"CLEAR", "GREY", "WHITE"};
    for (uint32_t i = 0; i < 3; ++i)
        AddScreenPicture(pack, 700 + i, Plate(95, 29, colours[i], {60, 80, 90}), kPageGroup);
    AddScreenPicture(pack, 703, Plate(95, 29, "YELLOW", {120, 120, 30}), kPageGroup);
    const char* kinds[4] = {"MONO", "BRAID", "COPOLY", "FLUORO"};
    for (uint32_t i = 0; i < 4; ++i)
        AddScreenPicture(pack, 704 + i, Plate(95, 29, kinds[i], {60, 80, 90}), kPageGroup);
    for (uint32_t i = 0; i < 7; ++i)
        AddScreenPicture(pack, 708 + i, Plate(147, 40, "ROD " + std::to_string(i + 1), {90, 70, 40}), kPageGroup);
    const int tests[14] = {0, 4, 5, 6, 8, 10, 12, 14, 17, 20, 24, 28, 30, 40};
    for (uint32_t i = 0; i < 14; ++i)
        AddScreenPicture(pack, 715 + i, Plate(44, 18, std::to_string(tests[i]) + " LB", {40, 60, 70}), kPageGroup);
    for (uint32_t f = 1; f < 6; ++f)
        AddScreenPicture(pack, 729 + f - 1, Plate(361, 42, kFamilies[f], {50, 70, 100}), kPageGroup);
    for (uint32_t i = 0; i < 6; ++i)
        AddScreenPicture(pack, 762 + i, Plate(53, 20, "", kSwatches[i]), kPageGroup);
    AddScreenPicture(pack, 774, Plate(53, 20, "", {180, 120, 60}), kPageGroup);
    AddScreenPicture(pack, 775, Plate(53, 20, "", {90, 140, 200}), kPageGroup);
    AddScreenPicture(pack, 768, Plate(169, 42, "NO ADD-ON", {70, 70, 70}), kPageGroup);
    AddScreenPicture(pack, 773, Plate(180, 54, "ONE COLOUR", {70, 70, 70}), kPageGroup);
    const char* strips[4] = {"PLAIN", "OPTION", "PLAIN + ADD-ON", "OPTION + ADD-ON"};
    for (uint32_t i = 0; i < 4; ++i)
        AddScreenPicture(pack, 769 + i, Plate(157, 15, strips[i], {40, 50, 60}), kPageGroup);
}

void AddButtons(tools::PackContents& pack)
{
    const Rgb tab{110, 80, 40};
    const Rgb lit{170, 130, 40};
    for (uint32_t k = 0; k < 7; ++k)
    {
        const std::string name = "ROD " + std::to_string(k + 1);
        AddScreenPicture(pack, 734 + 4 * k, Plate(80, 30, name, tab, 2), kPageGroup);
        AddScreenPicture(pack, 735 + 4 * k, Plate(80, 30, name, {150, 110, 60}, 2), kPageGroup);
        AddScreenPicture(pack, 736 + 4 * k, Plate(80, 30, name, {210, 170, 60}, 2), kPageGroup);
        AddScreenPicture(pack, 737 + 4 * k, Plate(80, 30, name, lit, 2), kPageGroup);
    }
    for (uint32_t f = 0; f < 6; ++f)
    {
        AddScreenPicture(pack, 665 + 4 * f, Plate(46, 60, std::string(kFamilies[f]).substr(0, 4), {50, 70, 100}, 2),
                         kPageGroup);
        AddScreenPicture(pack, 666 + 4 * f, Plate(46, 60, std::string(kFamilies[f]).substr(0, 4), {80, 100, 140}, 2),
                         kPageGroup);
        AddScreenPicture(pack, 667 + 4 * f, Plate(46, 60, std::string(kFamilies[f]).substr(0, 4), {210, 170, 60}, 2),
                         kPageGroup);
        AddScreenPicture(pack, 668 + 4 * f, Plate(46, 60, std::string(kFamilies[f]).substr(0, 4), lit, 2), kPageGroup);
    }
    AddScreenPicture(pack, 660, Plate(157, 24, "CHANGE LURE", {50, 120, 60}, 2), kPageGroup);
    AddScreenPicture(pack, 661, Plate(157, 24, "CHANGE LURE", {80, 160, 90}, 2), kPageGroup);
    AddScreenPicture(pack, 25, Plate(110, 40, "OK", {50, 120, 60}), kPageGroup);
    AddScreenPicture(pack, 26, Plate(110, 40, "OK", {80, 160, 90}), kPageGroup);
    for (uint32_t id : {11u, 12u, 13u, 14u, 17u, 18u, 45u, 46u, 47u, 48u})
        ShareScreenPicture(pack, id, kPageGroup);
}

void AddLures(tools::PackContents& pack)
{
    for (uint32_t f = 0; f < 6; ++f)
    {
        for (uint32_t i = 0; i < kItems[f]; ++i)
        {
            const std::string name = std::string(kFamilies[f]) + " " + std::to_string(i + 1);
            const Rgb c = kSwatches[(f + i) % 6];
            QrImagePixels item = Plate(233, 200, name, {30, 45, 60}, 2);
            FillRect(item, 60, 130, 113, 30, c);
            AddScreenPicture(pack, kLureBase[f] + i, item, kLureGroup);
            AddScreenPicture(pack, kLureBase[f] + 2000 + i, Plate(157, 100, name, {40, 55, 70}, 2), kLureGroup);
            const std::string shortName = std::string(kFamilies[f]).substr(0, 5) + " " + std::to_string(i + 1);
            QrImagePixels rodSet = Plate(96, 22, shortName, {30, 45, 60}, 2);
            FillRect(rodSet, 2, 18, 92, 2, c);
            AddScreenPicture(pack, kLureBase[f] + 3000 + i, rodSet, kFishingGroup);
            // The record: model, unused, second and first posture, species row, temperature,
            // wave, clarity.
            const std::string text = std::to_string(kModels[f]) + ",0,0.1," + std::to_string(0.05 * (f + 1)) + "," +
                                     std::to_string(f) + ",0.5,1.0," + std::to_string(0.1 * (i % 5));
            tools::PackItem record;
            record.type = kText;
            record.id = 8000 + kLureBase[f] + i;
            record.data.assign(text.begin(), text.end());
            pack.Add(std::move(record), {kLoaderGroup});
        }
    }
    const char* gears[9] = {"REEL 1", "REEL 2", "REEL 3", "REEL 4", "REEL 5", "ROD 1", "ROD 2", "ROD 3", "ROD 4"};
    for (uint32_t i = 0; i < 5; ++i)
        AddScreenPicture(pack, 1001 + i, Plate(318, 114, gears[i], {60, 50, 40}), kLureGroup);
    for (uint32_t i = 0; i < 4; ++i)
        AddScreenPicture(pack, 1036 + i, Plate(318, 114, gears[5 + i], {40, 50, 60}), kLureGroup);
    AddScreenPicture(pack, 2000, Plate(146, 93, "NO ADD-ON", {40, 50, 60}, 2), kLureGroup);
    for (uint32_t i = 1; i < 13; ++i)
        AddScreenPicture(pack, 2000 + i, Plate(146, 93, "ADD-ON " + std::to_string(i), {60, 70, 50}, 2), kLureGroup);
    const uint32_t family2[] = {2090, 2064, 2072, 2061, 2065, 2073, 2059, 2063,
                                2071, 2088, 2089, 2086, 2087, 2084, 2085};
    for (uint32_t i = 0; i < std::size(family2); ++i)
    {
        QrImagePixels strip = Plate(217, 20, "", {30, 30, 30});
        FillRect(strip, 2, 2, 213, 16, kSwatches[i % 6]);
        AddScreenPicture(pack, family2[i], strip, kLureGroup);
    }
}

} // namespace

void AddTackleBoxPictures(tools::PackContents& pack)
{
    AddPages(pack);
    AddButtons(pack);
    AddLures(pack);
}

} // namespace gen
