// The fishing screen's key table: no key does two unrelated things, every key a player needs is
// on the help picture under its own name, and the picture's key column reads as it should.

#include "tovFishingKeys.h"

#include "KeyNumbers.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace
{

using A = tovFishingAction;

bool IsDebug(A action)
{
    return action == A::kDebugPage || action == A::kTerrainFiner || action == A::kTerrainCoarser ||
           action == A::kWeatherFront;
}

TEST(tovFishingKeysTest, NoKeyDoesTwoThingsUnlessTheyNeverMeet)
{
    // The catch box's answers share keys with driving keys: the box stops driving while it is open.
    const std::set<std::pair<A, A>> sharing = {{A::kReverse, A::kRelease}, {A::kKeep, A::kTrollingBack}};
    const auto& keys = FishingKeys();
    for (size_t i = 0; i < keys.size(); ++i)
        for (size_t j = i + 1; j < keys.size(); ++j)
        {
            const tovFishingKey& a = keys[i];
            const tovFishingKey& b = keys[j];
            if (a.key == 0 || a.key != b.key || a.ctrl != b.ctrl)
                continue;
            EXPECT_TRUE(sharing.count({a.action, b.action}) || sharing.count({b.action, a.action}))
                << plat::KeyName(a.key) << ": actions " << int(a.action) << " and " << int(b.action);
        }
    // T is the chat panel's in a network game, over the fishing screen too.
    EXPECT_EQ(KeyOfAction(A::kChat), plat::kKeyT);
    EXPECT_EQ(KeyOfAction(A::kTrollingLower), plat::kKeyY);
}

TEST(tovFishingKeysTest, EveryKeyButTheDebugKeysIsOnTheHelpPicture)
{
    for (const tovFishingKey& row : FishingKeys())
    {
        const bool answersTheCatchBox = row.action == A::kKeep || row.action == A::kRelease;
        if (IsDebug(row.action) || answersTheCatchBox)
        {
            EXPECT_EQ(row.line, kHiddenKey) << int(row.action);
            continue;
        }
        ASSERT_GE(row.line, 0) << int(row.action);
        ASSERT_LT(row.line, int32_t(HelpLines().size()));
    }
    // Each help line has keys to show.
    for (size_t line = 0; line < HelpLines().size(); ++line)
        EXPECT_NE(HelpLineKeys(int32_t(line)), "") << HelpLines()[line].text;
}

TEST(tovFishingKeysTest, TheKeyColumnNamesKeysAsTheirCapsAndClosesRuns)
{
    struct Case
    {
        A action;
        const char* keys;
    } const cases[] = {
        {A::kCamera, "F1-F6, TAB"},        {A::kRod, "1-7"}, {A::kDragUp, "=, -"}, {A::kMainMenu, "ESC"},
        {A::kSteerLeft, "LEFT, RIGHT, C"},
    };
    for (const Case& c : cases)
    {
        int32_t line = -1;
        for (const tovFishingKey& row : FishingKeys())
            if (row.action == c.action)
                line = row.line;
        EXPECT_EQ(HelpLineKeys(line), c.keys);
    }
    EXPECT_EQ(HelpLineKeys(-1), "");
    EXPECT_EQ(HelpLineKeys(int32_t(HelpLines().size())), "");
}

// The front turns the day's weather: a stray F (the trolling keys sit next to it) must not.
TEST(tovFishingKeysTest, OnlyCtrlFBringsAWeatherFront)
{
    int fronts = 0;
    for (const tovFishingKey& row : FishingKeys())
        if (row.action == A::kWeatherFront)
        {
            ++fronts;
            EXPECT_EQ(row.key, plat::kKeyF);
            EXPECT_TRUE(row.ctrl);
        }
    EXPECT_EQ(fronts, 1);
}

} // namespace
