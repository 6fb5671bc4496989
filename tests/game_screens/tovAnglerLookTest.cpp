#include "FrontEndFixture.h"

#include "tovAnglerLookIFace.h"
#include "tovBoat.h"
#include "tovUserProfile.h"

namespace
{

class tovAnglerLookTest : public FrontEndTest
{
protected:
    void SetUp() override
    {
        FrontEndTest::SetUp();
        TheUserProfile().SetName("Ann Angler", false);
        TheUserProfile().SetGender(0);
    }
    // The profile as its file holds it now.
    static tovUserProfile Stored()
    {
        tovUserProfile stored;
        stored.SetName("Ann Angler", false);
        EXPECT_EQ(LoadUserProfile(stored), tovProfileLoad::kLoaded);
        return stored;
    }
    static tovAnglerLookIFace& Look() { return *tovAnglerLookIFace::GetInstance(); }
    static tovAnglerLookPreview& Preview() { return Look().GetPreview(); }
};

TEST_F(tovAnglerLookTest, GenderIsSavedAtOnceAndBackPutsTheEntryValuesBack)
{
    SwitchTo(5);
    SwitchTo(6);
    Frame();
    tovAngler* male = Preview().GetAnglerModel(0);
    tovAngler* female = Preview().GetAnglerModel(1);
    ASSERT_NE(male, female);
    EXPECT_EQ(Preview().GetCurrentAngler(), male);
    EXPECT_EQ(Preview().GetBoat()->GetAnglerNode(), male);

    ClickAt(281, 345);
    EXPECT_EQ(Look().GetGenderButton(), tovAnglerLookIFace::kFemaleButton);
    EXPECT_EQ(Preview().GetCurrentAngler(), female);
    EXPECT_EQ(Preview().GetBoat()->GetAnglerNode(), female);
    EXPECT_EQ(Stored().GetGender(), 1);
    // The same button again changes nothing.
    ClickAt(281, 345);
    EXPECT_EQ(Preview().GetCurrentAngler(), female);

    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 5);
    EXPECT_EQ(TheUserProfile().GetGender(), 0);
    EXPECT_EQ(Stored().GetGender(), 0);
    EXPECT_EQ(Preview().GetCurrentAngler(), male);

    // Done keeps the change.
    SwitchTo(6);
    Frame();
    ClickAt(281, 345);
    ClickAt(156, 432);
    Frame();
    EXPECT_EQ(Current(), 5);
    EXPECT_EQ(Stored().GetGender(), 1);
}

TEST_F(tovAnglerLookTest, LookArrowsStayAtTheOneChoiceAndLinksLeadOn)
{
    TheUserProfile().SetLook(tovAnglerLookPreview::kLook2, 3);
    SwitchTo(5);
    SwitchTo(6);
    Frame();
    // A stored value out of range comes back to the one choice on entry.
    EXPECT_EQ(Stored().GetLook(tovAnglerLookPreview::kLook2), 0);
    const struct
    {
        int32_t x, y;
    } arrows[] = {{105, 357}, {228, 357}, {429, 357}, {553, 357}, {429, 411}, {553, 411}};
    for (const auto& a : arrows)
    {
        ClickAt(a.x, a.y);
        EXPECT_EQ(Current(), 6);
        for (int32_t look = 0; look < 3; ++look)
            EXPECT_EQ(Stored().GetLook(look), 0) << a.x << "," << a.y;
    }
    const struct
    {
        int32_t x, y, screen;
    } links[] = {{425, 17, 20}, {525, 17, 9}, {91, 12, 11}};
    for (const auto& l : links)
    {
        SwitchTo(5);
        SwitchTo(6);
        Frame();
        ClickAt(l.x, l.y);
        Frame();
        EXPECT_EQ(Current(), l.screen);
    }
}

TEST_F(tovAnglerLookTest, AClickInThePreviewStopsAndStartsTheTurn)
{
    SwitchTo(5);
    SwitchTo(6);
    Frame();
    ASSERT_TRUE(Preview().GetRotate());
    ClickAt(300, 200);
    EXPECT_FALSE(Preview().GetRotate());
    const float angle = tovAnglerLookPreview::GetAngle();
    Frame();
    Frame();
    EXPECT_EQ(tovAnglerLookPreview::GetAngle(), angle);
    // Outside the window nothing changes.
    ClickAt(20, 200);
    EXPECT_FALSE(Preview().GetRotate());
    ClickAt(300, 200);
    EXPECT_TRUE(Preview().GetRotate());
}

} // namespace

namespace
{

// The preview stopped at a fixed angle, so that the frame does not hang on earlier tests.
TEST_F(tovAnglerLookTest, GoldenFrameOfThePreview)
{
    m_window.MoveCursor({630, 5});
    SwitchTo(5);
    SwitchTo(6);
    Frame();
    ClickAt(281, 345);
    m_window.MoveCursor({630, 5});
    Preview().SetRotate(false);
    Preview().GetTurntable()->SetRotate(0.6f, 0.0f, 1.0f, 0.0f);
    Preview().GetTurntable()->UpdateAllInstances();
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_angler_look.png", Shown()));
}

} // namespace
