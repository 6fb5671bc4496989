// The travel map's pictures of a lake pack: the whole lake shrunk into the 450 x 400 map
// rectangle with a legend (picture 80), where it sits on the screen and how far it is shrunk
// (texts 73 to 75), and the full-size map cut into 450 x 400 tiles of four pixels a cell
// (pictures 100 + 25 x row + column). Water is blue, darker where deep; land green, lighter
// uphill; both drawn from the same ground the lake's mask is cut from.

#include "GenTravelMap.h"

#include "GenLakeShape.h"
#include "GenScreenPictures.h"
#include "LabelFont.h"

#include "ImageWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gen
{

namespace
{

constexpr uint32_t kPicture = 0x80000010;
constexpr uint32_t kBytes = 0x80000007;
constexpr int kViewWidth = 450;
constexpr int kViewHeight = 400;
constexpr int kCellPixels = 4;
constexpr int kMapLeft = 78;
constexpr int kMapTop = 24;

// The map's colours: the frame, eight shades of water from shallow to deep, the shore, eight
// shades of land from the shore to the hilltops, and the grid.
constexpr int kFrame = 0, kWater = 1, kShore = 9, kLand = 10, kGrid = 18, kColourCount = 19;

Rgb Colour(int index)
{
    if (index >= kWater && index < kShore)
    {
        const int k = index - kWater;
        return {uint8_t(70 - 7 * k), uint8_t(150 - 12 * k), uint8_t(230 - 10 * k)};
    }
    if (index >= kLand && index < kGrid)
    {
        const int k = index - kLand;
        return {uint8_t(40 + 12 * k), uint8_t(120 + 10 * k), uint8_t(40 + 8 * k)};
    }
    if (index == kShore)
        return {214, 200, 150};
    if (index == kGrid)
        return {200, 210, 220};
    return {24, 36, 52};
}

int Shade(const LakeShape& lake, int column, int row)
{
    const double e = lake.CellElevation(column, row);
    if (e < kLakeWaterLevel)
    {
        const double depth = std::clamp((kLakeWaterLevel - e) / (kLakeWaterLevel - kLakeMinElev), 0.0, 1.0);
        return kWater + std::min(7, int(depth * 8.0));
    }
    if (e < kLakeWaterLevel + 1.5)
        return kShore;
    const double height = std::clamp((e - kLakeWaterLevel) / (kLakeMaxElev - kLakeWaterLevel), 0.0, 1.0);
    return kLand + std::min(7, int(height * 8.0));
}

void Put(QrImagePixels& p, int x, int y, Rgb c)
{
    if (x < 0 || y < 0 || uint32_t(x) >= p.GetWidth() || uint32_t(y) >= p.GetHeight())
        return;
    uint8_t* px = p.GetRow(uint32_t(y)) + x * 3;
    px[0] = c.r;
    px[1] = c.g;
    px[2] = c.b;
}

void Fill(QrImagePixels& p, int x0, int y0, int w, int h, Rgb c)
{
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            Put(p, x, y, c);
}

void AddPicture(tools::PackContents& pack, uint32_t id, const QrImagePixels& picture, uint32_t group, uint32_t bits)
{
    tools::PackItem item;
    item.type = kPicture;
    item.id = id;
    item.data = tools::WriteBMP(picture, {bits, false, 0});
    FileNotedLabels(picture, id);
    pack.Add(std::move(item), {group});
}

void AddText(tools::PackContents& pack, uint32_t key, const std::string& text)
{
    pack.Add({kBytes, key, 0, {}, std::vector<uint8_t>(text.begin(), text.end())}, {0});
}

// The whole lake, shrunk to fit, centred on a dark frame, with its name and a legend.
QrImagePixels WholeMap(const LakeShape& lake, const std::string& title, double scale, int ox, int oy)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, kViewWidth, kViewHeight);
    Fill(p, 0, 0, kViewWidth, kViewHeight, {24, 36, 52});
    const int w = int(lake.Width() * kCellPixels * scale);
    const int h = int(lake.Height() * kCellPixels * scale);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            Put(p, ox + x, oy + y,
                Colour(Shade(lake, std::min(lake.Width() - 1, int(x / scale) / kCellPixels),
                             std::min(lake.Height() - 1, int(y / scale) / kCellPixels))));
    const uint32_t tw = LabelWidth(title, 2);
    Fill(p, 0, 0, kViewWidth, 20, {24, 36, 52});
    DrawLabel(p, tw < kViewWidth ? (kViewWidth - tw) / 2 : 0, 3, title, 2, 250, 245, 220);
    // Legend box at the bottom left.
    Fill(p, 6, kViewHeight - 56, 104, 50, {250, 245, 220});
    Fill(p, 8, kViewHeight - 54, 100, 46, {24, 36, 52});
    Fill(p, 14, kViewHeight - 48, 14, 14, {56, 126, 220});
    DrawLabel(p, 34, kViewHeight - 48, "WATER", 2, 250, 245, 220);
    Fill(p, 14, kViewHeight - 28, 14, 14, {64, 150, 56});
    DrawLabel(p, 34, kViewHeight - 28, "LAND", 2, 250, 245, 220);
    return p;
}

