// One frame of the renderer: clears with rectangles counted upward, scenes, presenting into the
// window (and restoring lost surfaces instead), image blits onto the back buffer, and the
// queries around them.

#include "RenderTestFixture.h"

#include "Display.h"
#include "GoldenImage.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrDDBufferImage.h"
#include "QrDDContext.h"
#include "QrPixelFormat.h"
#include "QrPlane.h"
#include "QrPoint3.h"
#include "QrRect.h"
#include "QrRenderCode.h"
#include "QrTextureManager.h"
#include "Surface.h"
#include "TestFiles.h"

#include <functional>

namespace
{

constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kBlue = 0x001F;

class QrD3DRenderFrameTest : public QrRenderTest
{
protected:
    void Open(uint32_t flags = 9)
    {
        m_renderer = Create(Windowed(flags));
        ASSERT_TRUE(m_renderer);
        m_calls.Clear();
    }
    void TearDown() override
    {
        m_renderer = nullptr;
        QrRenderTest::TearDown();
    }

    plat::Surface& Back() { return *Context(*m_renderer).GetBackSurface(); }
    static uint16_t Pixel(const plat::Surface& surface, uint32_t x, uint32_t y)
    {
        const plat::PixelView view = surface.View();
        return static_cast<uint16_t>(plat::ReadPixel(view.Row(y) + x * 2, 2));
    }
    void ClearTo(float r, float g, float b)
    {
        m_renderer->SetBackgroundColor(QrPoint3(r, g, b));
        ASSERT_EQ(m_renderer->ClearBuffer(nullptr, 1), 0u);
    }
    // An RGB565 picture in system memory wrapped as a renderer image.
    QrPointer<QrDDBufferImage> Picture(uint32_t width, uint32_t height,
                                       const std::function<uint16_t(uint32_t, uint32_t)>& pixel)
    {
        plat::SurfaceDesc desc;
        desc.width = width;
        desc.height = height;
        desc.caps = plat::kCapsOffscreenPlain | plat::kCapsSystemMemory;
        desc.format = plat::PixelFormat::Rgb565;
        std::shared_ptr<plat::Surface> surface;
        EXPECT_EQ(Context(*m_renderer).GetDisplay()->CreateSurface(desc, surface), plat::Result::Ok);
        const plat::PixelView view = surface->View();
        for (uint32_t y = 0; y < height; ++y)
        {
            for (uint32_t x = 0; x < width; ++x)
                plat::WritePixel(view.Row(y) + x * 2, 2, pixel(x, y));
        }
        return QrDDBufferImage::Create(surface);
    }

