// Renderer creation: the fallback chain over device kinds, every failing step's logged text
// and last-error text, the program-wide current renderer, serial numbers and the log itself.

#include "RenderTestFixture.h"

#include "Display.h"
#include "Files.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrPalette.h"
#include "SpanShader.h"
#include "Surface.h"
#include "TestFiles.h"

#include <string>

namespace
{

using plat::Operation;
using plat::Result;

class QrD3DRenderCreateTest : public QrRenderTest
{
};

TEST_F(QrD3DRenderCreateTest, DefaultMachineFallsBackFromMmxToRgb)
{
    QrPointer<QrD3DRender> renderer = Create(Windowed());
    ASSERT_TRUE(renderer);

    const int mmx = OutputIndex("Render create message: Attempting to open MMX device\n");
    const int mmxFailed = OutputIndex("Render create message: Attempt to open MMX device failed\n");
    const int rgb = OutputIndex("Render create message: Attempting to open RGB device\n");
    const int opened = OutputIndex("Render create message: Device open succeeded\n");
    const int using_ = OutputIndex("Quarrender D3DDriver Info: Using Primary Display Driver: RGB SW: DrawPrimitive\n");
    EXPECT_LT(-1, mmx);
    EXPECT_LT(mmx, mmxFailed);
    EXPECT_LT(mmxFailed, rgb);
    EXPECT_LT(rgb, opened);
    EXPECT_LT(opened, using_);
    // Then what really draws: the path this machine takes, on the caller's thread.
    const char* loops = plat::RasterPathAvailable(plat::RasterPath::Avx2) ? "span loops for AVX2"
                                                                          : "span loops for the base instruction set";
    EXPECT_EQ(OutputIndex(std::string("Drawing with the software rasterizer, ") + loops + ", 1 thread\n"), using_ + 1);
    EXPECT_FALSE(OutputHas("Render create message: Attempting to open HW device\n"));
    EXPECT_STREQ(renderer->GetDeviceName(), "Primary Display Driver: RGB SW: DrawPrimitive");
    EXPECT_EQ(renderer->GetDeviceFlags(),
              QrD3DDevice::kCapOpened | QrD3DDevice::kCapMipmaps | QrD3DDevice::kCapAlphaTextures);
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "");

    // The device draws into the back buffer, which holds a depth buffer of the device's format.
    QrDDContext& context = Context(*renderer);
    ASSERT_NE(context.GetZBuffer(), nullptr);
    EXPECT_EQ(context.GetBackSurface()->AttachedDepth(), context.GetZBuffer());
    EXPECT_EQ(context.GetZBuffer()->Format(), plat::PixelFormat::Z16);
    EXPECT_EQ(renderer->GetBufferWidth(), 640u);
    EXPECT_EQ(renderer->GetBufferHeight(), 480u);
    EXPECT_EQ(QrD3DRender::GetCurrentRenderer(), renderer.Get());
}

TEST_F(QrD3DRenderCreateTest, PreferringHardwareWithoutItLogsAndUsesSoftware)
{
    QrPointer<QrD3DRender> renderer = Create(Windowed(11));
    ASSERT_TRUE(renderer);
    const int noHardware = OutputIndex("Hardware DirectDraw has no 3D capabilities\n");
    EXPECT_GE(noHardware, 0);
    EXPECT_EQ(OutputIndex("Using DirectDraw software\n"), noHardware + 1);
    EXPECT_FALSE(OutputHas("Render create message: Attempting to open HW device\n"));
}

TEST_F(QrD3DRenderCreateTest, HardwareDeviceOpensFirstWhenPreferred)
{
    m_config.profile = plat::CapsProfile::WithHardware();
    QrPointer<QrD3DRender> renderer = Create(Windowed(11));
    ASSERT_TRUE(renderer);
    EXPECT_STREQ(renderer->GetDeviceName(), "Primary Display Driver: HW: DrawPrimitive");
    EXPECT_TRUE(renderer->GetDeviceFlags() & QrD3DDevice::kCapHardware);
    EXPECT_FALSE(OutputHas("Render create message: Attempting to open MMX device\n"));
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: No AGP support detected\n"));
    // Hardware devices render into video memory.
    EXPECT_TRUE(Context(*renderer).GetBackSurface()->Caps() & plat::kCapsVideoMemory);
}

