// Placeholder pictures of the start-of-day screen (group 29) and the chat panel (loaded with
// the permanent group, since the panel comes up over any screen).

#include "GenNetScreens.h"

#include "GenScreenPictures.h"

#include "LabelFont.h"

#include "ImageWriters.h"

#include <algorithm>
#include <string>

namespace gen
{

namespace
{

constexpr uint32_t kDayStartGroup = 29;
constexpr uint32_t kChatGroup = 0;

void Centre(QrImagePixels& p, const std::string& text, uint32_t y, uint32_t scale, Rgb c)
{
    const uint32_t w = LabelWidth(text, scale);
    DrawLabel(p, p.GetWidth() > w ? (p.GetWidth() - w) / 2 : 0, y, text, scale, c.r, c.g, c.b);
}

QrImagePixels Button(uint32_t w, uint32_t h, const std::string& text, Rgb face, bool lit)
{
    const Rgb base = lit ? Rgb{uint8_t(std::min(255, face.r + 50)), uint8_t(std::min(255, face.g + 50)),
                               uint8_t(std::min(255, face.b + 50))}
                         : face;
    QrImagePixels p = Gradient(w, h, base, {uint8_t(base.r * 3 / 4), uint8_t(base.g * 3 / 4), uint8_t(base.b * 3 / 4)});
    FillRect(p, 0, 0, w, 2, {230, 230, 220});
    FillRect(p, 0, 0, 2, h, {230, 230, 220});
    FillRect(p, 0, h - 2, w, 2, {30, 30, 30});
    FillRect(p, w - 2, 0, 2, h, {30, 30, 30});
    uint32_t scale = 2;
    while (scale > 1 && LabelWidth(text, scale) + 6 > w)
        --scale;
    const uint32_t tw = LabelWidth(text, scale);
    DrawLabel(p, w > tw ? (w - tw) / 2 : 0, (h - 7 * scale) / 2, text, scale, 255, 255, 240);
    return p;
}

// Dawn over the lake: the boats wait at the ramp.
QrImagePixels DayStartBackground()
{
    QrImagePixels p = Gradient(640, 480, {230, 150, 90}, {120, 140, 170});
    FillRect(p, 0, 250, 640, 230, {30, 70, 100});
    for (uint32_t k = 0; k < 5; ++k)
    {
        const uint32_t x = 120 + k * 90;
        FillRect(p, x, 300 + k * 6, 60, 10, {200, 200, 190});
        FillRect(p, x + 6, 294 + k * 6, 14, 6, {60, 60, 60});
    }
    FillRect(p, 0, 236, 640, 14, {40, 60, 40});
    Centre(p, "START OF DAY", 40, 5, {255, 250, 230});
    Centre(p, "THE BOATS ARE AT THE RAMP", 90, 2, {255, 245, 220});
    return p;
}

QrImagePixels WaitingBanner()
{
    QrImagePixels p = Gradient(452, 47, {30, 40, 70}, {15, 20, 40});
    FillRect(p, 0, 0, 452, 2, {250, 220, 120});
    FillRect(p, 0, 45, 452, 2, {250, 220, 120});
    Centre(p, "WAITING FOR THE OTHER PLAYERS", 16, 2, {250, 230, 150});
    return p;
}

QrImagePixels ChatPanel()
{
    QrImagePixels p = Gradient(570, 100, {30, 50, 80}, {15, 25, 45});
    FillRect(p, 0, 0, 570, 2, {160, 180, 210});
    FillRect(p, 0, 98, 570, 2, {5, 10, 20});
    DrawLabel(p, 16, 8, "SAY", 2, 200, 210, 230);
    FillRect(p, 12, 22, 326, 30, {5, 15, 30});
    DrawLabel(p, 350, 2, "PLAYERS", 1, 200, 210, 230);
    FillRect(p, 348, 9, 110, 74, {10, 25, 45});
    return p;
}

} // namespace

void AddNetScreenPictures(tools::PackContents& pack)
{
    AddScreenPicture(pack, 7000, DayStartBackground(), kDayStartGroup);
    AddScreenPicture(pack, 103, WaitingBanner(), kDayStartGroup);
    for (uint32_t id : {15u, 16u, 20u, 21u})
        ShareScreenPicture(pack, id, kDayStartGroup);
    AddScreenPicture(pack, 49, ChatPanel(), kChatGroup);
    AddScreenPicture(pack, 50, Button(90, 34, "CLOSE", {120, 60, 50}, false), kChatGroup);
    AddScreenPicture(pack, 51, Button(90, 34, "CLOSE", {120, 60, 50}, true), kChatGroup);
    AddScreenPicture(pack, 52, Button(90, 34, "SEND", {50, 110, 60}, false), kChatGroup);
    AddScreenPicture(pack, 53, Button(90, 34, "SEND", {50, 110, 60}, true), kChatGroup);
}

} // namespace gen
