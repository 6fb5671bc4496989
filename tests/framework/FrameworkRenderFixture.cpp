#include "FrameworkRenderFixture.h"

#include "HeadlessRenderer.h"

#include "qrxAssetCache.h"
#include "qrxScratchImage.h"

#include "QrDDContext.h"
#include "QrRawImageData.h"
#include "QrRenderCreateParams.h"

#include "Canvas.h"
#include "Font.h"

void FrameworkRenderTest::SetUp()
{
    FrameworkInputTest::SetUp();
    qrxBaseApp::SetQuitFlag(false);
    m_config.window = &m_window;
    plat::SetDisplayConfig(&m_config);
    QrDDContext::SetRenderWindow(&m_window);
    QrRenderCreateParams params;
    params.window = &m_window;
    params.flags = 9;
    params.mode = QrRenderCreateParams::kModeWindowed;
    m_renderer = QrD3DRender::Create(params);
    ASSERT_TRUE(m_renderer);
    qrxScratchImage::SetRenderer(m_renderer.Get());
    m_app = std::make_unique<TestApp>(&m_window, &m_input, m_log);
    ASSERT_TRUE(m_app->Init());
}

void FrameworkRenderTest::TearDown()
{
    m_app.reset();
    qrxScratchImage::ReleaseRenderer();
    qrxAssetCache::Get().Clear();
    m_renderer = nullptr;
    ReleaseRendererProgramState();
    FrameworkInputTest::TearDown();
}

QrPointer<QrImage> FrameworkRenderTest::Placeholder(int32_t width, int32_t height, uint32_t rgb, const char* label)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    raw->AllocatePixels(1, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    plat::PixelView view;
    view.pixels = raw->GetPixels();
    view.width = static_cast<uint32_t>(width);
    view.height = static_cast<uint32_t>(height);
    view.pitch = raw->GetRowBytes();
    view.format = plat::PixelFormat::Rgb888;
    plat::Canvas canvas(view);
    // The raw picture stores red first; the canvas's 24-bit format stores blue first.
    const plat::ColorRef fill = plat::MakeColorRef(rgb & 0xFF, (rgb >> 8) & 0xFF, rgb >> 16);
    canvas.Rectangle({0, 0, width, height}, plat::Pen{plat::MakeColorRef(230, 230, 230), 2}, true, fill);
    static std::unique_ptr<plat::Font> font = plat::Font::Create("Arial", 14, 700);
    if (font)
    {
        const plat::Size size = font->MeasureText(label);
        canvas.Text((width - size.width) / 2, (height - size.height) / 2, label, *font, plat::kColorWhite, fill);
    }
    return QrImage::CreateFromRawData(raw, 0);
}

golden::RgbImage FrameworkRenderTest::Shown() const
{
    return golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight());
}
