#include "TextLayout.h"

#include "Font.h"

#include <algorithm>

namespace plat
{

int32_t TextLayout::TabWidth(const Font& font)
{
    return std::max(1, 8 * font.AverageCharWidth());
}

int32_t TextLayout::LineWidth(const Font& font, std::string_view line)
{
    const int32_t tab = TabWidth(font);
    int32_t x = 0;
    for (const char c : line)
        x = c == '\t' ? (x / tab + 1) * tab : x + font.GlyphOf(static_cast<uint8_t>(c)).advance;
    return x;
}

std::vector<TextLine> TextLayout::WrapLines(const Font& font, std::string_view text, int32_t boxWidth)
{
    std::vector<TextLine> lines;
    size_t paragraph = 0;
    while (paragraph <= text.size())
    {
        size_t end = text.find('\n', paragraph);
        if (end == std::string_view::npos)
            end = text.size();
        size_t last = end;
        if (last > paragraph && text[last - 1] == '\r')
            --last;
        // Greedy: take words while the line fits; the first word of a line always goes in.
        size_t start = paragraph;
        while (true)
        {
            size_t lineEnd = start; // past the last word taken
            size_t scan = start;
            while (scan < last)
            {
                size_t wordEnd = scan;
                while (wordEnd < last && text[wordEnd] == ' ')
                    ++wordEnd;
                while (wordEnd < last && text[wordEnd] != ' ')
                    ++wordEnd;
                if (lineEnd > start && LineWidth(font, text.substr(start, wordEnd - start)) > boxWidth)
                    break;
                lineEnd = scan = wordEnd;
            }
            lines.push_back({start, lineEnd - start, LineWidth(font, text.substr(start, lineEnd - start))});
            // Spaces at a break belong to neither line.
            start = lineEnd;
            while (start < last && text[start] == ' ')
                ++start;
            if (start >= last)
                break;
        }
        paragraph = end + 1;
    }
    return lines;
}

} // namespace plat
