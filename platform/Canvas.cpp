#include "Canvas.h"

#include "Font.h"
#include "TextLayout.h"

#include <algorithm>
#include <cstdlib>

namespace plat
{

namespace
{

Rect Intersect(const Rect& a, const Rect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool IsDirectColor(PixelFormat format)
{
    switch (format)
    {
    case PixelFormat::Rgb565:
    case PixelFormat::Argb1555:
    case PixelFormat::Argb4444:
    case PixelFormat::Rgb888:
    case PixelFormat::Xrgb8888:
    case PixelFormat::Argb8888:
        return true;
    default:
        return false;
    }
}

uint32_t SwapRedBlue(uint32_t argb)
{
    return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

} // namespace

Canvas::Canvas(const PixelView& target, bool redFirst) : m_target(target)
{
    m_usable = target.pixels && target.width > 0 && target.height > 0 && IsDirectColor(target.format);
    if (!m_usable)
        return;
    m_bytesPerPixel = BytesPerPixel(target.format);
    const uint32_t blueMask = DescribeFormat(target.format).blueMask;
    m_smallestBlue = blueMask & (~blueMask + 1);
    m_swapRedBlue = redFirst && target.format == PixelFormat::Rgb888;
}

uint32_t Canvas::Pack(uint32_t argb) const
{
    return PackColor(m_target.format, m_swapRedBlue ? SwapRedBlue(argb) : argb);
}

uint32_t Canvas::Expand(uint32_t pixel) const
{
    const uint32_t argb = ExpandColor(m_target.format, pixel);
    return m_swapRedBlue ? SwapRedBlue(argb) : argb;
}

void Canvas::PutPixel(int32_t x, int32_t y, uint32_t packed)
{
    if (x < 0 || y < 0 || x >= static_cast<int32_t>(m_target.width) || y >= static_cast<int32_t>(m_target.height))
        return;
    WritePixel(m_target.Row(static_cast<uint32_t>(y)) + static_cast<size_t>(x) * m_bytesPerPixel, m_bytesPerPixel,
               packed);
}

void Canvas::Fill(const Rect& rect, ColorRef color)
{
    if (!m_usable)
        return;
    const Rect r = Intersect(rect, {0, 0, static_cast<int32_t>(m_target.width), static_cast<int32_t>(m_target.height)});
    if (r.Empty())
        return;
    const uint32_t packed = Pack(ArgbOf(color));
    for (int32_t y = r.top; y < r.bottom; ++y)
    {
        uint8_t* at = m_target.Row(static_cast<uint32_t>(y)) + static_cast<size_t>(r.left) * m_bytesPerPixel;
        for (int32_t x = r.left; x < r.right; ++x, at += m_bytesPerPixel)
            WritePixel(at, m_bytesPerPixel, packed);
    }
}

void Canvas::Line(Point from, Point to, const Pen& pen)
{
    // Ends a million pixels away are no overlay's; they would only make the walk long.
    constexpr int32_t kFar = 1 << 20;
    const auto far = [](Point p) { return p.x > kFar || p.x < -kFar || p.y > kFar || p.y < -kFar; };
    if (!m_usable || pen.width <= 0 || far(from) || far(to))
        return;
    // A square brush centred on each point of the line.
    const int32_t width = std::min(pen.width, 1024);
    const int32_t before = (width - 1) / 2;
    const int64_t dx = std::abs(int64_t{to.x} - from.x), dy = -std::abs(int64_t{to.y} - from.y);
    const int32_t sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
    int64_t error = dx + dy;
    Point p = from;
    for (int64_t steps = std::max(dx, -dy); steps > 0; --steps)
    {
        Fill({p.x - before, p.y - before, p.x - before + width, p.y - before + width}, pen.color);
        const int64_t twice = 2 * error;
        if (twice >= dy)
        {
            error += dy;
            p.x += sx;
        }
        if (twice <= dx)
        {
            error += dx;
            p.y += sy;
        }
    }
}

void Canvas::Rectangle(const Rect& rect, const Pen& pen, bool fillInside, ColorRef fill)
{
    if (!m_usable || rect.Empty())
        return;
    const int32_t w = std::max(pen.width, 0);
    if (fillInside)
        Fill({rect.left + w, rect.top + w, rect.right - w, rect.bottom - w}, fill);
    if (w == 0)
        return;
    const int32_t innerTop = std::min(rect.top + w, rect.bottom);
    const int32_t innerBottom = std::max(rect.bottom - w, innerTop);
    Fill({rect.left, rect.top, rect.right, innerTop}, pen.color);
    Fill({rect.left, innerBottom, rect.right, rect.bottom}, pen.color);
    Fill({rect.left, innerTop, std::min(rect.left + w, rect.right), innerBottom}, pen.color);
    Fill({std::max(rect.right - w, rect.left), innerTop, rect.right, innerBottom}, pen.color);
}

void Canvas::BlendPixel(int32_t x, int32_t y, ColorRef color, uint32_t coverage)
{
    if (coverage < kCoverageThreshold)
        return;
    uint8_t* at = m_target.Row(static_cast<uint32_t>(y)) + static_cast<size_t>(x) * m_bytesPerPixel;
    const uint32_t under = Expand(ReadPixel(at, m_bytesPerPixel));
    const uint32_t over = ArgbOf(color);
    uint32_t argb = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const uint32_t u = (under >> shift) & 0xFFu, o = (over >> shift) & 0xFFu;
        const uint32_t mixed = (u * (255 - coverage) + o * coverage + 127) / 255;
        argb |= mixed << shift;
    }
    uint32_t packed = Pack(argb);
    if (packed == 0)
        packed = m_smallestBlue; // never the transparent key
    WritePixel(at, m_bytesPerPixel, packed);
}

void Canvas::DrawGlyphs(int32_t x, int32_t baseline, std::string_view text, const Font& font, ColorRef color,
                        const Rect& clip)
{
    const int32_t tab = TextLayout::TabWidth(font);
    int32_t pen = 0;
    for (const char c : text)
    {
        if (c == '\t')
        {
            pen = (pen / tab + 1) * tab;
            continue;
        }
        const Glyph& glyph = font.GlyphOf(static_cast<uint8_t>(c));
        const int32_t left = x + pen + glyph.left, top = baseline - glyph.top;
        const Rect area = Intersect(clip, {left, top, left + glyph.width, top + glyph.rows});
        for (int32_t py = area.top; py < area.bottom; ++py)
            for (int32_t px = area.left; px < area.right; ++px)
                BlendPixel(
                    px, py, color,
                    glyph.coverage[static_cast<size_t>(py - top) * glyph.width + static_cast<size_t>(px - left)]);
        pen += glyph.advance;
    }
}

Size Canvas::Text(int32_t x, int32_t y, std::string_view text, const Font& font, ColorRef color, ColorRef background)
{
    const Size size = font.MeasureText(text);
    if (!m_usable)
        return size;
    Fill({x, y, x + size.width, y + size.height}, background);
    const Rect all{0, 0, static_cast<int32_t>(m_target.width), static_cast<int32_t>(m_target.height)};
    DrawGlyphs(x, y + font.Ascent(), text, font, color, all);
    return size;
}

void Canvas::TextInBox(const Rect& box, std::string_view text, const Font& font, ColorRef color)
{
    if (!m_usable || box.Empty())
        return;
    const Rect clip =
        Intersect(box, {0, 0, static_cast<int32_t>(m_target.width), static_cast<int32_t>(m_target.height)});
    int32_t y = box.top;
    for (const TextLine& line : TextLayout::WrapLines(font, text, box.Width()))
    {
        if (y >= clip.bottom)
            break;
        const int32_t x = box.left + (box.Width() - line.width) / 2;
        DrawGlyphs(x, y + font.Ascent(), text.substr(line.begin, line.length), font, color, clip);
        y += font.Height();
    }
}

} // namespace plat