    QrPointer<QrD3DRender> m_renderer;
};

TEST_F(QrD3DRenderFrameTest, ClearRectanglesCountRowsFromTheBottom)
{
    Open();
    ClearTo(1.0f, 0.0f, 0.0f);
    m_renderer->SetBackgroundColor(QrPoint3(0.0f, 0.0f, 1.0f));
    const QrRect rect{10, 20, 50, 30}; // left, right, top, bottom
    ASSERT_EQ(m_renderer->ClearBuffer(&rect, 1), 0u);
    for (uint32_t y : {429u, 430u, 449u, 450u})
    {
        for (uint32_t x : {9u, 10u, 19u, 20u})
        {
            SCOPED_TRACE(::testing::Message() << x << ", " << y);
            const bool inside = x >= 10 && x < 20 && y >= 430 && y < 450;
            EXPECT_EQ(Pixel(Back(), x, y), inside ? kBlue : kRed);
        }
    }
}

TEST_F(QrD3DRenderFrameTest, ClearFlagsAndTheDepthBuffer)
{
    Open(8);
    // No depth buffer: a depth clear clears nothing, a combined one only the colour.
    EXPECT_EQ(m_renderer->ClearBuffer(nullptr, 2), 0u);
    EXPECT_TRUE(m_calls.Of(plat::Call::Clear).empty());
    EXPECT_EQ(m_renderer->ClearBuffer(nullptr, 3 | 0x10), 0u);
    ASSERT_EQ(m_calls.Of(plat::Call::Clear).size(), 1u);
    EXPECT_EQ(m_calls.Of(plat::Call::Clear)[0].args[0], plat::kClearTarget);
    m_renderer = nullptr;
    QrD3DRender::ReleaseCurrentRenderer();

    Open(9);
    const plat::Surface* depth = Context(*m_renderer).GetZBuffer();
    ASSERT_NE(depth, nullptr);
    EXPECT_EQ(m_renderer->ClearBuffer(nullptr, 2), 0u);
    const auto clears = m_calls.Of(plat::Call::Clear);
    ASSERT_EQ(clears.size(), 1u);
    EXPECT_EQ(clears[0].args[0], plat::kClearZBuffer);
    EXPECT_EQ(clears[0].value, 0.95f);
    const uint32_t stored = plat::ReadPixel(depth->View().Row(100) + 200 * 2, 2);
    EXPECT_EQ(stored, plat::DepthToStored(plat::PixelFormat::Z16, 0.95f));
}

TEST_F(QrD3DRenderFrameTest, InvertedClearRectangleFails)
{
    Open();
    const QrRect upsideDown{0, 10, 0, 10};
    EXPECT_EQ(m_renderer->ClearBuffer(&upsideDown, 1), QrRenderCode::kInvalidRect);
    EXPECT_TRUE(OutputHas("Viewport Clear failed"));
}

TEST_F(QrD3DRenderFrameTest, EmptyFrameInTheBackgroundColour)
{
    Open();
    const float frustum[6] = {-1.0f, 1.0f, 0.75f, -0.75f, 1.0f, 100.0f};
    const float viewport[4] = {0.0f, 640.0f, 480.0f, 0.0f};
    m_renderer->SetBackgroundColor(QrPoint3(0.25f, 0.5f, 0.75f));
    ASSERT_EQ(m_renderer->ClearBuffer(nullptr, 3), 0u);
    ASSERT_EQ(m_renderer->BeginFrame(), 0u);
    m_renderer->SetCameraData(QrPoint3(), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), frustum,
                              viewport);
    ASSERT_EQ(m_renderer->EndFrame(), 0u);
    const uint32_t presents = m_window.PresentCount();
    ASSERT_EQ(m_renderer->DisplayFrame(), 0u);
    EXPECT_GT(m_window.PresentCount(), presents);
    ASSERT_EQ(m_window.FrameWidth(), 640u);
    ASSERT_EQ(m_window.FrameHeight(), 480u);
    EXPECT_TRUE(golden::MatchesGoldenImage(
        "render_empty_frame.png",
        golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight())));
}

TEST_F(QrD3DRenderFrameTest, PresentedFrameWithTwoBlittedPictures)
{
    Open();
    // Sample pictures through the engine's image hook, as the screens load them: one copied in
    // whole, one colour-keyed and hanging off the bottom-right corner.
    const std::string images = testfiles::DataDir() + "/Data/Engine/Images/";
    QrPointer<QrImage> whole = QrImage::CreateFromFile((images + "texture64x32.bmp").c_str(), 0);
    QrPointer<QrImage> keyed = QrImage::CreateFromFile((images + "CAPS24.BMP").c_str(), 0);
    ASSERT_TRUE(whole);
    ASSERT_TRUE(keyed);
    m_renderer->SetBackgroundColor(QrPoint3(0.1f, 0.3f, 0.2f));
    ASSERT_EQ(m_renderer->ClearBuffer(nullptr, 1), 0u);
    m_renderer->BlitImage(whole.Get(), nullptr, 40, 60, 0);
    m_renderer->BlitImage(keyed.Get(), nullptr, 630, 475, 1);
    m_renderer->BlitImage(keyed.Get(), nullptr, 300, 200, 1);
    ASSERT_EQ(m_renderer->DisplayFrame(), 0u);
    EXPECT_TRUE(golden::MatchesGoldenImage(
        "render_two_pictures.png",
        golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight())));
}