TEST_F(QrD3DRenderCreateTest, HardwareWithoutGouraudFallsBackToMmxThenRgb)
{
    m_config.profile = plat::CapsProfile::WithHardware();
    m_config.profile.Device(plat::DeviceKind::Hardware).caps.shadeCaps = 0;
    QrPointer<QrD3DRender> renderer = Create(Windowed(11));
    ASSERT_TRUE(renderer);

    const int hw = OutputIndex("Render create message: Attempting to open HW device\n");
    const int gouraud = OutputIndex("Render create failed: Device does not support Gouraud shading\n");
    const int hwFailed = OutputIndex("Render create message: Attempt to open HW device failed\n");
    const int mmx = OutputIndex("Render create message: Attempting to open MMX device\n");
    EXPECT_LT(-1, hw);
    EXPECT_LT(hw, gouraud);
    EXPECT_LT(gouraud, hwFailed);
    EXPECT_LT(hwFailed, mmx);
    EXPECT_STREQ(renderer->GetDeviceName(), "Primary Display Driver: RGB SW: DrawPrimitive");
    EXPECT_FALSE(renderer->GetDeviceFlags() & QrD3DDevice::kCapHardware);
    // The kept text of the failed attempt stays.
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: Device does not support Gouraud shading");
}

TEST_F(QrD3DRenderCreateTest, FullScreenHardwareFallbackGetsFreshSurfaces)
{
    // The hardware surfaces must be gone before the next kind makes its primary flipping chain.
    m_config.profile = plat::CapsProfile::WithHardware();
    m_config.profile.Device(plat::DeviceKind::Hardware).caps.textureCaps = 0;
    QrPointer<QrD3DRender> renderer = Create(FullScreen(11));
    ASSERT_TRUE(renderer) << QrD3DRender::GetLastErrorText();
    EXPECT_TRUE(OutputHas("Render create failed: Device does not support perspective-correct textures\n"));
    EXPECT_STREQ(renderer->GetDeviceName(), "Primary Display Driver: RGB SW: DrawPrimitive");
}

TEST_F(QrD3DRenderCreateTest, AgpAndSystemMemoryTexturesAreReportedForHardware)
{
    m_config.profile = plat::CapsProfile::WithHardware();
    m_config.profile.hardwareCaps.nonLocalVideoMemory = true;
    m_config.profile.Device(plat::DeviceKind::Hardware).caps.deviceCaps =
        plat::kDevCapsTextureNonLocalVideoMemory | plat::kDevCapsTextureSystemMemory;
    QrPointer<QrD3DRender> renderer = Create(Windowed(11));
    ASSERT_TRUE(renderer);
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: 2x (Execute) AGP support detected\n"));
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Hardware supports system memory textures\n"));
    EXPECT_TRUE(renderer->GetDeviceFlags() & QrD3DDevice::kCapSystemMemoryTextures);
    EXPECT_TRUE(Device(*renderer).GetRequestedState() & QrD3DDevice::kFactAgp2x);
}

struct FailingStep
{
    Operation operation;
    uint32_t nth;
    const char* text;
};

// The windowed creation of the default machine, one injected failure at a time.
const FailingStep kWindowedSteps[] = {
    {Operation::CreateDisplay, 1, "Render create failed: DirectDrawCreate for HEL failed"},
    {Operation::GetCaps, 1, "Render create failed: Direct Draw Caps query failed"},
    {Operation::GetDisplayMode, 1, "Render create failed: Get Display Mode failed"},
    {Operation::SetCooperativeLevel, 1, "Render create failed: Set Cooperative Level failed"},
    {Operation::Query3D, 1, "Render create failed: Direct3D2 creation failed"},
    {Operation::CreateViewport, 1, "Render create failed: Direct 3D Create Viewport failed"},
    {Operation::CreateSurface, 1, "Render create failed: Front Buffer Surface Creation failed"},
    {Operation::CreateSurface, 2, "Render create failed: Back Buffer Surface Creation failed"},
    {Operation::CreateSurface, 3, "Render create failed: ZBuffer Surface Creation failed"},
    {Operation::CreateClipper, 1, "Render create failed: Clipper Creation failed"},
    {Operation::AddAttachedSurface, 1, "Render create failed: ZBuffer Surface Attachment failed"},
    {Operation::AddViewport, 1, "Render create failed: Direct 3D Add Viewport failed"},
    {Operation::SetViewport, 1, "Render create failed: D3D Set Viewport failed"},
    {Operation::SetCurrentViewport, 1, "Render create failed: D3D Set Current Viewport failed"},
};

