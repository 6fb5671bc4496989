#include "FrontEndFixture.h"
#include "GccWarnings.h"

#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovProfileIFace.h"
#include "tovTournamentSetupIFace.h"
#include "tovUserProfile.h"

#include "ButtonObj.h"
#include "KeyNumbers.h"
#include "WindowMessage.h"
#include "qrxTextEditor.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{

using SetupScreen = tovTournamentSetupIFace;
using Profiles = tovProfileIFace;

std::vector<char> Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The sample lakes, or none, or the sample packs listed over and over.
class tovSetupScreensTest : public FrontEndTest
{
protected:
    void SetUp() override
    {
        SetInstallRoot(testfiles::DataDir());
        SetInstallType(0);
        TheLakeCatalogue().Clear();
        FrontEndTest::SetUp();
    }
    void TearDown() override
    {
        FrontEndTest::TearDown();
        TheLakeCatalogue().Clear();
        SetInstallRoot(".");
    }
    void AddMoreScreens() override
    {
        m_setup = new SetupScreen;
        m_profiles = new Profiles;
        m_app->AddInterface(m_setup, 4);
        m_app->AddInterface(m_profiles, 5);
        FrontEndTest::AddMoreScreens();
    }

    void Click(int32_t id)
    {
        ButtonObj* button = m_app->GetCurrentScreen()->GetButton(id);
        ASSERT_NE(button, nullptr) << id;
        ClickAt(button->m_left + 2, button->m_top + 2);
    }
    void Answer(int32_t button)
    {
        ASSERT_TRUE(IsMessageBoxRaised());
        Frame();
        ButtonObj* b = tovMessageIFace::GetInstance()->GetButton(button);
        ASSERT_NE(b, nullptr);
        ClickAt(b->m_left + 2, b->m_top + 2);
        EXPECT_FALSE(IsMessageBoxRaised());
    }
    // Opens the set-up screen from the profiles screen in a mode.
    void OpenSetup(int32_t mode, int32_t lakeId)
    {
        m_session->SetMode(mode);
        TheLakeCatalogue().SelectLake(m_session.get(), lakeId);
        SwitchTo(5);
        SwitchTo(4);
        Frame();
    }
    void WriteProfile(const std::string& name, int32_t setting0)
    {
        tovUserProfile profile;
        profile.SetName(name.c_str(), false);
        profile.SetSetting0(setting0);
        ASSERT_TRUE(SaveUserProfile(profile));
    }

    SetupScreen* m_setup = nullptr;
    Profiles* m_profiles = nullptr;
};

TEST_F(tovSetupScreensTest, TournamentArrowsWrapAndAcceptStoresTheSettings)
{
    TheUserProfile().SetName("Ann", false);
    TheUserProfile().SetSetting0(0);
    TheUserProfile().SetSetting1(3);
    OpenSetup(tovGameSession::kTournament, 0);
    const int32_t lakes = static_cast<int32_t>(TheLakeCatalogue().GetEntries().size());
    ASSERT_GE(lakes, 3);
    EXPECT_EQ(m_setup->GetLakeIndex(), 0);
    EXPECT_EQ(m_setup->GetButton(SetupScreen::kConditions), nullptr);
    const struct
    {
        int32_t button, lake, dayLength, days;
    } steps[] = {
        {SetupScreen::kDayLengthDown, 0, 3, 3}, {SetupScreen::kDayLengthUp, 0, 0, 3},
        {SetupScreen::kDaysUp, 0, 0, 0},        {SetupScreen::kDaysDown, 0, 0, 3},
        {SetupScreen::kDaysDown, 0, 0, 2},      {SetupScreen::kLakePrev, lakes - 1, 0, 2},
        {SetupScreen::kLakeNext, 0, 0, 2},      {SetupScreen::kLakeNext, 1, 0, 2},
        {SetupScreen::kLakePrev, 0, 0, 2},
    };
    for (const auto& s : steps)
    {
        Click(s.button);
        EXPECT_EQ(m_setup->GetLakeIndex(), s.lake) << s.button;
        EXPECT_EQ(m_setup->GetDayLength(), s.dayLength) << s.button;
        EXPECT_EQ(m_setup->GetDays(), s.days) << s.button;
    }
    EXPECT_NE(TheLakeCatalogue().GetOpenPack(), nullptr);
    Click(SetupScreen::kAccept);
    Frame();
    EXPECT_EQ(Current(), 19);
    EXPECT_EQ(TheLakeCatalogue().GetCurrentLakeId(), 0);
    EXPECT_EQ(m_session->GetDay(), 0);
    // The file holds the chosen values.
    TheUserProfile().SetSetting0(3);
    TheUserProfile().SetSetting1(3);
    ASSERT_EQ(LoadUserProfile(TheUserProfile()), tovProfileLoad::kLoaded);
    EXPECT_EQ(TheUserProfile().GetSetting0(true), 0);
    EXPECT_EQ(TheUserProfile().GetSetting1(true), 2);
    // A tournament on the lake of id 0 is no season.
    EXPECT_EQ(m_session->m_dayFlags[2], 0);
    // Leaving closed the shown lake's pack.
    EXPECT_EQ(TheLakeCatalogue().GetOpenPack(), nullptr);
}

