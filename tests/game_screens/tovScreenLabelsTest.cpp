// Every label a player reads on the front-end screens, at 640 x 480: the text at the size it
// is drawn stands inside its box (clear of the window's edge and of the buttons over it) and
// is at least 10 pixels high. Labels baked into the sample pictures are taken from the
// generator as it draws them; texts the screens draw are measured with their fonts.

#include "tovFishingHud.h"

#include "LabelFont.h"
#include "PackWriter.h"
#include "SampleData.h"

#include "Font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t kMinHeight = 10;

struct Box
{
    uint32_t left, top, right, bottom;
};

std::string Describe(const gen::NotedLabel& label)
{
    return "\"" + label.text + "\" of picture " + std::to_string(label.picture) + " at " + std::to_string(label.x) +
           ", " + std::to_string(label.y) + " size " + std::to_string(label.width) + " x " +
           std::to_string(label.height);
}

bool Inside(const gen::NotedLabel& label, const Box& box)
{
    return label.x >= box.left && label.y >= box.top && label.x + label.width <= box.right &&
           label.y + label.height <= box.bottom;
}

bool Overlap(const gen::NotedLabel& a, const gen::NotedLabel& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

class tovScreenLabelsTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        gen::StartNotingLabels();
        s_main = new tools::PackContents(gen::MakeMainPack());
        const std::vector<gen::NotedLabel> main = gen::StopNotingLabels();
        gen::StartNotingLabels();
        gen::MakeSampleLakePacks();
        const std::vector<gen::NotedLabel> lakes = gen::StopNotingLabels();
        s_labels = new std::multimap<uint32_t, gen::NotedLabel>;
        for (const gen::NotedLabel& label : main)
            s_labels->emplace(label.picture, label);
        // Lake pictures are numbered apart from the main pack's: keep them under their own keys.
        for (const gen::NotedLabel& label : lakes)
            s_labels->emplace(kLakePack + label.picture, label);
    }
    static void TearDownTestSuite()
    {
        delete s_main;
        delete s_labels;
    }

    static std::vector<gen::NotedLabel> LabelsOf(uint32_t picture)
    {
        std::vector<gen::NotedLabel> out;
        const auto [from, to] = s_labels->equal_range(picture);
        for (auto it = from; it != to; ++it)
            out.push_back(it->second);
        return out;
    }

    static constexpr uint32_t kLakePack = 1u << 24;
    static tools::PackContents* s_main;
    static std::multimap<uint32_t, gen::NotedLabel>* s_labels;
};

tools::PackContents* tovScreenLabelsTest::s_main = nullptr;
std::multimap<uint32_t, gen::NotedLabel>* tovScreenLabelsTest::s_labels = nullptr;

// The labels of each picture stand in the part of it that shows on the screen: clear of the
// arrow or toggle buttons that overlap it, of the fields and of the window's edge.
TEST_F(tovScreenLabelsTest, EachLabelFitsItsBoxAtAReadableSize)
{
    const struct
    {
        uint32_t first, last; // picture ids
        Box box;              // in the picture
        const char* what;
    } rows[] = {
        {5022, 5042, {4, 4, 124, 30}, "sponsor buttons"},
        {5001, 5021, {4, 4, 124, 30}, "sponsor buttons, lit"},
        {503, 510, {12, 0, 104, 25}, "tournament values, right of the minus arrow"},
        {700, 707, {6, 0, 95, 29}, "line colour and kind, right of the minus arrow"},
        {715, 728, {1, 1, 43, 17}, "pound tests"},
        {769, 772, {0, 0, 157, 15}, "lure option strips"},
        {1001, 1005, {2, 2, 316, 112}, "reels"},
        {1036, 1039, {2, 2, 316, 112}, "rods"},
        {2000, 2012, {2, 2, 144, 91}, "add-ons"},
        {3100, 3915, {2, 2, 155, 98}, "lures on the rod page"},
        {4100, 4915, {1, 0, 95, 18}, "lure tags on the fishing screen, above their colour line"},
        {367, 369, {4, 4, 96, 36}, "weigh-in button"},
        {20, 21, {4, 4, 106, 36}, "go fish button"},
        {304, 323, {0, 0, 15, 15}, "conditions digits"},
        {5210, 5223, {34, 1, 95, 35}, "the fishing screen's bottom bar, right of the icons"},
        {5200, 5204, {5, 5, 91, 91}, "instrument faces, inside the bezel"},
        {5205, 5205, {6, 0, 142, 20}, "the depth finder's names, above its screens"},
    };
    for (const auto& row : rows)
    {
        size_t seen = 0;
        for (uint32_t id = row.first; id <= row.last; ++id)
        {
            const std::vector<gen::NotedLabel> labels = LabelsOf(id);
            for (size_t i = 0; i < labels.size(); ++i)
            {
                const gen::NotedLabel& label = labels[i];
                ++seen;
                EXPECT_GE(label.height, kMinHeight) << row.what << ": " << Describe(label);
                EXPECT_TRUE(Inside(label, row.box)) << row.what << ": " << Describe(label);
                // Nor does one label run into another of its picture.
                for (size_t j = i + 1; j < labels.size(); ++j)
                    EXPECT_FALSE(Overlap(label, labels[j]))
                        << row.what << ": " << Describe(label) << " and " << Describe(labels[j]);
            }
        }
        EXPECT_GT(seen, 0u) << row.what;
    }
}

