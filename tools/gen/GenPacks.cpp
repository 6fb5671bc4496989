// The main resource pack, Data/tov.waf and .wdt: the shell's pictures as labelled
// placeholders at the sizes the screens draw them, its click, boat and weather sounds, and a
// few raw items; some items load in the background or on first use, some sit in two groups.

#include "SampleData.h"

#include "GenFishingHud.h"
#include "GenFrontEnd2.h"
#include "GenLivewellLook.h"
#include "GenNetScreens.h"
#include "GenScreenPictures.h"
#include "GenSetupScreens.h"
#include "GenSounds.h"
#include "GenTravelMap.h"
#include "LabelFont.h"

#include "ImageWriters.h"
#include "PackWriter.h"

#include <algorithm>

namespace gen
{

namespace
{

constexpr uint32_t kPicture = 0x80000010;
constexpr uint32_t kSound = 0x80000004;
constexpr uint32_t kBytes = 0x80000007;
constexpr uint32_t kInfoAndData = 0x80000001;
constexpr uint32_t kAsync = 1;
constexpr uint32_t kOnFirstUse = 2;
// The shared toggles (pictures 45 to 48) stand 30 px apart on the angler look screen and 40 px
// left of the livewell rows' text.
constexpr uint32_t kToggleWidth = 32;
constexpr uint32_t kToggleHeight = 26;

enum class Look
{
    kScreen,   // a full backdrop: sky over water, title band
    kPanel,    // a framed panel
    kButton,   // a bevelled button
    kPressed,  // the same, pushed in
    kHover,    // lit
    kDisabled, // greyed
};

void Frame(QrImagePixels& p, uint32_t width, Rgb light, Rgb dark)
{
    const uint32_t bpp = p.GetBytesPerPixel();
    for (uint32_t y = 0; y < p.GetHeight(); ++y)
    {
        for (uint32_t x = 0; x < p.GetWidth(); ++x)
        {
            const bool left = x < width || y < width;
            const bool right = x >= p.GetWidth() - width || y >= p.GetHeight() - width;
            if (!left && !right)
                continue;
            const Rgb c = left ? light : dark;
            uint8_t* px = p.GetRow(y) + size_t(x) * bpp;
            px[0] = c.r;
            px[1] = c.g;
            px[2] = c.b;
        }
    }
}

void Centre(QrImagePixels& p, const std::string& text, Rgb colour, uint32_t maxScale)
{
    uint32_t scale = maxScale;
    while (scale > 1 && (LabelWidth(text, scale) + 8 > p.GetWidth() || 7 * scale + 4 > p.GetHeight()))
        --scale;
    const uint32_t w = LabelWidth(text, scale);
    const uint32_t x = p.GetWidth() > w ? (p.GetWidth() - w) / 2 : 0;
    const uint32_t y = p.GetHeight() > 7 * scale ? (p.GetHeight() - 7 * scale) / 2 : 0;
    DrawLabel(p, x, y, text, scale, colour.r, colour.g, colour.b);
}

QrImagePixels MakePicture(Look look, uint32_t w, uint32_t h, const std::string& label, Rgb base)
{
    QrImagePixels p;
    switch (look)
    {
    case Look::kScreen:
        p = Gradient(w, h, Shade(base, 1.3f), Shade(base, 0.45f));
        Centre(p, label, {250, 250, 235}, 4);
        break;
    case Look::kPanel:
        p = Gradient(w, h, Shade(base, 1.1f), Shade(base, 0.8f));
        Frame(p, 3, Shade(base, 1.6f), Shade(base, 0.4f));
        Centre(p, label, {255, 255, 255}, 3);
        break;
    case Look::kButton:
    case Look::kHover:
    case Look::kPressed:
    case Look::kDisabled:
    {
        const Rgb face = look == Look::kHover      ? Shade(base, 1.35f)
                         : look == Look::kPressed  ? Shade(base, 0.7f)
                         : look == Look::kDisabled ? Rgb{110, 110, 110}
                                                   : base;
        p = Gradient(w, h, Shade(face, 1.15f), Shade(face, 0.85f));
        const bool in = look == Look::kPressed;
        Frame(p, 2, in ? Shade(face, 0.5f) : Shade(face, 1.6f), in ? Shade(face, 1.6f) : Shade(face, 0.5f));
        Centre(p, label, look == Look::kDisabled ? Rgb{170, 170, 170} : Rgb{255, 255, 240}, 3);
        break;
    }
    }
    return p;
}

// Buttons become 8-bit palettised files: the picture's colours fit a palette when the
// gradient is quantised.
QrImagePixels ToPalettised(const QrImagePixels& rgb)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatPalettized, rgb.GetWidth(), rgb.GetHeight());
    std::vector<uint32_t> colours;
    for (uint32_t y = 0; y < rgb.GetHeight(); ++y)
    {
        for (uint32_t x = 0; x < rgb.GetWidth(); ++x)
        {
            const uint8_t* c = rgb.GetRow(y) + x * 3;
            // 5 bits per channel keeps every button under 256 colours.
            const uint32_t key = (uint32_t(c[0] >> 3) << 10) | (uint32_t(c[1] >> 3) << 5) | (c[2] >> 3);
            auto it = std::find(colours.begin(), colours.end(), key);
            if (it == colours.end() && colours.size() < 256)
            {
                colours.push_back(key);
                it = colours.end() - 1;
                uint8_t* entry = p.GetPalette() + (colours.size() - 1) * 4;
                entry[0] = uint8_t((key >> 10) << 3);
                entry[1] = uint8_t(((key >> 5) & 31) << 3);
                entry[2] = uint8_t((key & 31) << 3);
            }
            p.GetRow(y)[x] = uint8_t(it == colours.end() ? 0 : it - colours.begin());
        }
    }
    MoveNotedLabels(rgb, p);
    return p;
}