// One 450 x 400 piece of the full map, palettised; past the lake's edge the frame colour.
QrImagePixels Tile(const LakeShape& lake, int column, int row)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatPalettized, kViewWidth, kViewHeight);
    uint8_t* palette = p.GetPalette();
    for (int i = 0; i < kColourCount; ++i)
    {
        const Rgb c = Colour(i);
        palette[i * 4 + 0] = c.r;
        palette[i * 4 + 1] = c.g;
        palette[i * 4 + 2] = c.b;
        palette[i * 4 + 3] = 255;
    }
    for (int y = 0; y < kViewHeight; ++y)
    {
        uint8_t* line = p.GetRow(uint32_t(y));
        for (int x = 0; x < kViewWidth; ++x)
        {
            const int mx = column * kViewWidth + x;
            const int my = row * kViewHeight + y;
            const int cx = mx / kCellPixels;
            const int cy = my / kCellPixels;
            int index = cx < lake.Width() && cy < lake.Height() ? Shade(lake, cx, cy) : kFrame;
            // A dotted grid every 25 cells helps judge distances.
            if (index != kFrame && (mx % 100 == 0 || my % 100 == 0) && (x + y) % 2 == 0)
                index = kGrid;
            line[x] = uint8_t(index);
        }
    }
    return p;
}

// A 16 x 16 arrow on black (the key) pointing from the centre to the tip.
QrImagePixels Arrow(int tipX, int tipY)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, 16, 16);
    Fill(p, 0, 0, 16, 16, {0, 0, 0});
    const double tx = tipX, ty = tipY, cx = 7.5, cy = 7.5;
    const double dx = tx - cx, dy = ty - cy;
    const double length = std::max(1e-6, std::sqrt(dx * dx + dy * dy));
    const double ux = dx / length, uy = dy / length;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            // Along the arrow from its tail (t = -1) to its tip (t = 1), and across it.
            const double rx = x - cx, ry = y - cy;
            const double t = (rx * ux + ry * uy) / length;
            const double across = std::fabs(-rx * uy + ry * ux);
            const bool shaft = t >= -1.0 && t <= 0.2 && across <= 1.2;
            const bool head = t > 0.0 && t <= 1.05 && across <= (1.05 - t) * 5.0;
            if (shaft || head)
                Put(p, x, y, across > (head ? (1.05 - t) * 5.0 - 1.0 : 0.6) ? Rgb{120, 60, 0} : Rgb{255, 220, 40});
        }
    return p;
}

QrImagePixels Plate(int w, int h, const std::string& text, Rgb face)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, uint32_t(w), uint32_t(h));
    Fill(p, 0, 0, w, h, {250, 245, 220});
    Fill(p, 2, 2, w - 4, h - 4, face);
    BoxLabel(p, 0, 0, uint32_t(w), uint32_t(h), text, 2, {250, 245, 220}, 4);
    return p;
}