TEST_F(QrD3DRenderFrameTest, LostSurfacesAreRestoredAndThatFrameIsSkipped)
{
    Open();
    ClearTo(1.0f, 0.0f, 0.0f);
    m_renderer->DisplayFrame();
    EXPECT_EQ(m_calls.Of(plat::Call::Blt).size(), 1u);

    Context(*m_renderer).GetDisplay()->LoseSurfaces();
    m_calls.Clear();
    EXPECT_EQ(m_renderer->DisplayFrame(), 0u);
    EXPECT_TRUE(m_calls.Of(plat::Call::Blt).empty());
    EXPECT_FALSE(m_calls.Of(plat::Call::Restore).empty());
    EXPECT_EQ(Context(*m_renderer).GetFrontSurface()->IsLost(), plat::Result::Ok);

    m_calls.Clear();
    EXPECT_EQ(m_renderer->DisplayFrame(), 0u);
    EXPECT_EQ(m_calls.Of(plat::Call::Blt).size(), 1u);
}

TEST_F(QrD3DRenderFrameTest, ClearRestoresLostSurfacesFirst)
{
    Open();
    Context(*m_renderer).GetDisplay()->LoseSurfaces();
    EXPECT_EQ(m_renderer->ClearBuffer(nullptr, 1), 0u);
    EXPECT_EQ(Context(*m_renderer).GetFrontSurface()->IsLost(), plat::Result::Ok);

    Context(*m_renderer).GetDisplay()->LoseSurfaces();
    m_injector.FailCall(plat::Operation::Restore, 1, plat::Result::Failed);
    EXPECT_EQ(m_renderer->ClearBuffer(nullptr, 1), QrRenderCode::kFail);
    EXPECT_TRUE(OutputHas("could not restore front buffer"));
    EXPECT_TRUE(OutputHas("Restore Surfaces failed"));
}

