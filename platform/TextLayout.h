#pragma once
// Splitting text into lines for a box: breaks at spaces when a line would be wider than the
// box, and at line feeds (a carriage return before one is dropped); a word wider than the
// box stays whole on its own line. Tabs stop every eight average character widths.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace plat
{

class Font;

struct TextLine
{
    size_t begin = 0; // into the text
    size_t length = 0;
    int32_t width = 0; // with tabs expanded
};

class TextLayout
{
public:
    static std::vector<TextLine> WrapLines(const Font& font, std::string_view text, int32_t boxWidth);
    // Width of a piece of one line with tabs expanded from its start.
    static int32_t LineWidth(const Font& font, std::string_view line);
    static int32_t TabWidth(const Font& font);
};

} // namespace plat
