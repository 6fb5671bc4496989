#include "FrameworkInputFixture.h"
#include "FrameworkTestApp.h"

#include "qrxAssetCache.h"

#include "QrAction.h"

#include "KeyNumbers.h"

#include <algorithm>

namespace
{

class qrxBaseAppTest : public FrameworkInputTest
{
protected:
    void SetUp() override
    {
        FrameworkInputTest::SetUp();
        qrxBaseApp::SetQuitFlag(false);
        m_app = std::make_unique<TestApp>(&m_window, &m_input, m_log);
    }
    void TearDown() override
    {
        m_app.reset();
        qrxBaseApp::SetQuitFlag(false);
        FrameworkInputTest::TearDown();
    }
    TestScreen* AddScreen(const char* name, int32_t id)
    {
        auto* screen = new TestScreen(name, m_log);
        EXPECT_TRUE(m_app->AddInterface(screen, id));
        return screen;
    }
    // One pass of the loop after the clock moved by ms.
    void Frame(uint32_t ms)
    {
        m_clock.AdvanceMs(ms);
        ASSERT_TRUE(m_app->RunOnce());
    }
    bool Logged(const std::string& line) const { return std::find(m_log.begin(), m_log.end(), line) != m_log.end(); }

    std::vector<std::string> m_log;
    std::unique_ptr<TestApp> m_app;
};

TEST_F(qrxBaseAppTest, FramesStepTheCurrentScreenAndSwitchOnItsAnswer)
{
    ASSERT_TRUE(m_app->Init());
    TestScreen* menu = AddScreen("menu", 1);
    TestScreen* game = AddScreen("game", 2);
    m_app->BeginRun();
    Frame(10);
    EXPECT_TRUE(m_log.empty()) << "no frame step without a current screen";
    m_app->SwitchScreen(1);
    m_log.clear();
    menu->m_nextScreen = 2;
    Frame(10);
    const std::vector<std::string> expected = {"menu.PreUpdate", "menu.Update", "menu.Leave 1",
                                               "game.Prepare 1", "menu.Exit 2", "game.Enter 1"};
    EXPECT_EQ(m_log, expected);
    EXPECT_EQ(m_app->GetCurrentScreen(), game);
    // With input skipped the screen still updates and may still switch.
    m_log.clear();
    game->m_nextScreen = 1;
    m_app->OnIdle(m_app->GetTime(), 0.01, true);
    EXPECT_EQ(m_log.front(), "game.Update");
    EXPECT_EQ(m_app->GetCurrentScreenId(), 1);
    // An inactive application does nothing.
    m_log.clear();
    m_window.SetFocus(false);
    Frame(0);
    Frame(10);
    EXPECT_TRUE(m_log.empty());
    // Unless it keeps running without the focus.
    m_app->m_runsWhileInactive = true;
    Frame(10);
    EXPECT_TRUE(Logged("menu.Update"));
}

TEST_F(qrxBaseAppTest, FrameRateIsTakenOnlyAfterMoreThanASecond)
{
    m_app->BeginRun();
    // 59 frames within the first second, the 60th at 1.02 s: 59 / 1.02 + 0.5 -> 58.
    for (int i = 0; i < 59; ++i)
        Frame(16);
    EXPECT_EQ(m_app->GetFramesPerSecond(), 0);
    Frame(76);
    EXPECT_EQ(m_app->GetFramesPerSecond(), 58);
    // Exactly one more second does not close the window; the next frame does.
    for (int i = 0; i < 40; ++i)
        Frame(25);
    EXPECT_EQ(m_app->GetFramesPerSecond(), 58);
    Frame(25);
    EXPECT_EQ(m_app->GetFramesPerSecond(), 40);
}

// A screen whose frame takes a set time on the test's clock.
class TimedScreen : public TestScreen
{
public:
    TimedScreen(plat::ManualClock& clock, std::vector<std::string>& log) : TestScreen("timed", log), m_clock(clock) {}
    int32_t Update(float now, float elapsed) override
    {
        m_clock.AdvanceMs(m_frameMs);
        return TestScreen::Update(now, elapsed);
    }
    plat::ManualClock& m_clock;
    uint32_t m_frameMs = 0;
};

// Capped at 60 a second, the loop rests what each frame leaves of its share, and nothing after
// a frame that used it up. The rest moves the test's clock as a sleep moves the real one.
TEST_F(qrxBaseAppTest, ACappedLoopRestsWhatAFrameLeavesOfItsShare)
{
    ASSERT_TRUE(m_app->Init());
    auto* screen = new TimedScreen(m_clock, m_log);
    ASSERT_TRUE(m_app->AddInterface(screen, 1));
    m_app->SwitchScreen(1);
    m_app->GetPacer().SetCap(60);
    m_app->GetPacer().SetRest([this](double seconds) { m_clock.AdvanceSeconds(seconds); });
    m_app->BeginRun();
    for (const auto& [frameMs, pause] : {std::pair<uint32_t, double>{5, 1.0 / 60.0 - 0.005}, {20, 0.0}})
    {
        screen->m_frameMs = frameMs;
        ASSERT_TRUE(m_app->RunOnce());
        EXPECT_NEAR(m_app->GetLastPause(), pause, 1e-9) << frameMs;
    }
}

TEST_F(qrxBaseAppTest, DestroyDeletesTheScreensAndLeavesNoneCurrent)
{
    ASSERT_TRUE(m_app->Init());
    AddScreen("menu", 1);
    m_app->SwitchScreen(1);
    m_app->BeginRun();
    m_window.RequestClose();
    m_window.RequestPaint();
    // The destroy, the paint, then the quit message that ends the loop.
    EXPECT_FALSE(m_app->RunOnce());
    EXPECT_TRUE(Logged("Shutdown"));
    EXPECT_FALSE(Logged("menu.OnPaint")) << "a paint after destruction reaches no deleted screen";
    EXPECT_EQ(m_app->GetCurrentScreen(), nullptr);
    EXPECT_EQ(m_app->GetInterface(1), nullptr);
    EXPECT_EQ(m_app->GetExitCode(), 0);
    EXPECT_TRUE(qrxBaseApp::GetQuitFlag());
    EXPECT_EQ(m_app->Run(), 0) << "a loop that finds the quit flag set returns at once";
}

TEST_F(qrxBaseAppTest, MessagesReachTheirHandlers)
{
    ASSERT_TRUE(m_app->Init());
    AddScreen("menu", 1);
    m_app->SwitchScreen(1);
    m_window.InjectKeyDown(plat::kKeyQ);
    m_window.RequestPaint();
    m_app->SetDrawnCursor(true);
    m_window.ShowSystemCursor(true);
    m_window.MoveCursor({100, 100});
    m_app->BeginRun();
    EXPECT_TRUE(m_app->RunOnce());
    EXPECT_TRUE(Logged("OnKeyDown 81"));
    EXPECT_TRUE(Logged("menu.OnPaint"));
    EXPECT_FALSE(m_window.SystemCursorVisible()) << "the drawn cursor hides the system one";
}

TEST_F(qrxBaseAppTest, ScreensAndCursorImagesKeepTheirFirstSetting)
{
    auto* first = new TestScreen("first", m_log);
    TestScreen second("second", m_log);
    EXPECT_TRUE(m_app->AddInterface(first, 3));
    EXPECT_FALSE(m_app->AddInterface(&second, 3));
    EXPECT_EQ(m_app->GetInterface(3), first);

    m_app->SetCursorBitmap(5, nullptr);
    m_app->SelectCursor(0, true);
    m_window.ShowSystemCursor(false);
    m_app->SetCursorVisible(true);
    EXPECT_FALSE(m_window.SystemCursorVisible()) << "an unchanged value does not touch the system cursor";
    m_app->SetCursorVisible(false);
    EXPECT_FALSE(m_window.SystemCursorVisible());
    m_app->SetCursorVisible(true);
    EXPECT_TRUE(m_window.SystemCursorVisible());
}

} // namespace
