#include "ShellScreenFixture.h"

#include "tovMainMenuIFace.h"
#include "tovMessageBox.h"

namespace
{

using tovShellGoldenTest = ShellScreenTest;

// The main menu with the pointer over quick fish, then the quit question over it.
TEST_F(tovShellGoldenTest, MainMenuAndTheQuitQuestionOverIt)
{
    m_hooks.m_built = true;
    SwitchTo(8);
    m_window.MoveCursor({500, 50});
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("shell_main_menu.png", Shown()));
    ShowMessage(kMessageTwoAnswers, nullptr, 0, "Are you sure you want to quit?");
    m_window.MoveCursor({340, 320});
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("shell_quit_question.png", Shown()));
}

} // namespace