TEST_F(QrD3DRenderCreateTest, EachFailingStepLogsAndKeepsItsText)
{
    for (const FailingStep& step : kWindowedSteps)
    {
        SCOPED_TRACE(step.text);
        m_injector.Reset();
        m_injector.FailCall(step.operation, step.nth, Result::Failed);
        ClearOutput();
        QrD3DDevice::Log(nullptr, true);
        EXPECT_FALSE(Create(Windowed()));
        EXPECT_STREQ(QrD3DRender::GetLastErrorText(), step.text);
        EXPECT_TRUE(OutputHas(std::string(step.text) + "\n"));
        EXPECT_EQ(QrD3DRender::GetCurrentRenderer(), nullptr);
        // Nothing of the failed attempt may stay behind for the next one.
        QrDDImage::SetGlobalObject(nullptr);
        QrDDImage::SetDirectDraw(nullptr);
        EXPECT_EQ(QrDDContext::GetPrimarySurface(), nullptr);
    }
    m_injector.Reset();
    EXPECT_TRUE(Create(Windowed()));
}

TEST_F(QrD3DRenderCreateTest, SurfaceFailuresDuringAnAttemptEndTheWholeOpen)
{
    m_injector.FailCall(Operation::CreateSurface, 2, Result::OutOfVideoMemory);
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_TRUE(OutputHas("Render create message: Attempt to open MMX device failed\n"));
    EXPECT_FALSE(OutputHas("Render create message: Attempting to open RGB device\n"));
}

TEST_F(QrD3DRenderCreateTest, NoDeviceOfAnyKind)
{
    m_injector.FailAlways(Operation::CreateDevice, Result::Failed);
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_TRUE(OutputHas("Render create message: Attempt to open RGB device failed\n"));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: no 3D device could be created");
}

TEST_F(QrD3DRenderCreateTest, VertexBufferFailureFailsTheOpenAfterTheDeviceOpened)
{
    m_injector.FailCall(Operation::CreateVertexBuffer, 3, Result::OutOfMemory);
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_TRUE(OutputHas("Render create message: Device open succeeded\n"));
    EXPECT_FALSE(OutputHas("Quarrender D3DDriver Info: Using Primary Display Driver: RGB SW: DrawPrimitive\n"));
}

TEST_F(QrD3DRenderCreateTest, ParameterChecks)
{
    QrRenderCreateParams noWindow = Windowed();
    noWindow.window = nullptr;
    EXPECT_FALSE(Create(noWindow));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: invalid parameter set for Windowed renderer");

    QrRenderCreateParams noSize = FullScreen(9, 0, 480);
    EXPECT_FALSE(Create(noSize));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(),
                 "Render create failed: invalid parameter set for Fullscreen renderer");

    QrRenderCreateParams offscreen = FullScreen(9, 320, 240);
    offscreen.mode = QrRenderCreateParams::kModeOffscreen;
    EXPECT_FALSE(Create(offscreen));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(),
                 "Render create failed: can't create offscreen renderer before onscreen renderer");

    QrRenderCreateParams unknownMode = Windowed();
    unknownMode.mode = 7;
    EXPECT_FALSE(Create(unknownMode));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: invalid renderer mode");

    QrDDContext::SetRenderWindow(nullptr);
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: Global window is NULL");
}

TEST_F(QrD3DRenderCreateTest, DisplayChecks)
{
    m_config.profile.desktop.bitsPerPixel = 32;
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: Windowed mode must be 8 or 16-bit");
    QrDDImage::SetDirectDraw(nullptr);

    m_config.profile = plat::CapsProfile::Default();
    m_config.profile.emulationCaps.has3D = false;
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: Software DirectDraw has no 3D capabilities");
    QrDDImage::SetDirectDraw(nullptr);

    m_config.profile = plat::CapsProfile::Default();
    m_config.profile.modes = {{640, 480, 8}};
    EXPECT_FALSE(Create(FullScreen()));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(),
                 "Render create failed: desired fullscreen display mode not supported");
}

