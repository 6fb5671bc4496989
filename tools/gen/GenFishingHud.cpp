// The fishing screen's pictures: round instrument faces (speedometer, tachometer, compass,
// clock, line tension) with a bezel, ticks and numbers, on black corners that the keyed blit
// leaves transparent; the depth finder's casing; and the bottom bar's buttons, each an icon
// of what it opens with a short label.

#include "GenFishingHud.h"

#include "GenScreenPictures.h"
#include "LabelFont.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <string>

namespace gen
{

namespace
{

// The fishing screen's group and picture ids (game/fishing_mode/tovFishingHud.h).
constexpr uint32_t kGroup = 26;
constexpr uint32_t kSpeedFace = 5200;
constexpr uint32_t kTachFace = 5201;
constexpr uint32_t kCompassFace = 5202;
constexpr uint32_t kClockFace = 5203;
constexpr uint32_t kTensionFace = 5204;
constexpr uint32_t kDepthPanel = 5205;
constexpr uint32_t kFirstButton = 5210;
constexpr uint32_t kMotorRunning = 5222;
constexpr uint32_t kMenuRefused = 5224;

constexpr uint32_t kFace = 96;
constexpr float kPi = 3.14159265f;
// Radii on a face: its dark disc inside the chrome ring, the ring of ticks, how far out the
// numbers may stand and where the unit's name stands below the hub.
constexpr float kFaceRadius = 43.5f;
constexpr float kTicksIn = 35.0f;
constexpr float kTicksOut = 42.0f;
constexpr float kNumbersOut = 30.0f;
constexpr float kUnitBelow = 23.0f;
constexpr float kUnitBelowNumbers = 32.0f;
// The depth finder: two screens under their names (tovFishingHud.h writes into them).
constexpr uint32_t kPanelWidth = 148;
constexpr uint32_t kPanelHeight = 64;
constexpr uint32_t kScreenLeft = 6;
constexpr uint32_t kScreenTop = 20;
constexpr uint32_t kScreenWidth = 65;
constexpr uint32_t kScreenGap = 6;
constexpr uint32_t kScreenHeight = 38;

constexpr Rgb kRed{200, 40, 30};

using Coverage = std::function<float(float x, float y)>;

// Mixes the colour into every pixel by the shape's coverage, four samples a pixel.
void Paint(QrImagePixels& p, const Coverage& inside, Rgb c)
{
    for (uint32_t y = 0; y < p.GetHeight(); ++y)
        for (uint32_t x = 0; x < p.GetWidth(); ++x)
        {
            float cover = 0.0f;
            for (float dy : {0.25f, 0.75f})
                for (float dx : {0.25f, 0.75f})
                    cover += inside(float(x) + dx, float(y) + dy) > 0.0f ? 0.25f : 0.0f;
            if (cover <= 0.0f)
                continue;
            uint8_t* px = p.GetRow(y) + x * 3;
            px[0] = uint8_t(px[0] + (c.r - px[0]) * cover);
            px[1] = uint8_t(px[1] + (c.g - px[1]) * cover);
            px[2] = uint8_t(px[2] + (c.b - px[2]) * cover);
        }
}

Coverage Disc(float cx, float cy, float r)
{
    return [=](float x, float y) { return r * r - ((x - cx) * (x - cx) + (y - cy) * (y - cy)); };
}

Coverage Ring(float cx, float cy, float inner, float outer)
{
    return [=](float x, float y)
    {
        const float d = std::hypot(x - cx, y - cy);
        return d >= inner && d <= outer ? 1.0f : -1.0f;
    };
}

Coverage Segment(float x0, float y0, float x1, float y1, float width)
{
    return [=](float x, float y)
    {
        const float vx = x1 - x0, vy = y1 - y0;
        const float len2 = vx * vx + vy * vy;
        const float t = len2 > 0.0f ? std::clamp(((x - x0) * vx + (y - y0) * vy) / len2, 0.0f, 1.0f) : 0.0f;
        const float dx = x - (x0 + t * vx), dy = y - (y0 + t * vy);
        return width * width / 4.0f - (dx * dx + dy * dy);
    };
}

Coverage Ellipse(float cx, float cy, float rx, float ry)
{
    return [=](float x, float y) { return 1.0f - ((x - cx) * (x - cx) / (rx * rx) + (y - cy) * (y - cy) / (ry * ry)); };
}

Coverage Triangle(float ax, float ay, float bx, float by, float cx, float cy)
{
    return [=](float x, float y)
    {
        const auto side = [&](float px, float py, float qx, float qy)
        { return (qx - px) * (y - py) - (qy - py) * (x - px); };
        const float a = side(ax, ay, bx, by), b = side(bx, by, cx, cy), c = side(cx, cy, ax, ay);
        return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0) ? 1.0f : -1.0f;
    };
}

// A point at the dial angle (degrees, 0 up, clockwise) and radius from the face's centre.
void Polar(float degrees, float radius, float& x, float& y)
{
    const float a = degrees * kPi / 180.0f;
    x = kFace / 2.0f + radius * std::sin(a);
    y = kFace / 2.0f - radius * std::cos(a);
}

// Every label on the instruments is drawn at the smallest scale that reads at 640 x 480.
constexpr uint32_t kScale = kMinLabelScale;
constexpr float kLabelHeight = 7.0f * kScale;

// Centred on (cx, cy).
void Label(QrImagePixels& p, const std::string& text, float cx, float cy, Rgb c)
{
    const float w = float(LabelWidth(text, kScale));
    DrawLabel(p, uint32_t(std::lround(std::max(0.0f, cx - w / 2.0f))),
              uint32_t(std::lround(std::max(0.0f, cy - kLabelHeight / 2.0f))), text, kScale, c.r, c.g, c.b);
}

// Centred on the dial angle, as far out as it goes with every corner inside the tick ring.
void RingLabel(QrImagePixels& p, const std::string& text, float degrees, Rgb c)
{
    const float hw = float(LabelWidth(text, kScale)) / 2.0f;
    const float hh = kLabelHeight / 2.0f;
    float radius = kNumbersOut;
    float x = 0.0f, y = 0.0f;
    for (; radius > 0.0f; radius -= 0.5f)
    {
        Polar(degrees, radius, x, y);
        const float far = std::hypot(std::abs(x - kFace / 2.0f) + hw, std::abs(y - kFace / 2.0f) + hh);
        if (far <= kTicksIn - 2.5f)
            break;
    }
    Label(p, text, x, y, c);
}

// Black outside the bezel; a chrome ring round a dark face.
QrImagePixels Face(Rgb face)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, kFace, kFace);
    FillRect(p, 0, 0, kFace, kFace, {0, 0, 0});
    const float c = kFace / 2.0f;
    Paint(p, Disc(c, c, c - 0.5f), {96, 98, 104});
    Paint(p, Ring(c, c, kFaceRadius, c - 1.5f), {206, 208, 214});
    Paint(p, Disc(c, c, kFaceRadius), face);
    return p;
}

