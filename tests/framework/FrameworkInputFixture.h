#pragma once
// A headless window with the focus, its scripted mouse and keyboard, and a manual clock,
// installed as what screens connect their input to.

#include "qrxInterface.h"

#include "QrTestFixture.h"

#include "Clock.h"
#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"

class FrameworkInputTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_window.Open(plat::WindowDesc{"framework test", 640, 480});
        plat::SetCurrentClock(&m_clock);
        qrxInterface::SetInputWindow(&m_input, &m_window);
    }
    void TearDown() override
    {
        qrxInterface::SetInputWindow(nullptr, nullptr);
        plat::SetCurrentClock(nullptr);
        QrEngineTest::TearDown();
    }

    plat::HeadlessWindowBackend m_window;
    plat::HeadlessInputBackend m_input{m_window};
    plat::ManualClock m_clock{1'000'000'000ull};
};
