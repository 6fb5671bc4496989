// The sample lakes under Lakes/: for each lake its description, land/water mask, population
// catalogue and, per tile, heights, texture, population raster and (for a few tiles) models;
// one set of under-water frames serves both lakes.
//
// Map cells run along +x (columns) and +y (rows). Tile rasters are 129 x 129 samples: sample
// column c lies on map x = 128 * tileColumn + c and sample row k on map y = 128 * (tileRow + 1) - k,
// the order in which the terrain pages and the populations read them.

#include "GenLakeShape.h"
#include "ImageWriters.h"
#include "SampleData.h"
#include "SampleShapes.h"

#include "QrColorA.h"
#include "QrNode.h"
#include "QrTriShape.h"

#include "ByteWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace gen
{
namespace
{

constexpr int kSamples = kLakeTileCells + 1;

struct Rgb
{
    double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Colour of the ground with its height above the water in feet: silt in the deep, sand at
// the edge, a strip of mud and then grass that darkens into woods and greys on the hilltops.
Rgb GroundColour(double aboveWater, double patch)
{
    if (aboveWater < 0.0)
        return Mix({146, 132, 94}, {58, 62, 44}, std::sqrt(-aboveWater / 26.0));
    if (aboveWater < 1.5)
        return Mix({200, 184, 134}, {170, 150, 100}, patch);
    if (aboveWater < 4.0)
        return Mix({128, 122, 72}, {96, 116, 56}, (aboveWater - 1.5) / 2.5);
    const Rgb grass = Mix({92, 128, 52}, {52, 92, 38}, patch * 1.4 - 0.2);
    return Mix(grass, {124, 118, 96}, (aboveWater - 30.0) / 12.0);
}

std::string Name(const char* format, const std::string& base, int column, int row)
{
    char text[96];
    std::snprintf(text, sizeof text, format, base.c_str(), column, row);
    return text;
}

std::vector<uint8_t> HeightRaster(const LakeShape& lake, int tileColumn, int tileRow)
{
    plat::ByteWriter out;
    out.I32(kSamples);
    out.I32(kSamples);
    out.F32(kLakeMinElev);
    out.F32(kLakeMaxElev);
    for (int i = 0; i < 3; ++i)
        out.U32(0);
    for (int k = 0; k < kSamples; ++k)
        for (int c = 0; c < kSamples; ++c)
            out.U16(lake.Sample(tileColumn * kLakeTileCells + c, (tileRow + 1) * kLakeTileCells - k));
    return out.Take();
}

std::vector<uint8_t> TileTexture(const LakeShape& lake, int tileColumn, int tileRow)
{
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, kLakeTileCells, kLakeTileCells);
    for (int py = 0; py < kLakeTileCells; ++py)
    {
        uint8_t* row = picture.GetRow(uint32_t(py));
        for (int px = 0; px < kLakeTileCells; ++px)
        {
            const int x = tileColumn * kLakeTileCells + px;
            const int y = (tileRow + 1) * kLakeTileCells - 1 - py;
            const double above = lake.CellElevation(x, y) - kLakeWaterLevel;
            const double patch = 0.65 * lake.Noise(x / 37.0, y / 29.0, 7) + 0.35 * lake.Noise(x / 9.0, y / 11.0, 9);
            const double grain = (lake.Hash(x, y, 11) - 0.5) * 14.0;
            const Rgb colour = GroundColour(above, patch);
            row[px * 3 + 0] = uint8_t(std::clamp(colour.r + grain, 0.0, 255.0));
            row[px * 3 + 1] = uint8_t(std::clamp(colour.g + grain, 0.0, 255.0));
            row[px * 3 + 2] = uint8_t(std::clamp(colour.b + grain * 0.7, 0.0, 255.0));
        }
    }
    return tools::WriteBMP(picture, {});
}

std::vector<uint8_t> PopulationRaster(const LakeShape& lake, int tileColumn, int tileRow)
{
    plat::ByteWriter out;
    out.I32(kSamples);
    out.I32(kSamples);
    out.U32(0);
    out.U32(0);
    out.F32(kLakeSpan); // one population cell per map cell
    out.F32(float(lake.seed % 1000 + tileColumn * 17));
    out.F32(float(tileRow * 31 + 5));
    for (int k = 0; k < kSamples; ++k)
        for (int c = 0; c < kSamples; ++c)
            out.U16(lake.Population(tileColumn * kLakeTileCells + c, (tileRow + 1) * kLakeTileCells - k));
    return out.Take();
}

// The model parts of a tile with a landing: the deck above water, its pilings below and a
// boathouse on the bank. Feet, relative to the tile's corner of largest map x and y.
std::vector<QrPointer<QrNode>> LandingModel(const LakeSite& site, int tileColumn, int tileRow)
{
    const auto local = [&](double mapX, double mapY, double y)
    {
        return QrPoint3(float((kLakeTileCells * (tileColumn + 1) - mapX) * kLakeSpan), float(y),
                        float((kLakeTileCells * (tileRow + 1) - mapY) * kLakeSpan));
    };
    QrPointer<QrNode> above(new QrNode);
    above->SetName("aboveWater");
    QrPointer<QrNode> below(new QrNode);
    below->SetName("belowWater");
    QrPointer<QrNode> opaque(new QrNode);
    opaque->SetName("opaque");

    const double dx = site.dirX, dy = site.dirY;
    const bool alongX = std::abs(dx) > std::abs(dy);
    const float length = 24.0f, width = 4.0f;
    QrPointer<QrTriShape> deck =
        MakeBox("Deck", alongX ? length : width, 0.4f, alongX ? width : length, QrColorA(0.55f, 0.42f, 0.28f, 1.0f));
    deck->GetTranslate() = local(site.shoreX + dx * 0.8, site.shoreY + dy * 0.8, 2.5);
    above->AttachChild(deck.Get());
    for (int i = 0; i < 4; ++i)
    {
        const double t = 0.15 + 0.45 * i;
        QrPointer<QrTriShape> post = MakeBox("Piling", 0.6f, 6.0f, 0.6f, QrColorA(0.35f, 0.27f, 0.2f, 1.0f));
        post->GetTranslate() = local(site.shoreX + dx * t, site.shoreY + dy * t, -3.5);
        below->AttachChild(post.Get());
    }
    QrPointer<QrTriShape> house = MakeBox("Boathouse", 10.0f, 7.0f, 8.0f, QrColorA(0.62f, 0.3f, 0.22f, 1.0f));
    house->GetTranslate() = local(site.shoreX - dx * 1.0, site.shoreY - dy * 1.0, 9.0);
    opaque->AttachChild(house.Get());

    QrPointer<QrNode> root(new QrNode);
    root->SetName("Landing");
    root->AttachChild(above.Get());
    root->AttachChild(below.Get());
    root->AttachChild(opaque.Get());
    return {root};
}

std::string Description(const LakeShape& lake)
{
    std::string text;
    char line[160];
    const auto add = [&](const char* format, auto... values)
    {
        std::snprintf(line, sizeof line, format, values...);
        text += line;
    };
    add("MIN_ELEV %.1f\nMAX_ELEV %.1f\n", double(kLakeMinElev), double(kLakeMaxElev));
    add("SPAN %.1f\nRESOLUTION 1.0\nTERRAIN_ELEV_MULT 1.0\n", double(kLakeSpan));
    add("WATER_LEVEL_MIN %.1f\nWATER_LEVEL_MAX %.1f\n", double(kLakeWaterLevel - 5.0f), double(kLakeWaterLevel));
    add("TERRAIN_BASE_NAME %s\nUNDERWATER_TEXTURE %s\n", lake.name, kLakeUnderwaterFrames);
    add("ORIGIN_X 0.0\nORIGIN_Y 0.0\n");
    for (const LakeSpot& spot : lake.Starts())
        add("START_LOC %.1f %.1f %.1f\n", spot.x, spot.y, spot.heading);
    for (const LakeSpot& spot : lake.Bots())
        add("BOT_LOC %.1f %.1f %.1f\n", spot.x, spot.y, spot.heading);
    for (const LakeSectorBlock& sector : lake.sectors)
    {
        add("\nSECTOR\nSECTOR_ROW %d\nSECTOR_COLUMN %d\n", sector.row, sector.column);
        add("SECTOR_ORIGIN_X %.1f\nSECTOR_ORIGIN_Y %.1f\n", sector.column * 128.0, sector.row * 128.0);
        // Corners a few minutes of arc apart, as a lake of this size spans.
        const double north = lake.latitude - sector.row * 0.0105, west = lake.longitude + sector.column * 0.0132;
        add("NE_LAT %.4f\nNE_LON %.4f\nSW_LAT %.4f\nSW_LON %.4f\n", north, west - 0.0528, north - 0.042, west);
    }
    return text;
}

std::string Catalogue()
{
    std::string text = "# kind weight texture four-unused-values size-low size-high (hundreds of feet)\n";
    for (const LakeSprite& sprite : LakeSprites())
    {
        char line[160];
        std::snprintf(line, sizeof line, "%s %.1f %s 0 1 0 1 %.3f %.3f\n", sprite.kind, double(sprite.weight),
                      sprite.file, double(sprite.sizeLow), double(sprite.sizeHigh));
        text += line;
    }
    return text;
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

void GenerateLake(Context& context, const LakeShape& lake)
{
    const std::string base = lake.name;
    context.WriteBytes("Lakes/" + base + ".txt", Bytes(Description(lake)));
    context.WriteBytes("Lakes/" + base + ".msk", lake.MaskFile());
    context.WriteBytes("Lakes/" + base + ".pop", Bytes(Catalogue()));
    for (int row = 0; row < lake.tileRows; ++row)
        for (int column = 0; column < lake.tileColumns; ++column)
        {
            context.WriteBytes("Lakes/" + Name("%s%02d%02d.raw", base, column, row), HeightRaster(lake, column, row));
            context.WriteBytes("Lakes/" + Name("%s_txr%02d%02d.bmp", base, column, row),
                               TileTexture(lake, column, row));
            context.WriteBytes("Lakes/" + Name("%sPop%02d%02d.raw", base, column, row),
                               PopulationRaster(lake, column, row));
        }
    for (const LakeSite& site : lake.Landings())
    {
        const int column = int(site.shoreX) / kLakeTileCells, row = int(site.shoreY) / kLakeTileCells;
        std::vector<QrObject*> top;
        const std::vector<QrPointer<QrNode>> parts = LandingModel(site, column, row);
        for (const QrPointer<QrNode>& part : parts)
            top.push_back(part.Get());
        context.WriteScene("Lakes/" + Name("%sModels%02d%02d.qrf", base, column, row), top);
    }
}

} // namespace

void GenerateLakes(Context& context)
{
    for (const LakeShape& lake : SampleLakes())
        GenerateLake(context, lake);
    for (const LakeSprite& sprite : LakeSprites())
        context.WriteBytes(std::string("Lakes/") + sprite.file, LakeSpritePicture(sprite));
    for (int frame = 0; frame < kLakeUnderwaterFrameCount; ++frame)
        context.WriteBytes("Lakes/" + LakeUnderwaterFrameName(frame), LakeUnderwaterFrame(frame));
}

} // namespace gen
