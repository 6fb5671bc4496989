#pragma once
// The real application on the sample data in a headless window, its clock in the test's hand: a
// frame pumps the window's messages, steps the clock a thirtieth of a second and runs the app once.

#include "tovApp.h"
#include "tovProgramEnvironment.h"

#include "SoundManager.h"
#include "qrxInterface.h"

#include "Clock.h"
#include "DebugOutput.h"
#include "HeadlessAudioOutput.h"
#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <memory>

class tovScreenTable;

class HeadlessAppTest : public QrEngineTest
{
protected:
    // Starts the app on `firstScreen` with the screen table (null: the game's).
    void StartApp(int32_t firstScreen, const tovScreenTable* table = nullptr)
    {
        plat::SetDebugSink(&m_quiet);
        plat::SetCurrentClock(&m_clock);
        SetSoundOutputFactory([] { return std::unique_ptr<plat::AudioOutput>(new plat::HeadlessAudioOutput); });
        m_options.dataDir = testfiles::DataDir();
        m_options.userDir = m_dir.File("user");
        m_environment = std::make_unique<tovProgramEnvironment>(m_options);
        m_app = std::make_unique<tovApp>(&m_window, &m_input, table);
        m_app->SetDataFolder(m_options.dataDir);
        m_app->SetFirstScreen(firstScreen);
        ASSERT_TRUE(m_app->Init());
    }
    void TearDown() override
    {
        m_app.reset();
        m_environment.reset();
        qrxInterface::SetInputWindow(nullptr, nullptr);
        SetSoundOutputFactory(nullptr);
        plat::SetCurrentClock(nullptr);
        plat::SetDebugSink(nullptr);
        QrEngineTest::TearDown();
    }

    void Frame()
    {
        plat::WindowMessage message;
        while (m_window.PollMessage(message))
            m_app->WindowProc(message);
        m_clock.AdvanceMs(33);
        ASSERT_TRUE(m_app->RunOnce());
    }

    testfiles::TempDir m_dir;
    plat::RecordingDebugSink m_quiet;
    plat::ManualClock m_clock{1'000'000'000ull};
    tovAppOptions m_options;
    plat::HeadlessWindowBackend m_window;
    plat::HeadlessInputBackend m_input{m_window};
    std::unique_ptr<tovProgramEnvironment> m_environment;
    std::unique_ptr<tovApp> m_app;
};