TEST_F(tovSetupScreensTest, QuickFishShowsConditionsAndAcceptStartsTheGame)
{
    OpenSetup(tovGameSession::kQuickFish, 0);
    EXPECT_EQ(m_setup->GetButton(SetupScreen::kDaysUp), nullptr);
    Click(SetupScreen::kLakeNext);
    Click(SetupScreen::kConditions);
    EXPECT_EQ(Current(), 7);
    EXPECT_EQ(TheLakeCatalogue().GetCurrentLakeId(), TheLakeCatalogue().GetLakeIdAt(1));
    // Back from the conditions keeps the screen the set-up was entered from.
    SwitchTo(4);
    Frame();
    Click(SetupScreen::kBack);
    EXPECT_EQ(Current(), 5);

    // Back again, the set-up shows the lake the conditions chose.
    SwitchTo(4);
    Frame();
    EXPECT_EQ(m_setup->GetLakeIndex(), 1);
    for (int i = 0; i < 2; ++i)
        Click(SetupScreen::kLakeNext);
    ASSERT_GE(TheLakeCatalogue().GetLakeIdAt(3), 1);
    Click(SetupScreen::kAccept);
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(m_session->GetMode(), tovGameSession::kQuickFish);
    EXPECT_EQ(TheLakeCatalogue().GetCurrentLakeId(), TheLakeCatalogue().GetLakeIdAt(3));
}