// A bevelled check box, lit under the pointer, amber with a check mark when selected. No
// pixel is black: the keyed draws would drop it.
QrImagePixels MakeToggle(bool lit, bool selected)
{
    const Rgb base = selected ? Rgb{200, 150, 40} : Rgb{40, 110, 60};
    const Rgb face = lit ? Shade(base, 1.3f) : base;
    QrImagePixels p = Gradient(kToggleWidth, kToggleHeight, Shade(face, 1.15f), Shade(face, 0.85f));
    Frame(p, 2, Shade(face, 1.6f), Shade(face, 0.5f));
    if (!selected)
        return p;
    // The check: a short stroke down to the right, then a long one up to the right, 3 px thick.
    const auto dot = [&p](uint32_t x, uint32_t y)
    {
        for (uint32_t t = 0; t < 3; ++t)
        {
            uint8_t* px = p.GetRow(y + t) + size_t(x) * 3;
            px[0] = 255;
            px[1] = 255;
            px[2] = 240;
        }
    };
    for (uint32_t i = 0; i < 6; ++i)
        dot(8 + i, 11 + i);
    for (uint32_t i = 0; i < 12; ++i)
        dot(14 + i, 16 - i);
    return p;
}

QrImagePixels MakeCursor(bool busy)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, 32, 32);
    // An arrow with its tip at (1, 2) on black, the colour keyed out when drawn.
    for (uint32_t y = 0; y < 20; ++y)
    {
        for (uint32_t x = 0; x <= y / 2 + 1 && x < 12; ++x)
        {
            uint8_t* px = p.GetRow(y + 2) + (x + 1) * 3;
            const bool edge = x == 0 || x == y / 2 + 1 || y == 19;
            px[0] = edge ? 20 : (busy ? 250 : 255);
            px[1] = edge ? 20 : (busy ? 200 : 255);
            px[2] = edge ? 20 : (busy ? 40 : 255);
        }
    }
    return p;
}

QrImagePixels MakeCaret()
{
    // A 4-bit picture: an underscore drawn where the next letter goes (the editor puts its
    // corner at the text's lower right), light over dark so it shows on any field.
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatPalettized, 10, 4);
    uint8_t* white = p.GetPalette() + 4;
    white[0] = white[1] = white[2] = 255;
    uint8_t* dark = p.GetPalette() + 8;
    dark[0] = dark[1] = dark[2] = 40;
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 10; ++x)
            p.GetRow(y)[x] = y < 2 ? 1 : 2;
    return p;
}

void AddPicture(tools::PackContents& pack, uint32_t id, const QrImagePixels& picture, tools::BmpOptions options,
                std::vector<uint32_t> groups, uint32_t flags = 0)
{
    tools::PackItem item;
    item.type = kPicture;
    item.id = id;
    item.flags = flags;
    item.data = tools::WriteBMP(picture, options);
    FileNotedLabels(picture, id);
    pack.Add(std::move(item), groups);
}

struct ButtonSpec
{
    uint32_t normal;
    uint32_t pressed;
    const char* label;
    Rgb colour;
    uint32_t width;
    uint32_t height;
};

// A button's pictures: the first id is drawn at rest, the second under the pointer and while
// pressed.
void AddButton(tools::PackContents& pack, const ButtonSpec& b, const std::vector<uint32_t>& groups)
{
    const tools::BmpOptions eight{8, false, 0};
    AddPicture(pack, b.normal, ToPalettised(MakePicture(Look::kButton, b.width, b.height, b.label, b.colour)), eight,
               groups);
    AddPicture(pack, b.pressed, ToPalettised(MakePicture(Look::kHover, b.width, b.height, b.label, b.colour)), eight,
               groups);
}

