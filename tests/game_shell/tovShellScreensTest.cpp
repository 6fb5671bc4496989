#include "ShellScreenFixture.h"

#include "ButtonObj.h"
#include "RecordingNetworkPlay.h"
#include "qrxKeyMapper.h"
#include "tovExitIFace.h"
#include "tovGameSelectIFace.h"
#include "tovMainMenuIFace.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"
#include "tovSplashIFace.h"

#include "KeyNumbers.h"
#include "PackWriter.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovUserProfile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr uint8_t kSpace = plat::kKeySpace;
constexpr uint8_t kEscape = plat::kKeyEscape;

struct Answer
{
    int32_t answer;
    uintptr_t argument;
};
std::vector<Answer> g_answers;

bool Record(int32_t answer, uintptr_t argument)
{
    g_answers.push_back({answer, argument});
    return true;
}

class tovShellScreensTest : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        ShellScreenTest::SetUp();
        g_answers.clear();
    }
    ButtonObj* MenuButton(int32_t id) { return m_app->GetInterface(8)->GetButton(id); }
    void Click(ButtonObj* button)
    {
        ASSERT_NE(button, nullptr);
        ClickAt(button->m_left + 2, button->m_top + 2);
    }
};

TEST_F(tovShellScreensTest, SplashMovesOnAfterItsTimeOutFromTheFirstUpdate)
{
    struct Case
    {
        int32_t splash;
        uint32_t timeoutMs;
        int32_t next;
    };
    for (const Case& c : {Case{13, 10000, 8}, Case{25, 10000, 13}})
    {
        SCOPED_TRACE(c.splash);
        SwitchTo(8);
        SwitchTo(c.splash);
        // A slow first frame does not eat into the time-out.
        Frame(3000);
        const auto* splash = static_cast<tovSplashIFace*>(m_app->GetInterface(c.splash));
        const uint32_t first = splash->GetDeadline() - c.timeoutMs;
        EXPECT_EQ(first, m_clock.TickMs());
        Frame(c.timeoutMs);
        EXPECT_EQ(Current(), c.splash);
        Frame(1);
        EXPECT_EQ(Current(), c.next);
    }
}

TEST_F(tovShellScreensTest, SpaceSkipsOnlyWhenPressedOnTheSplashAndTheMouseSkipsAtOnce)
{
    struct Case
    {
        const char* what;
        bool spaceBefore;
        bool spaceAfter;
        bool mouseHeld;
        int32_t expected;
    };
    const Case cases[] = {
        {"space held from before", true, false, false, 13},
        {"space pressed anew", false, true, false, 8},
        {"mouse held", false, false, true, 8},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        SwitchTo(8);
        m_input.SetKey(kSpace, c.spaceBefore);
        m_input.SetButton(0, c.mouseHeld);
        Frame();
        SwitchTo(13);
        Frame();
        if (c.spaceAfter)
        {
            EXPECT_EQ(Current(), 13);
            m_input.SetKey(kSpace, true);
            Frame();
        }
        Frame();
        EXPECT_EQ(Current(), c.expected);
        m_input.SetKey(kSpace, false);
        m_input.SetButton(0, false);
        Frame();
    }
}

TEST_F(tovShellScreensTest, ExitSplashClosesTheWindowAfterItsTimeOut)
{
    SwitchTo(24);
    Frame();
    Frame(20000);
    EXPECT_EQ(m_app->m_shutdowns, 0);
    Frame(1);
    // The close request is read on the next pass: the screens go, then the quit.
    EXPECT_FALSE(m_app->RunOnce());
    EXPECT_EQ(m_app->m_shutdowns, 1);
    EXPECT_EQ(m_app->GetCurrentScreen(), nullptr);
}

TEST_F(tovShellScreensTest, MessageBoxAnswersOnceThenLowersItself)
{
    struct Case
    {
        int32_t mode;
        bool callback;
        int32_t button;
        int32_t answer;
    };
    const Case cases[] = {{kMessageTwoAnswers, true, 1, 0},
                          {kMessageTwoAnswers, true, 2, 1},
                          {kMessageOk, true, 1, 0},
                          {kMessageOk, false, 1, 0}};
    SwitchTo(8);
    Frame();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button + 10 * c.mode);
        g_answers.clear();
        // The box keeps its own copy of what the caller formatted.
        char text[64];
        std::strcpy(text, "Delete game Bass Lake?");
        ShowMessage(c.mode, c.callback ? &Record : nullptr, 77, text);
        std::strcpy(text, "gone");
        ASSERT_TRUE(IsMessageBoxRaised());
        auto* box = tovMessageIFace::GetInstance();
        EXPECT_EQ(box->GetText(), "Delete game Bass Lake?");
        Frame();
        Click(box->GetButton(c.button));
        EXPECT_FALSE(IsMessageBoxRaised());
        for (int i = 0; i < 3; ++i)
            Frame();
        if (c.callback)
        {
            ASSERT_EQ(g_answers.size(), 1u);
            EXPECT_EQ(g_answers[0].answer, c.answer);
            EXPECT_EQ(g_answers[0].argument, 77u);
        }
        EXPECT_EQ(Current(), 8);
        EXPECT_EQ(box->GetButton(1), nullptr);
    }
}