// Three lakes whose id-0 lake comes last; a season of two days under way from the second lake of
// its order, none of the other lengths. The set-up shows each length's next lake, the first of a
// new order where none is under way, and begins a season only there.
TEST_F(tovSetupScreensTest, TheSeasonsNextLakeFollowsItsOrderWhateverTheLakeIds)
{
    tovLakeCatalogue& lakes = TheLakeCatalogue();
    lakes.Clear();
    const std::string folder = testfiles::DataDir() + "/Lakes";
    for (const char* pack : {"Sandridge.waf", "Oxbow.waf", "Clearwater.waf"})
        lakes.AddLakeFile(pack, folder);
    ASSERT_EQ(lakes.GetLakeIdAt(2), 0);
    ASSERT_NE(lakes.GetLakeIdAt(0), 0);
    m_session->m_dayFlags[1] = 1;
    m_session->m_dayValues1[1] = 3;
    m_session->m_dayValues2[1] = 1;
    for (size_t i = 0; i < 3; ++i)
        m_session->m_block[32 + i] = static_cast<int32_t>(2 - i);
    TheUserProfile().SetName("Ann", false);
    TheUserProfile().SetSetting0(1);
    TheUserProfile().SetSetting1(0);
    OpenSetup(tovGameSession::kSeason, lakes.GetLakeIdAt(2));
    EXPECT_EQ(m_setup->GetLakeIndex(), 0) << "a new season begins with the first lake";
    Click(SetupScreen::kDaysUp);
    EXPECT_EQ(m_setup->GetLakeIndex(), 1) << "the two-day season's next lake";
    Click(SetupScreen::kDaysUp);
    EXPECT_EQ(m_setup->GetLakeIndex(), 0);
    Click(SetupScreen::kAccept);
    EXPECT_EQ(Current(), 19);
    EXPECT_EQ(lakes.GetCurrentLakeId(), lakes.GetLakeIdAt(0));
    EXPECT_EQ(m_session->m_dayFlags[2], 1);
    EXPECT_EQ(m_session->m_dayValues1[2], 3);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(m_session->m_block[64 + i], static_cast<int32_t>(i));

    // Back with two days: the season under way holds the arrows, and accept goes on with it.
    TheUserProfile().SetSetting1(1);
    SwitchTo(5);
    SwitchTo(4);
    Frame();
    EXPECT_EQ(m_setup->GetLakeIndex(), 1);
    for (int32_t id : {SetupScreen::kLakePrev, SetupScreen::kLakeNext, SetupScreen::kDayLengthDown,
                       SetupScreen::kDayLengthUp, SetupScreen::kDaysDown, SetupScreen::kDaysUp})
        Click(id);
    EXPECT_EQ(m_setup->GetLakeIndex(), 1);
    EXPECT_EQ(m_setup->GetDayLength(), 1);
    EXPECT_EQ(m_setup->GetDays(), 1);
    // Pressed and under the pointer, each refused arrow shows its grey picture, as the options
    // screen's do.
    for (int32_t id : {SetupScreen::kLakePrev, SetupScreen::kLakeNext, SetupScreen::kDayLengthDown,
                       SetupScreen::kDayLengthUp, SetupScreen::kDaysDown, SetupScreen::kDaysUp})
    {
        const ButtonObj* arrow = m_setup->GetButton(id);
        ASSERT_NE(arrow, nullptr);
        EXPECT_NE(arrow->GetPicture(ButtonObj::kDisabled), nullptr) << id;
        EXPECT_EQ(arrow->ChoosePicture(), arrow->GetPicture(ButtonObj::kDisabled)) << id;
    }
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_setup_season_next_event.png", Shown()));
    Click(SetupScreen::kAccept);
    EXPECT_EQ(lakes.GetCurrentLakeId(), lakes.GetLakeIdAt(1));
    EXPECT_EQ(m_session->m_dayValues2[1], 1);
    EXPECT_EQ(m_session->m_block[32], 2);
    SwitchTo(4);
    Frame();
    Click(SetupScreen::kBack);
    EXPECT_EQ(Current(), 8);
}

TEST_F(tovSetupScreensTest, AnEmptyCatalogueLeavesOnlyTheWayBack)
{
    const std::string empty = m_dir.Path() + "/install";
    std::filesystem::create_directories(empty + "/Lakes");
    SetInstallRoot(empty);
    TheLakeCatalogue().Clear();
    // Built with no lake: nothing to pick.
    SetupScreen fresh;
    EXPECT_EQ(fresh.GetLakeIndex(), -1);
    OpenSetup(tovGameSession::kTournament, 0);
    for (int32_t id : {SetupScreen::kLakePrev, SetupScreen::kLakeNext, SetupScreen::kAccept})
        Click(id);
    EXPECT_EQ(Current(), 4);
    EXPECT_EQ(m_setup->GetLakeIndex(), -1);
    EXPECT_EQ(TheLakeCatalogue().GetOpenPack(), nullptr);
    EXPECT_EQ(m_session->m_dayFlags[TheUserProfile().GetSetting1(true)], 0);
    Click(SetupScreen::kBack);
    EXPECT_EQ(Current(), 5);
}

TEST_F(tovSetupScreensTest, ThirtyThreeLakesWrapAndTheSeasonOrdersThirtyTwo)
{
    tovLakeCatalogue& lakes = TheLakeCatalogue();
    const std::vector<tovLakeCatalogue::Entry> sample = lakes.GetEntries();
    ASSERT_FALSE(sample.empty());
    lakes.Clear();
    const std::string folder = testfiles::DataDir() + "/Lakes";
    for (size_t i = 0; i < 33; ++i)
        lakes.AddLakeFile(std::filesystem::path(sample[i % sample.size()].path).filename().string() + ".waf", folder);
    ASSERT_EQ(lakes.GetEntries().size(), 33u);
    TheUserProfile().SetName("Ann", false);
    TheUserProfile().SetSetting1(1);
    OpenSetup(tovGameSession::kTournament, 0);
    ASSERT_EQ(m_setup->GetLakeIndex(), 0);
    Click(SetupScreen::kLakePrev);
    EXPECT_EQ(m_setup->GetLakeIndex(), 32);
    Click(SetupScreen::kLakeNext);
    EXPECT_EQ(m_setup->GetLakeIndex(), 0);
    // A season orders the first 32 of them.
    OpenSetup(tovGameSession::kSeason, 0);
    Click(SetupScreen::kAccept);
    EXPECT_EQ(Current(), 19);
    EXPECT_EQ(m_session->m_dayValues1[1], 32);
    for (size_t i = 0; i < 32; ++i)
        EXPECT_EQ(m_session->m_block[32 + i], static_cast<int32_t>(i));
}

