#include "FrontEndFixture.h"

#include "tovTackleBoxIFace.h"
#include "tovTackleSet.h"
#include "tovUserProfile.h"

#include "ButtonObj.h"

namespace
{

using T = tovTackleSet;
using Box = tovTackleBoxIFace;

T::RodSet MakeRod(std::initializer_list<std::pair<int32_t, int32_t>> values)
{
    T::RodSet rod{};
    for (const auto& [index, value] : values)
        rod[static_cast<size_t>(index)] = value;
    return rod;
}

// Each arrow's rule on one record, including records a profile file made up.
TEST(tovTackleBoxRules, ArrowsStepWithinTheirTables)
{
    const struct
    {
        const char* what;
        T::RodSet rod;
        void (*rule)(T::RodSet&, int32_t);
        int32_t step;
        int32_t index;
        int32_t expected;
    } cases[] = {
        {"kind 3 up wraps", MakeRod({{T::kLineKind, 3}}), &Box::StepLineKind, 1, T::kLineKind, 0},
        {"kind 3 up resets the test", MakeRod({{T::kLineKind, 3}}), &Box::StepLineKind, 1, T::kPoundTest, 5},
        {"kind 3 up resets the colour", MakeRod({{T::kLineKind, 3}}), &Box::StepLineKind, 1, T::kLineColour, 1},
        {"first test back", MakeRod({{T::kPoundTest, 5}}), &Box::StepPoundTest, -1, T::kPoundTest, 11},
        {"fifth test on", MakeRod({{T::kPoundTest, 11}}), &Box::StepPoundTest, 1, T::kPoundTest, 5},
        {"unknown test", MakeRod({{T::kPoundTest, 99}}), &Box::StepPoundTest, -1, T::kPoundTest, 5},
        {"colour on", MakeRod({{T::kLineKind, 1}}), &Box::StepLineColour, 1, T::kLineColour, 2},
        {"colour wraps", MakeRod({{T::kLineKind, 1}, {T::kLineColour, 2}}), &Box::StepLineColour, 1, T::kLineColour, 0},
        {"bad kind keeps colour", MakeRod({{T::kLineKind, -4}, {T::kLineColour, 9}}), &Box::StepLineColour, 1,
         T::kLineColour, 9},
        {"bad kind restarts", MakeRod({{T::kLineKind, -4}}), &Box::StepLineKind, 1, T::kLineKind, 0},
        {"gear view 0 wraps at 5", MakeRod({{T::kFirstGear, 4}}), &Box::StepGear, 1, T::kFirstGear, 0},
        {"gear view 1 wraps at 4", MakeRod({{T::kGearView, 1}}), &Box::StepGear, -1, T::kSecondGear, 3},
        {"gear far off", MakeRod({{T::kFirstGear, 1000}}), &Box::StepGear, 1, T::kFirstGear, 0},
        {"add-on wraps", MakeRod({{T::kAddOn, 12}}), &Box::StepAddOn, 1, T::kAddOn, 0},
        {"add-on 0 clears the flag", MakeRod({{T::kAddOn, 12}, {T::kAddOnFlag, 0x301}}), &Box::StepAddOn, 1,
         T::kAddOnFlag, 0x300},
        {"add-on sets the flag", MakeRod({{T::kAddOnFlag, 0x300}}), &Box::StepAddOn, 1, T::kAddOnFlag, 0x301},
        {"item wraps", MakeRod({{T::kFamily, 1}, {T::kFirstItem + 1, 31}}), &Box::StepItem, 1, T::kFirstItem + 1, 0},
        {"item clears colour", MakeRod({{T::kFamily, 1}, {T::kFirstColour + 1, 1}}), &Box::StepItem, 1,
         T::kFirstColour + 1, 0},
        {"item off table", MakeRod({{T::kFamily, 3}, {T::kFirstItem + 3, -3}}), &Box::StepItem, -1, T::kFirstItem + 3,
         0},
        {"family 2 short item", MakeRod({{T::kFamily, 2}, {T::kFirstItem + 2, 11}, {T::kFirstColour + 2, 2}}),
         &Box::StepColour, 1, T::kFirstColour + 2, 0},
        {"family 2 long item", MakeRod({{T::kFamily, 2}, {T::kFirstItem + 2, 15}, {T::kFirstColour + 2, 2}}),
         &Box::StepColour, 1, T::kFirstColour + 2, 3},
        {"family 4 has no colours", MakeRod({{T::kFamily, 4}, {T::kFirstColour + 4, 2}}), &Box::StepColour, 1,
         T::kFirstColour + 4, 2},
        {"family 5 back", MakeRod({{T::kFamily, 5}}), &Box::StepColour, -1, T::kFirstColour + 5, 5},
        {"family off table", MakeRod({{T::kFamily, 77}, {T::kFirstItem, 4}}), &Box::StepItem, 1, T::kFirstItem, 4},
    };
    for (const auto& c : cases)
    {
        T::RodSet rod = c.rod;
        c.rule(rod, c.step);
        EXPECT_EQ(rod[static_cast<size_t>(c.index)], c.expected) << c.what;
    }
}

class tovTackleBoxTest : public FrontEndTest
{
protected:
    bool Disabled(int32_t id) { return Box::GetInstance()->GetButton(id)->m_disabled != 0; }
    T::RodSet& Rod() { return TheTackleSet().GetRod(TheTackleSet().GetCurrentRod()); }
};

TEST_F(tovTackleBoxTest, FamiliesSwitchTheirArrowsAndTheLurePageCancelsOrSaves)
{
    tovUserProfile& profile = TheUserProfile();
    profile.GetTackle()[2] = MakeRod({{T::kFamily, 2}, {T::kFirstColour + 2, 4}, {T::kAddOn, 5}, {T::kLineKind, 1}});
    profile.SetCurrentRod(2);
    SwitchTo(2);
    SwitchTo(9);
    // Entering with a family-2 rod clears its colour and add-on.
    EXPECT_EQ(Rod()[T::kFirstColour + 2], 0);
    EXPECT_EQ(Rod()[T::kAddOn], 0);
    ClickAt(438, 253);
    ASSERT_FALSE(Box::GetInstance()->IsRodPage());
    const struct
    {
        int32_t family;
        bool colours, addOns;
    } families[] = {{4, false, false}, {1, true, true}, {0, true, false}, {3, true, true}, {5, true, true}};
    for (const auto& f : families)
    {
        ClickAt(590, 32 + 64 * f.family);
        EXPECT_EQ(Rod()[T::kFamily], f.family);
        EXPECT_EQ(!Disabled(29) && !Disabled(30), f.colours) << f.family;
        EXPECT_EQ(!Disabled(33) && !Disabled(34), f.addOns) << f.family;
    }
    ClickAt(544, 116);
    EXPECT_EQ(Rod()[T::kFirstItem + 5], 1);
    // Cancel puts the whole record back.
    ClickAt(53, 441);
    EXPECT_TRUE(Box::GetInstance()->IsRodPage());
    EXPECT_EQ(Rod()[T::kFamily], 2);
    EXPECT_EQ(Rod()[T::kFirstItem + 5], 0);
    EXPECT_EQ(Rod()[T::kLineKind], 1);
    // Confirming the lure page saves every rod.
    ClickAt(438, 253);
    ClickAt(590, 96);
    ClickAt(156, 432);
    EXPECT_EQ(profile.GetTackle()[2][T::kFamily], 1);
    EXPECT_EQ(Current(), 9);
}

TEST_F(tovTackleBoxTest, ConfirmAndCancelReturnWhereTheBoxWasOpenedAndSetTheReload)
{
    SwitchTo(2);
    SwitchTo(9);
    // The help picture and back keep the fishing screen as the way out.
    SwitchTo(22);
    ClickAt(53, 441);
    Frame();
    ASSERT_EQ(Current(), 9);
    ClickAt(372, 14);
    EXPECT_EQ(TheTackleSet().GetCurrentRod(), 4);
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 2);
    EXPECT_FALSE(TheTackleSet().NeedsReload());
    // The profile did not learn the new rod; confirming stores it.
    EXPECT_NE(TheUserProfile().GetCurrentRod(), 4);
    SwitchTo(8);
    SwitchTo(9);
    ClickAt(372, 14);
    ClickAt(156, 432);
    Frame();
    EXPECT_EQ(Current(), 8);
    EXPECT_TRUE(TheTackleSet().NeedsReload());
    EXPECT_EQ(TheUserProfile().GetCurrentRod(), 4);
}

