// The framework on the real window backend, under SDL's dummy video driver: an application
// opens its window, makes a renderer on it and runs the loop for a few frames of a screen that
// draws a button and a text overlay, until the window is closed.

#include "FrameworkTestApp.h"
#include "HeadlessRenderer.h"

#include "qrxFloatingText.h"
#include "qrxScratchImage.h"

#include "QrD3DRender.h"
#include "QrDDContext.h"
#include "QrPoint3.h"
#include "QrRenderCreateParams.h"
#include "QrTestFixture.h"

#include "DisplayConfig.h"
#include "Font.h"
#include "SdlInputBackend.h"
#include "SdlWindowBackend.h"

#include <cstdlib>

namespace
{

class SmokeScreen : public TestScreen
{
public:
    SmokeScreen(std::vector<std::string>& log, QrRender* renderer, const plat::Font* font)
        : TestScreen("smoke", log), m_text(font, plat::kColorWhite)
    {
        m_renderer = renderer;
    }
    int32_t Update(float, float) override
    {
        ++m_frames;
        m_renderer->SetBackgroundColor(QrPoint3(0.2f, 0.3f, 0.4f));
        m_renderer->ClearBuffer(nullptr, 1);
        HandleMouse(m_renderer);
        m_text.DrawText(20, 20, "Tarnholm Lake", nullptr);
        m_renderer->DisplayFrame();
        return 0;
    }
    int m_frames = 0;

private:
    qrxFloatingText m_text;
};

class FrameworkSdlSmokeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        QrEngineTest::SetUp();
    }
};

TEST_F(FrameworkSdlSmokeTest, AnApplicationRunsItsLoopInARealWindowUntilClosed)
{
    plat::SdlWindowBackend window;
    plat::SdlInputBackend input(window);
    plat::DisplayConfig config;
    config.window = &window;
    plat::SetDisplayConfig(&config);
    QrDDContext::SetRenderWindow(&window);
    qrxInterface::SetInputWindow(&input, &window);
    qrxBaseApp::SetQuitFlag(false);
    std::vector<std::string> log;
    {
        TestApp app(&window, &input, log);
        ASSERT_TRUE(app.Init());
        ASSERT_TRUE(window.IsOpen());
        QrRenderCreateParams params;
        params.window = &window;
        params.flags = 9;
        QrPointer<QrD3DRender> renderer = QrD3DRender::Create(params);
        ASSERT_TRUE(renderer) << QrD3DRender::GetLastErrorText();
        qrxScratchImage::SetRenderer(renderer.Get());
        std::unique_ptr<plat::Font> font = plat::Font::Create("Verdana", 18, 400);
        ASSERT_TRUE(font);
        auto* screen = new SmokeScreen(log, renderer.Get(), font.get());
        ASSERT_TRUE(app.AddInterface(screen, 1));
        app.SwitchScreen(1);
        app.BeginRun();
        for (int pass = 0; pass < 50 && screen->m_frames < 5; ++pass)
            ASSERT_TRUE(app.RunOnce());
        EXPECT_GE(screen->m_frames, 5);
        window.PostMessage({plat::kMsgDestroy, 0, 0, {}});
        int passes = 0;
        while (app.RunOnce() && ++passes < 10)
        {
        }
        EXPECT_EQ(app.GetExitCode(), 0);
        EXPECT_EQ(app.GetCurrentScreen(), nullptr);
        qrxScratchImage::ReleaseRenderer();
        renderer = nullptr;
    }
    ReleaseRendererProgramState();
    qrxInterface::SetInputWindow(nullptr, nullptr);
    qrxBaseApp::SetQuitFlag(false);
}

} // namespace