TEST(tovProfileNames, FileNamesStayInsideTheUsersFolder)
{
    const std::pair<const char*, bool> cases[] = {
        {"Ann Angler", true},
        {" Ann", false},
        {"Ann ", false},
        {"X", true},
        {"", false},
        {"   ", false},
        {"a/b", false},
        {"..", false},
        {".", false},
        {"a\\b", false},
        {"tab\there", false},
        {"bell\x07", false},
        {"del\x7f", false},
        {"..x", false},
        {"Abcdefghijklmnopqrstuvwxy", true},
        {"Abcdefghijklmnopqrstuvwxyz", false},
    };
    for (const auto& [name, valid] : cases)
        EXPECT_EQ(Profiles::IsValidProfileName(name), valid) << name;
}

// A name is taken without outer spaces; a profile file made when they were kept is listed and
// loads as it is.
TEST_F(tovSetupScreensTest, ProfileNamesAreTakenWithoutOuterSpaces)
{
    WriteProfile("Al 12 ", 1);
    TheUserProfile().SetName("Al 12 ", false);
    SwitchTo(5);
    Frame();
    ASSERT_EQ(m_profiles->GetNames(), std::vector<std::string>{"Al 12 "});
    Click(Profiles::kSelect);
    EXPECT_STREQ(TheUserProfile().GetName(), "Al 12 ");
    EXPECT_EQ(TheUserProfile().GetSetting0(true), 1) << "its own file";
    SwitchTo(5);
    Frame();
    Click(Profiles::kNew);
    m_profiles->GetField(Profiles::kNameField)->SetText(" Al 12  ");
    Click(Profiles::kCreate);
    EXPECT_FALSE(IsMessageBoxRaised());
    EXPECT_STREQ(TheUserProfile().GetName(), "Al 12");
    std::vector<std::string> names = m_profiles->GetNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Al 12", "Al 12 "}));
}

// Nine profiles: seven to a page.
TEST_F(tovSetupScreensTest, ProfilesPageAndTabWrapsToTheFirstPage)
{
    // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
    QR_GCC_STRING_BOUNDS_OFF
    for (int32_t i = 1; i <= 9; ++i)
        WriteProfile("P" + std::to_string(i), 0);
    QR_GCC_STRING_BOUNDS_ON
    TheUserProfile().SetName("P8", false);
    SwitchTo(5);
    Frame();
    ASSERT_EQ(m_profiles->GetNames().size(), 9u);
    EXPECT_EQ(m_profiles->GetNames()[7], "P8");
    EXPECT_EQ(m_profiles->GetSelected(), 7);
    EXPECT_EQ(m_profiles->GetFirstShown(), 7);
    const struct
    {
        int32_t button, firstShown;
    } pages[] = {{Profiles::kPageDown, 7}, {Profiles::kPageUp, 0}, {Profiles::kPageUp, 0}, {Profiles::kPageDown, 7}};
    for (const auto& p : pages)
    {
        Click(p.button);
        EXPECT_EQ(m_profiles->GetFirstShown(), p.firstShown);
    }
    // Tab on the last entry wraps to the first and shows page one.
    for (int32_t expected : {8, 0})
    {
        m_input.SetKey(plat::kKeyTab, true);
        Frame();
        m_input.SetKey(plat::kKeyTab, false);
        Frame();
        EXPECT_EQ(m_profiles->GetSelected(), expected);
    }
    EXPECT_EQ(m_profiles->GetFirstShown(), 0);
    // A click on the third row picks it; select loads it and leads to the angler look.
    ClickAt(200, 105 + 41 * 2 + 5);
    EXPECT_EQ(m_profiles->GetSelected(), 2);
    Click(Profiles::kSelect);
    EXPECT_EQ(Current(), 6);
    EXPECT_STREQ(TheUserProfile().GetName(), "P3");
}

