#include "FrontEndFixture.h"

#include "tovConditionsIFace.h"
#include "tovLakeCatalogue.h"
#include "tovLakeInfoIFace.h"
#include "tovWeather.h"

#include <memory>
#include <tuple>

namespace
{

using Screen = tovConditionsIFace;

class tovConditionsTest : public FrontEndTest
{
protected:
    void TearDown() override
    {
        FrontEndTest::TearDown();
        TheLakeCatalogue().Clear();
    }
    // The sample Clearwater Reservoir: air 58..88, water 62..78. Chosen here, since the lake's
    // values outlive the test that selected one.
    Screen& Enter(int32_t mode)
    {
        TheLakeCatalogue().Clear();
        TheLakeCatalogue().SelectLake(m_session.get(), 0);
        m_session->StartGame(mode, false);
        SwitchTo(4);
        SwitchTo(7);
        return *Screen::GetInstance();
    }
};

// The weather built from each choice, and where the accept leads.
TEST_F(tovConditionsTest, AcceptBuildsTheDaysWeatherAndStartsTheDay)
{
    const struct
    {
        int32_t mode, sky, clarity, wind, direction;
        int32_t next;
    } cases[] = {
        {tovGameSession::kPractice, 2, 3, 20, 5, 2},
        {tovGameSession::kTournament, 3, 0, 0, 0, 19},
        {tovGameSession::kQuickFish, 4, 1, 10, 7, 2},
    };
    auto sky = std::make_unique<tovSky>();
    m_world.m_sky = sky.get();
    QrPointer<tovWeather> fresh(new tovWeather(-1.0));
    QrPointer<tovWeather> previous;
    for (const auto& c : cases)
    {
        Screen& screen = Enter(c.mode);
        Screen::Values& v = screen.GetValues();
        v.sky = c.sky;
        v.clarity = c.clarity;
        v.wind = c.wind;
        v.direction = c.direction;
        v.air = 75;
        v.water = 70;
        screen.OnAccept();
        tovWeather* w = screen.GetWeather();
        ASSERT_NE(w, nullptr);
        EXPECT_NE(w, previous.Get());
        EXPECT_EQ(sky->GetWeather(), w);
        EXPECT_FLOAT_EQ(w->GetCloud(), c.sky * 0.2f);
        EXPECT_FLOAT_EQ(w->GetWind(), c.wind * 0.05f);
        EXPECT_FLOAT_EQ(w->GetWave(), c.wind * 0.05f);
        EXPECT_EQ(w->GetDirectionIndex(), c.direction);
        EXPECT_GE(w->GetClarity(), c.clarity * 0.25f - 1e-6f);
        EXPECT_LE(w->GetClarity(), c.clarity * 0.25f + 0.24f + 1e-6f);
        if (c.sky < 3)
        {
            EXPECT_EQ(w->GetFog(), fresh->GetFog());
        }
        if (c.sky < 4)
        {
            EXPECT_EQ(w->GetRain(), fresh->GetRain());
        }
        // Skies 3 and 4 draw a fog, sky 4 a rain too, in hundredths up to 0.99.
        for (const auto& [value, drawn] : {std::pair{w->GetFog(), c.sky >= 3}, std::pair{w->GetRain(), c.sky == 4}})
            if (drawn)
            {
                EXPECT_GE(value, 0.0f);
                EXPECT_LE(value, 0.99f + 1e-6f);
                EXPECT_FLOAT_EQ(value * 100.0f, std::round(value * 100.0f));
            }
        EXPECT_FLOAT_EQ(w->GetAir(), 75.0f);
        Frame();
        EXPECT_EQ(Current(), c.next);
        previous = w;
    }
    // The lake information page reads the sky's weather.
    SwitchTo(23);
    EXPECT_EQ(tovLakeInfoIFace::GetInstance()->GetFields(), tovLakeInfoIFace::DescribeWeather(previous.Get()));
    m_world.m_sky = nullptr;
    sky.reset();
}

TEST_F(tovConditionsTest, StartingValuesLieInsideTheLakesBoundsAndArrowsWrap)
{
    for (int i = 0; i < 30; ++i)
    {
        const Screen::Values& v = Enter(tovGameSession::kPractice).GetValues();
        EXPECT_TRUE(v.air >= 58 && v.air <= 87) << v.air;
        EXPECT_TRUE(v.water >= 62 && v.water <= 77) << v.water;
        EXPECT_TRUE(v.wind >= 0 && v.wind <= 19) << v.wind;
        EXPECT_TRUE(v.sky >= 0 && v.sky <= 4);
        EXPECT_TRUE(v.direction >= 0 && v.direction <= 7);
        EXPECT_TRUE(v.clarity >= 0 && v.clarity <= 3);
    }
    Screen::Values& v = Screen::GetInstance()->GetValues();
    v.wind = 20;
    v.air = 58;
    v.sky = 0;
    ClickAt(587, 185);
    ClickAt(463, 239);
    ClickAt(463, 77);
    EXPECT_EQ(v.wind, 0);
    EXPECT_EQ(v.air, 88);
    EXPECT_EQ(v.sky, 4);
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 4);
}

// A look at the help picture leaves the way out where it was: Back leads to the set-up.
TEST_F(tovConditionsTest, BackAfterTheHelpPictureLeadsToTheSetUp)
{
    Enter(tovGameSession::kPractice);
    SwitchTo(22);
    ClickAt(53, 441);
    Frame();
    ASSERT_EQ(Current(), 7);
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 4);
}

// The player's choices survive a look at the help picture; an entry from elsewhere draws anew
// (a wind of 20 is never drawn).
TEST_F(tovConditionsTest, TheChoicesSurviveTheHelpPictureButNotAnotherEntry)
{
    Screen& screen = Enter(tovGameSession::kPractice);
    const Screen::Values chosen{3, 4, 7, 78, 88, 20};
    screen.GetValues() = chosen;
    SwitchTo(22);
    ClickAt(53, 441);
    Frame();
    ASSERT_EQ(Current(), 7);
    const Screen::Values& kept = screen.GetValues();
    EXPECT_EQ(std::tie(kept.clarity, kept.sky, kept.direction, kept.water, kept.air, kept.wind),
              std::tie(chosen.clarity, chosen.sky, chosen.direction, chosen.water, chosen.air, chosen.wind));
    SwitchTo(4);
    SwitchTo(7);
    EXPECT_LE(screen.GetValues().wind, 19);
}

} // namespace