void Tick(QrImagePixels& p, float degrees, float inner, float outer, float width, Rgb c)
{
    float x0, y0, x1, y1;
    Polar(degrees, inner, x0, y0);
    Polar(degrees, outer, x1, y1);
    Paint(p, Segment(x0, y0, x1, y1, width), c);
}

// A band along the tick ring from one dial angle to another.
void Band(QrImagePixels& p, float from, float to, float inner, float outer, Rgb colour)
{
    const float c = kFace / 2.0f;
    Paint(
        p,
        [=](float x, float y)
        {
            const float d = std::hypot(x - c, y - c);
            const float a = std::atan2(x - c, c - y) * 180.0f / kPi;
            return d > inner && d < outer && a >= from && a <= to ? 1.0f : -1.0f;
        },
        colour);
}

// The unit's name in the gap below the hub, where the needle never points; lower where the
// first and last numbers stand beside it.
void UnitLabel(QrImagePixels& p, const std::string& unit, float below)
{
    Label(p, unit, kFace / 2.0f, kFace / 2.0f + below, {250, 210, 90});
}

struct Zone
{
    float from, to; // 0..1 along the dial
    Rgb colour;
};

// A dial from -135 to +135 degrees: coloured zones under the ticks, major ticks, every
// labelEvery-th numbered (none at 0), minor ticks between.
QrImagePixels Dial(const std::string& unit, int majors, int step, int labelEvery, std::initializer_list<Zone> zones)
{
    const Rgb white{236, 236, 230};
    QrImagePixels p = Face({24, 26, 32});
    for (const Zone& zone : zones)
        Band(p, -135.0f + 270.0f * zone.from, -135.0f + 270.0f * zone.to, kTicksIn + 1.0f, kTicksOut - 1.0f,
             zone.colour);
    for (int i = 0; i <= majors * 2; ++i)
    {
        const float angle = -135.0f + 270.0f * float(i) / float(majors * 2);
        if (i % 2 == 0)
        {
            Tick(p, angle, kTicksIn, kTicksOut, 2.0f, white);
            if (labelEvery > 0 && i / 2 % labelEvery == 0)
                RingLabel(p, std::to_string(i / 2 * step), angle, white);
        }
        else
            Tick(p, angle, kTicksIn + 3.0f, kTicksOut, 1.0f, white);
    }
    UnitLabel(p, unit, labelEvery > 0 ? kUnitBelowNumbers : kUnitBelow);
    Paint(p, Disc(kFace / 2.0f, kFace / 2.0f, 3.5f), {180, 180, 186});
    return p;
}