TEST_F(tovSetupScreensTest, CreateCarriesTheOptionsOverAndNeverOverwritesUnasked)
{
    WriteProfile("Ann", 2);
    TheUserProfile().SetName("Ann", false);
    ASSERT_EQ(LoadUserProfile(TheUserProfile()), tovProfileLoad::kLoaded);
    TheUserProfile().SetVolume1(0.25f);
    TheUserProfile().SetSetting1(1);
    TheUserProfile().GetCareer(0)[tovUserProfile::kGamesStarted] = 5;
    SwitchTo(5);
    Frame();
    Click(Profiles::kNew);
    ASSERT_TRUE(m_profiles->IsCreateMode());
    EXPECT_EQ(m_profiles->GetField(Profiles::kNameField)->GetText(), "Ann");
    // Tab walks the three fields in order and wraps back to the name.
    Frame();
    for (const int32_t next : {Profiles::kTownField, Profiles::kStateField, Profiles::kNameField})
    {
        ASSERT_NE(qrxTextEditor::GetFocusedEditor(), nullptr);
        qrxTextEditor::GetFocusedEditor()->HandleMessage(plat::kMsgKeyDown, plat::kVkTab, 0);
        Frame();
        EXPECT_EQ(qrxTextEditor::GetFocusedEditor(), m_profiles->GetField(next)) << next;
    }

    // Names that are no file name are refused; nothing is written.
    for (const char* bad : {"", "   ", "../x", "a\\b"})
    {
        m_profiles->GetField(Profiles::kNameField)->SetText(bad);
        Click(Profiles::kCreate);
        Answer(1);
        EXPECT_TRUE(m_profiles->IsCreateMode()) << bad;
    }
    EXPECT_EQ(m_profiles->GetNames(), std::vector<std::string>{"Ann"});

    // An existing name asks first: no keeps the file as it was.
    const std::string annPath = UsersFilePath("Ann.wuo");
    const std::vector<char> annBytes = Bytes(annPath);
    m_profiles->GetField(Profiles::kNameField)->SetText("Ann");
    Click(Profiles::kCreate);
    ASSERT_TRUE(IsMessageBoxRaised());
    EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), "Replace player profile Ann?");
    Answer(2);
    EXPECT_EQ(Bytes(annPath), annBytes);
    EXPECT_EQ(TheUserProfile().GetCareer(0)[tovUserProfile::kGamesStarted], 5);

    m_profiles->GetField(Profiles::kNameField)->SetText("Bob");
    m_profiles->GetField(Profiles::kTownField)->SetText("Duluth");
    m_profiles->GetField(Profiles::kStateField)->SetText("MN");
    Click(Profiles::kCreate);
    EXPECT_FALSE(IsMessageBoxRaised());
    EXPECT_FALSE(m_profiles->IsCreateMode());
    EXPECT_EQ(m_profiles->GetNames(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(m_profiles->GetSelected(), 1);
    tovUserProfile bob;
    bob.SetName("Bob", false);
    ASSERT_EQ(LoadUserProfile(bob), tovProfileLoad::kLoaded);
    EXPECT_FLOAT_EQ(bob.GetVolume1(), 0.25f);
    EXPECT_EQ(bob.GetSetting0(true), 2);
    EXPECT_EQ(bob.GetSetting1(true), 1);
    EXPECT_EQ(bob.GetCareer(0)[tovUserProfile::kGamesStarted], 0);
    EXPECT_STREQ(bob.GetTown(), "Duluth");
    EXPECT_STREQ(bob.GetState(), "MN");

    // A save that fails is reported and the previous profile stays current.
    std::filesystem::create_directories(UsersFilePath("Cy.wuo"));
    Click(Profiles::kNew);
    m_profiles->GetField(Profiles::kNameField)->SetText("Cy");
    Click(Profiles::kCreate);
    ASSERT_TRUE(IsMessageBoxRaised());
    EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), "Cannot save player profile Cy.");
    Answer(1);
    EXPECT_STREQ(TheUserProfile().GetName(), "Bob");
    EXPECT_STREQ(TheUserProfile().GetTown(), "Duluth");
}

