// The way out of a blocking wait: the wait keeps its frame up with the message box over it, Escape
// asks whether to leave the network game, and yes leaves it. Two sessions over the in-process
// network, the game's shell screens in a headless window; keys are queued before the wait.

#include "ButtonObj.h"
#include "NetSessionPair.h"
#include "ShellScreenFixture.h"
#include "qrxKeyMapper.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"
#include "tovNetworkPlayGameParams.h"

#include "KeyNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

constexpr const char* kQuestion = "Leave the network game?";

class tovDirectPlayWaitTest : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        ShellScreenTest::SetUp();
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        host = std::make_unique<NetSessionSide>(net, "Robin");
        client = std::make_unique<NetSessionSide>(net, "Casey");
        ASSERT_TRUE(HostAndJoin(H(), C()));
        // Both fishing: neither reaches the weigh-in's phases by itself. Until the host's phase
        // has come, the client would read the join's phase 0, which passes the weigh-in's waits.
        ASSERT_TRUE(BothFishing(H(), C()));
        // Each frame the wait draws: a cleared frame, and the box's text when one is up.
        NetSetWaitDrawing(
            [this]
            {
                m_renderer->ClearBuffer(nullptr, 1);
                m_frames.push_back(IsMessageBoxRaised() ? tovMessageIFace::GetInstance()->GetText() : "");
            });
    }
    void TearDown() override
    {
        NetSetWaitDrawing(nullptr);
        NetTakeLeftGame();
        client.reset();
        host.reset();
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        ShellScreenTest::TearDown();
    }

    tovDirectPlay& H() { return *host->session; }
    tovDirectPlay& C() { return *client->session; }
    bool ShownLine(const NetSessionSide& side, const std::string& line)
    {
        return std::find(side.lines.begin(), side.lines.end(), line) != side.lines.end();
    }
    // How often the question came up in the frames drawn.
    int Raised() const
    {
        int raised = 0;
        for (size_t k = 0; k < m_frames.size(); ++k)
            raised += m_frames[k] == kQuestion && (k == 0 || m_frames[k - 1] != kQuestion);
        return raised;
    }
    // The wait on this thread, as the game's session, bounded should it stall.
    bool Wait(tovDirectPlay& side)
    {
        SetNetworkPlay(&side);
        QuitOnStall watchdog;
        const bool through = side.WaitForPhase(7, 8, 0, 0);
        watchdog.Finish();
        SetNetworkPlay(nullptr);
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "the wait stalled";
        qrxBaseApp::SetQuitFlag(false);
        return through;
    }

    plat::LoopbackNetwork net;
    std::unique_ptr<NetSessionSide> host;
    std::unique_ptr<NetSessionSide> client;
    std::vector<std::string> m_frames;
};

// The client waits for a host who stays on the lake. Escape asks, Escape again says no and the
// wait goes on; Escape and Return say yes: the session is left, the host sees the player go, and
// the application is told to go to the main menu.
TEST_F(tovDirectPlayWaitTest, EscapeAndYesLeaveTheGameFromAWait)
{
    m_window.InjectKeyDown(plat::kKeyEscape);
    m_window.InjectKeyDown(plat::kKeyEscape);
    // A pass without a key between: its frame shows whether the no took the question down.
    m_window.RequestPaint();
    m_window.InjectKeyDown(plat::kKeyEscape);
    m_window.InjectKeyDown(plat::kKeyReturn);
    EXPECT_TRUE(Wait(C()));
    EXPECT_FALSE(C().IsSessionOpen());
    EXPECT_TRUE(NetTakeLeftGame());
    EXPECT_FALSE(IsMessageBoxRaised());
    EXPECT_EQ(Raised(), 2);
    // The last frame: the question over the waiting frame, as the yes was given.
    EXPECT_TRUE(golden::MatchesGoldenImage("net_wait_leave_question.png", Shown()));
    EXPECT_TRUE(WaitUntil([this] { return ShownLine(*host, "Casey has left the game"); }, {&H()}));
    EXPECT_TRUE(H().IsSessionOpen());
}

// The wait's own frames read the mouse: a click on the question's yes quicker than a frame
// leaves the game as Return does.
TEST_F(tovDirectPlayWaitTest, AFrameLongClickOnTheQuestionsYesLeavesFromAWait)
{
    bool clicked = false;
    NetSetWaitDrawing(
        [this, &clicked]
        {
            m_renderer->ClearBuffer(nullptr, 1);
            ButtonObj* yes = IsMessageBoxRaised() ? tovMessageIFace::GetInstance()->GetButton(1) : nullptr;
            if (clicked || yes == nullptr)
                return;
            m_window.MoveCursor({yes->m_left + 1, yes->m_top});
            m_input.SetButton(0, true);
            m_input.SetButton(0, false);
            clicked = true;
        });
    m_window.InjectKeyDown(plat::kKeyEscape);
    EXPECT_TRUE(Wait(C()));
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(C().IsSessionOpen());
    EXPECT_TRUE(NetTakeLeftGame());
}

// The host waits for a player who has left: the wait ends on its own, and takes down the question
// Escape raised meanwhile. Nothing was chosen: the session stays.
TEST_F(tovDirectPlayWaitTest, AWaitEndedByTheOtherLeavingTakesItsQuestionDown)
{
    C().Close();
    ASSERT_TRUE(WaitUntil([this] { return ShownLine(*host, "Casey has left the game"); }, {&H()}));
    m_window.InjectKeyDown(plat::kKeyEscape);
    EXPECT_TRUE(Wait(H()));
    EXPECT_EQ(Raised(), 1);
    EXPECT_FALSE(IsMessageBoxRaised());
    EXPECT_TRUE(H().IsSessionOpen());
    EXPECT_FALSE(NetTakeLeftGame());
}

// A key that went down during a wait was the wait's: held on past its end, it reads as held, not
// as a new press on the next frame (Space there would skip the next screen's opening clip).
TEST_F(tovDirectPlayWaitTest, AKeyPressedDuringAWaitIsNoPressAfterIt)
{
    // A screen reads the keys each frame.
    SwitchTo(8);
    Frame();
    C().Close();
    ASSERT_TRUE(WaitUntil([this] { return ShownLine(*host, "Casey has left the game"); }, {&H()}));
    m_input.SetKey(plat::kKeySpace, true);
    EXPECT_TRUE(Wait(H()));
    Frame();
    EXPECT_TRUE(qrxKeyMapper::IsKeyDown(plat::kKeySpace));
    EXPECT_FALSE(qrxKeyMapper::WasKeyPressed(plat::kKeySpace));
    m_input.SetKey(plat::kKeySpace, false);
    Frame();
    m_input.SetKey(plat::kKeySpace, true);
    Frame();
    EXPECT_TRUE(qrxKeyMapper::WasKeyPressed(plat::kKeySpace)) << "a press after the wait counts";
}

} // namespace