// A box's answer keys are its own: the catch box's K and R do not answer the quit question
// raised after it.
TEST_F(tovShellScreensTest, ANewBoxDoesNotAnswerToTheLastBoxsKeys)
{
    const auto press = [this](uint8_t key)
    {
        m_input.SetKey(key, true);
        Frame();
        m_input.SetKey(key, false);
        Frame();
    };
    SwitchTo(8);
    Frame();
    // Each box is up a frame before its keys: the key that raised a box does not answer it.
    ShowMessage(kMessageTwoAnswers, &Record, 1, "Keep this fish?");
    SetMessageAnswerKeys(plat::kKeyK, plat::kKeyR);
    Frame();
    press(plat::kKeyK);
    ASSERT_EQ(g_answers.size(), 1u);
    EXPECT_EQ(g_answers[0].answer, 0);
    ShowMessage(kMessageTwoAnswers, &Record, 2, "Are you sure you want to quit?");
    Frame();
    press(plat::kKeyK);
    press(plat::kKeyR);
    EXPECT_TRUE(IsMessageBoxRaised());
    EXPECT_EQ(g_answers.size(), 1u);
}

bool AskAgain(int32_t answer, uintptr_t argument)
{
    Record(answer, argument);
    if (argument == 1)
        ShowMessage(kMessageOk, &Record, 2, "Game saved.");
    return true;
}

TEST_F(tovShellScreensTest, CallbackThatAsksAgainKeepsTheNewBoxUp)
{
    SwitchTo(8);
    Frame();
    ShowMessage(kMessageTwoAnswers, &AskAgain, 1, "Overwrite game Bass Lake?");
    Frame();
    Click(tovMessageIFace::GetInstance()->GetButton(1));
    ASSERT_TRUE(IsMessageBoxRaised());
    EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), "Game saved.");
    EXPECT_EQ(tovMessageIFace::GetInstance()->GetButton(2), nullptr);
    Click(tovMessageIFace::GetInstance()->GetButton(1));
    EXPECT_FALSE(IsMessageBoxRaised());
    ASSERT_EQ(g_answers.size(), 2u);
    EXPECT_EQ(g_answers[1].argument, 2u);
}

TEST_F(tovShellScreensTest, ScreenUnderARaisedBoxGetsNoClicksAndNoKeys)
{
    SwitchTo(8);
    Frame();
    ShowMessage(kMessageOk, &Record, 0, "Your fish weighed in at 4.25 pounds.");
    Frame();
    EXPECT_FALSE(ButtonObj::GetButtonsActive());
    EXPECT_FALSE(qrxKeyMapper::GetKeysActive());
    // Quick fish lies outside the box: clicking it does nothing.
    Click(MenuButton(tovMainMenuIFace::kQuickFish));
    EXPECT_EQ(Current(), 8);
    EXPECT_EQ(m_session->GetDay(), 0);
    EXPECT_TRUE(IsMessageBoxRaised());
    Click(tovMessageIFace::GetInstance()->GetButton(1));
    EXPECT_TRUE(ButtonObj::GetButtonsActive());
    EXPECT_TRUE(qrxKeyMapper::GetKeysActive());
    Click(MenuButton(tovMainMenuIFace::kQuickFish));
    EXPECT_EQ(Current(), 2);
}