TEST_F(QrD3DRenderFrameTest, FullScreenFlipsAndTheNextSceneWaitsForTheFlip)
{
    m_renderer = Create(FullScreen());
    ASSERT_TRUE(m_renderer);
    ClearTo(0.0f, 0.0f, 1.0f);
    m_calls.Clear();
    EXPECT_EQ(m_renderer->DisplayFrame(), 0u);
    EXPECT_EQ(m_calls.Of(plat::Call::Flip).size(), 1u);
    EXPECT_TRUE(Context(*m_renderer).IsFlipPending());
    // The flipped picture is the one shown.
    EXPECT_EQ(m_window.Frame()[0], kBlue);
    ASSERT_EQ(m_renderer->BeginFrame(), 0u);
    EXPECT_FALSE(Context(*m_renderer).IsFlipPending());
    EXPECT_EQ(m_renderer->EndFrame(), 0u);

    m_renderer->DisplayFrame();
    EXPECT_TRUE(Context(*m_renderer).IsFlipPending());
    ClearTo(0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(Context(*m_renderer).IsFlipPending());

    m_injector.FailCall(plat::Operation::Flip, 1, plat::Result::WasStillDrawing, 2);
    m_calls.Clear();
    EXPECT_EQ(m_renderer->DisplayFrame(), 0u);
    EXPECT_EQ(m_calls.Of(plat::Call::Flip).size(), 3u);
    EXPECT_FALSE(OutputHas("error flipping surfaces"));
    m_injector.FailCall(plat::Operation::Flip, 1, plat::Result::Failed);
    EXPECT_EQ(m_renderer->DisplayFrame(), 0u);
    EXPECT_TRUE(OutputHas("error flipping surfaces"));
}

TEST_F(QrD3DRenderFrameTest, OffscreenRendererCopiesItsPictureToItsFront)
{
    Open();
    QrRenderCreateParams params = FullScreen(8, 64, 32);
    params.mode = QrRenderCreateParams::kModeOffscreen;
    QrPointer<QrD3DRender> offscreen = Create(params);
    ASSERT_TRUE(offscreen);
    offscreen->SetBackgroundColor(QrPoint3(1.0f, 0.0f, 0.0f));
    ASSERT_EQ(offscreen->ClearBuffer(nullptr, 1), 0u);
    m_calls.Clear();
    EXPECT_EQ(offscreen->DisplayFrame(), 0u);
    EXPECT_EQ(m_calls.Of(plat::Call::BltFast).size(), 1u);
    EXPECT_EQ(Pixel(*Context(*offscreen).GetFrontSurface(), 63, 31), kRed);
    // Nothing of it reaches the window's primary.
    EXPECT_NE(Context(*offscreen).GetFrontSurface(), QrDDContext::GetPrimarySurface());
}

TEST_F(QrD3DRenderFrameTest, PresentOriginAndSizePlaceTheBackBuffer)
{
    Open();
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_TRUE(m_renderer->GetPresentSize(&width, &height));
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(height, 480u);
    ClearTo(1.0f, 0.0f, 0.0f);
    EXPECT_TRUE(m_renderer->SetWindowOrigin(10, 20));
    EXPECT_TRUE(m_renderer->SetPresentSize(320, 240));
    m_renderer->DisplayFrame();
    const plat::Surface& front = *Context(*m_renderer).GetFrontSurface();
    EXPECT_EQ(Pixel(front, 9, 20), 0u);
    EXPECT_EQ(Pixel(front, 10, 20), kRed);
    EXPECT_EQ(Pixel(front, 329, 259), kRed);
    EXPECT_EQ(Pixel(front, 330, 259), 0u);
}

TEST_F(QrD3DRenderFrameTest, FailedBeginSceneSkipsTheCameraUpdate)
{
    Open();
    const float frustum[6] = {-1.0f, 1.0f, 1.0f, -1.0f, 1.0f, 10.0f};
    const float viewport[4] = {0.0f, 640.0f, 480.0f, 0.0f};
    m_renderer->SetCameraData(QrPoint3(), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), frustum,
                              viewport);
    m_injector.FailCall(plat::Operation::BeginScene, 1, plat::Result::SurfaceLost);
    EXPECT_EQ(m_renderer->BeginFrame(), QrRenderCode::kSurfaceLost);
    EXPECT_TRUE(OutputHas("Begin Scene failed\n"));
    EXPECT_NE(Driver(*m_renderer).GetCamera().flags, QrCameraRecord::kInitialised);
    EXPECT_EQ(m_renderer->BeginFrame(), 0u);
    EXPECT_EQ(Driver(*m_renderer).GetCamera().flags, QrCameraRecord::kInitialised);
    EXPECT_TRUE(Device(*m_renderer).GetDrawFlags() & QrD3DDevice::kDrawInScene);
}

TEST_F(QrD3DRenderFrameTest, ClipPlanesLastUntilTheEndOfTheFrame)
{
    Open();
    const QrPlane a(QrPoint3(1.0f, 0.0f, 0.0f), 0.0f);
    const QrPlane b(QrPoint3(0.0f, 1.0f, 0.0f), 2.0f);
    const QrPlane* planes[2] = {&a, &b};
    ASSERT_EQ(m_renderer->BeginFrame(), 0u);
    m_renderer->SetClipPlanes(planes, 2, 1, 0x4);
    EXPECT_EQ(Driver(*m_renderer).GetClipPlaneCount(), 2u);
    EXPECT_EQ(Driver(*m_renderer).GetClipPlanes()[1], &b);
    ASSERT_EQ(m_renderer->EndFrame(), 0u);
    EXPECT_EQ(Driver(*m_renderer).GetClipPlaneCount(), 0u);
}

