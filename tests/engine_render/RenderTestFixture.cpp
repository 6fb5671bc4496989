#include "RenderTestFixture.h"

#include "HeadlessRenderer.h"

#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrImage.h"

#include <algorithm>

void QrRenderTest::SetUp()
{
    QrEngineTest::SetUp();
    m_window.Open(plat::WindowDesc{"renderer test", 640, 480});
    m_config.injector = &m_injector;
    m_config.callLog = &m_calls;
    m_config.window = &m_window;
    plat::SetDisplayConfig(&m_config);
    plat::SetDebugSink(&m_sink);
    QrDDContext::SetRenderWindow(&m_window);
    QrD3DDevice::Log(nullptr, true);
    m_sink.Clear();
}

void QrRenderTest::TearDown()
{
    ReleaseRendererProgramState();
    plat::SetDebugSink(nullptr);
    QrEngineTest::TearDown();
}

QrRenderCreateParams QrRenderTest::Windowed(uint32_t flags)
{
    QrRenderCreateParams params;
    params.window = &m_window;
    params.flags = flags;
    params.mode = QrRenderCreateParams::kModeWindowed;
    return params;
}

QrRenderCreateParams QrRenderTest::FullScreen(uint32_t flags, uint32_t width, uint32_t height)
{
    QrRenderCreateParams params;
    params.window = &m_window;
    params.flags = flags;
    params.width = width;
    params.height = height;
    params.mode = QrRenderCreateParams::kModeFullScreen;
    return params;
}

QrPointer<QrD3DRender> QrRenderTest::Create(const QrRenderCreateParams& params)
{
    return QrD3DRender::Create(params);
}

QrD3DDriver& QrRenderTest::Driver(QrD3DRender& renderer)
{
    return *renderer.GetDriver();
}

QrD3DDevice& QrRenderTest::Device(QrD3DRender& renderer)
{
    return *renderer.GetDriver()->GetDevice();
}

QrDDContext& QrRenderTest::Context(QrD3DRender& renderer)
{
    return *renderer.GetDriver()->GetDevice()->GetContext();
}

bool QrRenderTest::OutputHas(const std::string& line) const
{
    return OutputIndex(line) >= 0;
}

int QrRenderTest::OutputIndex(const std::string& line) const
{
    const std::vector<std::string> lines = m_sink.Lines();
    const auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}