// A click quicker than a frame (a touchpad tap) reads as held once: the box, read after the
// screen beneath it in a frame, takes it as the screen does. A held button is one click too.
TEST_F(tovShellScreensTest, AClickWithinOneFrameOrHeldOverSeveralIsOneClickOnABoxAndOnAScreen)
{
    enum Target
    {
        kHourWarningOk,
        kQuitQuestionNo,
        kMenuPlayGame,
    };
    struct Case
    {
        Target target;
        int heldFrames; // 0: pressed and released between two frames
    };
    for (const Case& c : {Case{kHourWarningOk, 0}, Case{kQuitQuestionNo, 0}, Case{kMenuPlayGame, 0},
                          Case{kHourWarningOk, 4}, Case{kQuitQuestionNo, 4}, Case{kMenuPlayGame, 4}})
    {
        SCOPED_TRACE(testing::Message() << "target " << c.target << ", held " << c.heldFrames << " frames");
        g_answers.clear();
        SwitchTo(8);
        Frame();
        ButtonObj* button = MenuButton(tovMainMenuIFace::kPlayGame);
        if (c.target == kHourWarningOk)
            ShowMessage(kMessageOk, &Record, 5, "You have one hour left.");
        else if (c.target == kQuitQuestionNo)
            Click(MenuButton(tovMainMenuIFace::kQuit));
        if (c.target != kMenuPlayGame)
        {
            ASSERT_TRUE(IsMessageBoxRaised());
            Frame();
            button = tovMessageIFace::GetInstance()->GetButton(c.target == kQuitQuestionNo ? 2 : 1);
        }
        ASSERT_NE(button, nullptr);
        m_window.MoveCursor({button->m_left + 1, button->m_top});
        Frame();
        m_input.SetButton(0, true);
        for (int i = 0; i < c.heldFrames; ++i)
            Frame();
        m_input.SetButton(0, false);
        for (int i = 0; i < 3; ++i)
            Frame();
        EXPECT_FALSE(IsMessageBoxRaised());
        EXPECT_EQ(g_answers.size(), c.target == kHourWarningOk ? 1u : 0u);
        EXPECT_EQ(Current(), c.target == kMenuPlayGame ? 1 : 8);
    }
}

TEST_F(tovShellScreensTest, TheMenuLeadsToTheGameModeLoadAndSaveScreens)
{
    m_hooks.m_built = true;
    for (const auto& [button, expected] :
         {std::pair{tovMainMenuIFace::kPlayGame, 1}, std::pair{tovMainMenuIFace::kLoadGame, 14},
          std::pair{tovMainMenuIFace::kSaveGame, 15}})
    {
        SwitchTo(8);
        Frame();
        Click(MenuButton(button));
        EXPECT_EQ(Current(), expected);
    }
}

TEST_F(tovShellScreensTest, QuitAnsweredYesGoesToTheExitSplashNoStays)
{
    for (const auto& [button, expected] : {std::pair{1, 24}, std::pair{2, 8}})
    {
        SwitchTo(8);
        Frame();
        Click(MenuButton(tovMainMenuIFace::kQuit));
        ASSERT_TRUE(IsMessageBoxRaised());
        EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), "Are you sure you want to quit?");
        Click(tovMessageIFace::GetInstance()->GetButton(button));
        EXPECT_FALSE(IsMessageBoxRaised());
        EXPECT_EQ(Current(), expected);
    }
}

TEST_F(tovShellScreensTest, ReturnButtonFollowsWhereTheMenuWasEnteredFrom)
{
    struct Case
    {
        int32_t from;
        bool worldBuilt;
        int32_t mode;
        bool dayOver;
        bool inactive;
        int32_t target;
    };
    const Case cases[] = {
        {10, true, tovGameSession::kQuickFish, false, true, 10}, {2, false, tovGameSession::kQuickFish, false, true, 8},
        {2, true, tovGameSession::kQuickFish, false, false, 2},  {4, true, tovGameSession::kSeason, false, false, 4},
        {4, true, tovGameSession::kTournament, false, false, 2}, {2, true, tovGameSession::kQuickFish, true, true, 8},
        {4, true, tovGameSession::kSeason, true, false, 4},      {4, true, tovGameSession::kTournament, true, true, 8},
        {2, true, tovGameSession::kSeason, true, true, 8},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.from << " mode " << c.mode << (c.dayOver ? " day over" : ""));
        m_hooks.m_built = c.worldBuilt;
        // A new game: a day under way.
        m_session->StartGame(c.mode, false);
        if (c.dayOver)
            m_session->SetDayOver();
        SwitchTo(c.from);
        Frame();
        SwitchTo(8);
        Frame();
        EXPECT_EQ(MenuButton(tovMainMenuIFace::kReturn)->m_disabled, c.inactive ? 1 : 0);
        // Only a day under way can be saved, whichever screen the menu came from.
        EXPECT_EQ(MenuButton(tovMainMenuIFace::kSaveGame)->m_disabled, c.worldBuilt && !c.dayOver ? 0 : 1);
        Click(MenuButton(tovMainMenuIFace::kReturn));
        EXPECT_EQ(Current(), c.inactive ? 8 : c.target);
    }
}

