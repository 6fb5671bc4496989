// Placeholder pictures of the tackle box and the lure data records: each picture is labelled
// with what it stands for, at the size the screen draws it.

#include "GenFrontEnd2.h"
#include "GenScreenPictures.h"

#include "LabelFont.h"

#include "ImageWriters.h"

#include <algorithm>
#include <cmath>
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
const Rgb kRodPage{70, 55, 35};
const Rgb kLurePage{35, 55, 70};
const Rgb kCream{250, 245, 220};
// The line plates stand at x 300, the minus arrows (30 wide) at x 276.
constexpr uint32_t kLineCovered = 306 - 300;

// A framed plate with its label centred, the largest that fits; words wrap where needed.
// `covered` pixels on the left are left in the page colour: an arrow button stands there.
QrImagePixels Plate(uint32_t w, uint32_t h, const std::string& text, Rgb face, uint32_t maxScale = 3,
                    uint32_t covered = 0, uint32_t margin = 2)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, w, h);
    FillRect(p, 0, 0, w, h, kRodPage);
    FillRect(p, covered, 0, w - covered, h, {uint8_t(face.r / 2), uint8_t(face.g / 2), uint8_t(face.b / 2)});
    FillRect(p, covered + 1, 1, w - covered - 2, h - 2, face);
    BoxLabel(p, covered, 0, w - covered, h, text, maxScale, {255, 255, 235}, margin);
    return p;
}

const char* const kFamilies[6] = {"CRANKBAITS", "WORMS", "JIGS", "SPINNERS", "TOPWATER BAITS", "SPOONS"};
const uint32_t kItems[6] = {9, 32, 20, 6, 16, 16};
const uint32_t kLureBase[6] = {1100, 1200, 1300, 1500, 1700, 1900};
// Lure model of each family in the data records.
const int kModels[6] = {0, 2, 5, 1, 4, 3};
const Rgb kSwatches[6] = {{200, 60, 40}, {60, 160, 60}, {60, 90, 200}, {220, 200, 40}, {240, 240, 240}, {40, 40, 40}};

// The lures of each family by kind and size, as a tackle shop would label them.
std::string LureName(uint32_t family, uint32_t item)
{
    static const char* const cranks[9] = {
        "SHALLOW-DIVING CRANKBAIT", "MEDIUM-DIVING CRANKBAIT", "DEEP-DIVING CRANKBAIT",
        "SQUARE-BILL CRANKBAIT",    "LIPLESS CRANKBAIT",       "FLAT-SIDED CRANKBAIT",
        "SMALL ROUND CRANKBAIT",    "SUSPENDING CRANKBAIT",    "WAKE CRANKBAIT"};
    static const char* const worms[8] = {"STRAIGHT-TAIL WORM", "CURLY-TAIL WORM", "RIBBON-TAIL WORM",
                                         "PADDLE-TAIL WORM",   "FINESSE WORM",    "STICK WORM",
                                         "FLOATING WORM",      "LIZARD"};
    static const char* const wormSizes[4] = {"4 INCH", "6 INCH", "7 INCH", "10 INCH"};
    static const char* const jigs[5] = {"FLIPPING JIG", "SWIM JIG", "FOOTBALL JIG", "GRUB JIG", "HAIR JIG"};
    static const char* const weights[4] = {"1/8 OZ", "1/4 OZ", "3/8 OZ", "1/2 OZ"};
    static const char* const spinners[6] = {"SMALL INLINE SPINNER",    "MEDIUM INLINE SPINNER", "LARGE INLINE SPINNER",
                                            "WILLOW-LEAF SPINNERBAIT", "COLORADO SPINNERBAIT",  "TANDEM SPINNERBAIT"};
    static const char* const topwater[4] = {"POPPER", "WALKING BAIT", "PROP BAIT", "BUZZBAIT"};
    static const char* const sizes[4] = {"SMALL", "MEDIUM", "LARGE", "MAGNUM"};
    static const char* const spoons[4] = {"CASTING SPOON", "WEEDLESS SPOON", "JIGGING SPOON", "FLUTTER SPOON"};
    static const char* const spoonWeights[4] = {"1/4 OZ", "1/2 OZ", "3/4 OZ", "1 OZ"};
    switch (family)
    {
    case 0:
        return cranks[item % 9];
    case 1:
        return std::string(wormSizes[item % 4]) + " " + worms[item / 4 % 8];
    case 2:
        return std::string(weights[item % 4]) + " " + jigs[item / 4 % 5];
    case 3:
        return spinners[item % 6];
    case 4:
        return std::string(sizes[item % 4]) + " " + topwater[item / 4 % 4];
    default:
        return std::string(spoonWeights[item % 4]) + " " + spoons[item / 4 % 4];
    }
}

