#include "NetScreensFixture.h"
#include "NetSessionPair.h"

#include "WindowMessage.h"
#include "qrxFramePacer.h"
#include "qrxTextEditor.h"
#include "tovDirectPlayDialogPort.h"
#include "tovSessionDialog.h"
#include "tovSessionDialogRunner.h"
#include "tovSessionDialogView.h"
#include "tovShellIFace.h"

namespace
{

class LanPort : public tovSessionDialogPort
{
public:
    std::vector<std::string> GetConnections() override { return {"Local network (UDP)"}; }
    bool InitializeConnection(int32_t) override { return true; }
    std::vector<std::string> GetLocalAddresses(int32_t) override { return {"192.168.1.20", "10.0.0.5"}; }
    bool FindSessions(std::vector<Session>& out) override
    {
        out = {{"Saturday bass", "192.168.1.30:27015"}, {"Club night", "192.168.1.31:27015"}};
        return true;
    }
    bool CreateSession(const std::string&, const std::string&) override { return true; }
    bool JoinSession(const std::string& address, const std::string& player) override
    {
        m_joined = address + " as " + player;
        return true;
    }
    bool ListPlayers(const Session&, std::vector<std::string>& out) override
    {
        out = {"Ann"};
        return true;
    }
    std::string m_joined;
};

// The game's port without this computer's addresses, which differ from machine to machine.
class LoopbackPort : public tovDirectPlayDialogPort
{
public:
    using tovDirectPlayDialogPort::tovDirectPlayDialogPort;
    std::vector<std::string> GetLocalAddresses(int32_t) override { return {}; }
};

class tovSessionDialogViewTest : public NetScreensTest
{
protected:
    void Show() { Show(m_view); }
    void Show(tovSessionDialogView& view)
    {
        m_frame++;
        tovShellIFace::LoadGroup(35);
        QrPointer<QrImage> backdrop = tovShellIFace::Picture(10200);
        tovShellIFace::DrawPicture(backdrop.Get(), 0, 0);
        view.Draw();
        tovShellIFace::Present();
    }
    // Characters as the window hands them to the focused field.
    static void Type(const std::string& text)
    {
        for (char c : text)
            qrxTextEditor::GetFocusedEditor()->HandleMessage(plat::kMsgChar, static_cast<uintptr_t>(c), 0);
    }
    // The centre of a control given in dialog units.
    void Click(int32_t x, int32_t y)
    {
        const plat::Rect r = tovSessionDialogView::Place(x, y, 0, 0);
        m_view.OnClick(r.left + 3, r.top + 3);
    }

