#pragma once
// The shell's screens as the game runs them, headless: a window with scripted input and a
// manual clock, the software renderer and a display on it, the generated main pack, a game
// session, and an application that switches screens as the game does. Screens a test does not
// look into are stand-ins that only clear the frame.

#include "tovAppServices.h"
#include "tovGameSession.h"
#include "tovSessionHooks.h"
#include "tovShellIFace.h"

#include "GoldenImage.h"
#include "QrD3DRender.h"
#include "QrDisplay.h"
#include "QrTestFixture.h"
#include "TestFiles.h"
#include "qrxBaseApp.h"

#include "Clock.h"
#include "DebugOutput.h"
#include "DisplayConfig.h"
#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"

#include <memory>
#include <string>
#include <vector>

class ResourcePack;

class ShellTestApp : public qrxBaseApp
{
public:
    ShellTestApp(plat::WindowBackend* window, plat::InputBackend* input) : qrxBaseApp(window, input, "")
    {
        m_fullScreen = 0;
    }
    void SwitchScreen(int32_t id) override;
    void Shutdown() override { ++m_shutdowns; }
    int m_shutdowns = 0;
};

// A screen the tests only switch to and from: it clears the frame and stays.
class StandInScreen : public tovShellIFace
{
public:
    void Prepare(int32_t) override {}
    void Enter(int32_t) override { m_nextScreen = 0; }
    void Leave(int32_t) override {}
    void Exit(int32_t) override {}
    int32_t Update(float now, float elapsed) override;
};

class ShellServices : public tovNullAppServices
{
public:
    QrRender* GetRenderer() override { return m_renderer; }
    QrDisplay* GetDisplay() override { return m_display; }
    ResourcePack* GetMainPack() override { return m_pack; }
    void ReportSessionRefusal(const char* text) override { m_refusals.emplace_back(text); }
    void PostTextToMainWindow(const char* text) override { m_posted.emplace_back(text); }
    QrRender* m_renderer = nullptr;
    QrDisplay* m_display = nullptr;
    ResourcePack* m_pack = nullptr;
    std::vector<std::string> m_refusals;
    std::vector<std::string> m_posted;
};

class WorldHooks : public tovNullFishingModeHooks
{
public:
    bool IsWorldBuilt() override { return m_built; }
    bool m_built = false;
};

class ShellScreenTest : public QrEngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Screens of later work that replace stand-ins, added before them.
    virtual void AddMoreScreens() {}

    // One frame after the clock moves on.
    void Frame(uint32_t ms = 20);
    // Moves the pointer onto the button's corner and clicks it over three frames.
    void ClickAt(int32_t x, int32_t y);
    void SwitchTo(int32_t id) { m_app->SwitchScreen(id); }
    int32_t Current() const { return m_app->GetCurrentScreenId(); }
    golden::RgbImage Shown() const;

    plat::HeadlessWindowBackend m_window;
    plat::HeadlessInputBackend m_input{m_window};
    plat::ManualClock m_clock{1'000'000'000ull};
    plat::RecordingDebugSink m_log;
    plat::DisplayConfig m_config;
    testfiles::TempDir m_dir;
    QrPointer<QrD3DRender> m_renderer;
    QrPointer<QrDisplay> m_display;
    ResourcePack* m_pack = nullptr;
    ShellServices m_services;
    WorldHooks m_hooks;
    std::unique_ptr<tovGameSession> m_session;
    std::unique_ptr<ShellTestApp> m_app;
};
