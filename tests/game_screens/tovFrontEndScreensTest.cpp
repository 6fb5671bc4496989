#include "FrontEndFixture.h"

#include "tovLakeInfoIFace.h"
#include "tovMessageBox.h"
#include "tovOptionsIFace.h"
#include "tovRecordIFace.h"
#include "tovSoundSettings.h"
#include "tovSponsorPageIFace.h"
#include "tovUserProfile.h"
#include "tovWeather.h"

#include <bit>
#include <cmath>
#include <limits>

namespace
{

using P = tovUserProfile;

tovUserProfile::CareerRow Row(int32_t games, int32_t wins, int32_t topFives, int32_t winnings, float biggest,
                              int32_t total, int32_t count, int32_t placeSum)
{
    tovUserProfile::CareerRow row{};
    row[P::kGamesStarted] = games;
    row[P::kFirstPlaces] = wins;
    row[P::kTopFives] = topFives;
    row[P::kWinnings] = winnings;
    row[P::kHeaviestBass] = std::bit_cast<int32_t>(biggest);
    row[P::kTotalBassWeight] = total;
    row[P::kBassCount] = count;
    row[P::kPlaceSum] = placeSum;
    return row;
}

// Wins, games, top five, average finish, winnings, biggest bass, average bass.
TEST(tovRecordFormat, RowsFromProfilesOfAnyContent)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        tovUserProfile::CareerRow row;
        tovRecordIFace::Column expected;
    } cases[] = {
        {Row(0, 0, 0, 0, 0.0f, 0, 0, 0), {"0", "0", "0", "0", "$0 K", "0-0", "0-0"}},
        {Row(4, 1, 3, 999, 37.9f, 100, 3, 9), {"1", "4", "3", "2", "$0 K", "2-5", "2-1"}},
        {Row(2, 0, 1, 1500, 16.0f, 48, 2, 0), {"0", "2", "1", "0", "$1 K", "1-0", "1-8"}},
        // Hostile values: places without games, weight without a count, a NaN, negatives,
        // the one quotient that overflows.
        {Row(0, 0, 0, -1500, nan, 100, 0, 7), {"0", "0", "0", "0", "$-1 K", "0-0", "0-0"}},
        {Row(-1, 0, 0, 0, -20.5f, std::numeric_limits<int32_t>::min(), -1, std::numeric_limits<int32_t>::max()),
         {"0", "-1", "0", "-2147483647", "$0 K", "-1--4", "134217727-15"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tovRecordIFace::FormatRow(c.row), c.expected);
}

TEST(tovLakeInfoFields, WordsAndNumbersOfTheWeather)
{
    const struct
    {
        float cloud, direction, wind, clarity;
        tovLakeInfoIFace::Fields expected;
    } cases[] = {
        {0.0f, 0.0f, 0.5f, 0.0f, {"Clear", "North", "10", "", "", "Clear"}},
        {0.7f, 0.3f, 0.04f, 0.3f, {"Raining", "East", "0", "", "", "Cloudy"}},
        {0.8f, 0.9f, 1.0f, 0.6f, {"Raining", "North West", "20", "", "", "Murky"}},
        // A full cloud or clarity is one class past its table.
        {1.0f, 1.0f, 0.2f, 1.0f, {"Raining", "North", "4", "", "", "Muddy"}},
        {0.2f, 0.5f, 0.25f, 0.8f, {"Partly Cloudy", "South", "5", "", "", "Muddy"}},
    };
    for (const auto& c : cases)
    {
        QrPointer<tovWeather> weather(new tovWeather);
        weather->SetCloud(c.cloud);
        weather->SetDirection(c.direction);
        weather->SetWind(c.wind);
        weather->SetClarity(c.clarity);
        tovLakeInfoIFace::Fields fields = tovLakeInfoIFace::DescribeWeather(weather.Get());
        EXPECT_EQ(fields[tovLakeInfoIFace::kAirTemperature], std::to_string(int(weather->GetAir())));
        EXPECT_EQ(fields[tovLakeInfoIFace::kWaterTemperature], std::to_string(int(weather->GetWater())));
        fields[tovLakeInfoIFace::kAirTemperature].clear();
        fields[tovLakeInfoIFace::kWaterTemperature].clear();
        EXPECT_EQ(fields, c.expected) << c.cloud << " " << c.clarity;
    }
    const tovLakeInfoIFace::Fields defaults{"Clear", "North", "3", "70", "68", "Clear"};
    EXPECT_EQ(tovLakeInfoIFace::DescribeWeather(nullptr), defaults);
}

TEST(tovOptionsLevels, VolumeAndDetailScales)
{
    const std::pair<float, int32_t> volumes[] = {{1.0f, 14}, {0.0f, -1},        {1e-7f, -1},
                                                 {0.5f, 7},  {1.0f / 15.0f, 1}, {std::nanf(""), -1}};
    for (const auto& [volume, level] : volumes)
        EXPECT_EQ(tovOptionsIFace::VolumeLevel(volume), level) << volume;
    // Every level comes back as itself after a trip through the stored value, which the
    // profile reader takes (0 to 1).
    for (int32_t level = -1; level <= 14; ++level)
    {
        const float stored = tovOptionsIFace::DetailValue(level);
        EXPECT_EQ(tovOptionsIFace::DetailLevel(stored), level);
        EXPECT_TRUE(stored >= 0.0f && stored <= 1.0f) << level;
    }
    EXPECT_EQ(tovOptionsIFace::DetailValue(14), 1.0f);
    EXPECT_FLOAT_EQ(tovOptionsIFace::DetailValue(2), 0.2f);
    EXPECT_EQ(tovOptionsIFace::DetailLevel(1e30f), 14);
    EXPECT_EQ(tovOptionsIFace::DetailLevel(-5.0f), -1);
}

using tovFrontEndScreensTest = FrontEndTest;

// Button corners.
constexpr int32_t kDecrease = 465, kIncrease = 589;
constexpr int32_t kRowY[] = {61, 120, 179, 238, 297, 356};

TEST_F(tovFrontEndScreensTest, OptionsStepTheVolumesAndCancelPutsThemBack)
{
    SetSoundVolume2(1.0f);
    SetSoundVolume1(0.0f);
    SwitchTo(8);
    SwitchTo(11);
    auto* options = tovOptionsIFace::GetInstance();
    EXPECT_EQ(options->GetVolume2Level(), 14);
    EXPECT_EQ(options->GetVolume1Level(), -1);
    // At the top nothing moves; at the bottom the level stays but the step is asked for.
    ClickAt(kIncrease, kRowY[1]);
    EXPECT_EQ(options->GetVolume2Level(), 14);
    EXPECT_FLOAT_EQ(GetSoundVolume2(), 1.0f);
    ClickAt(kDecrease, kRowY[2]);
    EXPECT_EQ(options->GetVolume1Level(), -1);
    EXPECT_FLOAT_EQ(GetSoundVolume1(), 0.0f);
    ClickAt(kDecrease, kRowY[1]);
    ClickAt(kIncrease, kRowY[2]);
    EXPECT_EQ(options->GetVolume2Level(), 13);
    EXPECT_NEAR(GetSoundVolume2(), 14.0f / 15.0f, 1e-5f);
    EXPECT_NEAR(GetSoundVolume1(), 1.0f / 15.0f, 1e-5f);
    // Below the top the up arrows step up.
    ClickAt(kIncrease, kRowY[1]);
    ClickAt(kIncrease, kRowY[2]);
    EXPECT_EQ(options->GetVolume2Level(), 14);
    EXPECT_EQ(options->GetVolume1Level(), 1);
    EXPECT_FLOAT_EQ(GetSoundVolume2(), 1.0f);
    EXPECT_NEAR(GetSoundVolume1(), 2.0f / 15.0f, 1e-5f);
    // Inactive rows ignore the pointer.
    const int32_t day = options->GetDayLength();
    const bool effects = options->GetEffectSounds();
    ClickAt(kIncrease, kRowY[4]);
    ClickAt(kDecrease, kRowY[0]);
    EXPECT_EQ(options->GetDayLength(), day);
    EXPECT_EQ(options->GetEffectSounds(), effects);
    // A look at the help picture is part of the visit: Cancel still puts back the entry volumes.
    SwitchTo(22);
    Frame();
    ClickAt(53, 441);
    Frame();
    ASSERT_EQ(Current(), 11);
    EXPECT_EQ(options->GetVolume1Level(), 1);
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 8);
    EXPECT_FLOAT_EQ(GetSoundVolume2(), 1.0f);
    EXPECT_FLOAT_EQ(GetSoundVolume1(), 0.0f);
}

