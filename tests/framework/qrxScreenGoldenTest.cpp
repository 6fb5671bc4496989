#include "FrameworkRenderFixture.h"

#include "FrameRateMeter.h"
#include "qrxFloatingText.h"
#include "qrxRect.h"
#include "qrxRoundGauge.h"
#include "qrxTextEditor.h"

#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrPoint3.h"

#include "Font.h"
#include "WindowMessage.h"

namespace
{

// A menu-like screen: five buttons, a text overlay, an outlined box, a gauge, a text field,
// the frame-rate digits over an empty 3D view and the drawn cursor.
class GoldenScreen : public TestScreen
{
public:
    GoldenScreen(std::vector<std::string>& log, QrRender* renderer, const plat::Font* font)
        : TestScreen("golden", log), m_text(font, plat::MakeColorRef(255, 220, 120)),
          m_box(380, 60, 600, 130, plat::MakeColorRef(120, 200, 255)), m_gauge(440, 200, 560, 320),
          m_editor(font, plat::kColorWhite, 60, 400)
    {
        m_renderer = renderer;
        m_display = new QrDisplay;
        m_display->SetRenderer(renderer);
        m_camera = new QrCamera;
        m_camera->SetDisplay(m_display.Get());
        m_meter.SetLayout(0.02f, 0.02f, 0.03f, 0.06f, 0.006f);
        m_meter.SetColor(0.7f, 0.9f, 0.7f, 1.0f);
        m_meter.Create(true);
        m_meter.AttachTo(m_camera.Get());
        m_editor.m_maxLength = 15;
    }
    ~GoldenScreen() override
    {
        m_meter.Destroy();
        m_display->SetRenderer(nullptr);
    }

    int32_t Update(float now, float elapsed) override
    {
        m_renderer->SetBackgroundColor(QrPoint3(0.1f, 0.25f, 0.3f));
        m_renderer->ClearBuffer(nullptr, 3);
        m_renderer->BeginFrame();
        m_meter.Sample();
        m_meter.Draw();
        m_camera->RenderFrame(now, elapsed);
        HandleMouse(m_renderer);
        m_text.DrawText(380, 20, "Largemouth Bass 4 lb 12 oz", nullptr);
        m_text.DrawBoxedText(390, 66, 590, 126, "Weigh-in at the dock before sundown", nullptr);
        m_box.Draw();
        m_gauge.DrawValue(0.75f);
        m_gauge.DrawPointer(-30.0f);
        m_editor.Draw();
        qrxBaseApp::GetCurrentApp()->DrawCursor(m_renderer);
        m_renderer->DisplayFrame();
        return 0;
    }

    qrxTextEditor& Editor() { return m_editor; }

private:
    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
    FrameRateMeter m_meter;
    qrxFloatingText m_text;
    qrxRect m_box;
    qrxRoundGauge m_gauge;
    qrxTextEditor m_editor;
};

class qrxScreenGoldenTest : public FrameworkRenderTest
{
protected:
    void SetUp() override
    {
        FrameworkRenderTest::SetUp();
        m_font = plat::Font::Create("Verdana", 18, 400);
        ASSERT_TRUE(m_font);
        m_screen = new GoldenScreen(m_log, m_renderer.Get(), m_font.get());
        ASSERT_TRUE(m_app->AddInterface(m_screen, 1));
        QrPointer<QrImage> normal = Placeholder(120, 40, 0x305080, "Normal");
        QrPointer<QrImage> hover = Placeholder(120, 40, 0x4070B0, "Hover");
        QrPointer<QrImage> pressed = Placeholder(120, 40, 0x203050, "Pressed");
        QrPointer<QrImage> selected = Placeholder(120, 40, 0x806020, "Selected");
        QrPointer<QrImage> disabled = Placeholder(120, 40, 0x505050, "Disabled");
        for (int i = 0; i < 5; ++i)
        {
            auto* button = new GoButton(0);
            button->SetRect(40, 60 + i * 56, 160, 100 + i * 56);
            button->SetPicture(ButtonObj::kNormal, normal.Get());
            button->SetPicture(ButtonObj::kHighlight, hover.Get());
            button->SetPicture(ButtonObj::kPressed, pressed.Get());
            button->SetPicture(ButtonObj::kSelected, selected.Get());
            button->SetPicture(ButtonObj::kDisabled, disabled.Get());
            button->m_userValue = reinterpret_cast<uintptr_t>(m_screen);
            m_buttons[i] = button;
            m_screen->AddButton(button, i);
        }
        m_buttons[3]->SetSelected(true);
        m_buttons[4]->m_disabled = 1;
        m_cursor = Placeholder(16, 20, 0xE0E0E0, "");
        m_app->SetCursorBitmap(0, m_cursor.Get());
        m_app->m_hotSpots[0] = {1, 2};
        m_app->SetDrawnCursor(true);
        m_app->SelectCursor(0, true);
        m_caret = Placeholder(10, 3, 0xFFFFFF, "");
        m_app->m_spareImage = m_caret;
        m_app->SwitchScreen(1);
        m_app->BeginRun();
    }
    void TearDown() override
    {
        m_cursor = nullptr;
        m_caret = nullptr;
        FrameworkRenderTest::TearDown();
        m_font.reset();
    }
    void Frame(uint32_t ms = 20)
    {
        m_clock.AdvanceMs(ms);
        m_app->RunOnce();
    }

    std::unique_ptr<plat::Font> m_font;
    GoldenScreen* m_screen = nullptr;
    GoButton* m_buttons[5] = {};
    QrPointer<QrImage> m_cursor;
    QrPointer<QrImage> m_caret;
};

TEST_F(qrxScreenGoldenTest, HoverOverAButton)
{
    m_window.MoveCursor({100, 136});
    Frame();
    Frame();
    EXPECT_EQ(m_buttons[1]->m_hover, 1);
    EXPECT_TRUE(golden::MatchesGoldenImage("framework_screen_hover.png", Shown()));
}

TEST_F(qrxScreenGoldenTest, PressedButtonOverlaysDigitsAndCursor)
{
    m_screen->Editor().SetFocus();
    for (const char* c = "Dock 7"; *c; ++c)
        m_window.Queue().Post({plat::kMsgChar, static_cast<uintptr_t>(*c), 0, {}});
    // 20 ms frames for the frame-rate digits: 50 once twenty frames are in.
    m_window.MoveCursor({100, 192});
    for (int i = 0; i < 22; ++i)
        Frame();
    m_input.SetButton(0, true);
    Frame();
    EXPECT_EQ(m_buttons[2]->m_leftTracking, 1);
    EXPECT_TRUE(golden::MatchesGoldenImage("framework_screen_pressed.png", Shown()));
    m_input.SetButton(0, false);
    Frame();
    EXPECT_EQ(m_buttons[2]->m_clicks, 1);
}

} // namespace
