// Placeholder pictures of the second set of front-end screens, drawn where the screens put
// their texts and buttons, and the sponsors' web pages in "web".

#include "GenFrontEnd2.h"

#include "GenScreenPictures.h"

#include "LabelFont.h"
#include "SampleData.h"

#include "ImageWriters.h"

#include "Font.h"
#include "tovFishingKeys.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace gen
{

namespace
{

struct Label
{
    uint32_t x, y;
    std::string text;
    uint32_t scale;
};

// The web page files, in page order; the screen's table lists the same names.
const char* const kSponsors[21] = {
    "harrowlake", "tarnline",   "kettlebay",  "ironreel",  "mossback",  "riverrun",  "stillwater",
    "deepcove",   "brightlure", "pinecreek",  "stonebay",  "bluegill",  "northwind", "silverline",
    "redfin",     "marshland",  "copperhook", "eastshore", "greenbank", "lakeside",  "thetour",
};

void Write(QrImagePixels& p, const std::vector<Label>& labels, Rgb c = {250, 245, 220})
{
    for (const Label& l : labels)
        DrawLabel(p, l.x, l.y, l.text, l.scale, c.r, c.g, c.b);
}

// A full screen: sky fading into the lake's deep water.
QrImagePixels Screen(Rgb sky, Rgb lake)
{
    return Gradient(640, 480, sky, lake);
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Text in a real face, blended by the glyphs' coverage; the pen's y is the baseline.
void DrawText(QrImagePixels& p, const plat::Font& font, int32_t x, int32_t baseline, const std::string& text, Rgb c)
{
    const int32_t top = baseline - font.Ascent();
    if (x >= 0 && top >= 0)
        NoteLabel(p, text, uint32_t(x), uint32_t(top), uint32_t(font.MeasureText(text).width), uint32_t(font.Height()));
    for (unsigned char ch : text)
    {
        const plat::Glyph& g = font.GlyphOf(ch);
        for (int32_t gy = 0; gy < g.rows; ++gy)
            for (int32_t gx = 0; gx < g.width; ++gx)
            {
                const int32_t px = x + g.left + gx;
                const int32_t py = baseline - g.top + gy;
                const uint32_t a = g.coverage[static_cast<size_t>(gy * g.width + gx)];
                if (a == 0 || px < 0 || py < 0 || px >= int32_t(p.GetWidth()) || py >= int32_t(p.GetHeight()))
                    continue;
                uint8_t* d = p.GetRow(uint32_t(py)) + uint32_t(px) * 3;
                d[0] = uint8_t((d[0] * (255 - a) + c.r * a) / 255);
                d[1] = uint8_t((d[1] * (255 - a) + c.g * a) / 255);
                d[2] = uint8_t((d[2] * (255 - a) + c.b * a) / 255);
            }
        x += g.advance;
    }
}

// A darker panel the text stands on.
void Panel(QrImagePixels& p, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h)
{
    for (uint32_t y = y0; y < std::min(y0 + h, p.GetHeight()); ++y)
        for (uint32_t x = x0; x < std::min(x0 + w, p.GetWidth()); ++x)
        {
            uint8_t* d = p.GetRow(y) + x * 3;
            for (int i = 0; i < 3; ++i)
                d[i] = uint8_t(d[i] * 2 / 5);
        }
    FillRect(p, x0, y0, w, 1, {120, 150, 180});
    FillRect(p, x0, y0 + h - 1, w, 1, {120, 150, 180});
}

// The keys, drawn from the fishing screen's own key table: two columns of sections, each
// line the keys in yellow and what they do in white, and the first steps of a day below.
void AddHelp(tools::PackContents& pack)
{
    QrImagePixels p = Screen({40, 70, 110}, {15, 40, 70});
    const Rgb title{250, 230, 120};
    const Rgb keys{255, 220, 90};
    const Rgb white{245, 245, 235};
    constexpr int32_t kWidth = 302;
    const auto heading = plat::Font::Create("Verdana", 30, 700);
    // The largest size at which every line fits its column.
    std::unique_ptr<plat::Font> bold, plain;
    int32_t keyWidth = 0;
    for (int32_t size = 17; size >= 12; --size)
    {
        bold = plat::Font::Create("Verdana", size, 700);
        plain = plat::Font::Create("Verdana", size, 400);
        if (!bold || !plain)
            break;
        keyWidth = 0;
        int32_t textWidth = 0;
        for (size_t i = 0; i < HelpLines().size(); ++i)
        {
            keyWidth = std::max(keyWidth, bold->MeasureText(HelpLineKeys(int32_t(i))).width + 10);
            textWidth = std::max(textWidth, plain->MeasureText(HelpLines()[i].text).width);
        }
        if (14 + keyWidth + textWidth + 8 <= kWidth)
            break;
    }
    if (!heading || !bold || !plain)
    {
        // No face to draw with: the keys in the block font, one line each.
        CentreLabel(p, "KEYS", 12, 4, title);
        uint32_t y = 60;
        for (size_t i = 0; i < HelpLines().size(); ++i, y += 18)
            DrawLabel(p, 40, y, HelpLineKeys(int32_t(i)) + "  " + Upper(HelpLines()[i].text), 2, 250, 245, 220);
        AddScreenPicture(pack, 10000, p, {34});
        return;
    }
    const std::string name = "KEYS AND MOUSE";
    DrawText(p, *heading, (640 - heading->MeasureText(name).width) / 2, 40, name, title);

    using S = tovHelpLine;
    struct Column
    {
        int32_t x;
        std::vector<S::Section> sections;
    };
    const Column columns[] = {{12, {S::kDriving, S::kEverywhere}}, {326, {S::kFishing, S::kTrolling, S::kCameras}}};
    constexpr int32_t kTop = 58;
    constexpr int32_t kRow = 22;
    for (const Column& column : columns)
    {
        int32_t rows = 0;
        for (S::Section section : column.sections)
            rows += 1 + int32_t(std::count_if(HelpLines().begin(), HelpLines().end(),
                                              [section](const S& l) { return l.section == section; }));
        Panel(p, uint32_t(column.x), kTop, kWidth, uint32_t(rows * kRow + 12));
        int32_t baseline = kTop + 22;
        for (S::Section section : column.sections)
        {
            DrawText(p, *bold, column.x + 8, baseline, HelpSectionTitle(section), title);
            FillRect(p, uint32_t(column.x + 8), uint32_t(baseline + 4), kWidth - 16, 1, {90, 110, 130});
            baseline += kRow;
            for (size_t i = 0; i < HelpLines().size(); ++i)
            {
                if (HelpLines()[i].section != section)
                    continue;
                DrawText(p, *bold, column.x + 14, baseline, HelpLineKeys(int32_t(i)), keys);
                DrawText(p, *plain, column.x + 14 + keyWidth, baseline, HelpLines()[i].text, white);
                baseline += kRow;
            }
        }
    }
    // A first day, as a newcomer plays it.
    const char* steps[] = {"First day: M, then Up to drive; Left, Right to steer.",
                           "Space, then S to stand. Hold the left button, let go: cast.",
                           "Hold it to reel. A strike? Click at once to set the hook."};
    int32_t baseline = 394;
    for (const char* step : steps)
    {
        DrawText(p, *plain, 170, baseline, step, white);
        baseline += 20;
    }
    AddScreenPicture(pack, 10000, p, {34});
}

void AddLakeInfo(tools::PackContents& pack)
{
    QrImagePixels p = Screen({70, 120, 160}, {20, 60, 90});
    CentreLabel(p, "LAKE INFORMATION", 24, 4, {250, 230, 120});
    const std::pair<uint32_t, const char*> rows[] = {{95, "SKY"},         {144, "WIND FROM"},    {192, "WIND MPH"},
                                                     {240, "AIR TEMP F"}, {288, "WATER TEMP F"}, {336, "CLARITY"}};
    for (const auto& [y, caption] : rows)
    {
        Well(p, 365, y - 4, 190, 26);
        DrawLabel(p, 90, y, caption, 2, 250, 245, 220);
    }
    AddScreenPicture(pack, 10010, p, {35});
}

void AddCareer(tools::PackContents& pack)
{
    QrImagePixels p = Screen({90, 70, 50}, {40, 30, 20});
    Well(p, 182, 14, 440, 30);
    Write(p, {{16, 22, "CAREER", 2}});
    const char* columns[] = {"SLOT 1", "SLOT 2", "SLOT 3", "NETWORK"};
    for (uint32_t k = 0; k < 4; ++k)
        DrawLabel(p, 226 + 101 * k, 70, columns[k], 2, 250, 230, 120);
    const std::pair<uint32_t, const char*> rows[] = {{105, "WINS"},       {149, "GAMES"},    {195, "TOP FIVE"},
                                                     {240, "AVG FINISH"}, {285, "WINNINGS"}, {329, "BIGGEST BASS"},
                                                     {375, "AVG BASS"}};
    for (const auto& [y, caption] : rows)
    {
        FillRect(p, 16, y + 30, 608, 1, {150, 130, 100});
        DrawLabel(p, 20, y + 4, caption, 2, 250, 245, 220);
    }
    AddScreenPicture(pack, 7200, p, {31});
}

void AddOptions(tools::PackContents& pack)
{
    QrImagePixels p = Screen({60, 90, 70}, {20, 40, 30});
    Write(p, {{40, 14, "OPTIONS", 4}});
    const char* rows[] = {"EFFECT SOUNDS", "EFFECTS VOLUME", "MUSIC VOLUME",
                          "DETAIL",        "DAY LENGTH",     "TOURNAMENT LENGTH"};
    for (uint32_t i = 0; i < 6; ++i)
    {
        const uint32_t y = 61 + 59 * i;
        DrawLabel(p, 60, y + 8, rows[i], 2, 250, 245, 220);
        Well(p, 499, y + 8, 74, 12);
    }
    AddScreenPicture(pack, 523, p, {16});
    // Bar n fills n + 1 fifteenths, green to yellow.
    for (uint32_t n = 0; n < 15; ++n)
    {
        QrImagePixels bar;
        bar.Allocate(QrImagePixels::kFormatRGB, 74, 12);
        FillRect(bar, 0, 0, 74, 12, {20, 40, 60});
        const uint32_t filled = 74 * (n + 1) / 15;
        for (uint32_t x = 0; x < filled; ++x)
            FillRect(bar, x, 1, 1, 10, {uint8_t(60 + 190 * x / 74), 200, 60});
        AddScreenPicture(pack, 524 + n, bar, {16});
    }
    const Rgb green{50, 120, 60};
    AddScreenPicture(pack, 12, BevelButton(30, 30, "-", green, false), {16});
    AddScreenPicture(pack, 11, BevelButton(30, 30, "-", green, true), {16});
    AddScreenPicture(pack, 95, BevelButton(30, 30, "-", {110, 110, 110}, false), {16});
    QrImagePixels plus[3] = {BevelButton(30, 30, "", green, false), BevelButton(30, 30, "", green, true),
                             BevelButton(30, 30, "", {110, 110, 110}, false)};
    for (QrImagePixels& b : plus)
    {
        FillRect(b, 9, 14, 12, 3, {255, 255, 240});
        FillRect(b, 14, 9, 3, 12, {255, 255, 240});
    }
    AddScreenPicture(pack, 14, plus[0], {16});
    AddScreenPicture(pack, 13, plus[1], {16});
    AddScreenPicture(pack, 96, plus[2], {16});
    for (uint32_t id : {17u, 18u, 22u, 23u})
        ShareScreenPicture(pack, id, 16);
}

void AddSponsors(tools::PackContents& pack)
{
    QrImagePixels list = Screen({50, 60, 100}, {20, 25, 50});
    Write(list, {{220, 440, "OUR SPONSORS", 3}});
    AddScreenPicture(pack, 5000, list, {28});
    const Rgb colours[] = {{40, 90, 150}, {150, 80, 40}, {60, 120, 60}, {120, 60, 120}};
    for (uint32_t i = 0; i < 21; ++i)
    {
        const std::string name = Upper(kSponsors[i]);
        const Rgb c = colours[i % 4];
        // One size for every name: none stands out or shrinks beside the others.
        AddScreenPicture(pack, 5022 + i, BevelButton(128, 34, name, c, false, 2), {28});
        // Pressed 5001..5021 in page order, but page 20 has 5015 and page 14 has 5016.
        const uint32_t pressed = i == 20 ? 5015 : i == 14 ? 5016 : i < 14 ? 5001 + i : 5002 + i;
        AddScreenPicture(pack, pressed, BevelButton(128, 34, name, c, true, 2), {28});

        QrImagePixels page = Screen({c.r, c.g, c.b}, {20, 30, 40});
        CentreLabel(page, name, 150, 5, {250, 245, 220});
        CentreLabel(page, "PROUD SPONSOR OF THE TOUR", 230, 3, {250, 230, 120});
        CentreLabel(page, "PRESS VISIT FOR OUR WEB PAGE", 280, 2, {220, 220, 220});
        AddScreenPicture(pack, 5100 + i, page, {27});
    }
    AddScreenPicture(pack, 5121, BevelButton(120, 36, "VISIT", {50, 120, 60}, false), {27});
    AddScreenPicture(pack, 5122, BevelButton(120, 36, "VISIT", {50, 120, 60}, true), {27});
}

void AddConditions(tools::PackContents& pack)
{
    QrImagePixels p = Screen({80, 130, 170}, {20, 60, 90});
    Write(p, {{40, 14, "FISHING CONDITIONS", 4}});
    const std::pair<uint32_t, const char*> rows[] = {{77, "SKY"},         {131, "WIND FROM"},    {185, "WIND MPH"},
                                                     {239, "AIR TEMP F"}, {293, "WATER TEMP F"}, {347, "CLARITY"}};
    for (const auto& [y, caption] : rows)
        DrawLabel(p, 90, y + 10, caption, 3, 250, 245, 220);
    for (uint32_t y : {193u, 247u, 301u})
        Well(p, 515, y - 2, 36, 19);
    AddScreenPicture(pack, 345, p, {10});
    auto panel = [](const std::string& text, Rgb c)
    {
        QrImagePixels q = Gradient(100, 54, c, {uint8_t(c.r / 2), uint8_t(c.g / 2), uint8_t(c.b / 2)});
        CentreLabel(q, text, 20, 2, {255, 255, 240});
        return q;
    };
    const char* clarity[] = {"CLEAR", "CLOUDY", "MURKY", "MUDDY"};
    const Rgb water[] = {{60, 140, 190}, {90, 130, 140}, {100, 110, 80}, {120, 90, 50}};
    for (uint32_t i = 0; i < 4; ++i)
        AddScreenPicture(pack, 328 + i, panel(clarity[i], water[i]), {10});
    // The words the lake information page later gives the same sky.
    const char* sky[] = {"CLEAR", "PARTLY CLOUDY", "MOSTLY CLOUDY", "CLOUDY|FOG", "RAIN"};
    const Rgb skies[] = {{90, 170, 230}, {110, 160, 210}, {130, 140, 160}, {150, 150, 150}, {90, 100, 120}};
    for (uint32_t i = 0; i < 5; ++i)
    {
        QrImagePixels q =
            Gradient(100, 54, skies[i], {uint8_t(skies[i].r / 2), uint8_t(skies[i].g / 2), uint8_t(skies[i].b / 2)});
        BoxLabel(q, 0, 0, 100, 54, sky[i], 2, {255, 255, 240}, 4);
        AddScreenPicture(pack, 332 + i, q, {10});
    }
    const char* points[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    for (uint32_t i = 0; i < 8; ++i)
        AddScreenPicture(pack, 337 + i, panel(points[i], {60, 90, 120}), {10});
    for (uint32_t d = 0; d < 10; ++d)
    {
        QrImagePixels digit = Gradient(15, 15, {20, 40, 60}, {20, 40, 60});
        // The whole 15 x 15 cell: a digit 14 pixels high, the tens and units side by side.
        DrawLabel(digit, 3, 1, std::to_string(d), 2, 255, 255, 200);
        AddScreenPicture(pack, 304 + d, digit, {10});
        AddScreenPicture(pack, 314 + d, digit, {10});
    }
    AddScreenPicture(pack, 21, BevelButton(110, 40, "GO FISH", {50, 120, 60}, false), {10});
    AddScreenPicture(pack, 20, BevelButton(110, 40, "GO FISH", {50, 120, 60}, true), {10});
    for (uint32_t id : {11u, 12u, 13u, 14u})
        ShareScreenPicture(pack, id, 10);
}

} // namespace

void AddFrontEndPictures2(tools::PackContents& pack)
{
    AddHelp(pack);
    AddLakeInfo(pack);
    AddCareer(pack);
    AddOptions(pack);
    AddSponsors(pack);
    AddTackleBoxPictures(pack);
    AddConditions(pack);
    for (uint32_t group : {10u, 16u, 27u, 28u, 31u, 34u, 35u})
    {
        ShareScreenPicture(pack, 15, group);
        ShareScreenPicture(pack, 16, group);
    }
}

void GenerateSponsorPages(Context& context)
{
    for (const char* sponsor : kSponsors)
    {
        const std::string name = Upper(sponsor);
        const std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + name +
                                 "</title></head>\n<body style=\"background:#1d3550;color:#f5f0dc;"
                                 "font-family:Verdana,sans-serif\">\n<h1>" +
                                 name + "</h1>\n<p>Proud sponsor of the bass tour.</p>\n</body></html>\n";
        context.WriteBytes(std::string("web/") + sponsor + ".htm",
                           std::vector<unsigned char>(html.begin(), html.end()));
    }
}

} // namespace gen