// The stored value clamps at 1 either way: only the level shows a step past the top.
TEST_F(tovFrontEndScreensTest, TheDetailBarStopsAtBothEnds)
{
    const float stored = TheUserProfile().GetStoredDetail();
    const struct
    {
        float detail;
        int32_t button;
        int32_t level;
    } cases[] = {{1.0f, kIncrease, 14}, {0.0f, kDecrease, -1}};
    for (const auto& c : cases)
    {
        TheUserProfile().SetStoredDetail(c.detail);
        SwitchTo(8);
        SwitchTo(11);
        EXPECT_EQ(tovOptionsIFace::GetInstance()->GetDetailLevel(), c.level);
        ClickAt(c.button, kRowY[3]);
        ClickAt(c.button, kRowY[3]);
        EXPECT_EQ(tovOptionsIFace::GetInstance()->GetDetailLevel(), c.level);
    }
    TheUserProfile().SetStoredDetail(stored);
}

TEST_F(tovFrontEndScreensTest, OptionsStoreTheDetailAndAskForARestartOnlyOnceAGameRan)
{
    tovUserProfile& profile = TheUserProfile();
    profile.SetDetail(1.0f);
    profile.SetStoredDetail(1.0f);
    const struct
    {
        bool gameStarted;
        int32_t presses; // detail decreases
        bool notice;
    } cases[] = {{true, 0, false}, {false, 12, false}, {true, 12, true}};
    for (const auto& c : cases)
    {
        profile.SetStoredDetail(profile.GetDetail());
        m_world.m_scene = c.gameStarted ? QrPointer<tovScene>(new tovScene) : nullptr;
        SwitchTo(8);
        SwitchTo(11);
        EXPECT_EQ(tovOptionsIFace::GetInstance()->GetDetailLevel(), 14);
        for (int32_t i = 0; i < c.presses; ++i)
            ClickAt(kDecrease, kRowY[3]);
        ClickAt(156, 432);
        Frame();
        EXPECT_EQ(IsMessageBoxRaised(), c.notice);
        if (c.notice)
        {
            EXPECT_EQ(Current(), 11);
            ShowMessageScreen(false);
            ClickAt(156, 432);
            Frame();
        }
        EXPECT_EQ(Current(), 8);
        EXPECT_EQ(tovOptionsIFace::DetailLevel(profile.GetStoredDetail()), 14 - c.presses);
    }
    // Level 2 stored as 0.2 comes back as level 2.
    EXPECT_FLOAT_EQ(profile.GetStoredDetail(), 0.2f);
    SwitchTo(11);
    EXPECT_EQ(tovOptionsIFace::GetInstance()->GetDetailLevel(), 2);
}

