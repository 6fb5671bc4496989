#pragma once
// 2D drawing on surface memory in any direct-colour format (the framework draws its
// overlays into a 24-bit picture): fills, lines and rectangle outlines with pens of any
// width, and text. Everything is clipped to the target. Overlays are later copied with black
// as the transparent colour, so a drawn pixel never turns pure black: text edges below a
// coverage threshold are left alone, and a lit pixel that would pack to 0 gets the smallest
// blue instead.
// Leaves out: brushes other than solid colours, dashed pens, clip regions, kerning and
// transparent text backgrounds (overlays draw on black).

#include "ColorRef.h"
#include "PixelView.h"
#include "Point.h"
#include "Rect.h"

#include <cstdint>
#include <string_view>

namespace plat
{

class Font;

struct Pen
{
    ColorRef color = kColorBlack;
    int32_t width = 1;
};

class Canvas
{
public:
    // Borrows the memory; it must stay valid while the canvas draws. `redFirst` reads
    // three-byte pixels as red, green, blue in memory (the engine's picture order) instead of
    // the surface order, blue first.
    explicit Canvas(const PixelView& target, bool redFirst = false);

    // False for palettised, depth and unknown formats and missing memory: every drawing call
    // then does nothing.
    bool IsUsable() const { return m_usable; }

    void Fill(const Rect& rect, ColorRef color);
    // From `from` up to but not including `to`; a wide pen is a square brush centred on the
    // line.
    void Line(Point from, Point to, const Pen& pen);
    // The outline lies inside the rectangle (right and bottom exclusive), pen width thick;
    // the inside is filled with `fill` unless `fillInside` is false.
    void Rectangle(const Rect& rect, const Pen& pen, bool fillInside, ColorRef fill);
    // One line of text with its top-left corner at (x, y), on an opaque background box of
    // its extent. Answers the extent.
    Size Text(int32_t x, int32_t y, std::string_view text, const Font& font, ColorRef color, ColorRef background);
    // Text wrapped to the box, each line centred, tabs expanded, '&' drawn as itself; lines
    // run down from the box's top and are clipped to the box. Only the glyphs are drawn.
    void TextInBox(const Rect& box, std::string_view text, const Font& font, ColorRef color);

    // The glyph edge rule: coverage below this leaves the pixel as it was.
    static constexpr uint8_t kCoverageThreshold = 96;

private:
    void DrawGlyphs(int32_t x, int32_t baseline, std::string_view text, const Font& font, ColorRef color,
                    const Rect& clip);
    void BlendPixel(int32_t x, int32_t y, ColorRef color, uint32_t coverage);
    void PutPixel(int32_t x, int32_t y, uint32_t packed);
    uint32_t Pack(uint32_t argb) const;
    uint32_t Expand(uint32_t pixel) const;

    PixelView m_target;
    bool m_usable = false;
    uint32_t m_bytesPerPixel = 0;
    uint32_t m_smallestBlue = 0;
    bool m_swapRedBlue = false;
};

} // namespace plat