TEST_F(tovShellScreensTest, QuickFishCountsTheDayOnFromTheMenuAndStartsOverFromGameSelect)
{
    struct Case
    {
        int32_t screen;
        int32_t button;
        int32_t day;
        int32_t flag;
    };
    for (const Case& c : {Case{8, tovMainMenuIFace::kQuickFish, 4, 1}, Case{1, tovGameSelectIFace::kQuickFish, 1, 0}})
    {
        SCOPED_TRACE(c.screen);
        m_session->SetDay(3, false);
        m_session->SetMode(tovGameSession::kTournament);
        m_session->m_dayFlags[1] = 1;
        SwitchTo(c.screen);
        Frame();
        Click(m_app->GetInterface(c.screen)->GetButton(c.button));
        EXPECT_EQ(Current(), 2);
        EXPECT_EQ(m_session->GetMode(), tovGameSession::kQuickFish);
        EXPECT_EQ(m_session->GetDay(), c.day);
        EXPECT_EQ(m_session->m_dayFlags[1], c.flag);
    }
}

TEST_F(tovShellScreensTest, GameSelectReappliesTheRememberedSkill)
{
    SwitchTo(1);
    Frame();
    ButtonObj* pro = m_app->GetInterface(1)->GetButton(tovGameSelectIFace::kPro);
    Click(pro);
    EXPECT_EQ(m_session->GetSkillLevel(false), 2);
    Click(m_app->GetInterface(1)->GetButton(tovGameSelectIFace::kBack));
    EXPECT_EQ(Current(), 8);
    // A loaded game or another screen changed the level meanwhile.
    m_session->SetSkillLevel(0, false);
    SwitchTo(1);
    Frame();
    EXPECT_EQ(m_session->GetSkillLevel(false), 2);
    const uint8_t expected[] = {0, 0, 1};
    for (int32_t id = tovGameSelectIFace::kNovice; id <= tovGameSelectIFace::kPro; ++id)
        EXPECT_EQ(m_app->GetInterface(1)->GetButton(id)->m_selected, expected[id - tovGameSelectIFace::kNovice]);
}

TEST_F(tovShellScreensTest, GameSelectModesGoToTheProfilesWithTheirMode)
{
    struct Case
    {
        int32_t button;
        int32_t mode;
        int32_t flagAfter;
    };
    // A season under way keeps its records.
    for (const Case& c : {Case{tovGameSelectIFace::kPractice, tovGameSession::kPractice, 0},
                          Case{tovGameSelectIFace::kTournament, tovGameSession::kTournament, 0},
                          Case{tovGameSelectIFace::kSeason, tovGameSession::kSeason, 1}})
    {
        SCOPED_TRACE(c.button);
        m_session->SetDay(2, false);
        m_session->m_dayFlags[0] = 1;
        SwitchTo(1);
        Frame();
        Click(m_app->GetInterface(1)->GetButton(c.button));
        EXPECT_EQ(Current(), 5);
        EXPECT_EQ(m_session->GetMode(), c.mode);
        EXPECT_EQ(m_session->GetDay(), 0);
        EXPECT_EQ(m_session->m_dayFlags[0], c.flagAfter);
    }
}

// The season goes on at the next lake of its order, whatever that lake's id.
TEST_F(tovShellScreensTest, GameSelectSeasonSelectsTheSeasonsNextLake)
{
    std::filesystem::create_directories(m_dir.File("Lakes"));
    for (const auto& [name, id] : {std::pair{"Alder", 0}, std::pair{"Birch", 5}, std::pair{"Cedar", 9}})
    {
        tools::PackContents contents;
        const std::string text = std::to_string(id);
        contents.Add({0x80000007, 72, 0, {}, std::vector<uint8_t>(text.begin(), text.end())}, {0});
        std::string error;
        ASSERT_TRUE(tools::WritePackFiles(contents, m_dir.File(std::string("Lakes/") + name), error)) << error;
    }
    SetInstallRoot(m_dir.Path());
    SetInstallType(0);
    TheLakeCatalogue().Clear();
    TheLakeCatalogue().SelectLake(m_session.get(), 0);
    const int32_t length = TheUserProfile().GetSetting1(true);
    TheUserProfile().SetSetting1(2);
    m_session->m_dayFlags[2] = 1;
    m_session->m_dayValues1[2] = 3;
    m_session->m_dayValues2[2] = 1;
    m_session->m_block[2 * 32 + 1] = 2;
    SwitchTo(1);
    Frame();
    Click(m_app->GetInterface(1)->GetButton(tovGameSelectIFace::kSeason));
    EXPECT_EQ(TheLakeCatalogue().GetCurrentLakeId(), 9) << "Cedar, the order's second event";
    TheLakeCatalogue().Clear();
    SetInstallRoot(".");
    TheUserProfile().SetSetting1(length);
}