    LanPort m_port;
    tovSessionDialog m_dialog{m_port, "Ann Angler"};
    tovSessionDialogView m_view{m_dialog};
    int m_frame = 0;
};

// The connection chosen through the drop-down, a found session picked and joined by clicks.
TEST_F(tovSessionDialogViewTest, ClicksChooseAConnectionAndJoin)
{
    Click(10, 14);
    ASSERT_TRUE(m_view.IsConnectionListOpen());
    // The list's second row: the first real connection.
    const plat::Rect head = tovSessionDialogView::Place(6, 13, 229, 12);
    m_view.OnClick(head.left + 10, head.bottom + 1 + 14 + 5);
    EXPECT_EQ(m_dialog.GetConnection(), 1);
    EXPECT_EQ(m_dialog.GetIpLabel(), "Local IP Address: 192.168.1.20:28640, 10.0.0.5:28640");
    const plat::Rect sessions = tovSessionDialogView::Place(14, 139, 161, 50);
    m_view.OnClick(sessions.left + 10, sessions.top + 1 + 14 + 5);
    EXPECT_EQ(m_dialog.GetSelectedSession(), 1);
    Show();
    EXPECT_TRUE(golden::MatchesGoldenImage("net_session_dialog.png", Shown()));
    Click(181, 141);
    EXPECT_EQ(m_port.m_joined, "192.168.1.31:27015 as Ann Angler");
    EXPECT_EQ(m_dialog.GetResult(), tovSessionDialog::Result::kConnected);
}

// Typed names reach the dialog; Escape asks, and the box's Yes ends it as an exit.
TEST_F(tovSessionDialogViewTest, TypedFieldsAndTheExitQuestion)
{
    qrxTextEditor* field = m_view.GetField(tovSessionDialogView::kSessionField);
    m_view.OnKey(plat::kVkTab);
    ASSERT_TRUE(field->HasFocus());
    for (char c : std::string("Evening"))
        field->HandleMessage(plat::kMsgChar, static_cast<uintptr_t>(c), 0);
    Show();
    EXPECT_EQ(m_dialog.GetSessionName(), "Evening");
    m_view.OnKey(plat::kVkEscape);
    Show();
    EXPECT_TRUE(golden::MatchesGoldenImage("net_session_dialog_exit.png", Shown()));
    const plat::Rect yes = tovSessionDialogView::Place(60, 150, 50, 14);
    m_view.OnClick(yes.left + 5, yes.top + 5);
    EXPECT_EQ(m_dialog.GetResult(), tovSessionDialog::Result::kExited);
}

// An address typed into its field, dots and colon and all, joins the session there over the
// in-process network, where a session is found by its name (the host's reads as an address).
// Characters no address has are not taken, and a wrong address is told in the dialog.
TEST_F(tovSessionDialogViewTest, AnAddressTypedIntoItsFieldJoins)
{
    plat::LoopbackNetwork net;
    NetSessionSide host(net, "Ann");
    NetSessionSide guest(net, "Bo");
    ASSERT_TRUE(host.session->HostSession("127.0.0.1:28640", ""));
    LoopbackPort port(*guest.session, "Local network (UDP)", 0);
    tovSessionDialog dialog(port, "Bo");
    tovSessionDialogView view(dialog);
    dialog.SelectConnection(1);
    view.OnKey(plat::kVkTab);
    view.OnKey(plat::kVkTab);
    ASSERT_TRUE(view.GetField(tovSessionDialogView::kAddressField)->HasFocus());
    Type("127.0.0.1:");
    view.OnKey(plat::kVkReturn);
    Show(view);
    EXPECT_TRUE(golden::MatchesGoldenImage("net_session_dialog_address.png", Shown()));
    EXPECT_EQ(dialog.GetBoxText(), tovSessionDialog::kBadAddressText);
    view.OnKey(plat::kVkReturn);
    ASSERT_EQ(dialog.GetResult(), tovSessionDialog::Result::kOpen);
    Type("28 6/4_0@");
    view.OnKey(plat::kVkReturn);
    EXPECT_EQ(dialog.GetAddress(), "127.0.0.1:28640");
    ASSERT_EQ(dialog.GetResult(), tovSessionDialog::Result::kConnected) << dialog.GetBoxText();
    EXPECT_EQ(guest.session->GetSessionAddress(), "127.0.0.1:28640");
    EXPECT_TRUE(guest.session->IsSessionOpen());
}

// The runner: a click at the pointer, typed characters, and closing the window as an exit.
TEST_F(tovSessionDialogViewTest, RunnerTakesTheWindowsInput)
{
    tovSessionDialogRunner runner(m_window, &m_input,
                                  []
                                  {
                                      tovShellIFace::Present();
                                      return 20u;
                                  });
    const plat::Rect head = tovSessionDialogView::Place(6, 13, 229, 12);
    m_window.MoveCursor({head.left + 10, head.top + 5});
    // The window lost the focus (and the mouse with it) once and has it back.
    m_window.SetFocus(false);
    EXPECT_TRUE(runner.Frame(m_dialog, m_view));
    m_window.SetFocus(true);
    m_input.SetButton(0, true);
    EXPECT_TRUE(runner.Frame(m_dialog, m_view));
    m_input.SetButton(0, false);
    EXPECT_TRUE(runner.Frame(m_dialog, m_view));
    EXPECT_TRUE(m_view.IsConnectionListOpen());
    m_view.OnClick(head.left + 10, head.bottom + 1 + 14 + 5);
    m_window.PostMessage({plat::kMsgKeyDown, plat::kVkTab, 0, {}});
    for (char c : std::string("Dawn"))
        m_window.PostMessage({plat::kMsgChar, static_cast<uintptr_t>(c), 0, {}});
    EXPECT_TRUE(runner.Frame(m_dialog, m_view));
    EXPECT_EQ(m_dialog.GetSessionName(), "Dawn");
    EXPECT_TRUE(m_dialog.CanCreate());
    m_window.PostMessage({plat::kMsgDestroy, 0, 0, {}});
    EXPECT_EQ(runner.Run(m_dialog, m_view), tovSessionDialog::Result::kExited);
}

// The dialog's frames rest as the main loop's do: capped at 60 a second, what a frame leaves of
// its share and nothing after one that used it up; without a cap (--no-frame-cap), never.
TEST_F(tovSessionDialogViewTest, RunnerRestsAsTheMainLoopDoes)
{
    for (const int32_t cap : {qrxFramePacer::kWindowFramesPerSecond, 0})
    {
        SCOPED_TRACE(cap);
        qrxFramePacer pacer;
        pacer.SetCap(cap);
        std::vector<double> rests;
        pacer.SetRest(
            [&](double seconds)
            {
                rests.push_back(seconds);
                m_clock.AdvanceSeconds(seconds);
            });
        uint32_t frameMs = 0;
        tovSessionDialogRunner runner(
            m_window, &m_input,
            [&]
            {
                m_clock.AdvanceMs(frameMs);
                return frameMs;
            },
            &pacer);
        for (const uint32_t ms : {5u, 20u})
        {
            frameMs = ms;
            EXPECT_TRUE(runner.Frame(m_dialog, m_view));
        }
        const std::vector<double> expected = cap != 0 ? std::vector<double>{1.0 / 60.0 - 0.005} : std::vector<double>{};
        ASSERT_EQ(rests.size(), expected.size());
        for (size_t i = 0; i < rests.size(); ++i)
            EXPECT_NEAR(rests[i], expected[i], 1e-9);
    }
}

// The Player field follows the profiles screen's rule: it takes no 26th character, and a blank
// name neither creates nor joins. A longer name the dialog is given (an earlier build took 31)
// shows whole and is kept until the player edits it; an edit cuts it to the rule's length.
TEST_F(tovSessionDialogViewTest, ThePlayerFieldTakesTwentyFiveCharacters)
{
    qrxTextEditor* field = m_view.GetField(tovSessionDialogView::kPlayerField);
    ASSERT_TRUE(field->HasFocus());
    Type(" Bass Masters of Lake Tarn");
    Show();
    EXPECT_EQ(m_dialog.GetPlayerName(), "Ann Angler Bass Masters o");
    EXPECT_EQ(field->GetText(), m_dialog.GetPlayerName());
    m_dialog.SelectConnection(1);
    m_dialog.SetSessionName("Evening");
    field->SetText("   ");
    Show();
    EXPECT_FALSE(m_dialog.CanCreate());
    EXPECT_FALSE(m_dialog.CanJoin());

    const std::string given = "Annabelle Angler of Lake Tarn"; // 29 characters
    tovSessionDialog dialog(m_port, given);
    tovSessionDialogView view(dialog);
    qrxTextEditor* longField = view.GetField(tovSessionDialogView::kPlayerField);
    EXPECT_EQ(longField->GetText(), given);
    Type("x");
    Show(view);
    EXPECT_EQ(dialog.GetPlayerName(), given);
    dialog.SelectConnection(1);
    dialog.SetSessionName("Evening");
    EXPECT_TRUE(dialog.CanCreate()) << "kept whole while unedited";
    longField->HandleMessage(plat::kMsgKeyDown, plat::kVkBack, 0);
    Show(view);
    EXPECT_EQ(dialog.GetPlayerName(), given.substr(0, 25));
    EXPECT_EQ(longField->GetText(), given.substr(0, 25));
}

} // namespace
