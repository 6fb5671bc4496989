#include "HeadlessWindowBackend.h"
#include "KeyNumbers.h"

#include "DrainMessages.h"

#include <gtest/gtest.h>

#include <vector>

using namespace plat;

using testwindow::DrainMessages;

TEST(WindowMessageQueue, DeliversInPostedOrderWithQuitLastAndTheTextOwned)
{
    HeadlessWindowBackend window;
    ASSERT_TRUE(window.Open({"Queue", 640, 480}));
    EXPECT_FALSE(window.HasPendingMessages());

    window.PostQuit(-3); // asked first, delivered after everything else
    window.InjectKeyDown(kKeyEscape);
    {
        std::string line = "a posted line, longer than any small-string buffer would hold";
        WindowMessage posted;
        posted.message = kMsgPostedText;
        posted.lParam = 1;
        posted.text = line;
        window.PostMessage(std::move(posted));
        line.assign(line.size(), 'x'); // the sender's copy may go or change
    }
    window.InjectText("h\xE9!\n"); // non-ASCII and control characters are dropped
    window.RequestClose();

    const std::vector<WindowMessage> got = DrainMessages(window);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0].message, kMsgKeyDown);
    EXPECT_EQ(got[0].wParam, kVkEscape);
    EXPECT_EQ(got[0].lParam, 1 | (1 << 16));
    EXPECT_EQ(got[1].message, kMsgPostedText);
    EXPECT_EQ(got[1].text, "a posted line, longer than any small-string buffer would hold");
    EXPECT_EQ(got[2].message, kMsgChar);
    EXPECT_EQ(got[2].wParam, uintptr_t{'h'});
    EXPECT_EQ(got[3].wParam, uintptr_t{'!'});
    EXPECT_EQ(got[4].message, kMsgDestroy);
    EXPECT_EQ(got[5].message, kMsgQuit);
    EXPECT_EQ(static_cast<int32_t>(got[5].wParam), -3);
    EXPECT_FALSE(window.HasPendingMessages()); // the quit message is delivered once
}

TEST(WindowMessageQueue, ExtendedKeysCarryTheirFlagAndRepeatsTheirBit)
{
    HeadlessWindowBackend window;
    ASSERT_TRUE(window.Open({"Keys", 640, 480}));
    window.InjectKeyDown(kKeyDelete);
    window.InjectKeyDown(kKeyKeypad5, true);
    window.InjectKeyDown(0x54); // a number no key has: nothing
    const std::vector<WindowMessage> got = DrainMessages(window);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].wParam, kVkDelete);
    EXPECT_EQ(got[0].lParam, 1 | (0x53 << 16) | (1 << 24));
    EXPECT_EQ(got[1].wParam, kVkNumpad0 + 5);
    EXPECT_EQ(got[1].lParam, 1 | (76 << 16) | kKeyDownRepeatBit);
}

TEST(WindowMessageQueue, FocusPointerAndBoxesOfTheHeadlessWindow)
{
    HeadlessWindowBackend window;
    ASSERT_TRUE(window.Open({"Focus", 640, 480}));
    window.SetFocus(true); // unchanged: nothing
    window.SetFocus(false);
    window.MoveCursor({700, 10}); // outside the client area: no set-cursor
    window.MoveCursor({639, 479});
    std::vector<WindowMessage> got = DrainMessages(window);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, kMsgActivateApp);
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[1].message, kMsgSetCursor);
    EXPECT_EQ(window.CursorPosition(), (Point{639, 479}));
    EXPECT_FALSE(window.HasFocus());

    // Unanswered boxes give the answer that cannot loop: OK, Yes, Cancel.
    window.QueueMessageBoxAnswer(MessageBoxAnswer::Retry);
    EXPECT_EQ(window.ShowMessageBox("T", "disc?", MessageBoxButtons::RetryCancel, MessageBoxIcon::None),
              MessageBoxAnswer::Retry);
    EXPECT_EQ(window.ShowMessageBox("T", "disc?", MessageBoxButtons::RetryCancel, MessageBoxIcon::None),
              MessageBoxAnswer::Cancel);
    EXPECT_EQ(window.ShowMessageBox("Error", "sound?", MessageBoxButtons::YesNo, MessageBoxIcon::Warning),
              MessageBoxAnswer::Yes);
    ASSERT_EQ(window.MessageBoxes().size(), 3u);
    EXPECT_EQ(window.MessageBoxes()[2].text, "sound?");
    EXPECT_EQ(window.MessageBoxes()[2].icon, MessageBoxIcon::Warning);
}
