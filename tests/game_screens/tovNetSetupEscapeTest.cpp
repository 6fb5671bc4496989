// Escape and Back on the screens between a network join and the first day: the main menu would
// leave the player seated with nothing leading back, so they ask to leave the network game, and
// the help picture opened over them takes Escape as its Back.

#include "FrontEndFixture.h"

#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"
#include "tovNullNetworkPlay.h"
#include "tovPictureIFace.h"
#include "tovProfileIFace.h"
#include "tovTournamentSetupIFace.h"

#include "KeyNumbers.h"

namespace
{

constexpr int32_t kGameSelect = 1;
constexpr int32_t kSetup = 4;
constexpr int32_t kProfiles = 5;
constexpr int32_t kAnglerLook = 6;
constexpr int32_t kConditions = 7;
constexpr int32_t kMainMenu = 8;
constexpr int32_t kTackleBox = 9;
constexpr int32_t kOptions = 11;
constexpr int32_t kRecord = 20;
constexpr int32_t kHelp = 22;

class OpenSession : public tovNullNetworkPlay
{
public:
    bool IsSessionOpen() override { return m_open; }
    void Close() override { m_open = false; }
    bool m_open = true;
};

class tovNetSetupEscapeTest : public FrontEndTest
{
protected:
    void SetUp() override
    {
        SetNetworkPlay(&m_net);
        FrontEndTest::SetUp();
        SetNetworkLaunch(true);
    }
    void TearDown() override
    {
        if (IsMessageBoxRaised())
            ShowMessageScreen(false);
        FrontEndTest::TearDown();
        NetTakeLeftGame();
        SetNetworkLaunch(false);
        SetNetworkPlay(nullptr);
    }
    void AddMoreScreens() override
    {
        m_app->AddInterface(new tovTournamentSetupIFace, kSetup);
        m_app->AddInterface(new tovProfileIFace, kProfiles);
        FrontEndTest::AddMoreScreens();
    }
    // A fresh session (its game not begun) with the screen entered from the main menu.
    void Open(int32_t screen)
    {
        m_net.m_open = true;
        NetResetPlayers(0);
        NetTakeLeftGame();
        SwitchTo(kMainMenu);
        SwitchTo(screen);
        m_window.MoveCursor({630, 5});
        Frame();
    }
    // The application hands Escape to the screen before the frame reads the key.
    bool PressEscape()
    {
        m_input.SetKey(plat::kKeyEscape, true);
        const bool allowed = m_app->GetCurrentScreen()->AllowsEscape();
        Frame();
        m_input.SetKey(plat::kKeyEscape, false);
        Frame();
        return allowed;
    }
    void PressKey(uint8_t key)
    {
        m_input.SetKey(key, true);
        Frame();
        m_input.SetKey(key, false);
        Frame();
    }
    // Every Back of these screens stands at the same place.
    void ClickBack()
    {
        ClickAt(60, 450);
        Frame();
    }

    OpenSession m_net;
};

// On each screen of the set-up, Escape (and Back where it leads to the main menu) asks whether to
// leave: Escape on the box says no and the screen stays with the player seated; Return says yes,
// the session closes and the game is marked left for the application to take to the main menu.
TEST_F(tovNetSetupEscapeTest, EscapeAndABackToTheMenuAskToLeave)
{
    enum class How
    {
        kEscape,
        kBack,
    };
    struct Case
    {
        int32_t screen;
        How how;
    } const cases[] = {
        {kProfiles, How::kEscape}, {kGameSelect, How::kEscape}, {kSetup, How::kEscape},    {kConditions, How::kEscape},
        {kGameSelect, How::kBack}, {kSetup, How::kBack},        {kConditions, How::kBack},
    };
    for (const Case& c : cases)
        for (const bool yes : {false, true})
        {
            SCOPED_TRACE(testing::Message() << "screen " << c.screen << (c.how == How::kBack ? " back" : " escape")
                                            << (yes ? " yes" : " no"));
            Open(c.screen);
            if (c.how == How::kEscape)
                EXPECT_FALSE(PressEscape()) << "the menu would leave the player seated";
            else
                ClickBack();
            ASSERT_TRUE(IsMessageBoxRaised());
            EXPECT_EQ(tovMessageIFace::GetInstance()->GetText(), kLeaveNetworkQuestion);
            PressKey(yes ? plat::kKeyReturn : plat::kKeyEscape);
            EXPECT_FALSE(IsMessageBoxRaised());
            EXPECT_EQ(Current(), c.screen);
            EXPECT_EQ(m_net.m_open, !yes);
            EXPECT_EQ(NetTakeLeftGame(), yes);
        }
}

// The question belongs to a game before its first day only, on every screen the profiles lead to
// as well: once this copy fished a day the screens lead to the menu as ever, and the next game
// after a final asks again; outside a network game nothing is asked. Over a screen that asks, the
// help picture's Escape is its Back.
TEST_F(tovNetSetupEscapeTest, OnlyBeforeTheFirstDayAndTheHelpPictureGoesBack)
{
    enum class State
    {
        kBeforeFirstDay,
        kDayBegun,
        kAfterFinal,
        kNoSession,
    };
    for (const State state : {State::kBeforeFirstDay, State::kDayBegun, State::kAfterFinal, State::kNoSession})
        for (const int32_t screen :
             {kProfiles, kGameSelect, kSetup, kConditions, kAnglerLook, kTackleBox, kOptions, kRecord})
        {
            SCOPED_TRACE(testing::Message() << "state " << int(state) << " screen " << screen);
            Open(screen);
            // The first day's start on the way to the lake.
            if (state != State::kBeforeFirstDay)
                m_session->StartGame(tovGameSession::kTournament, false);
            if (state == State::kAfterFinal)
                NetFinishGame();
            m_net.m_open = state != State::kNoSession;
            const bool asks = state == State::kBeforeFirstDay || state == State::kAfterFinal;
            EXPECT_EQ(m_app->GetCurrentScreen()->KeepsEscape(), asks);
            EXPECT_EQ(PressEscape(), !asks);
            EXPECT_EQ(IsMessageBoxRaised(), asks);
            if (asks)
                PressKey(plat::kKeyEscape);

            SwitchTo(kHelp);
            Frame();
            EXPECT_EQ(tovPictureIFace::GetInstance()->AllowsEscape(), !asks);
            Frame();
            EXPECT_EQ(Current(), asks ? screen : kHelp);
        }
}

} // namespace
