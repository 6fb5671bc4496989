#pragma once
// A typeface at one pixel height and weight, as a window program names it ("Verdana",
// "Arial"). Faces are resolved through the font configuration, which the program extends
// with its own aliases: "Verdana" is DejaVu Sans and "Arial" Liberation Sans. Text is one
// byte per character (Latin-1). Main thread only; glyphs are rendered once and kept.
// Leaves out: kerning, italics and underlines, and fonts that cannot scale.

#include "Glyph.h"
#include "Point.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace plat
{

class Font
{
public:
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // height: the cell height in pixels (ascent plus descent), as a positive font height
    // asks; weight: 400 normal, 700 bold. Null when no font file can be found or opened.
    static std::unique_ptr<Font> Create(const std::string& face, int32_t height, int32_t weight);

    // The line height: ascent plus descent.
    int32_t Height() const { return m_ascent + m_descent; }
    int32_t Ascent() const { return m_ascent; }
    // The face's average character width at this size (tab stops are eight of them).
    int32_t AverageCharWidth() const { return m_averageWidth; }
    // One line, no tab expansion: the sum of the advances by the line height.
    Size MeasureText(std::string_view text) const;
    const Glyph& GlyphOf(uint8_t character) const;

    // Where the face came from, for reports and tests.
    const std::string& FilePath() const { return m_filePath; }
    const std::string& FamilyName() const { return m_familyName; }

private:
    struct Face;
    Font();
    std::unique_ptr<Glyph> Render(uint8_t character) const;

    std::unique_ptr<Face> m_face;
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
    int32_t m_averageWidth = 0;
    std::string m_filePath;
    std::string m_familyName;
    mutable std::array<std::unique_ptr<Glyph>, 256> m_glyphs;
};

} // namespace plat