TEST_F(tovFrontEndScreensTest, SponsorButtonsOpenTheirPagesAndVisitOpensTheWebFile)
{
    const struct
    {
        int32_t x, y, page;
        bool opens;
    } cases[] = {{486, 373, 20, true}, {74, 13, 8, false}, {353, 93, 7, true}};
    uint32_t minimised = 0;
    for (const auto& c : cases)
    {
        SwitchTo(8);
        SwitchTo(16);
        ClickAt(c.x, c.y);
        Frame();
        ASSERT_EQ(Current(), 17);
        EXPECT_EQ(tovSponsorPageIFace::GetInstance()->GetPageIndex(), c.page);
        m_window.SetOpenResult(c.opens);
        ClickAt(485, 432);
        ASSERT_FALSE(m_window.OpenedFiles().empty());
        const std::string expected = std::string("web/") + tovSponsorPageIFace::GetPageFile(c.page);
        const std::string& opened = m_window.OpenedFiles().back();
        EXPECT_EQ(opened.substr(opened.size() - expected.size()), expected);
        // The window goes to the task bar only when something opened.
        minimised += c.opens ? 1 : 0;
        EXPECT_EQ(m_window.MinimizeCount(), minimised);
        ClickAt(53, 441);
        Frame();
        EXPECT_EQ(Current(), 8);
    }
    SwitchTo(16);
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 8);
}

TEST_F(tovFrontEndScreensTest, BackButtonsLeadWhereTheyBelong)
{
    const struct
    {
        int32_t from, screen, back;
    } cases[] = {{2, 22, 2}, {8, 22, 8}, {6, 20, 6}, {8, 23, 2}, {8, 11, 8}};
    for (const auto& c : cases)
    {
        SwitchTo(c.from);
        SwitchTo(c.screen);
        Frame();
        ClickAt(53, 441);
        Frame();
        EXPECT_EQ(Current(), c.back) << c.screen;
    }
}

TEST_F(tovFrontEndScreensTest, RecordAndLakeInfoFillTheirTextsOnEntry)
{
    tovUserProfile& profile = TheUserProfile();
    profile.SetName("Ann Angler", false);
    profile.SetState("MN");
    profile.SetTown("Duluth");
    profile.GetCareer(3) = Row(4, 1, 3, 999, 37.9f, 100, 3, 9);
    SwitchTo(6);
    SwitchTo(20);
    const tovRecordIFace* record = tovRecordIFace::GetInstance();
    EXPECT_EQ(record->GetNameLine(), "Ann Angler, MN, Duluth");
    EXPECT_EQ(record->GetColumn(3), tovRecordIFace::FormatRow(profile.GetCareer(3)));
    // Without a fishing day's sky the page shows its fixed defaults.
    SwitchTo(23);
    EXPECT_EQ(tovLakeInfoIFace::GetInstance()->GetFields(), tovLakeInfoIFace::DescribeWeather(nullptr));
}

} // namespace