// The fishing screen's tag over its tackle button holds seven letters at a readable size.
std::string LureTag(uint32_t family, uint32_t item)
{
    static const char* const topwater[4] = {"POPPER", "WALKER", "PROP", "BUZZ"};
    static const char* const tags[6] = {"CRANK", "WORM", "JIG", "SPINNER", "", "SPOON"};
    return family == 4 ? topwater[item / 4 % 4] : tags[family % 6];
}

// A lure family's outline, for its tab: body, lip, blade or skirt as the family has.
void FamilyIcon(QrImagePixels& p, uint32_t family, Rgb c)
{
    const float cx = float(p.GetWidth()) / 2.0f;
    const float cy = float(p.GetHeight()) / 2.0f;
    auto ellipse = [&](float x0, float y0, float rx, float ry)
    {
        for (uint32_t y = 0; y < p.GetHeight(); ++y)
            for (uint32_t x = 0; x < p.GetWidth(); ++x)
            {
                const float dx = (float(x) - x0) / rx;
                const float dy = (float(y) - y0) / ry;
                if (dx * dx + dy * dy <= 1.0f)
                    FillRect(p, x, y, 1, 1, c);
            }
    };
    switch (family)
    {
    case 0: // a fat body with a diving lip and two hooks
        ellipse(cx + 2, cy, 13, 8);
        FillRect(p, uint32_t(cx - 18), uint32_t(cy + 2), 8, 3, c);
        FillRect(p, uint32_t(cx - 2), uint32_t(cy + 8), 2, 6, c);
        FillRect(p, uint32_t(cx + 10), uint32_t(cy + 6), 2, 6, c);
        break;
    case 1: // a wriggling worm
        for (uint32_t x = 6; x + 6 < p.GetWidth(); ++x)
            FillRect(p, x, uint32_t(cy + 8.0f * std::sin(float(x) * 0.3f)) - 2, 1, 5, c);
        break;
    case 2: // a round head and its skirt
        ellipse(cx - 8, cy - 4, 7, 7);
        for (uint32_t i = 0; i < 18; ++i)
            FillRect(p, uint32_t(cx - 2) + i, uint32_t(cy - 4) - i / 3, 1, 2 * (i / 3) + 3, c);
        break;
    case 3: // a blade on a wire before a small body
        ellipse(cx - 8, cy - 6, 6, 10);
        FillRect(p, uint32_t(cx - 8), uint32_t(cy + 3), 20, 2, c);
        ellipse(cx + 8, cy + 4, 6, 4);
        break;
    case 4: // a popper with its cupped face
        ellipse(cx + 2, cy, 14, 7);
        ellipse(cx - 12, cy, 3, 5);
        FillRect(p, uint32_t(cx + 4), uint32_t(cy + 6), 2, 6, c);
        break;
    default: // a spoon, tilted
        for (uint32_t y = 0; y < p.GetHeight(); ++y)
            for (uint32_t x = 0; x < p.GetWidth(); ++x)
            {
                const float u = (float(x) - cx) * 0.8f + (float(y) - cy) * 0.6f;
                const float v = -(float(x) - cx) * 0.6f + (float(y) - cy) * 0.8f;
                if ((u / 16.0f) * (u / 16.0f) + (v / 7.0f) * (v / 7.0f) <= 1.0f)
                    FillRect(p, x, y, 1, 1, c);
            }
        break;
    }
}

