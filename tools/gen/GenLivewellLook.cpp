// Placeholder pictures of the livewell and angler look screens, drawn where the screens put
// their rows, texts, 3D windows and buttons.

#include "GenLivewellLook.h"

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

constexpr uint32_t kLivewellGroup = 13;
constexpr uint32_t kLookGroup = 17;

// A sunken frame around a window the 3D view draws into.
void Window(QrImagePixels& p, uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    FillRect(p, x - 4, y - 4, w + 8, h + 8, {150, 170, 190});
    FillRect(p, x - 4, y - 4, w + 6, h + 6, {10, 20, 30});
    FillRect(p, x, y, w, h, {0, 0, 0});
}

void Label(QrImagePixels& p, uint32_t x, uint32_t y, const std::string& text, uint32_t scale, Rgb c = {250, 245, 220})
{
    DrawLabel(p, x, y, text, scale, c.r, c.g, c.b);
}

QrImagePixels Button(uint32_t w, uint32_t h, const std::string& text, Rgb face, bool lit)
{
    const float f = lit ? 1.35f : 1.0f;
    auto shade = [f](Rgb c, float k)
    {
        auto s = [f, k](uint8_t v) { return uint8_t(std::clamp(v * f * k, 0.0f, 255.0f)); };
        return Rgb{s(c.r), s(c.g), s(c.b)};
    };
    QrImagePixels p = Gradient(w, h, shade(face, 1.2f), shade(face, 0.8f));
    FillRect(p, 0, 0, w, 2, shade(face, 1.6f));
    FillRect(p, 0, 0, 2, h, shade(face, 1.6f));
    FillRect(p, 0, h - 2, w, 2, shade(face, 0.45f));
    FillRect(p, w - 2, 0, 2, h, shade(face, 0.45f));
    uint32_t scale = 3;
    while (scale > 1 && (LabelWidth(text, scale) + 8 > w || 7 * scale + 6 > h))
        --scale;
    const uint32_t tw = LabelWidth(text, scale);
    Label(p, w > tw ? (w - tw) / 2 : 0, (h - 7 * scale) / 2, text, scale, {255, 255, 240});
    return p;
}

// Water seen from above the livewell's lid: deep green-blue with a few light ripples.
QrImagePixels Water(uint32_t w, uint32_t h)
{
    QrImagePixels p = Gradient(w, h, {30, 70, 80}, {10, 30, 45});
    for (uint32_t y = 0; y < h; y += 7)
        for (uint32_t x = 0; x < w; ++x)
            if (std::sin(x * 0.05 + y * 0.3) > 0.93)
                FillRect(p, x, y, 1, 1, {70, 120, 130});
    return p;
}

void AddLivewell(tools::PackContents& pack)
{
    QrImagePixels p = Water(640, 480);
    // The lid's frame around the screen, the header strip, the fish window and the rows' well.
    FillRect(p, 0, 0, 640, 8, {90, 70, 45});
    FillRect(p, 0, 472, 640, 8, {90, 70, 45});
    FillRect(p, 0, 0, 8, 480, {90, 70, 45});
    FillRect(p, 632, 0, 8, 480, {90, 70, 45});
    Label(p, 20, 18, "LIVEWELL", 2, {240, 220, 150});
    Window(p, 136, 43, 430, 166);
    // The tank under the fish view: it shows while no fish is picked.
    QrImagePixels tank = Water(430, 166);
    for (uint32_t y = 0; y < 166; ++y)
        std::copy_n(tank.GetRow(y), 430 * 3, p.GetRow(43 + y) + 136 * 3);
    FillRect(p, 145, 214, 409, 208, {15, 35, 45});
    AddScreenPicture(pack, 406, p, {kLivewellGroup});
    for (uint32_t k = 0; k < 6; ++k)
    {
        QrImagePixels row = Gradient(397, 30, {40, 80, 90}, {25, 55, 65});
        FillRect(row, 0, 29, 397, 1, {70, 110, 120});
        AddScreenPicture(pack, 428 + k, row, {kLivewellGroup});
    }
    AddScreenPicture(pack, 400, Button(110, 40, "RELEASE", {40, 100, 140}, false), {kLivewellGroup});
    AddScreenPicture(pack, 401, Button(110, 40, "RELEASE", {40, 100, 140}, true), {kLivewellGroup});
    AddScreenPicture(pack, 402, Button(110, 40, "RELEASE", {110, 110, 110}, false), {kLivewellGroup});
    AddScreenPicture(pack, 110, Button(110, 36, "DONE", {110, 110, 110}, false), {kLivewellGroup});
    for (uint32_t id : {15u, 16u, 45u, 46u, 47u, 48u})
        ShareScreenPicture(pack, id, kLivewellGroup);
}

void AddAnglerLook(tools::PackContents& pack)
{
    QrImagePixels p = Gradient(640, 480, {70, 110, 150}, {25, 50, 80});
    Label(p, 205, 24, "ANGLER", 3, {240, 220, 150});
    Window(p, 79, 64, 514, 266);
    // Each caption above its arrows (at y 357 and 411), clear of the view's frame.
    Label(p, 105, 340, "BOAT PAINT", 2);
    Label(p, 429, 340, "SHIRT", 2);
    Label(p, 429, 394, "CAP", 2);
    // The gender pair, each right of its toggle (32 x 26 at x 281): female above, male below.
    Label(p, 318, 351, "FEMALE", 2);
    Label(p, 318, 381, "MALE", 2);
    // The values the arrows step stand between them.
    FillRect(p, 140, 360, 84, 26, {15, 30, 45});
    Label(p, 160, 367, "PAINT", 2);
    FillRect(p, 464, 360, 85, 26, {15, 30, 45});
    FillRect(p, 464, 414, 85, 26, {15, 30, 45});
    AddScreenPicture(pack, 570, p, {kLookGroup});
    const Rgb green{50, 120, 60};
    AddScreenPicture(pack, 550, Button(96, 36, "RECORD", green, false), {kLookGroup});
    AddScreenPicture(pack, 551, Button(96, 36, "RECORD", green, true), {kLookGroup});
    AddScreenPicture(pack, 552, Button(96, 36, "TACKLE", green, false), {kLookGroup});
    AddScreenPicture(pack, 553, Button(96, 36, "TACKLE", green, true), {kLookGroup});
    AddScreenPicture(pack, 571, Button(96, 36, "OPTIONS", green, false), {kLookGroup});
    AddScreenPicture(pack, 572, Button(96, 36, "OPTIONS", green, true), {kLookGroup});
    for (uint32_t id : {11u, 12u, 13u, 14u, 17u, 18u, 22u, 23u, 45u, 46u, 47u, 48u})
        ShareScreenPicture(pack, id, kLookGroup);
}

} // namespace

void AddLivewellLookPictures(tools::PackContents& pack)
{
    AddLivewell(pack);
    AddAnglerLook(pack);
}

} // namespace gen