TEST_F(tovShellScreensTest, MainMenuBuildsItsButtonsAnewOnEachVisit)
{
    for (int visit = 0; visit < 2; ++visit)
    {
        SwitchTo(8);
        Frame();
        for (int32_t id : {5, 6, 7, 9})
            EXPECT_NE(MenuButton(id), nullptr);
        SwitchTo(11);
        for (int32_t id : {5, 6, 7, 9})
            EXPECT_EQ(MenuButton(id), nullptr);
    }
}

} // namespace

// While a network game runs, a new game from the menus first asks to leave it: no stays in the
// session on the screen, yes leaves the session and goes on to the game chosen. Once this copy
// has closed its final no question comes, and a new set-up brings it back.
TEST_F(tovShellScreensTest, ANewGameInANetworkGameUnderWayAsksToLeaveItFirst)
{
    RecordingNetworkPlay net;
    net.open = true;
    SetNetworkPlay(&net);
    m_hooks.m_built = true;
    struct Case
    {
        int32_t screen;
        int32_t button;
        int32_t target;
    };
    const Case cases[] = {{8, tovMainMenuIFace::kQuickFish, 2},
                          {8, tovMainMenuIFace::kLoadGame, 14},
                          {1, tovGameSelectIFace::kQuickFish, 2},
                          {1, tovGameSelectIFace::kPractice, 5},
                          {1, tovGameSelectIFace::kTournament, 5}};
    const auto closed = [&net] { return std::count(net.log.begin(), net.log.end(), "Close"); };
    for (const Case& c : cases)
        for (const bool yes : {false, true})
        {
            SCOPED_TRACE(testing::Message()
                         << "screen " << c.screen << " button " << c.button << (yes ? " yes" : " no"));
            m_session->StartGame(tovGameSession::kTournament, false);
            net.log.clear();
            SwitchTo(c.screen);
            Frame();
            Click(m_app->GetInterface(c.screen)->GetButton(c.button));
            ASSERT_TRUE(IsMessageBoxRaised());
            EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), "Leave the network game?");
            EXPECT_EQ(Current(), c.screen);
            // Return answers yes, Escape no: the key is still down while the game chosen starts.
            Frame();
            const uint8_t key = yes ? plat::kKeyReturn : kEscape;
            m_input.SetKey(key, true);
            Frame();
            m_input.SetKey(key, false);
            Frame();
            EXPECT_FALSE(IsMessageBoxRaised());
            EXPECT_EQ(closed(), yes ? 1 : 0);
            EXPECT_EQ(Current(), yes ? c.target : c.screen);
            if (!yes)
            {
                EXPECT_EQ(m_session->GetMode(), tovGameSession::kTournament) << "no game was started";
            }
        }
    // After this copy's final: the menu's quick fish goes on at once, until a new set-up.
    for (const bool setUp : {false, true})
    {
        NetFinishGame();
        if (setUp)
            NetResetPlayers(0);
        SwitchTo(8);
        Frame();
        Click(MenuButton(tovMainMenuIFace::kQuickFish));
        EXPECT_EQ(IsMessageBoxRaised(), setUp);
        if (IsMessageBoxRaised())
            Click(tovMessageIFace::GetInstance()->GetButton(2));
        EXPECT_EQ(Current(), setUp ? 8 : 2);
    }
    SetNetworkPlay(nullptr);
}

// No season is played over the network: in a session SEASON is greyed and takes no click,
// also once its tournament is over and the session stays open.
TEST_F(tovShellScreensTest, SeasonIsGreyedWhileANetworkSessionIsOpen)
{
    RecordingNetworkPlay net;
    SetNetworkPlay(&net);
    const struct
    {
        const char* what;
        bool open;
        bool finalClosed;
    } rows[] = {{"alone", false, false}, {"in a session", true, false}, {"after the final", true, true}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        const bool open = row.open;
        net.open = open;
        if (row.finalClosed)
            NetFinishGame();
        m_session->SetMode(tovGameSession::kQuickFish);
        SwitchTo(1);
        Frame();
        ButtonObj* season = m_app->GetInterface(1)->GetButton(tovGameSelectIFace::kSeason);
        ASSERT_NE(season, nullptr);
        EXPECT_EQ(season->m_disabled, open ? 1 : 0);
        Click(season);
        EXPECT_EQ(Current(), open ? 1 : 5);
        EXPECT_EQ(m_session->GetMode(), open ? tovGameSession::kQuickFish : tovGameSession::kSeason);
    }
    // The next set-up begins a game again.
    NetResetPlayers(0);
    SetNetworkPlay(nullptr);
}