QrImagePixels FamilyTab(uint32_t family, Rgb face)
{
    QrImagePixels p = Plate(46, 60, "", face);
    FamilyIcon(p, family, kCream);
    return p;
}

void AddPages(tools::PackContents& pack)
{
    QrImagePixels rod;
    rod.Allocate(QrImagePixels::kFormatRGB, 640, 480);
    FillRect(rod, 0, 0, 640, 480, kRodPage);
    FillRect(rod, 86, 107, 326, 122, {40, 30, 20});
    FillRect(rod, 434, 107, 165, 120, {40, 30, 20});
    DrawLabel(rod, 20, 60, "ROD", 3, 250, 230, 150);
    DrawLabel(rod, 40, 244, "GEAR", 2, 250, 245, 220);
    DrawLabel(rod, 300, 240, "LB TEST", 2, 250, 245, 220);
    DrawLabel(rod, 436, 326, "LINE", 2, 250, 245, 220);
    DrawLabel(rod, 436, 380, "COLOUR", 2, 250, 245, 220);
    // Beside the two gear toggles (rods at y 308, reels at y 343; 32 x 26).
    DrawLabel(rod, 140, 314, "RODS", 2, 250, 245, 220);
    DrawLabel(rod, 140, 349, "REELS", 2, 250, 245, 220);
    AddScreenPicture(pack, 698, rod, kPageGroup);
    QrImagePixels lure;
    lure.Allocate(QrImagePixels::kFormatRGB, 640, 480);
    FillRect(lure, 0, 0, 640, 480, kLurePage);
    FillRect(lure, 121, 92, 241, 208, {20, 30, 40});
    // The first family has no title picture: its title stands on the page, under the others'.
    FillRect(lure, 139, 38, 361, 42, {25, 35, 50});
    FillRect(lure, 140, 39, 359, 40, {50, 70, 100});
    BoxLabel(lure, 139, 38, 361, 42, kFamilies[0], 3, {255, 255, 235});
    DrawLabel(lure, 474, 124, "ITEM", 2, 250, 245, 220);
    DrawLabel(lure, 462, 178, "COLOUR", 2, 250, 245, 220);
    DrawLabel(lure, 462, 232, "ADD-ON", 2, 250, 245, 220);
    DrawLabel(lure, 356, 341, "OPTION", 2, 250, 245, 220);
    DrawLabel(lure, 368, 376, "PLAIN", 2, 250, 245, 220);
    AddScreenPicture(pack, 699, lure, kPageGroup);

    // Line colours 1..4; colour 0 has no picture.
    const char* colours[3] = {"CLEAR", "GREY", "WHITE"};
    for (uint32_t i = 0; i < 3; ++i)
        AddScreenPicture(pack, 700 + i, Plate(95, 29, colours[i], {60, 80, 90}, 2, kLineCovered), kPageGroup);
    AddScreenPicture(pack, 703, Plate(95, 29, "YELLOW", {120, 120, 30}, 2, kLineCovered), kPageGroup);
    const char* kinds[4] = {"MONO", "BRAID", "COPOLY", "FLUORO"};
    for (uint32_t i = 0; i < 4; ++i)
        AddScreenPicture(pack, 704 + i, Plate(95, 29, kinds[i], {60, 80, 90}, 2, kLineCovered), kPageGroup);
    for (uint32_t i = 0; i < 7; ++i)
        AddScreenPicture(pack, 708 + i, Plate(147, 40, "ROD " + std::to_string(i + 1), {90, 70, 40}), kPageGroup);
    // The pound test alone: "LB TEST" stands above it.
    const int tests[14] = {0, 4, 5, 6, 8, 10, 12, 14, 17, 20, 24, 28, 30, 40};
    for (uint32_t i = 0; i < 14; ++i)
        AddScreenPicture(pack, 715 + i, Plate(44, 18, std::to_string(tests[i]), {40, 60, 70}, 2, 0, 1), kPageGroup);
    for (uint32_t f = 1; f < 6; ++f)
        AddScreenPicture(pack, 729 + f - 1, Plate(361, 42, kFamilies[f], {50, 70, 100}), kPageGroup);
    for (uint32_t i = 0; i < 6; ++i)
        AddScreenPicture(pack, 762 + i, Plate(53, 20, "", kSwatches[i]), kPageGroup);
    AddScreenPicture(pack, 774, Plate(53, 20, "", {180, 120, 60}), kPageGroup);
    AddScreenPicture(pack, 775, Plate(53, 20, "", {90, 140, 200}), kPageGroup);
    AddScreenPicture(pack, 768, Plate(169, 42, "NO ADD-ON", {70, 70, 70}), kPageGroup);
    AddScreenPicture(pack, 773, Plate(180, 54, "ONE COLOUR", {70, 70, 70}), kPageGroup);
    const char* strips[4] = {"PLAIN", "OPTION", "PLAIN+ADD-ON", "OPTION+ADD-ON"};
    for (uint32_t i = 0; i < 4; ++i)
        AddScreenPicture(pack, 769 + i, Plate(157, 15, strips[i], {40, 50, 60}, 2, 0, 0), kPageGroup);
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
    // The family tabs are 46 pixels wide: too narrow for a readable word, so each shows its lure.
    for (uint32_t f = 0; f < 6; ++f)
    {
        AddScreenPicture(pack, 665 + 4 * f, FamilyTab(f, {50, 70, 100}), kPageGroup);
        AddScreenPicture(pack, 666 + 4 * f, FamilyTab(f, {80, 100, 140}), kPageGroup);
        AddScreenPicture(pack, 667 + 4 * f, FamilyTab(f, {210, 170, 60}), kPageGroup);
        AddScreenPicture(pack, 668 + 4 * f, FamilyTab(f, lit), kPageGroup);
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
            const std::string name = LureName(f, i);
            const Rgb c = kSwatches[(f + i) % 6];
            QrImagePixels item = Plate(233, 200, "", {30, 45, 60});
            BoxLabel(item, 0, 8, 233, 112, name, 2, {255, 255, 235});
            FillRect(item, 60, 130, 113, 30, c);
            AddScreenPicture(pack, kLureBase[f] + i, item, kLureGroup);
            AddScreenPicture(pack, kLureBase[f] + 2000 + i, Plate(157, 100, name, {40, 55, 70}, 2), kLureGroup);
            QrImagePixels rodSet = Plate(96, 22, "", {30, 45, 60});
            BoxLabel(rodSet, 0, 0, 96, 18, LureTag(f, i), 2, {255, 255, 235}, 1);
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
    const char* reels[5] = {"LIGHT SPINNING REEL", "MEDIUM SPINNING REEL", "LOW-PROFILE BAITCASTER",
                            "HIGH-SPEED BAITCASTER", "HEAVY ROUND BAITCASTER"};
    const char* rods[4] = {"LIGHT-ACTION ROD", "MEDIUM-ACTION ROD", "MEDIUM-HEAVY ROD", "HEAVY FLIPPING ROD"};
    for (uint32_t i = 0; i < 5; ++i)
        AddScreenPicture(pack, 1001 + i, Plate(318, 114, reels[i], {60, 50, 40}, 3, 0, 10), kLureGroup);
    for (uint32_t i = 0; i < 4; ++i)
        AddScreenPicture(pack, 1036 + i, Plate(318, 114, rods[i], {40, 50, 60}, 3, 0, 10), kLureGroup);
    AddScreenPicture(pack, 2000, Plate(146, 93, "NO ADD-ON", {40, 50, 60}, 2), kLureGroup);
    const char* addOns[12] = {
        "PORK TRAILER", "CRAW TRAILER", "GRUB TRAILER", "CURLY-TAIL TRAILER", "PADDLE-TAIL TRAILER", "TUBE TRAILER",
        "WORM TRAILER", "RATTLE",       "SCENT",        "STINGER HOOK",       "WILLOW BLADE",        "COLORADO BLADE"};
    for (uint32_t i = 1; i < 13; ++i)
        AddScreenPicture(pack, 2000 + i, Plate(146, 93, addOns[i - 1], {60, 70, 50}, 2), kLureGroup);
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