QrImagePixels Compass()
{
    const Rgb white{236, 236, 230};
    QrImagePixels p = Face({28, 30, 38});
    for (int i = 0; i < 72; ++i)
        Tick(p, float(i) * 5.0f, i % 2 == 0 ? kTicksIn + 1.0f : kTicksIn + 3.0f, kTicksOut, i % 18 == 0 ? 2.0f : 1.0f,
             white);
    const char* points[4] = {"N", "E", "S", "W"};
    for (int i = 0; i < 4; ++i)
        RingLabel(p, points[i], float(i) * 90.0f, i == 0 ? Rgb{240, 70, 50} : white);
    // The lubber mark: the rose turns under it on a real boat; here the needle turns instead.
    const float c = kFace / 2.0f;
    Paint(p, Triangle(c - 5.0f, 2.5f, c + 5.0f, 2.5f, c, 9.0f), {250, 210, 90});
    Paint(p, Disc(c, c, 3.5f), {180, 180, 186});
    return p;
}

QrImagePixels Clock()
{
    // Dark, so both hands (white hour, red minute) show.
    const Rgb ink{236, 236, 230};
    QrImagePixels p = Face({20, 34, 52});
    for (int i = 0; i < 60; ++i)
        Tick(p, float(i) * 6.0f, i % 5 == 0 ? kTicksIn : kTicksIn + 4.0f, kTicksOut, i % 5 == 0 ? 2.0f : 1.0f, ink);
    const int hours[4] = {12, 3, 6, 9};
    for (int i = 0; i < 4; ++i)
        RingLabel(p, std::to_string(hours[i]), float(i) * 90.0f, ink);
    Paint(p, Disc(kFace / 2.0f, kFace / 2.0f, 3.5f), {180, 180, 186});
    return p;
}

// The line's pull against its strength: no numbers, which would mean nothing to an angler;
// green where the line is safe, amber before the red where it parts.
QrImagePixels Tension()
{
    return Dial("LINE", 4, 25, 0, {{0.0f, 0.5f, {60, 190, 80}}, {0.5f, 0.75f, {230, 180, 40}}, {0.75f, 1.0f, kRed}});
}

