#include "GenScreenPictures.h"

#include "LabelFont.h"

#include "ImageWriters.h"

#include <algorithm>
#include <vector>

namespace gen
{

namespace
{

constexpr uint32_t kPicture = 0x80000010;

// The lines of the text at most `columns` characters wide where words allow: lines break at
// spaces, and after a hyphen, and always at '|'.
std::vector<std::string> WrapLabel(const std::string& text, size_t columns)
{
    std::vector<std::string> lines(1);
    std::string piece;
    bool spaced = false; // whether a space stands before the piece
    const auto place = [&]
    {
        std::string& line = lines.back();
        const size_t gap = spaced && !line.empty() ? 1 : 0;
        if (!line.empty() && line.size() + gap + piece.size() > columns)
            lines.push_back(piece);
        else
            line += (gap ? " " : "") + piece;
        piece.clear();
    };
    for (const char c : text)
    {
        if (c == '|')
        {
            place();
            lines.emplace_back();
            spaced = false;
        }
        else if (c == ' ')
        {
            place();
            spaced = true;
        }
        else
        {
            piece += c;
            if (c == '-')
            {
                place();
                spaced = false;
            }
        }
    }
    place();
    return lines;
}

} // namespace

void BoxLabel(QrImagePixels& p, uint32_t x, uint32_t y, uint32_t w, uint32_t h, const std::string& text,
              uint32_t maxScale, Rgb c, uint32_t margin)
{
    if (text.empty())
        return;
    const uint32_t innerW = w > 2 * margin ? w - 2 * margin : 0;
    const uint32_t innerH = h > 2 * margin ? h - 2 * margin : 0;
    uint32_t scale = std::max(maxScale, kMinLabelScale);
    std::vector<std::string> lines;
    for (;; --scale)
    {
        lines = WrapLabel(text, (innerW + scale) / (6 * scale));
        uint32_t widest = 0;
        for (const std::string& line : lines)
            widest = std::max(widest, LabelWidth(line, scale));
        const uint32_t height = uint32_t(lines.size()) * 7 * scale + uint32_t(lines.size() - 1) * 2 * scale;
        if (scale == kMinLabelScale || (widest <= innerW && height <= innerH))
            break;
    }
    const uint32_t lineStep = 9 * scale;
    const uint32_t height = uint32_t(lines.size()) * lineStep - 2 * scale;
    uint32_t top = y + (h > height ? (h - height) / 2 : 0);
    for (const std::string& line : lines)
    {
        const uint32_t lw = LabelWidth(line, scale);
        DrawLabel(p, x + (w > lw ? (w - lw) / 2 : 0), top, line, scale, c.r, c.g, c.b);
        top += lineStep;
    }
}

QrImagePixels Gradient(uint32_t w, uint32_t h, Rgb top, Rgb bottom)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, w, h);
    for (uint32_t y = 0; y < h; ++y)
    {
        const float t = h > 1 ? float(y) / float(h - 1) : 0.0f;
        for (uint32_t x = 0; x < w; ++x)
        {
            uint8_t* px = p.GetRow(y) + x * 3;
            px[0] = uint8_t(top.r + (bottom.r - top.r) * t);
            px[1] = uint8_t(top.g + (bottom.g - top.g) * t);
            px[2] = uint8_t(top.b + (bottom.b - top.b) * t);
        }
    }
    return p;
}

void FillRect(QrImagePixels& p, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, Rgb c)
{
    for (uint32_t y = y0; y < std::min(y0 + h, p.GetHeight()); ++y)
    {
        for (uint32_t x = x0; x < std::min(x0 + w, p.GetWidth()); ++x)
        {
            uint8_t* px = p.GetRow(y) + x * 3;
            px[0] = c.r;
            px[1] = c.g;
            px[2] = c.b;
        }
    }
}

Rgb Shade(Rgb c, float f)
{
    auto s = [f](uint8_t v) { return uint8_t(std::clamp(v * f, 0.0f, 255.0f)); };
    return Rgb{s(c.r), s(c.g), s(c.b)};
}

void Well(QrImagePixels& p, uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    FillRect(p, x - 2, y - 2, w + 4, h + 4, {150, 170, 190});
    FillRect(p, x - 2, y - 2, w + 2, h + 2, {10, 20, 30});
    FillRect(p, x, y, w, h, {20, 40, 60});
}

void CentreLabel(QrImagePixels& p, const std::string& text, uint32_t y, uint32_t scale, Rgb c)
{
    scale = std::max(scale, kMinLabelScale);
    while (scale > kMinLabelScale && LabelWidth(text, scale) + 8 > p.GetWidth())
        --scale;
    const uint32_t w = LabelWidth(text, scale);
    DrawLabel(p, p.GetWidth() > w ? (p.GetWidth() - w) / 2 : 0, y, text, scale, c.r, c.g, c.b);
}

QrImagePixels BevelButton(uint32_t w, uint32_t h, const std::string& text, Rgb face, bool lit, uint32_t maxScale)
{
    const Rgb base = lit ? Shade(face, 1.35f) : face;
    QrImagePixels p = Gradient(w, h, Shade(base, 1.2f), Shade(base, 0.8f));
    FillRect(p, 0, 0, w, 2, Shade(base, 1.6f));
    FillRect(p, 0, 0, 2, h, Shade(base, 1.6f));
    FillRect(p, 0, h - 2, w, 2, Shade(base, 0.45f));
    FillRect(p, w - 2, 0, 2, h, Shade(base, 0.45f));
    BoxLabel(p, 0, 0, w, h, text, maxScale, {255, 255, 240}, 4);
    return p;
}

void AddScreenPicture(tools::PackContents& pack, uint32_t id, const QrImagePixels& picture,
                      std::vector<uint32_t> groups)
{
    tools::PackItem item;
    item.type = kPicture;
    item.id = id;
    item.data = tools::WriteBMP(picture, {24, false, 0});
    FileNotedLabels(picture, id);
    pack.Add(std::move(item), groups);
}

void AddScreenPicture(tools::PackContents& pack, uint32_t id, const QrImagePixels& picture, uint32_t group)
{
    AddScreenPicture(pack, id, picture, std::vector<uint32_t>{group});
}

void ShareScreenPicture(tools::PackContents& pack, uint32_t id, uint32_t group)
{
    tools::PackItem item;
    item.type = kPicture;
    item.id = id;
    pack.Add(std::move(item), {group});
}

} // namespace gen
