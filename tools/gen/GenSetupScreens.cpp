// Placeholder pictures of the profiles and tournament set-up screens, drawn where the screens
// put their lists, fields and buttons, and the lakes' own set-up pictures and fanfare.

#include "GenSetupScreens.h"

#include "GenScreenPictures.h"

#include "GenSounds.h"
#include "LabelFont.h"

#include "ImageWriters.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace gen
{

namespace
{

constexpr uint32_t kSound = 0x80000004;
constexpr uint32_t kSetupGroup = 12;
constexpr uint32_t kProfileGroup = 18;

const Rgb kCream{250, 245, 220};
const Rgb kGold{250, 230, 120};
// The value pictures stand at x 490, the minus arrows (30 wide) at x 472.
constexpr uint32_t kValueCovered = 502 - 490;

void Label(QrImagePixels& p, uint32_t x, uint32_t y, const std::string& text, uint32_t scale, Rgb c = kCream)
{
    DrawLabel(p, x, y, text, scale, c.r, c.g, c.b);
}

void AddButton(tools::PackContents& pack, uint32_t normal, uint32_t lit, uint32_t w, uint32_t h,
               const std::string& text, Rgb face, uint32_t group)
{
    AddScreenPicture(pack, normal, BevelButton(w, h, text, face, false), {group});
    AddScreenPicture(pack, lit, BevelButton(w, h, text, face, true), {group});
}

void AddSetup(tools::PackContents& pack)
{
    QrImagePixels p = Gradient(640, 480, {70, 110, 150}, {20, 50, 80});
    Label(p, 40, 8, "TOURNAMENT SET-UP", 3, kGold);
    // Frames around the two lake pictures; the lake's name stands between its arrows.
    Well(p, 77, 36, 360, 200);
    Well(p, 450, 216, 160, 160);
    Well(p, 504, 56, 90, 26);
    Label(p, 527, 62, "LAKE", 2);
    // One backdrop for every mode: the lines say what each mode's controls do, and name the
    // accept button by its own word.
    Label(p, 77, 256, "STEP THROUGH THE LAKES", 2);
    Label(p, 77, 280, "A TOURNAMENT ALSO SETS", 2);
    Label(p, 77, 304, "ITS DAYS AND MINUTES A DAY", 2);
    Label(p, 77, 328, "GO FISH STARTS THE DAY", 2);
    AddScreenPicture(pack, 389, p, {kSetupGroup});

    // 390 frames the number of days, 391 the day length; the value stands between the arrows,
    // whose minus overlaps the value picture's first 12 pixels.
    for (uint32_t i = 0; i < 2; ++i)
    {
        QrImagePixels panel = Gradient(169, 47, {60, 90, 120}, {30, 45, 60});
        AddScreenPicture(pack, 390 + i, panel, {kSetupGroup});
    }
    const char* lengths[] = {"10 MIN", "20 MIN", "40 MIN", "1 HOUR"};
    const char* days[] = {"1 DAY", "2 DAYS", "3 DAYS", "4 DAYS"};
    for (uint32_t i = 0; i < 4; ++i)
    {
        QrImagePixels a = Gradient(104, 25, {20, 40, 60}, {20, 40, 60});
        BoxLabel(a, kValueCovered, 0, 104 - kValueCovered, 25, lengths[i], 2, kCream);
        AddScreenPicture(pack, 503 + i, a, {kSetupGroup});
        QrImagePixels b = Gradient(104, 25, {20, 40, 60}, {20, 40, 60});
        BoxLabel(b, kValueCovered, 0, 104 - kValueCovered, 25, days[i], 2, kCream);
        AddScreenPicture(pack, 507 + i, b, {kSetupGroup});
    }
    const Rgb green{50, 120, 60};
    AddButton(pack, 386, 387, 150, 40, "CONDITIONS", green, kSetupGroup);
    AddScreenPicture(pack, 388, BevelButton(150, 40, "CONDITIONS", {110, 110, 110}, false), {kSetupGroup});
    for (uint32_t id : {11u, 12u, 13u, 14u, 15u, 16u, 20u, 21u, 95u, 96u})
        ShareScreenPicture(pack, id, kSetupGroup);
}

void AddProfiles(tools::PackContents& pack)
{
    QrImagePixels p = Gradient(640, 480, {60, 90, 70}, {20, 40, 30});
    Label(p, 210, 30, "PLAYER PROFILES", 3, kGold);
    Well(p, 100, 98, 436, 296);
    for (uint32_t k = 0; k < 7; ++k)
        FillRect(p, 106, 129 + 41 * k, 424, 1, {60, 90, 110});
    AddScreenPicture(pack, 609, p, {kProfileGroup});

    QrImagePixels panel = Gradient(640, 220, {70, 80, 100}, {35, 40, 50});
    Label(panel, 20, 30, "NEW PLAYER", 3, kGold);
    Label(panel, 20, 77, "NAME", 2);
    Label(panel, 20, 116, "TOWN", 2);
    Label(panel, 20, 153, "STATE", 2);
    Well(panel, 92, 72, 531, 23);
    Well(panel, 92, 111, 531, 23);
    Well(panel, 92, 148, 272, 23);
    AddScreenPicture(pack, 608, panel, {kProfileGroup});

    const Rgb green{50, 120, 60};
    const Rgb blue{50, 80, 150};
    const Rgb red{140, 50, 40};
    AddButton(pack, 600, 601, 110, 34, "SELECT", green, kProfileGroup);
    AddButton(pack, 602, 603, 110, 34, "NEW", blue, kProfileGroup);
    AddButton(pack, 604, 605, 96, 34, "CANCEL", red, kProfileGroup);
    AddButton(pack, 606, 607, 110, 40, "CREATE", green, kProfileGroup);
    AddButton(pack, 610, 611, 110, 34, "DELETE", red, kProfileGroup);
    AddScreenPicture(pack, 109, BevelButton(96, 36, "QUIT", {110, 110, 110}, false), {kProfileGroup});
    for (uint32_t id : {17u, 18u, 22u, 23u, 57u, 58u, 59u, 60u, 107u, 108u})
        ShareScreenPicture(pack, id, kProfileGroup);
}

uint32_t Hash(const std::string& text)
{
    uint32_t h = 2166136261u;
    for (char c : text)
        h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    return h;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The lake from its shore: sky, a wooded far bank, water with a dock.
QrImagePixels ShoreView(const std::string& name, uint32_t seed)
{
    constexpr uint32_t kW = 360;
    constexpr uint32_t kH = 200;
    const uint32_t horizon = 80 + seed % 20;
    QrImagePixels p = Gradient(kW, kH, {120, 170, 220}, {200, 220, 235});
    for (uint32_t x = 0; x < kW; ++x)
    {
        const float wave = std::sin(float(x) * 0.045f + float(seed % 7)) * 9.0f + std::sin(float(x) * 0.13f) * 4.0f;
        const uint32_t top = uint32_t(float(horizon) - 18.0f - wave);
        FillRect(p, x, top, 1, horizon - top, {uint8_t(30 + seed % 30), 80, 40});
    }
    QrImagePixels water = Gradient(kW, kH - horizon, {50, 100, 130}, {20, 50, 80});
    for (uint32_t y = 0; y < water.GetHeight(); ++y)
        for (uint32_t x = 0; x < kW; ++x)
        {
            const uint8_t* src = water.GetRow(y) + x * 3;
            // Ripples: lighter streaks.
            const bool streak = (x * 7 + y * 31 + seed) % 53 == 0;
            FillRect(p, x, horizon + y, 1, 1, streak ? Rgb{150, 190, 210} : Rgb{src[0], src[1], src[2]});
        }
    // The dock: planks and posts reaching into the water.
    const uint32_t dockX = 40 + seed % 200;
    FillRect(p, dockX, horizon + 40, 90, 8, {120, 85, 50});
    for (uint32_t i = 0; i < 4; ++i)
        FillRect(p, dockX + 4 + 28 * i, horizon + 48, 4, 18, {80, 55, 30});
    // Long names take a second line rather than run off the picture.
    BoxLabel(p, 0, kH - 40, kW, 38, Upper(name), 2, kCream, 4);
    return p;
}

// The lake's outline on a map: an irregular blob of water on land.
QrImagePixels Outline(uint32_t seed)
{
    constexpr uint32_t kS = 160;
    QrImagePixels p = Gradient(kS, kS, {150, 170, 110}, {120, 145, 90});
    const float a = 0.15f + float(seed % 5) * 0.04f;
    const float phase = float(seed % 11);
    for (uint32_t y = 0; y < kS; ++y)
        for (uint32_t x = 0; x < kS; ++x)
        {
            const float dx = float(x) - 80.0f;
            const float dy = float(y) - 80.0f;
            const float angle = std::atan2(dy, dx);
            const float radius = 55.0f * (1.0f + a * std::sin(3.0f * angle + phase) + 0.1f * std::sin(7.0f * angle));
            const float d = std::sqrt(dx * dx + dy * dy);
            if (d < radius)
                FillRect(p, x, y, 1, 1, d > radius - 3.0f ? Rgb{200, 190, 150} : Rgb{40, 90, 150});
        }
    return p;
}

// Three rising notes with a soft attack and decay.
std::vector<int16_t> Fanfare(uint32_t seed)
{
    const double base = 392.0 + double(seed % 4) * 22.0;
    const double notes[] = {base, base * 1.25, base * 1.5};
    std::vector<int16_t> samples;
    for (double f : notes)
    {
        const size_t n = kSoundRate / 4;
        for (size_t i = 0; i < n; ++i)
        {
            const double t = double(i) / kSoundRate;
            const double envelope = std::min(1.0, t * 80.0) * std::exp(-t * 6.0);
            const double v = std::sin(2.0 * M_PI * f * t) + 0.3 * std::sin(4.0 * M_PI * f * t);
            samples.push_back(int16_t(v * envelope * 9000.0));
        }
    }
    return samples;
}

} // namespace

void AddSetupScreenPictures(tools::PackContents& pack)
{
    AddSetup(pack);
    AddProfiles(pack);
}

void AddLakeSetupItems(tools::PackContents& pack, const std::string& lakeName, const std::string& fileName)
{
    const uint32_t seed = Hash(fileName);
    AddScreenPicture(pack, 70, ShoreView(lakeName, seed), {0});
    AddScreenPicture(pack, 86, Outline(seed), {0});
    tools::PackItem sound;
    sound.type = kSound;
    sound.id = 17;
    sound.info = tools::PcmFormatRecord(kSoundRate, 1, 16);
    for (int16_t s : Fanfare(seed))
    {
        sound.data.push_back(uint8_t(s & 0xFF));
        sound.data.push_back(uint8_t(uint16_t(s) >> 8));
    }
    pack.Add(std::move(sound), {0});
}

} // namespace gen