TEST_F(QrD3DRenderCreateTest, FullScreenFailingSteps)
{
    const FailingStep steps[] = {
        {Operation::EnumDisplayModes, 1, "Render create failed: Enumeration of display modes failed"},
        {Operation::SetDisplayMode, 1, "Render create failed: Set Display Mode failed"},
        {Operation::CreateSurface, 1, "Render create failed: Error creating fullscreen frontbuffer"},
    };
    for (const FailingStep& step : steps)
    {
        SCOPED_TRACE(step.text);
        m_injector.Reset();
        m_injector.FailCall(step.operation, step.nth, Result::Failed);
        EXPECT_FALSE(Create(FullScreen()));
        EXPECT_STREQ(QrD3DRender::GetLastErrorText(), step.text);
        QrDDImage::SetGlobalObject(nullptr);
        QrDDImage::SetDirectDraw(nullptr);
    }
}

TEST_F(QrD3DRenderCreateTest, FullScreenFlipsAndRestoresTheDesktopWhenReleased)
{
    QrPointer<QrD3DRender> renderer = Create(FullScreen());
    ASSERT_TRUE(renderer) << QrD3DRender::GetLastErrorText();
    const QrDDContext& context = Context(*renderer);
    EXPECT_TRUE(context.GetFlags() & QrDDContext::kFlipChain);
    EXPECT_EQ(context.GetFrontSurface(), QrDDContext::GetPrimarySurface());
    EXPECT_FALSE(OutputHas("Quarrender D3DDriver Info: Using Triple Buffering\n"));
    // Not movable in full screen.
    int32_t x = 5;
    int32_t y = 5;
    EXPECT_TRUE(renderer->GetWindowOrigin(&x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(renderer->SetWindowOrigin(10, 10));

    m_calls.Clear();
    QrD3DRender::ReleaseCurrentRenderer();
    renderer = nullptr;
    EXPECT_EQ(m_calls.Lines(plat::Call::RestoreDisplayMode).size(), 1u);
    const auto levels = m_calls.Of(plat::Call::SetCooperativeLevel);
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0].args[0], plat::kCoopNormal);
    EXPECT_EQ(QrDDContext::GetPrimarySurface(), nullptr);
}

TEST_F(QrD3DRenderCreateTest, TripleBufferingFallsBackToOneBackBufferSilently)
{
    m_config.profile.maxBackBuffers = 1;
    QrPointer<QrD3DRender> renderer = Create(FullScreen(9 | QrRenderCreateParams::kFlagTripleBuffer));
    ASSERT_TRUE(renderer);
    EXPECT_FALSE(OutputHas("Quarrender D3DDriver Info: Using Triple Buffering\n"));
    renderer = nullptr;
    QrD3DRender::ReleaseCurrentRenderer();
    QrDDImage::SetDirectDraw(nullptr);

    m_config.profile.maxBackBuffers = 2;
    renderer = Create(FullScreen(9 | QrRenderCreateParams::kFlagTripleBuffer));
    ASSERT_TRUE(renderer);
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Using Triple Buffering\n"));
}

TEST_F(QrD3DRenderCreateTest, FullScreenTakesTheFirstEnumeratedDriverWith3D)
{
    plat::DisplayCaps with3D;
    with3D.has3D = true;
    m_config.profile.secondaryDrivers = {{"Flat Card", plat::DisplayCaps{}}, {"Fast Card", with3D}};
    QrPointer<QrD3DRender> renderer = Create(FullScreen(11));
    ASSERT_TRUE(renderer) << QrD3DRender::GetLastErrorText();
    EXPECT_STREQ(Context(*renderer).GetDriverDescription(), "Fast Card");
    EXPECT_FALSE(Context(*renderer).IsPrimaryDriver());
    renderer = nullptr;
    QrD3DRender::ReleaseCurrentRenderer();
    QrDDImage::SetGlobalObject(nullptr);
    QrDDImage::SetDirectDraw(nullptr);

    m_injector.FailCall(Operation::EnumerateDrivers, 1, Result::Failed);
    EXPECT_FALSE(Create(FullScreen(11)));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed:Error in DD init");
    QrDDImage::SetGlobalObject(nullptr);
    QrDDImage::SetDirectDraw(nullptr);

    // Flag 0x40 keeps the primary driver.
    renderer = Create(FullScreen(11 | QrRenderCreateParams::kFlagNoDriverEnumeration));
    ASSERT_TRUE(renderer);
    EXPECT_STREQ(Context(*renderer).GetDriverDescription(), "Primary Display Driver");
}

