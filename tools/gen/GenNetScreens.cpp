// Placeholder pictures of the start-of-day screen (group 29) and the chat panel (loaded with
// the permanent group, since the panel comes up over any screen).

#include "GenNetScreens.h"

#include "LabelFont.h"

#include "ImageWriters.h"

#include <algorithm>
#include <string>

namespace gen
{

namespace
{

constexpr uint32_t kPicture = 0x80000010;
constexpr uint32_t kDayStartGroup = 29;
constexpr uint32_t kChatGroup = 0;

struct Rgb
{
    uint8_t r, g, b;
};

void Fill(QrImagePixels& p, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, Rgb c)
{
    for (uint32_t y = y0; y < std::min(y0 + h, p.GetHeight()); ++y)
        for (uint32_t x = x0; x < std::min(x0 + w, p.GetWidth()); ++x)
        {
            uint8_t* px = p.GetRow(y) + x * 3;
            px[0] = c.r;
            px[1] = c.g;
            px[2] = c.b;
        }
}

QrImagePixels Blank(uint32_t w, uint32_t h, Rgb top, Rgb bottom)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, w, h);
    for (uint32_t y = 0; y < h; ++y)
    {
        const float t = h > 1 ? float(y) / float(h - 1) : 0.0f;
        const Rgb c{uint8_t(top.r + (bottom.r - top.r) * t), uint8_t(top.g + (bottom.g - top.g) * t),
                    uint8_t(top.b + (bottom.b - top.b) * t)};
        Fill(p, 0, y, w, 1, c);
    }
    return p;
}

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
    QrImagePixels p = Blank(w, h, base, {uint8_t(base.r * 3 / 4), uint8_t(base.g * 3 / 4), uint8_t(base.b * 3 / 4)});
    Fill(p, 0, 0, w, 2, {230, 230, 220});
    Fill(p, 0, 0, 2, h, {230, 230, 220});
    Fill(p, 0, h - 2, w, 2, {30, 30, 30});
    Fill(p, w - 2, 0, 2, h, {30, 30, 30});
    uint32_t scale = 2;
    while (scale > 1 && LabelWidth(text, scale) + 6 > w)
        --scale;
    const uint32_t tw = LabelWidth(text, scale);
    DrawLabel(p, w > tw ? (w - tw) / 2 : 0, (h - 7 * scale) / 2, text, scale, 255, 255, 240);
    return p;
}

void Add(tools::PackContents& pack, uint32_t id, const QrImagePixels& picture, uint32_t group)
{
    tools::PackItem item;
    item.type = kPicture;
    item.id = id;
    item.data = tools::WriteBMP(picture, {24, false, 0});
    pack.Add(std::move(item), {group});
}

void Share(tools::PackContents& pack, uint32_t id, uint32_t group)
{
    tools::PackItem item;
    item.type = kPicture;
    item.id = id;
    pack.Add(std::move(item), {group});
}

// Dawn over the lake: the boats wait at the ramp.
QrImagePixels DayStartBackground()
{
    QrImagePixels p = Blank(640, 480, {230, 150, 90}, {120, 140, 170});
    Fill(p, 0, 250, 640, 230, {30, 70, 100});
    for (uint32_t k = 0; k < 5; ++k)
    {
        const uint32_t x = 120 + k * 90;
        Fill(p, x, 300 + k * 6, 60, 10, {200, 200, 190});
        Fill(p, x + 6, 294 + k * 6, 14, 6, {60, 60, 60});
    }
    Fill(p, 0, 236, 640, 14, {40, 60, 40});
    Centre(p, "START OF DAY", 40, 5, {255, 250, 230});
    Centre(p, "THE BOATS ARE AT THE RAMP", 90, 2, {255, 245, 220});
    return p;
}

QrImagePixels WaitingBanner()
{
    QrImagePixels p = Blank(452, 47, {30, 40, 70}, {15, 20, 40});
    Fill(p, 0, 0, 452, 2, {250, 220, 120});
    Fill(p, 0, 45, 452, 2, {250, 220, 120});
    Centre(p, "WAITING FOR THE OTHER PLAYERS", 16, 2, {250, 230, 150});
    return p;
}

QrImagePixels ChatPanel()
{
    QrImagePixels p = Blank(570, 100, {30, 50, 80}, {15, 25, 45});
    Fill(p, 0, 0, 570, 2, {160, 180, 210});
    Fill(p, 0, 98, 570, 2, {5, 10, 20});
    DrawLabel(p, 16, 8, "SAY", 2, 200, 210, 230);
    Fill(p, 12, 22, 326, 30, {5, 15, 30});
    DrawLabel(p, 350, 2, "PLAYERS", 1, 200, 210, 230);
    Fill(p, 348, 9, 110, 74, {10, 25, 45});
    return p;
}

} // namespace

void AddNetScreenPictures(tools::PackContents& pack)
{
    Add(pack, 7000, DayStartBackground(), kDayStartGroup);
    Add(pack, 103, WaitingBanner(), kDayStartGroup);
    for (uint32_t id : {15u, 16u, 20u, 21u})
        Share(pack, id, kDayStartGroup);
    Add(pack, 49, ChatPanel(), kChatGroup);
    Add(pack, 50, Button(90, 34, "CLOSE", {120, 60, 50}, false), kChatGroup);
    Add(pack, 51, Button(90, 34, "CLOSE", {120, 60, 50}, true), kChatGroup);
    Add(pack, 52, Button(90, 34, "SEND", {50, 110, 60}, false), kChatGroup);
    Add(pack, 53, Button(90, 34, "SEND", {50, 110, 60}, true), kChatGroup);
}

} // namespace gen
