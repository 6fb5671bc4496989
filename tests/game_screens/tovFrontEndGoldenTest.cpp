#include "FrontEndFixture.h"

#include "tovConditionsIFace.h"
#include "tovSoundSettings.h"
#include "tovSponsorPageIFace.h"
#include "tovUserProfile.h"

#include <bit>

namespace
{

using tovFrontEndGoldenTest = FrontEndTest;

// Each screen of the set in its main state, the pointer off its buttons.
TEST_F(tovFrontEndGoldenTest, EveryScreenInItsMainState)
{
    tovUserProfile& profile = TheUserProfile();
    profile.SetName("Ann Angler", false);
    profile.SetState("MN");
    profile.SetTown("Duluth");
    tovUserProfile::CareerRow& row = profile.GetCareer(0);
    row[tovUserProfile::kGamesStarted] = 12;
    row[tovUserProfile::kFirstPlaces] = 3;
    row[tovUserProfile::kTopFives] = 7;
    row[tovUserProfile::kWinnings] = 45500;
    row[tovUserProfile::kHeaviestBass] = std::bit_cast<int32_t>(101.5f);
    row[tovUserProfile::kTotalBassWeight] = 1200;
    row[tovUserProfile::kBassCount] = 30;
    row[tovUserProfile::kPlaceSum] = 50;
    SetSoundVolume2(0.6f);
    SetSoundVolume1(1.0f);
    profile.SetStoredDetail(0.4f);
    tovSponsorPageIFace::GetInstance()->SetPageIndex(4);
    const std::pair<int32_t, const char*> screens[] = {
        {11, "screens_options.png"},       {16, "screens_sponsor_list.png"}, {17, "screens_sponsor_page.png"},
        {20, "screens_career_record.png"}, {22, "screens_help_picture.png"}, {23, "screens_lake_info.png"},
    };
    m_window.MoveCursor({630, 5});
    for (const auto& [id, file] : screens)
    {
        SwitchTo(8);
        SwitchTo(id);
        Frame();
        Frame();
        EXPECT_TRUE(golden::MatchesGoldenImage(file, Shown())) << file;
    }
    // The conditions start at random: fixed values here.
    SwitchTo(8);
    SwitchTo(7);
    tovConditionsIFace::GetInstance()->GetValues() = {2, 1, 3, 68, 75, 12};
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_conditions.png", Shown()));
}

} // namespace