struct Caption
{
    uint32_t x, y;
    const char* text;
    uint32_t scale;
};

// A menu backdrop: sky over a darker lake with a far shore at the horizon, and its captions.
QrImagePixels MenuBackdrop(std::initializer_list<Caption> captions)
{
    constexpr uint32_t kHorizon = 250;
    QrImagePixels p = Gradient(640, 480, {70, 120, 170}, {20, 45, 80});
    for (uint32_t y = kHorizon - 12; y < 480; ++y)
    {
        for (uint32_t x = 0; x < 640; ++x)
        {
            uint8_t* px = p.GetRow(y) + x * 3;
            // The shore: a low band of dark green hills, then the water.
            const uint32_t hill = kHorizon - 4 - (x * 7 % 23) / 3;
            if (y < kHorizon && y >= hill)
            {
                px[0] = 30;
                px[1] = 60;
                px[2] = 35;
            }
            else if (y >= kHorizon)
            {
                const uint32_t depth = (y - kHorizon) / 4;
                px[0] = uint8_t(25);
                px[1] = uint8_t(std::min<uint32_t>(90, 60 + depth / 2));
                px[2] = uint8_t(std::min<uint32_t>(150, 100 + depth));
            }
        }
    }
    for (const Caption& c : captions)
        DrawLabel(p, c.x, c.y, c.text, c.scale, 250, 245, 220);
    return p;
}

void AddScreens(tools::PackContents& pack)
{
    const tools::BmpOptions rgb{24, false, 0};
    AddPicture(pack, 10201, MakePicture(Look::kScreen, 640, 480, "THANKS FOR FISHING", {60, 110, 150}), rgb, {36});
    AddPicture(pack, 10200, MakePicture(Look::kScreen, 640, 480, "TARNHOLM BASS TOURNAMENT", {90, 120, 160}), rgb, {35},
               kAsync);
    AddPicture(pack, 10202, MakePicture(Look::kScreen, 640, 480, "HARROWLAKE GAMES", {120, 100, 60}), rgb, {37},
               kAsync);

    AddPicture(pack, 466, MenuBackdrop({{40, 40, "TARNHOLM", 7}, {44, 104, "BASS TOURNAMENT", 3}}), rgb, {15});
    const Rgb green{50, 120, 60};
    AddButton(pack, {458, 459, "OPTIONS", green, 150, 40}, {15});
    AddButton(pack, {107, 108, "QUIT", {140, 50, 40}, 96, 36}, {15});
    AddButton(pack, {467, 468, "RETURN", green, 150, 40}, {15});
    AddPicture(pack, 469, ToPalettised(MakePicture(Look::kDisabled, 150, 40, "RETURN", green)), {8, false, 0}, {15});
    AddButton(pack, {464, 465, "QUICK FISH", green, 150, 40}, {15});
    AddButton(pack, {470, 471, "PLAY GAME", green, 150, 40}, {15});
    AddButton(pack, {473, 475, "LOAD GAME", green, 150, 40}, {15});
    AddButton(pack, {476, 477, "SAVE GAME", green, 150, 40}, {15});
    AddPicture(pack, 478, ToPalettised(MakePicture(Look::kDisabled, 150, 40, "SAVE GAME", green)), {8, false, 0}, {15});

    AddPicture(pack, 54, MakePicture(Look::kPanel, 380, 240, "", {70, 80, 100}), rgb, {32});
    AddPicture(pack, 98, MakePicture(Look::kPanel, 380, 240, "", {70, 80, 100}), rgb, {32});
    const Rgb blue{50, 80, 150};
    AddButton(pack, {56, 55, "OK", blue, 90, 32}, {32});
    AddButton(pack, {102, 101, "YES", blue, 90, 32}, {32});
    AddButton(pack, {100, 99, "NO", blue, 90, 32}, {32});

    // The skill toggles share their pictures: their names stand on the backdrop beside them.
    AddPicture(pack, 200,
               MenuBackdrop({{40, 40, "SELECT GAME", 4},
                             {330, 64, "NOVICE", 2},
                             {330, 104, "WEEKEND", 2},
                             {330, 144, "PRO", 2},
                             {40, 200, "SKILL AND", 3},
                             {40, 230, "GAME MODE", 3}}),
               rgb, {7});
    const char* modes[] = {"QUICK FISH", "PRACTICE", "TOURNAMENT", "SEASON"};
    for (uint32_t i = 0; i < 4; ++i)
        AddButton(pack, {201 + 2 * i, 202 + 2 * i, modes[i], green, 150, 40}, {7});
    // SEASON greyed: no season is played over the network.
    AddPicture(pack, 209, ToPalettised(MakePicture(Look::kDisabled, 150, 40, "SEASON", green)), {8, false, 0}, {7});
    // The shared toggles: normal, highlight, selected highlight, selected. Small check boxes,
    // so the text beside them (livewell rows, gender and lure options) stays clear.
    for (uint32_t i = 0; i < 4; ++i)
        AddPicture(pack, 45 + i, ToPalettised(MakeToggle(i == 1 || i == 2, i >= 2)), {8, false, 0}, {7});
    // 100 wide: from x 53 it ends clear of the accept buttons at x 156.
    AddButton(pack, {16, 15, "BACK", {140, 50, 40}, 100, 36}, {7});

    // Save and load share their buttons: those items sit in both groups.
    // The name field stands at the top left; the list's panel holds seven rows under it.
    // The name field is typed at (146, 30) in an 18-pixel face: a well shows where it is.
    QrImagePixels save = MenuBackdrop({{40, 76, "SAVE GAME", 3}, {40, 34, "NAME", 2}});
    Well(save, 140, 26, 356, 28);
    AddPicture(pack, 624, save, rgb, {19});
    AddPicture(pack, 625, MakePicture(Look::kPanel, 400, 260, "", {60, 70, 90}), rgb, {19}, kOnFirstUse);
    AddPicture(pack, 440, MenuBackdrop({{40, 70, "LOAD GAME", 3}}), rgb, {14});
    AddPicture(pack, 441, MakePicture(Look::kPanel, 400, 260, "", {60, 70, 90}), rgb, {14});
    AddButton(pack, {23, 22, "OK", green, 110, 40}, {19, 14});
    AddButton(pack, {18, 17, "CANCEL", {140, 50, 40}, 96, 36}, {19, 14});
    AddButton(pack, {57, 58, "UP", blue, 40, 40}, {19, 14});
    AddButton(pack, {59, 60, "DN", blue, 40, 40}, {19, 14});

    AddPicture(pack, 10, MakeCursor(false), rgb, {0});
    AddPicture(pack, 105, MakeCursor(true), rgb, {0});
    AddPicture(pack, 106, MakeCaret(), {4, false, 0}, {0});
    AddPicture(pack, 44, MakePicture(Look::kPanel, 357, 71, "PLEASE WAIT", {40, 60, 90}), {24, true, 0}, {0},
               kOnFirstUse);
}