TEST_F(QrD3DRenderFrameTest, FrameKeepsTheTextureCountersOfTheFrame)
{
    Open();
    QrTextureManager& manager = *Device(*m_renderer).GetTextureManager();
    const uint32_t frame = manager.GetFrameNumber();
    ASSERT_EQ(m_renderer->BeginFrame(), 0u);
    EXPECT_EQ(manager.GetFrameNumber(), frame + 1);
    EXPECT_EQ(manager.GetRenderer(), m_renderer.Get());
    EXPECT_EQ(m_renderer->GetTextureStatus(), QrTextureManager::kStatusFrame);
    uint32_t counters[5] = {9, 9, 9, 9, 9};
    EXPECT_TRUE(m_renderer->GetTextureStatistics(&counters[0], &counters[1], &counters[2], &counters[3], &counters[4]));
    for (uint32_t c : counters)
        EXPECT_EQ(c, 0u);
    uint32_t total = 0;
    uint32_t available = 0;
    EXPECT_TRUE(m_renderer->GetTextureMemory(&total, &available));
    EXPECT_EQ(total, 16u * 1024u * 1024u);
    EXPECT_EQ(available, total);
    m_renderer->EndFrame();
}

TEST_F(QrD3DRenderFrameTest, FormatListsOfTheTargetAndTheTextures)
{
    Open();
    const std::vector<QrPixelFormat>* targets = nullptr;
    m_renderer->GetFormatList(1, targets);
    ASSERT_NE(targets, nullptr);
    ASSERT_EQ(m_renderer->GetFormatCount(1), 1u);
    EXPECT_EQ((*targets)[0].m_redMask, 0xF800u);
    const std::vector<QrPixelFormat>* textures = nullptr;
    m_renderer->GetFormatList(0, textures);
    ASSERT_EQ(m_renderer->GetFormatCount(0), 2u);
    // Alpha first, then the one matching the target.
    EXPECT_EQ((*textures)[0].m_alphaMask, 0xF000u);
    EXPECT_EQ((*textures)[0].m_kind, QrTextureManager::kKindAlpha);
    EXPECT_EQ((*textures)[1].m_redMask, 0xF800u);
    EXPECT_EQ((*textures)[1].m_kind, QrTextureManager::kKindRgb);
}

TEST_F(QrD3DRenderFrameTest, BufferImagesOfAWindow)
{
    Open();
    auto surfaceOf = [](QrImage* image)
    {
        plat::Surface* surface = nullptr;
        if (auto* dd = QrDynamicCast<QrDDImage>(image))
            dd->GetSurface(surface);
        return surface;
    };
    EXPECT_EQ(surfaceOf(m_renderer->GetBufferImage(1)), &Back());
    // The window's front image wraps the desktop's primary surface.
    EXPECT_EQ(surfaceOf(m_renderer->GetBufferImage(2)), QrDDContext::GetPrimarySurface());
    EXPECT_EQ(m_renderer->GetBufferImage(2), QrDDContext::GetPrimaryImage());
    EXPECT_EQ(m_renderer->GetBufferImage(0), nullptr);
    EXPECT_EQ(m_renderer->GetBufferImage(3), nullptr);
}

TEST_F(QrD3DRenderFrameTest, BlitClipsAtTheRightEdge)
{
    Open();
    ClearTo(1.0f, 0.0f, 0.0f);
    QrPointer<QrDDBufferImage> picture = Picture(100, 50, [](uint32_t x, uint32_t y) { return uint16_t(x + 100 * y); });
    m_renderer->BlitImage(picture.Get(), nullptr, 600, 10, 0);
    EXPECT_EQ(Pixel(Back(), 599, 10), kRed);
    EXPECT_EQ(Pixel(Back(), 600, 10), 0u);
    EXPECT_EQ(Pixel(Back(), 639, 59), 39u + 100u * 49u);
    EXPECT_EQ(Pixel(Back(), 639, 60), kRed);
}