// A grey casing with two dark green screens, each named above it; the fishing screen writes
// the depth and the water's temperature into them.
QrImagePixels DepthPanel()
{
    QrImagePixels p = Gradient(kPanelWidth, kPanelHeight, {120, 124, 130}, {70, 72, 78});
    FillRect(p, 0, 0, kPanelWidth, 1, {180, 184, 190});
    FillRect(p, 0, kPanelHeight - 1, kPanelWidth, 1, {40, 40, 44});
    const char* names[2] = {"DEPTH", "TEMP"};
    for (uint32_t i = 0; i < 2; ++i)
    {
        const uint32_t x = kScreenLeft + i * (kScreenWidth + kScreenGap);
        BoxLabel(p, x, 2, kScreenWidth, kScreenTop - 2, names[i], kScale, {230, 230, 230}, 0);
        FillRect(p, x, kScreenTop, kScreenWidth, kScreenHeight, {18, 40, 28});
        FillRect(p, x + 1, kScreenTop + 1, kScreenWidth - 2, kScreenHeight - 2, {30, 62, 44});
        if (i == 0)
        {
            // The sonar's bottom trace along the screen's foot.
            const uint32_t foot = kScreenTop + kScreenHeight - 2;
            for (uint32_t tx = x + 2; tx < x + kScreenWidth - 2; ++tx)
            {
                const uint32_t ty = foot - 5 + uint32_t(2.5f + 2.5f * std::sin(float(tx) * 0.21f));
                FillRect(p, tx, ty, 1, foot - ty, {80, 150, 90});
            }
        }
    }
    return p;
}

// --- the bottom bar's icons, drawn into a 28 x 28 box at (x, y)

void Propeller(QrImagePixels& p, float x, float y)
{
    const float cx = x + 14.0f, cy = y + 14.0f;
    for (int i = 0; i < 3; ++i)
    {
        const float a = float(i) * 2.0f * kPi / 3.0f;
        const float bx = cx + 7.0f * std::sin(a), by = cy - 7.0f * std::cos(a);
        Paint(p,
              [=](float px, float py)
              {
                  // A blade: an ellipse along the spoke.
                  const float u = (px - bx) * std::sin(a) - (py - by) * std::cos(a);
                  const float v = (px - bx) * std::cos(a) + (py - by) * std::sin(a);
                  return 1.0f - (u * u / 49.0f + v * v / 12.0f);
              },
              {225, 225, 232});
    }
    Paint(p, Disc(cx, cy, 3.5f), {60, 60, 66});
}

void Fish(QrImagePixels& p, float x, float y)
{
    FillRect(p, uint32_t(x), uint32_t(y + 15), 28, 11, {40, 110, 190});
    Paint(p, Ellipse(x + 12.0f, y + 13.0f, 10.0f, 5.5f), {120, 170, 70});
    Paint(p, Triangle(x + 20.0f, y + 13.0f, x + 27.0f, y + 7.0f, x + 27.0f, y + 19.0f), {120, 170, 70});
    Paint(p, Disc(x + 6.0f, y + 12.0f, 1.3f), {20, 20, 20});
}

void Rod(QrImagePixels& p, float x, float y)
{
    Paint(p, Segment(x + 3.0f, y + 25.0f, x + 25.0f, y + 3.0f, 2.0f), {190, 140, 70});
    Paint(p, Segment(x + 25.0f, y + 3.0f, x + 25.0f, y + 20.0f, 1.0f), {235, 235, 235});
    Paint(p, Disc(x + 9.0f, y + 19.0f, 4.5f), {200, 200, 210});
    Paint(p, Disc(x + 9.0f, y + 19.0f, 1.8f), {70, 70, 80});
    Paint(p, Ring(x + 23.5f, y + 22.0f, 1.2f, 2.4f), {235, 235, 235});
}

void Map(QrImagePixels& p, float x, float y)
{
    const Rgb panels[3] = {{220, 205, 160}, {200, 185, 140}, {220, 205, 160}};
    for (int i = 0; i < 3; ++i)
        FillRect(p, uint32_t(x + 1.0f + 9.0f * float(i)), uint32_t(y + (i % 2 ? 4.0f : 2.0f)), 9, 22, panels[i]);
    Paint(p, Ellipse(x + 15.0f, y + 13.0f, 8.0f, 5.0f), {60, 130, 200});
    for (int i = 0; i < 4; ++i)
        Paint(p, Disc(x + 5.0f + 3.5f * float(i), y + 21.0f - 2.0f * float(i), 1.0f), {200, 40, 30});
    Paint(p, Segment(x + 20.0f, y + 6.0f, x + 25.0f, y + 11.0f, 1.6f), {200, 40, 30});
    Paint(p, Segment(x + 25.0f, y + 6.0f, x + 20.0f, y + 11.0f, 1.6f), {200, 40, 30});
}