void AddSounds(tools::PackContents& pack)
{
    for (PackSound& sound : MakePackSounds())
    {
        tools::PackItem item;
        item.type = kSound;
        item.id = sound.id;
        item.info = tools::PcmFormatRecord(kSoundRate, 1, 16);
        item.data.resize(sound.samples.size() * 2);
        for (size_t i = 0; i < sound.samples.size(); ++i)
        {
            item.data[i * 2] = uint8_t(sound.samples[i] & 0xFF);
            item.data[i * 2 + 1] = uint8_t(uint16_t(sound.samples[i]) >> 8);
        }
        // Clicks (0) and the boat (1) are needed at once; weather (2) can come in the background.
        std::vector<uint32_t> groups;
        if (sound.id >= 6183 && sound.id <= 6188)
            groups = {0};
        else if ((sound.id >= 6017 && sound.id <= 6040) || sound.id == 6046 || sound.id == 6189 || sound.id == 6070)
            groups = {1};
        else
        {
            groups = {2};
            item.flags = kAsync;
        }
        pack.Add(std::move(item), groups);
    }
}

void AddRawItems(tools::PackContents& pack)
{
    tools::PackItem name;
    name.type = kBytes;
    name.id = 1;
    const std::string text = "Sample pack of the shell";
    name.data.assign(text.begin(), text.end());
    pack.Add(std::move(name), {3});
    tools::PackItem tagged;
    tagged.type = kInfoAndData;
    tagged.id = 1;
    tagged.info = {'v', '1'};
    tagged.data = {1, 2, 3, 4};
    pack.Add(std::move(tagged), {3});
}

} // namespace

tools::PackContents MakeMainPack()
{
    tools::PackContents pack;
    // The permanent groups exist even where they are still empty, so start-up can load them all.
    for (uint32_t group : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 36u})
        pack.groups.push_back({group, {}});
    AddScreens(pack);
    AddFrontEndPictures2(pack);
    AddNetScreenPictures(pack);
    AddSetupScreenPictures(pack);
    AddLivewellLookPictures(pack);
    AddTravelMapPictures(pack);
    AddFishingHudPictures(pack);
    AddSounds(pack);
    AddWeighInItems(pack);
    AddRawItems(pack);
    return pack;
}

void GeneratePacks(Context& context)
{
    std::string error;
    tools::PackBytes bytes;
    if (!tools::BuildPack(MakeMainPack(), bytes, error))
    {
        context.Error(error);
        return;
    }
    context.WriteBytes("Data/tov.waf", bytes.index);
    context.WriteBytes("Data/tov.wdt", bytes.data);
}

} // namespace gen
