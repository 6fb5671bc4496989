#include "FrameworkInputFixture.h"
#include "FrameworkTestApp.h"

namespace
{

class qrxInterfaceTest : public FrameworkInputTest
{
protected:
    void SetUp() override
    {
        FrameworkInputTest::SetUp();
        qrxBaseApp::SetQuitFlag(false);
        m_app = std::make_unique<TestApp>(&m_window, &m_input, m_log);
        ASSERT_TRUE(m_app->Init());
        m_menu = new TestScreen("menu", m_log);
        m_app->AddInterface(m_menu, 1);
        m_app->AddInterface(new TestScreen("game", m_log), 2);
        m_go = new GoButton(2);
        m_go->SetRect(100, 100, 200, 140);
        m_go->m_userValue = reinterpret_cast<uintptr_t>(m_menu);
        ASSERT_TRUE(m_menu->AddButton(m_go, 7));
        m_app->SwitchScreen(1);
        m_app->BeginRun();
    }
    void TearDown() override
    {
        m_app.reset();
        FrameworkInputTest::TearDown();
    }
    void Frame()
    {
        m_clock.AdvanceMs(20);
        m_app->RunOnce();
    }

    std::vector<std::string> m_log;
    std::unique_ptr<TestApp> m_app;
    TestScreen* m_menu = nullptr;
    GoButton* m_go = nullptr;
};

TEST_F(qrxInterfaceTest, APressAndReleaseOnAButtonSwitchesScreens)
{
    m_window.MoveCursor({150, 120});
    Frame();
    m_input.SetButton(0, true);
    Frame();
    EXPECT_EQ(m_menu->GetCaptureBits(), qrxInterface::kCaptureLeft);
    EXPECT_EQ(m_app->GetCurrentScreenId(), 1);
    // Dragged off and back before the release still clicks.
    m_window.MoveCursor({300, 300});
    Frame();
    m_window.MoveCursor({150, 120});
    Frame();
    m_input.SetButton(0, false);
    Frame();
    EXPECT_EQ(m_go->m_clicks, 1);
    EXPECT_EQ(m_menu->GetCaptureBits(), 0u);
    EXPECT_EQ(m_app->GetCurrentScreenId(), 2);
}

TEST_F(qrxInterfaceTest, AReleaseOutsideDoesNotClick)
{
    m_window.MoveCursor({150, 120});
    m_input.SetButton(0, true);
    Frame();
    m_window.MoveCursor({10, 10});
    m_input.SetButton(0, false);
    Frame();
    EXPECT_EQ(m_go->m_clicks, 0);
    EXPECT_EQ(m_app->GetCurrentScreenId(), 1);
}

TEST_F(qrxInterfaceTest, APressOnOneMouseButtonBlocksTheOther)
{
    ButtonObj other;
    other.SetRect(0, 0, 50, 50);
    EXPECT_TRUE(m_menu->RouteMouseMessage(qrxInterface::kRightDown, 10, 10, &other, nullptr));
    EXPECT_FALSE(m_menu->RouteMouseMessage(qrxInterface::kLeftDown, 10, 10, &other, nullptr))
        << "a left press while the right is held is refused";
    EXPECT_EQ(m_menu->GetCaptureBits(), qrxInterface::kCaptureLeft | qrxInterface::kCaptureRight);
    EXPECT_TRUE(m_menu->RouteMouseMessage(qrxInterface::kRightUp, 10, 10, &other, nullptr));
    EXPECT_TRUE(m_menu->RouteMouseMessage(qrxInterface::kLeftUp, 10, 10, &other, nullptr));
    EXPECT_EQ(m_menu->GetCaptureBits(), 0u);
    EXPECT_FALSE(m_menu->RouteMouseMessage(qrxInterface::kLeftDown, 10, 10, nullptr, nullptr));
    GoButton duplicate(3);
    EXPECT_FALSE(m_menu->AddButton(&duplicate, 7)) << "an id already present keeps its first button";
    EXPECT_EQ(m_menu->GetButton(7), m_go);
}

} // namespace
