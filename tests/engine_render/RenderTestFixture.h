#pragma once
// Fixture of the renderer tests: a headless window, a display configuration with a failure
// injector and a call log, and a recording debug sink, all installed program-wide for the
// test and taken down after it together with every program-wide slot of the renderer.

#include "CallLog.h"
#include "DebugOutput.h"
#include "DisplayConfig.h"
#include "FailureInjector.h"
#include "HeadlessWindowBackend.h"
#include "QrD3DRender.h"
#include "QrRenderCreateParams.h"
#include "QrTestFixture.h"

#include <string>
#include <vector>

class QrD3DDevice;
class QrD3DDriver;
class QrDDContext;

class QrRenderTest : public QrEngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A windowed block for the test window; the game passes flags 9 or 11.
    QrRenderCreateParams Windowed(uint32_t flags = 9);
    QrRenderCreateParams FullScreen(uint32_t flags = 9, uint32_t width = 640, uint32_t height = 480);
    QrPointer<QrD3DRender> Create(const QrRenderCreateParams& params);

    static QrD3DDriver& Driver(QrD3DRender& renderer);
    static QrD3DDevice& Device(QrD3DRender& renderer);
    static QrDDContext& Context(QrD3DRender& renderer);

    // The debugger output since the last ClearOutput.
    std::vector<std::string> Output() const { return m_sink.Lines(); }
    void ClearOutput() { m_sink.Clear(); }
    bool OutputHas(const std::string& line) const;
    // Position of a line in the output, or -1.
    int OutputIndex(const std::string& line) const;

    plat::DisplayConfig m_config;
    plat::FailureInjector m_injector;
    plat::CallLog m_calls;
    plat::HeadlessWindowBackend m_window;
    plat::RecordingDebugSink m_sink;
};