void Info(QrImagePixels& p, float x, float y)
{
    Paint(p, Disc(x + 14.0f, y + 14.0f, 12.5f), {40, 90, 190});
    Paint(p, Disc(x + 14.0f, y + 8.0f, 2.0f), {250, 250, 250});
    FillRect(p, uint32_t(x + 12.5f), uint32_t(y + 12.0f), 3, 10, {250, 250, 250});
}

void Menu(QrImagePixels& p, float x, float y)
{
    for (int i = 0; i < 3; ++i)
        Paint(p, Segment(x + 5.0f, y + 8.0f + 6.0f * float(i), x + 23.0f, y + 8.0f + 6.0f * float(i), 3.0f),
              {240, 240, 240});
}

void AddButtons(tools::PackContents& pack)
{
    struct Row
    {
        const char* label;
        Rgb face;
        void (*icon)(QrImagePixels&, float, float);
    };
    // In the screen's button order: motor, livewell, tackle box, travel map, lake, menu.
    const Row rows[] = {
        {"MOTOR", {70, 80, 96}, Propeller}, {"LIVE|WELL", {40, 96, 120}, Fish}, {"RODS", {96, 76, 46}, Rod},
        {"MAP", {60, 100, 60}, Map},        {"LAKE", {50, 70, 120}, Info},      {"MENU", {120, 50, 44}, Menu},
    };
    uint32_t id = kFirstButton;
    for (const Row& row : rows)
        for (bool lit : {false, true})
        {
            QrImagePixels p = BevelButton(96, 36, "", row.face, lit);
            row.icon(p, 5.0f, 4.0f);
            // Right of the icon, on one line or two.
            BoxLabel(p, 34, 0, 61, 36, row.label, 2, {255, 255, 240}, 1);
            AddScreenPicture(pack, id++, p, kGroup);
        }
    // The motor button pushed in while the motor runs: the bevel turned over, a green face, the
    // icon and label a pixel down and right.
    for (bool lit : {false, true})
    {
        const Rgb face = lit ? Rgb{70, 150, 80} : Rgb{50, 120, 60};
        QrImagePixels p = Gradient(96, 36, Shade(face, 0.8f), Shade(face, 1.1f));
        FillRect(p, 0, 0, 96, 2, Shade(face, 0.4f));
        FillRect(p, 0, 0, 2, 36, Shade(face, 0.4f));
        FillRect(p, 0, 34, 96, 2, Shade(face, 1.6f));
        FillRect(p, 94, 0, 2, 36, Shade(face, 1.6f));
        Propeller(p, 6.0f, 5.0f);
        BoxLabel(p, 35, 1, 61, 36, "MOTOR|ON", 2, {255, 255, 240}, 1);
        AddScreenPicture(pack, kMotorRunning + (lit ? 1u : 0u), p, kGroup);
    }
    // The menu button greyed: no menu while a lure is out or a fish on.
    QrImagePixels refused = BevelButton(96, 36, "", {84, 80, 80}, false);
    Menu(refused, 5.0f, 4.0f);
    BoxLabel(refused, 34, 0, 61, 36, "MENU", 2, {150, 150, 150}, 1);
    AddScreenPicture(pack, kMenuRefused, refused, kGroup);
}

} // namespace

void AddFishingHudPictures(tools::PackContents& pack)
{
    AddScreenPicture(pack, kSpeedFace, Dial("MPH", 6, 10, 3, {}), kGroup);
    // Thousands, as a boat's tachometer counts them.
    AddScreenPicture(pack, kTachFace, Dial("RPM", 6, 1, 1, {{5.0f / 6.0f, 1.0f, kRed}}), kGroup);
    AddScreenPicture(pack, kCompassFace, Compass(), kGroup);
    AddScreenPicture(pack, kClockFace, Clock(), kGroup);
    AddScreenPicture(pack, kTensionFace, Tension(), kGroup);
    AddScreenPicture(pack, kDepthPanel, DepthPanel(), kGroup);
    AddButtons(pack);
}

} // namespace gen