// The screen behind the map: a frame round the map, and in the column on its right the title,
// the names of the two mode toggles (32 x 26 at y 55 and 90) and what each mode does.
QrImagePixels Backdrop()
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, 640, 480);
    for (int y = 0; y < 480; ++y)
        Fill(p, 0, y, 640, 1, {uint8_t(30 + y / 16), uint8_t(60 + y / 12), uint8_t(90 + y / 10)});
    Fill(p, kMapLeft - 3, kMapTop - 3, kViewWidth + 6, kViewHeight + 6, {250, 245, 220});
    Fill(p, kMapLeft, kMapTop, kViewWidth, kViewHeight, {24, 36, 52});
    const Rgb gold{250, 230, 120};
    const Rgb cream{250, 245, 220};
    DrawLabel(p, 538, 6, "TRAVEL", 2, gold.r, gold.g, gold.b);
    DrawLabel(p, 538, 24, "MAP", 2, gold.r, gold.g, gold.b);
    DrawLabel(p, 576, 61, "VIEW", 2, cream.r, cream.g, cream.b);
    DrawLabel(p, 576, 96, "PICK", 2, cream.r, cream.g, cream.b);
    const char* lines[] = {"VIEW:", "CLICK TO", "ZOOM", "", "PICK:", "CLICK A", "SPOT, OK", "TO GO"};
    int y = 190;
    for (const char* line : lines)
    {
        DrawLabel(p, 538, uint32_t(y), line, 2, cream.r, cream.g, cream.b);
        y += 18;
    }
    return p;
}

} // namespace

void AddTravelMapPictures(tools::PackContents& pack)
{
    constexpr uint32_t kGroup = 11;
    AddPicture(pack, 360, Backdrop(), kGroup, 24);
    QrImagePixels marker;
    marker.Allocate(QrImagePixels::kFormatRGB, 8, 8);
    Fill(marker, 0, 0, 8, 8, {250, 245, 220});
    Fill(marker, 1, 1, 6, 6, {220, 40, 30});
    AddPicture(pack, 370, marker, kGroup, 24);
    const int tips[8][2] = {{8, 1}, {14, 1}, {14, 8}, {13, 14}, {7, 14}, {1, 14}, {1, 7}, {1, 1}};
    for (uint32_t i = 0; i < 8; ++i)
        AddPicture(pack, 70 + i, Arrow(tips[i][0], tips[i][1]), kGroup, 24);
    AddPicture(pack, 111, Plate(96, 32, "", {90, 90, 90}), kGroup, 24);
    // Two lines: on one, the words would fill the plate from edge to edge.
    AddPicture(pack, 368, Plate(100, 40, "WEIGH|IN", {50, 120, 60}), kGroup, 24);
    AddPicture(pack, 367, Plate(100, 40, "WEIGH|IN", {70, 165, 85}), kGroup, 24);
    AddPicture(pack, 369, Plate(100, 40, "WEIGH|IN", {100, 100, 100}), kGroup, 24);
    // The OK and cancel buttons and the mode toggles other screens made.
    for (uint32_t id : {23u, 22u, 18u, 17u, 45u, 46u, 47u, 48u})
    {
        tools::PackItem item;
        item.type = kPicture;
        item.id = id;
        pack.Add(std::move(item), {kGroup});
    }
}

void AddTravelMapItems(tools::PackContents& pack, const std::string& shapeName, const std::string& title)
{
    const LakeShape* lake = nullptr;
    for (const LakeShape& shape : SampleLakes())
        if (shapeName == shape.name)
            lake = &shape;
    // A lake still being surveyed has no ground and no map.
    if (lake == nullptr)
        return;
    const int mapWidth = lake->Width() * kCellPixels;
    const int mapHeight = lake->Height() * kCellPixels;
    const double scale = std::min(double(kViewWidth) / mapWidth, double(kViewHeight - 20) / mapHeight);
    const int ox = (kViewWidth - int(mapWidth * scale)) / 2;
    const int oy = 20 + (kViewHeight - 20 - int(mapHeight * scale)) / 2;
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", scale);
    AddText(pack, 73, text);
    AddText(pack, 74, std::to_string(kMapLeft + ox));
    AddText(pack, 75, std::to_string(kMapTop + oy));
    AddPicture(pack, 80, WholeMap(*lake, title, scale, ox, oy), 0, 24);
    const int columns = (mapWidth + kViewWidth - 1) / kViewWidth;
    const int rows = (mapHeight + kViewHeight - 1) / kViewHeight;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns && column < 25; ++column)
            AddPicture(pack, 100 + 25 * uint32_t(row) + uint32_t(column), Tile(*lake, column, row), 1, 8);
}

} // namespace gen