// A profile may hold any values: both pages draw and the arrows bring them back in range.
TEST_F(tovTackleBoxTest, ValuesOffTheirTablesDrawNothingAndStepBackIn)
{
    tovUserProfile& profile = TheUserProfile();
    for (int32_t r = 0; r < T::kRods; ++r)
        profile.GetTackle()[static_cast<size_t>(r)].fill(r % 2 ? -7 : 1'000'000);
    SwitchTo(8);
    SwitchTo(9);
    Frame();
    ClickAt(400, 319);
    ClickAt(276, 265);
    ClickAt(223, 265);
    EXPECT_EQ(Rod()[T::kLineKind], 0);
    EXPECT_EQ(Rod()[T::kPoundTest], 11);
    ClickAt(438, 253);
    Frame();
    ClickAt(590, 160);
    ClickAt(544, 116);
    ClickAt(544, 170);
    EXPECT_EQ(Rod()[T::kFirstItem + 2], 0);
    EXPECT_EQ(Rod()[T::kFirstColour + 2], 1);
    Frame();
}

TEST_F(tovTackleBoxTest, GoldenRodAndLurePages)
{
    TheUserProfile().GetTackle()[0] = MakeRod({{T::kFamily, 5},
                                               {T::kFirstItem + 5, 3},
                                               {T::kFirstColour + 5, 2},
                                               {T::kAddOn, 4},
                                               {T::kAddOnFlag, 1},
                                               {T::kLineKind, 3},
                                               {T::kPoundTest, 6},
                                               {T::kLineColour, 4},
                                               {T::kFirstGear, 2}});
    TheUserProfile().SetCurrentRod(0);
    m_window.MoveCursor({630, 470});
    SwitchTo(8);
    SwitchTo(9);
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_tackle_rod_page.png", Shown()));
    ClickAt(438, 253);
    m_window.MoveCursor({630, 470});
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_tackle_lure_page.png", Shown()));
}

} // namespace