// Labels that stand on a screen's backdrop beside its buttons and fields.
TEST_F(tovScreenLabelsTest, BackdropLabelsStandClearOfButtonsAndFields)
{
    const struct
    {
        uint32_t picture;
        const char* text;
        Box box;
    } rows[] = {
        // Travel map: the title and the mode names in the column right of the map (x 531 on),
        // the names right of their toggles (32 x 26 at y 55 and 90), above the weigh-in button.
        {360, "TRAVEL", {531, 0, 640, 55}},
        {360, "MAP", {531, 0, 640, 55}},
        {360, "VIEW", {571, 55, 640, 81}},
        {360, "PICK", {571, 90, 640, 116}},
        // Tackle box: the gear toggles' names right of them, clear of the line arrows at x 276.
        {698, "RODS", {133, 308, 276, 334}},
        {698, "REELS", {133, 343, 276, 369}},
        {698, "LB TEST", {276, 200, 430, 265}},
        // The first family's title where the others' title pictures stand.
        {699, "CRANKBAITS", {139, 38, 500, 80}},
        // Angler look: captions above their arrows (y 357 and 411) and under the view (to
        // y 334); the genders right of their toggles (281..313, y 345 and 375).
        {570, "BOAT PAINT", {79, 334, 429, 357}},
        {570, "SHIRT", {429, 334, 640, 357}},
        {570, "CAP", {429, 387, 640, 411}},
        {570, "FEMALE", {313, 345, 429, 371}},
        {570, "MALE", {313, 375, 429, 401}},
        // Save: the captions clear of the name field (140..496 by 24..56).
        {624, "NAME", {0, 24, 138, 56}},
        {624, "SAVE GAME", {0, 60, 640, 120}},
        // Tournament set-up: under the lake picture, above the back button, left of the map.
        {389, "GO FISH STARTS THE DAY", {77, 238, 448, 430}},
        {389, "LAKE", {502, 54, 596, 84}},
        // The travel map's legend, in its box at the map's lower left.
        {kLakePack + 80, "WATER", {8, 346, 108, 392}},
        {kLakePack + 80, "LAND", {8, 346, 108, 392}},
    };
    for (const auto& row : rows)
    {
        const std::vector<gen::NotedLabel> labels = LabelsOf(row.picture);
        const auto it = std::find_if(labels.begin(), labels.end(),
                                     [&](const gen::NotedLabel& label) { return label.text == row.text; });
        ASSERT_NE(it, labels.end()) << row.text << " on picture " << row.picture;
        EXPECT_GE(it->height, kMinHeight) << Describe(*it);
        EXPECT_TRUE(Inside(*it, row.box)) << Describe(*it);
    }
}

// Every label on the pictures of these screens reads at 640 x 480 and stays in its picture:
// lure tabs, line and gear pictures, the lure pictures of both pages and of the fishing
// screen, the set-up's values and panels, the travel map, the sponsor list, the livewell and
// the angler look.
TEST_F(tovScreenLabelsTest, NoLabelOfTheseScreensIsASpeckOrCut)
{
    const std::pair<uint32_t, uint32_t> ranges[] = {
        {360, 370},   {386, 391},   {400, 406},   {428, 433},   {503, 510},
        {550, 572},   {624, 625},   {660, 775},   {1001, 1039}, {1100, 1931},
        {2000, 2012}, {3100, 3931}, {4100, 4931}, {5000, 5042}, {kLakePack, kLakePack + 300},
    };
    size_t seen = 0;
    for (const auto& [first, last] : ranges)
    {
        for (auto it = s_labels->lower_bound(first); it != s_labels->end() && it->first <= last; ++it)
        {
            const gen::NotedLabel& label = it->second;
            ++seen;
            EXPECT_GE(label.height, kMinHeight) << Describe(label);
            EXPECT_TRUE(Inside(label, {0, 0, label.pictureWidth, label.pictureHeight})) << Describe(label);
        }
    }
    EXPECT_GT(seen, 100u);
}