TEST_F(QrD3DRenderCreateTest, SecondRendererReusesTheDisplayAndLeavesTheFirstCurrent)
{
    QrPointer<QrD3DRender> first = Create(Windowed());
    ASSERT_TRUE(first);
    QrPointer<QrD3DRender> second = Create(Windowed());
    ASSERT_TRUE(second);
    EXPECT_STREQ(second->GetDeviceName(), "Existing Driver (Previous Renderer): RGB SW: DrawPrimitive");
    EXPECT_EQ(Context(*second).GetDisplay(), Context(*first).GetDisplay());
    EXPECT_EQ(QrD3DRender::GetCurrentRenderer(), first.Get());
    EXPECT_EQ(second->GetSerial(), first->GetSerial() + 1);

    // Both draw onto the one primary; it stays while the first still uses it.
    EXPECT_EQ(Context(*second).GetFrontSurface(), Context(*first).GetFrontSurface());
    second = nullptr;
    EXPECT_EQ(QrDDContext::GetPrimarySurface(), Context(*first).GetFrontSurface());
    EXPECT_EQ(QrDDContext::GetPrimaryImage(), Context(*first).GetFrontImage());
}

TEST_F(QrD3DRenderCreateTest, OffscreenRendererAfterAnOnscreenOne)
{
    QrPointer<QrD3DRender> onscreen = Create(Windowed());
    ASSERT_TRUE(onscreen);
    QrRenderCreateParams params = FullScreen(9, 128, 64);
    params.mode = QrRenderCreateParams::kModeOffscreen;
    QrPointer<QrD3DRender> offscreen = Create(params);
    ASSERT_TRUE(offscreen) << QrD3DRender::GetLastErrorText();
    EXPECT_EQ(offscreen->GetBufferWidth(), 128u);
    EXPECT_EQ(offscreen->GetBufferHeight(), 64u);
    // Copied rather than flipped, so its present origin moves.
    EXPECT_TRUE(offscreen->SetWindowOrigin(3, 4));
    int32_t x = 0;
    int32_t y = 0;
    offscreen->GetWindowOrigin(&x, &y);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
    EXPECT_NE(Context(*offscreen).GetFrontSurface(), QrDDContext::GetPrimarySurface());
}

TEST_F(QrD3DRenderCreateTest, LogKeepsAtMost255Characters)
{
    const std::string message(300, 'x');
    QrD3DDevice::Log(message.c_str(), true);
    EXPECT_EQ(std::string(QrD3DRender::GetLastErrorText()), message.substr(0, 255));
    EXPECT_EQ(Output().back(), message + "\n");

    QrD3DDevice::Log("progress", false);
    EXPECT_EQ(std::string(QrD3DRender::GetLastErrorText()), message.substr(0, 255));
    QrD3DDevice::Log(nullptr, true);
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "");
}

TEST_F(QrD3DRenderCreateTest, DeviceWithoutVertexLimitGetsTheDefaultBuffers)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).caps.maxVertexCount = 0;
    QrPointer<QrD3DRender> renderer = Create(Windowed());
    ASSERT_TRUE(renderer);
    EXPECT_EQ(Device(*renderer).GetVertexBuffer().BufferVertices(), 2048u);
    EXPECT_EQ(Device(*renderer).GetVertexCapacity(), 2045u);
    EXPECT_EQ(Device(*renderer).GetVertexBuffer().IndexCapacity(), 4096u);
}

// --- depth formats

