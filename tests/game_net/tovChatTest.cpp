#include "NetScreensFixture.h"
#include "NetSessionPair.h"

#include "WindowMessage.h"
#include "qrxTextEditor.h"
#include "tovChatIFace.h"
#include "tovChatPanel.h"
#include "tovNetFacade.h"

namespace
{

using tovChatTest = NetScreensTest;

void Type(qrxTextEditor* editor, const std::string& text)
{
    for (char c : text)
        editor->HandleMessage(plat::kMsgChar, static_cast<uintptr_t>(static_cast<unsigned char>(c)), 0);
}

void Enter(qrxTextEditor* editor)
{
    editor->HandleMessage(plat::kMsgChar, 13, 0);
}

TEST_F(tovChatTest, EnterSendsTheLineAndLowersThePanel)
{
    SwitchTo(8);
    ASSERT_TRUE(HandleChatPanelKey('T'));
    tovChatIFace* chat = tovChatIFace::GetInstance();
    EXPECT_EQ(chat->GetOriginX(), 50);
    EXPECT_EQ(chat->GetOriginY(), 0);
    Type(chat->GetEditor(), "Fish on at the point");
    Enter(chat->GetEditor());
    EXPECT_EQ(m_net.m_sent, std::vector<std::string>{"Fish on at the point"});
    Frame();
    EXPECT_FALSE(IsChatPanelRaised());
    EXPECT_EQ(qrxTextEditor::GetFocusedEditor(), nullptr);
    // An empty line sends nothing but still closes.
    ASSERT_TRUE(RaiseChatPanel());
    Enter(tovChatIFace::GetInstance()->GetEditor());
    Frame();
    EXPECT_FALSE(IsChatPanelRaised());
    EXPECT_EQ(m_net.m_sent.size(), 1u);
}

TEST_F(tovChatTest, SendKeepsThePanelAndTheLineIsCappedAt30)
{
    SwitchTo(4);
    ASSERT_TRUE(RaiseChatPanel());
    tovChatIFace* chat = tovChatIFace::GetInstance();
    EXPECT_EQ(chat->GetOriginX(), 70);
    EXPECT_EQ(chat->GetOriginY(), 304);
    Type(chat->GetEditor(), std::string(40, 'a'));
    EXPECT_EQ(chat->GetEditor()->GetText().size(), 30u);
    ClickAt(70 + 470, 304 + 15);
    EXPECT_EQ(m_net.m_sent, std::vector<std::string>{std::string(30, 'a')});
    EXPECT_TRUE(IsChatPanelRaised());
    EXPECT_TRUE(chat->GetEditor()->GetText().empty());
    ClickAt(70 + 470, 304 + 60);
    EXPECT_FALSE(IsChatPanelRaised());
    EXPECT_EQ(Current(), 4);
}

// The host relays four lines a second from a player: a fifth within the second is neither sent
// nor shown here; it stays in the field with the panel up, and goes once the second is up.
TEST_F(tovChatTest, AFifthLineInASecondWaitsInTheField)
{
    SwitchTo(8);
    ASSERT_TRUE(RaiseChatPanel());
    tovChatIFace* chat = tovChatIFace::GetInstance();
    for (int32_t i = 1; i <= 5; ++i)
    {
        Type(chat->GetEditor(), std::to_string(i));
        chat->Send(false);
    }
    EXPECT_EQ(m_net.m_sent, (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(chat->GetEditor()->GetText(), "5");
    Enter(chat->GetEditor());
    EXPECT_FALSE(chat->IsCloseRequested());
    m_clock.AdvanceMs(1000);
    Enter(chat->GetEditor());
    EXPECT_EQ(m_net.m_sent.back(), "5");
    EXPECT_TRUE(chat->IsCloseRequested());
}

// Free slots take no line: names stay 14 pixels apart in slot order.
TEST_F(tovChatTest, NameLinesSkipFreeSlots)
{
    m_net.m_names = {"Ann", "", "Bo", "", "Cy"};
    SwitchTo(8);
    ASSERT_TRUE(RaiseChatPanel());
    m_window.MoveCursor({630, 470});
    Frame();
    Frame();
    tovChatIFace* chat = tovChatIFace::GetInstance();
    ASSERT_EQ(chat->GetDrawnNameCount(), 3);
    for (int32_t line = 0; line < 3; ++line)
        EXPECT_EQ(chat->GetNameTop(line), 10 + 14 * line);
    Type(chat->GetEditor(), "Hi all");
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("net_chat_panel.png", Shown()));
}

TEST_F(tovChatTest, OnlyInANetworkGame)
{
    SwitchTo(8);
    m_net.m_open = false;
    EXPECT_FALSE(HandleChatPanelKey('T'));
    m_net.m_open = true;
    ASSERT_TRUE(HandleChatPanelKey('T'));
    EXPECT_FALSE(HandleChatPanelKey('T'));
    // The session ends under the panel: it goes.
    m_net.m_open = false;
    Frame();
    EXPECT_FALSE(IsChatPanelRaised());
    m_net.m_open = true;
    ASSERT_TRUE(RaiseChatPanel());
    EXPECT_TRUE(HandleChatPanelKey(plat::kVkEscape));
    EXPECT_FALSE(IsChatPanelRaised());
}

// A line typed in the panel reaches the other player as "name: text" over a real session.
TEST_F(tovChatTest, LineReachesTheOtherPlayer)
{
    plat::LoopbackNetwork net;
    NetSessionSide host(net, "Ann");
    NetSessionSide guest(net, "Bo");
    ASSERT_TRUE(host.session->HostSession("Saturday", ""));
    ASSERT_TRUE(guest.session->JoinSession(host.session->GetSessionAddress()));
    ASSERT_TRUE(WaitUntil([&] { return guest.session->GetLocalSlot() == 1 && guest.session->IsSlotActive(0); },
                          {host.session.get(), guest.session.get()}));
    SetNetworkPlay(host.session.get());
    SwitchTo(8);
    ASSERT_TRUE(RaiseChatPanel());
    Type(tovChatIFace::GetInstance()->GetEditor(), "Big one by the dock");
    Enter(tovChatIFace::GetInstance()->GetEditor());
    Frame();
    EXPECT_FALSE(IsChatPanelRaised());
    const auto heard = [&]
    {
        for (const std::string& line : guest.lines)
            if (line == "Ann: Big one by the dock")
                return true;
        return false;
    };
    EXPECT_TRUE(WaitUntil(heard, {host.session.get(), guest.session.get()}));
    SetNetworkPlay(&m_net);
    host.session->Close();
    guest.session->Close();
}

} // namespace