// One name size for every sponsor button, so that no name stands out or shrinks.
TEST_F(tovScreenLabelsTest, SponsorNamesShareOneSize)
{
    std::vector<uint32_t> heights;
    for (uint32_t id = 5022; id <= 5042; ++id)
        for (const gen::NotedLabel& label : LabelsOf(id))
            heights.push_back(label.height);
    ASSERT_EQ(heights.size(), 21u);
    EXPECT_EQ(*std::min_element(heights.begin(), heights.end()), *std::max_element(heights.begin(), heights.end()));
}

// The set-up's text names the action by the word its accept button shows.
TEST_F(tovScreenLabelsTest, SetUpTextNamesItsButton)
{
    const std::vector<gen::NotedLabel> button = LabelsOf(21);
    ASSERT_EQ(button.size(), 1u);
    bool named = false;
    for (const gen::NotedLabel& label : LabelsOf(389))
    {
        EXPECT_EQ(label.text.find("ACCEPT"), std::string::npos) << label.text;
        named = named || label.text.find(button[0].text) != std::string::npos;
    }
    EXPECT_TRUE(named) << button[0].text;
}

// Texts the screens draw, in their boxes: the lake information's values in the wells of its
// backdrop (a box lower than a line grows to one), the save screen's name, and the fishing
// screen's instrument readings at their widest (the depth finder's screens, the drag under
// the tension gauge, clear of the bottom bar).
TEST_F(tovScreenLabelsTest, ScreenTextsFitTheirFields)
{
    using H = tovFishingHud;
    const std::unique_ptr<plat::Font> font = plat::Font::Create("Verdana", 18, 400);
    ASSERT_TRUE(font);
    const int32_t line = font->Height();
    const int32_t depthLeft = H::kDepthAt.x + H::kScreenLeft;
    const int32_t depthTop = H::kDepthAt.y + H::kScreenTop;
    const int32_t tempLeft = depthLeft + H::kScreenStep;
    const int32_t dragCentre = H::kTensionAt.x + H::kFaceSize / 2;
    const int32_t dragTop = H::kTensionAt.y + H::kFaceSize + 2;
    const struct
    {
        std::string text;
        int32_t left, top, right, boxBottom; // where it is drawn, and how far down it may reach
        int32_t size, weight;                // of its face
    } rows[] = {
        {"Partly Cloudy", 371, 95, 548, 117, 18, 400},
        {"Mostly Cloudy", 371, 95, 548, 117, 18, 400},
        {"North West", 371, 144, 548, 166, 18, 400},
        {"South East", 371, 144, 548, 166, 18, 400},
        {"20", 371, 192, 548, 214, 18, 400},
        {"-40", 445, 240, 555, 262, 18, 400},
        {"104", 445, 288, 555, 310, 18, 400},
        {"Muddy", 371, 336, 548, 358, 18, 400},
        {"Saturday Bass 2", 146, 30, 496, 54, 18, 400},
        {H::DepthText(1.0e9f), depthLeft, depthTop, depthLeft + H::kScreenWidth, depthTop + H::kScreenHeight, 18, 700},
        {H::TemperatureText(-1.0e9f), tempLeft, depthTop, tempLeft + H::kScreenWidth, depthTop + H::kScreenHeight, 18,
         700},
        {H::TemperatureText(1.0e9f), tempLeft, depthTop, tempLeft + H::kScreenWidth, depthTop + H::kScreenHeight, 18,
         700},
        {H::DragText(1.0e9f), dragCentre - (640 - dragCentre), dragTop, 640, 440, 13, 700},
    };
    for (const auto& row : rows)
    {
        const std::unique_ptr<plat::Font> face = plat::Font::Create("Verdana", row.size, row.weight);
        ASSERT_TRUE(face);
        EXPECT_GE(face->Height(), int32_t(kMinHeight)) << row.text;
        const plat::Size size = face->MeasureText(row.text);
        EXPECT_LE(size.width, row.right - row.left) << row.text;
        EXPECT_LE(row.top + face->Height(), row.boxBottom) << row.text;
    }

    // The caret stands at the name's lower right corner, under where the next letter goes.
    const auto caret =
        std::find_if(s_main->items.begin(), s_main->items.end(),
                     [](const tools::PackItem& item) { return item.type == 0x80000010 && item.id == 106; });
    ASSERT_NE(caret, s_main->items.end());
    ASSERT_GE(caret->data.size(), 26u);
    const auto word = [&](size_t at) {
        return int32_t(caret->data[at] | caret->data[at + 1] << 8 | caret->data[at + 2] << 16 |
                       caret->data[at + 3] << 24);
    };
    const int32_t caretWidth = word(18);
    const int32_t caretHeight = std::abs(word(22));
    EXPECT_LE(30 + line + caretHeight, 54) << "the caret hangs below the name field";
    EXPECT_LE(caretHeight * 4, line) << "a caret under the text is a stroke, not a bar";
    EXPECT_LE(146 + font->MeasureText("Saturday Bass 2").width + caretWidth, 496);
}

} // namespace