TEST_F(tovSetupScreensTest, DeletingTheCurrentProfileLoadsTheNextAndTheLastLeavesTheDefault)
{
    WriteProfile("Ann", 1);
    WriteProfile("Bob", 2);
    TheUserProfile().SetName("Ann", false);
    ASSERT_EQ(LoadUserProfile(TheUserProfile()), tovProfileLoad::kLoaded);
    SwitchTo(5);
    Frame();
    Click(Profiles::kDelete);
    ASSERT_TRUE(IsMessageBoxRaised());
    EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), "Delete player profile Ann?");
    Answer(2);
    EXPECT_TRUE(std::filesystem::exists(UsersFilePath("Ann.wuo")));
    Click(Profiles::kDelete);
    Answer(1);
    EXPECT_FALSE(std::filesystem::exists(UsersFilePath("Ann.wuo")));
    EXPECT_EQ(m_profiles->GetNames(), std::vector<std::string>{"Bob"});
    EXPECT_STREQ(TheUserProfile().GetName(), "Bob");
    EXPECT_EQ(TheUserProfile().GetSetting0(true), 2);
    // Saving now writes Bob, not the deleted file.
    ASSERT_TRUE(SaveUserProfile(TheUserProfile()));
    EXPECT_FALSE(std::filesystem::exists(UsersFilePath("Ann.wuo")));

    Click(Profiles::kDelete);
    Answer(1);
    EXPECT_TRUE(m_profiles->GetNames().empty());
    EXPECT_STREQ(TheUserProfile().GetName(), "Angler");
    EXPECT_TRUE(std::filesystem::is_empty(UsersFilePath("")));
    // The use buttons then only switch screens.
    Click(Profiles::kTournament);
    EXPECT_EQ(Current(), 4);
}

// A damaged profile chosen from the list is written over only when the player says so: no
// keeps the file and brings back the profile chosen before; yes makes a new one and goes on.
TEST_F(tovSetupScreensTest, ADamagedProfileFromTheListIsReplacedOnlyWhenThePlayerSaysSo)
{
    WriteProfile("Ann", 2);
    TheUserProfile().SetName("Ann", false);
    ASSERT_EQ(LoadUserProfile(TheUserProfile()), tovProfileLoad::kLoaded);
    const std::string damaged = UsersFilePath("Bob.wuo");
    std::ofstream(damaged, std::ios::binary) << "short";
    const struct
    {
        int32_t button;
        size_t size;
        int32_t screen;
        const char* name;
        int32_t setting0; // -1: not checked
    } cases[] = {{2, 5u, 5, "Ann", 2}, {1, size_t(tovUserProfile::kFileSize), 6, "Bob", -1}};
    for (const auto& c : cases)
    {
        SwitchTo(5);
        Frame();
        ASSERT_EQ(m_profiles->GetNames(), (std::vector<std::string>{"Ann", "Bob"}));
        ClickAt(200, 105 + 41 + 5);
        Click(Profiles::kSelect);
        ASSERT_TRUE(IsMessageBoxRaised());
        EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(),
                  "Player profile Bob could not be read.\nMake a new one in its place?");
        EXPECT_EQ(Bytes(damaged).size(), 5u);
        Answer(c.button);
        Frame();
        EXPECT_EQ(Bytes(damaged).size(), c.size) << c.name;
        EXPECT_EQ(Current(), c.screen);
        EXPECT_STREQ(TheUserProfile().GetName(), c.name);
        if (c.setting0 >= 0)
        {
            EXPECT_EQ(TheUserProfile().GetSetting0(true), c.setting0);
        }
    }
}

// Both screens in their main state, the pointer off their buttons: the set-up of a
// tournament on the first lake, and a list of three profiles with the second current.
TEST_F(tovSetupScreensTest, GoldenSetupAndProfiles)
{
    for (const char* name : {"Ann Angler", "Bob", "Cy Fisher"})
        WriteProfile(name, 1);
    TheUserProfile().SetName("Bob", false);
    TheUserProfile().SetSetting0(1);
    TheUserProfile().SetSetting1(2);
    m_window.MoveCursor({630, 300});
    OpenSetup(tovGameSession::kTournament, 0);
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_tournament_setup.png", Shown()));
    SwitchTo(5);
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_profiles.png", Shown()));
}

} // namespace