TEST(QrZFormatChoiceTest, RanksBySizeAndStencil)
{
    using plat::PixelFormat;
    auto choose = [](std::initializer_list<PixelFormat> formats)
    {
        QrZFormatChoice choice;
        for (PixelFormat f : formats)
            EXPECT_TRUE(QrD3DDevice::EnumZFormatCallback(f, choice));
        return choice.format;
    };
    // 16 depth bits with 8 stencil bits rank 5; 24 plain depth bits rank 2.
    EXPECT_EQ(choose({PixelFormat::Z16S8, PixelFormat::Z24}), PixelFormat::Z24);
    EXPECT_EQ(choose({PixelFormat::Z32, PixelFormat::Z24, PixelFormat::Z16}), PixelFormat::Z16);
    // Equal ranks keep the first.
    EXPECT_EQ(choose({PixelFormat::Z24, PixelFormat::Z24S8}), PixelFormat::Z24);
    EXPECT_EQ(choose({PixelFormat::Z32, PixelFormat::Z24S8}), PixelFormat::Z32);
    // Colour formats are passed over.
    EXPECT_EQ(choose({PixelFormat::Rgb565, PixelFormat::Argb8888}), PixelFormat::Unknown);
}

TEST_F(QrD3DRenderCreateTest, DepthBufferTakesTheBestFormatOfTheDeviceKind)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).depthFormats = {plat::PixelFormat::Z16S8, plat::PixelFormat::Z24};
    m_config.profile.Device(plat::DeviceKind::Mmx).depthFormats = {plat::PixelFormat::Z32};
    QrPointer<QrD3DRender> renderer = Create(Windowed());
    ASSERT_TRUE(renderer);
    EXPECT_EQ(Device(*renderer).GetZFormat(plat::DeviceKind::Rgb), plat::PixelFormat::Z24);
    EXPECT_EQ(Device(*renderer).GetZFormat(plat::DeviceKind::Mmx), plat::PixelFormat::Z32);
    EXPECT_EQ(Context(*renderer).GetZBuffer()->Format(), plat::PixelFormat::Z24);
}

TEST_F(QrD3DRenderCreateTest, MissingDepthFormatOfTheTriedKindEndsTheOpen)
{
    m_config.profile.Device(plat::DeviceKind::Mmx).depthFormats.clear();
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_TRUE(OutputHas("Render create message: Attempt to open MMX device failed\n"));
    // Without a depth buffer asked for, the same machine works.
    EXPECT_TRUE(Create(Windowed(8)));
}

// --- palettes

TEST_F(QrD3DRenderCreateTest, PaletteFileKeepsTheSystemColoursOfAnEightBitWindow)
{
    testfiles::TempDir dir;
    std::vector<uint8_t> raw(768);
    for (uint32_t i = 0; i < 256; ++i)
    {
        raw[i * 3 + 0] = static_cast<uint8_t>(i);
        raw[i * 3 + 1] = static_cast<uint8_t>(255 - i);
        raw[i * 3 + 2] = 7;
    }
    const std::string path = dir.File("colours.pal");
    ASSERT_TRUE(plat::WriteFile(path, raw.data(), raw.size()));

    m_config.profile.desktop.bitsPerPixel = 8;
    QrRenderCreateParams params = Windowed(8);
    params.paletteFile = path.c_str();
    // No device draws into an 8-bit target; the palette is made before the attempts.
    EXPECT_FALSE(Create(params));
    QrPalette* palette = QrDDImage::GetGlobalObject();
    ASSERT_NE(palette, nullptr);
    plat::PaletteEntry system[256];
    plat::SystemPaletteEntries(system);
    const plat::PaletteEntry* entries = palette->GetEntries();
    for (uint32_t i = 0; i < 256; ++i)
    {
        SCOPED_TRACE(i);
        const bool kept = i < 10 || i > 245;
        EXPECT_EQ(entries[i].red, kept ? system[i].red : i);
        EXPECT_EQ(entries[i].green, kept ? system[i].green : 255 - i);
        EXPECT_EQ(entries[i].blue, kept ? system[i].blue : 7);
        EXPECT_EQ(entries[i].flags, 0x40);
    }
}

} // namespace