TEST_F(QrD3DRenderFrameTest, BlitLosesWhatLiesLeftOfOrAboveTheTarget)
{
    Open();
    ClearTo(1.0f, 0.0f, 0.0f);
    QrPointer<QrDDBufferImage> picture = Picture(100, 50, [](uint32_t x, uint32_t y) { return uint16_t(x + 100 * y); });
    m_renderer->BlitImage(picture.Get(), nullptr, -30, -5, 0);
    EXPECT_EQ(Pixel(Back(), 0, 0), 30u + 100u * 5u);
    EXPECT_EQ(Pixel(Back(), 69, 44), 99u + 100u * 49u);
    EXPECT_EQ(Pixel(Back(), 70, 0), kRed);
    EXPECT_EQ(Pixel(Back(), 0, 45), kRed);

    // Entirely outside: nothing changes.
    m_calls.Clear();
    m_renderer->BlitImage(picture.Get(), nullptr, 700, 10, 0);
    m_renderer->BlitImage(picture.Get(), nullptr, -100, 10, 0);
    m_renderer->BlitImage(picture.Get(), nullptr, 10, 480, 0);
    EXPECT_TRUE(m_calls.Of(plat::Call::Blt).empty());
}

TEST_F(QrD3DRenderFrameTest, BlitOfASourceRectangleRowsFromTheTop)
{
    Open();
    ClearTo(1.0f, 0.0f, 0.0f);
    QrPointer<QrDDBufferImage> picture = Picture(100, 50, [](uint32_t x, uint32_t y) { return uint16_t(x + 100 * y); });
    const QrRect source{10, 20, 5, 15}; // left, right, top, bottom
    m_renderer->BlitImage(picture.Get(), &source, 0, 0, 0);
    EXPECT_EQ(Pixel(Back(), 0, 0), 10u + 100u * 5u);
    EXPECT_EQ(Pixel(Back(), 9, 9), 19u + 100u * 14u);
    EXPECT_EQ(Pixel(Back(), 10, 0), kRed);
    EXPECT_EQ(Pixel(Back(), 0, 10), kRed);
}

TEST_F(QrD3DRenderFrameTest, KeyedBlitSkipsZeroPixels)
{
    Open();
    ClearTo(1.0f, 0.0f, 0.0f);
    QrPointer<QrDDBufferImage> picture =
        Picture(8, 8, [](uint32_t x, uint32_t y) { return uint16_t((x + y) % 2 ? kBlue : 0); });
    m_renderer->BlitImage(picture.Get(), nullptr, 0, 0, 1);
    EXPECT_EQ(Pixel(Back(), 0, 0), kRed);
    EXPECT_EQ(Pixel(Back(), 1, 0), kBlue);
    m_renderer->BlitImage(picture.Get(), nullptr, 0, 0, 0);
    EXPECT_EQ(Pixel(Back(), 0, 0), 0u);
}

TEST_F(QrD3DRenderFrameTest, BlitImageRectStretchesIntoTheWholeBackBuffer)
{
    Open();
    QrPointer<QrDDBufferImage> picture = Picture(2, 2, [](uint32_t x, uint32_t y) { return uint16_t(1 + x + 2 * y); });
    EXPECT_EQ(m_renderer->BlitImageRect(picture.Get(), nullptr, nullptr, 0), 0u);
    EXPECT_EQ(Pixel(Back(), 0, 0), 1u);
    EXPECT_EQ(Pixel(Back(), 639, 0), 2u);
    EXPECT_EQ(Pixel(Back(), 639, 479), 4u);
    const QrRect destination{10, 0, 0, 10}; // inverted
    EXPECT_EQ(m_renderer->BlitImageRect(picture.Get(), nullptr, &destination, 0), QrRenderCode::kInvalidRect);
    // Without an image nothing happens.
    EXPECT_EQ(m_renderer->BlitImageRect(nullptr, nullptr, nullptr, 0), 0u);
}

} // namespace
