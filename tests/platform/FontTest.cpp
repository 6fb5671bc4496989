#include "Font.h"
#include "TextLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

namespace
{

std::vector<std::string> Wrap(const Font& font, std::string_view text, int32_t width)
{
    std::vector<std::string> out;
    for (const TextLine& line : TextLayout::WrapLines(font, text, width))
        out.emplace_back(text.substr(line.begin, line.length));
    return out;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

// The game's faces come from the project's font packages whatever the machine's own
// configuration prefers, at exactly the cell height asked for.
TEST(Font, GameFacesResolveToTheInstalledFreeFaces)
{
    const struct
    {
        const char* face;
        int32_t height;
        int32_t weight;
        const char* file;
    } cases[] = {
        {"Verdana", 18, 400, "/DejaVuSans.ttf"},           {"Verdana", 20, 400, "/DejaVuSans.ttf"},
        {"verdana", 12, 400, "/DejaVuSans.ttf"},           {"Arial", 28, 700, "/LiberationSans-Bold.ttf"},
        {"Arial", 16, 400, "/LiberationSans-Regular.ttf"},
    };
    for (const auto& c : cases)
    {
        const auto font = Font::Create(c.face, c.height, c.weight);
        ASSERT_TRUE(font) << c.face;
        EXPECT_TRUE(EndsWith(font->FilePath(), c.file)) << c.face << " -> " << font->FilePath();
        EXPECT_EQ(font->Height(), c.height);
        EXPECT_GT(font->Ascent(), font->Height() / 2);
        EXPECT_LT(font->Ascent(), font->Height());
    }
    EXPECT_FALSE(Font::Create("Verdana", 0, 400));
    EXPECT_FALSE(Font::Create("Verdana", 100000, 400));
}

TEST(Font, ExtentIsTheSumOfAdvancesOnOneLine)
{
    const auto font = Font::Create("Verdana", 18, 400);
    ASSERT_TRUE(font);
    const Size empty = font->MeasureText("");
    EXPECT_EQ(empty, (Size{0, 18}));
    const Size hello = font->MeasureText("Hello");
    const Size world = font->MeasureText(", world");
    EXPECT_EQ(font->MeasureText("Hello, world"), (Size{hello.width + world.width, 18}));
    // Proportional, and wider than it is high for a word of eight letters.
    EXPECT_GT(font->MeasureText("WWWW").width, font->MeasureText("iiii").width * 2);
    EXPECT_GT(font->MeasureText("Tarnholm").width, 18);
    // Control characters take no room.
    EXPECT_EQ(font->MeasureText("a\x01\x7F").width, font->MeasureText("a").width);
}

TEST(TextLayout, BreaksAtSpacesLineFeedsAndKeepsLongWordsWhole)
{
    const auto font = Font::Create("Verdana", 18, 400);
    ASSERT_TRUE(font);
    const int32_t twoWords = font->MeasureText("one two").width;
    const struct
    {
        const char* text;
        int32_t width;
        std::vector<std::string> lines;
    } cases[] = {
        {"one two three", twoWords, {"one two", "three"}},
        {"one two three", twoWords - 1, {"one", "two", "three"}},
        {"one   two", 1, {"one", "two"}},    // spaces at a break vanish
        {"unbreakable", 1, {"unbreakable"}}, // a long word stays whole
        {"one\ntwo\r\n\nthree", 10000, {"one", "two", "", "three"}},
        {"", 100, {""}},
        {"  lead", 10000, {"  lead"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Wrap(*font, c.text, c.width), c.lines) << c.text << " in " << c.width;

    // Tabs stop every eight average widths, counted from the line's start.
    const int32_t tab = TextLayout::TabWidth(*font);
    EXPECT_EQ(tab, 8 * font->AverageCharWidth());
    EXPECT_EQ(TextLayout::LineWidth(*font, "\tx"), tab + font->MeasureText("x").width);
    EXPECT_EQ(TextLayout::LineWidth(*font, "x\t"), tab);
}
