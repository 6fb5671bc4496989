#include "DisplayTestSupport.h"

#include "Device3D.h"
#include "Graphics3D.h"
#include "RecordingRasterizer.h"
#include "VertexBuffer.h"
#include "Viewport3D.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace plat;
using displaytest::Pixel;
using displaytest::Rig;

namespace
{

// A render target (3D-capable, system memory), optionally with a depth buffer, and a device
// of the RGB kind with a viewport covering it, drawing through a recording rasterizer.
struct DeviceRig : Rig
{
    std::shared_ptr<Graphics3D> graphics;
    std::shared_ptr<Surface> target;
    std::shared_ptr<Surface> depth;
    std::shared_ptr<Device3D> device;
    std::shared_ptr<Viewport3D> viewport;

    explicit DeviceRig(
        PixelFormat depthFormat = PixelFormat::Unknown, uint32_t w = 8, uint32_t h = 6,
        RasterizerFactory rasterizer = [] { return std::make_unique<RecordingRasterizer>(); })
        : Rig(CapsProfile::Default(), std::move(rasterizer))
    {
        EXPECT_EQ(display->Query3D(graphics), Result::Ok);
        target = Make(w, h, PixelFormat::Rgb565, kCapsOffscreenPlain | kCaps3DDevice | kCapsSystemMemory);
        if (depthFormat != PixelFormat::Unknown)
        {
            depth = Make(w, h, depthFormat, kCapsZBuffer | kCapsSystemMemory);
            EXPECT_EQ(target->AddAttachedSurface(depth), Result::Ok);
        }
        EXPECT_EQ(graphics->CreateDevice(DeviceKind::Rgb, target, device), Result::Ok);
        EXPECT_EQ(graphics->CreateViewport(viewport), Result::Ok);
        EXPECT_EQ(device->AddViewport(viewport), Result::Ok);
        ViewportDesc vp;
        vp.width = w;
        vp.height = h;
        EXPECT_EQ(viewport->SetViewport(vp), Result::Ok);
        EXPECT_EQ(device->SetCurrentViewport(viewport), Result::Ok);
    }

    RecordingRasterizer& Recorder() { return dynamic_cast<RecordingRasterizer&>(device->GetRasterizer()); }

    std::shared_ptr<VertexBuffer> Buffer(VertexFormat format, uint32_t count)
    {
        VertexBufferDesc desc;
        desc.caps = kVertexBufferWriteOnly | kVertexBufferSystemMemory;
        desc.format = format;
        desc.vertexCount = count;
        std::shared_ptr<VertexBuffer> vb;
        EXPECT_EQ(graphics->CreateVertexBuffer(desc, vb), Result::Ok);
        return vb;
    }
};

TlVertex1 Vertex(float x, float y, uint32_t diffuse)
{
    return TlVertex1{x, y, 0.5f, 1.0f, diffuse, 0xFF000000u, x / 8.0f, y / 8.0f};
}

} // namespace

TEST(Device3D, DefaultProfileOpensOnlyTheRgbDeviceInTheFallbackOrder)
{
    Rig rig;
    std::shared_ptr<Graphics3D> graphics;
    ASSERT_EQ(rig.display->Query3D(graphics), Result::Ok);
    auto target = rig.Make(8, 8, PixelFormat::Rgb565, kCapsOffscreenPlain | kCaps3DDevice | kCapsSystemMemory);
    const Result expected[] = {Result::Unsupported, Result::Failed, Result::Ok};
    std::shared_ptr<Device3D> device;
    for (uint32_t i = 0; i < kDeviceKindCount && !device; ++i)
        EXPECT_EQ(graphics->CreateDevice(kDeviceKindOrder[i], target, device), expected[i]) << i;
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Kind(), DeviceKind::Rgb);
    EXPECT_EQ(rig.log.Lines(Call::CreateDevice),
              (std::vector<std::string>{"CreateDevice 0 1 -> Unsupported", "CreateDevice 1 1 -> Failed",
                                        "CreateDevice 2 1"}));

    // A software device describes itself in the emulation description.
    DeviceCaps hardware, emulation;
    ASSERT_EQ(device->GetCaps(&hardware, &emulation), Result::Ok);
    EXPECT_FALSE(hardware.hasTriangleCaps);
    EXPECT_TRUE(emulation.hasTriangleCaps);
    EXPECT_EQ(emulation.maxTextureBlendStages, 2u);
    EXPECT_EQ(emulation.srcBlendCaps, (1u << static_cast<uint32_t>(BlendFactor::Count)) - 1);
    EXPECT_TRUE(emulation.textureOpCaps & CapsBit(TextureOp::ModulateColorAddAlpha));
}

TEST(Device3D, ProfilesAndInjectionReachEveryDeviceOutcome)
{
    CapsProfile profile = CapsProfile::WithHardware();
    profile.Device(DeviceKind::Hardware).caps.shadeCaps = 0; // a driver without Gouraud shading
    profile.Device(DeviceKind::Mmx).createResult = Result::Ok;
    Rig rig(profile);
    std::shared_ptr<Graphics3D> graphics;
    ASSERT_EQ(rig.display->Query3D(graphics), Result::Ok);
    DisplayCaps hw;
    rig.display->GetCaps(&hw, nullptr);
    EXPECT_TRUE(hw.has3D);

    auto system = rig.Make(8, 8, PixelFormat::Rgb565, kCapsOffscreenPlain | kCaps3DDevice | kCapsSystemMemory);
    auto video = rig.Make(8, 8, PixelFormat::Rgb565, kCapsOffscreenPlain | kCaps3DDevice | kCapsVideoMemory);
    std::shared_ptr<Device3D> device;
    EXPECT_EQ(graphics->CreateDevice(DeviceKind::Hardware, system, device), Result::InvalidParams);
    ASSERT_EQ(graphics->CreateDevice(DeviceKind::Hardware, video, device), Result::Ok);
    DeviceCaps hardware, emulation;
    device->GetCaps(&hardware, &emulation);
    EXPECT_TRUE(hardware.hasTriangleCaps);
    EXPECT_EQ(hardware.shadeCaps, 0u);
    EXPECT_FALSE(emulation.hasTriangleCaps);

    ASSERT_EQ(graphics->CreateDevice(DeviceKind::Mmx, system, device), Result::Ok);
    rig.injector.FailCall(Operation::CreateDevice, 1, Result::OutOfMemory);
    EXPECT_EQ(graphics->CreateDevice(DeviceKind::Rgb, system, device), Result::OutOfMemory);
    EXPECT_EQ(device, nullptr);

    // Targets must be made for 3D, 16-bit, and present.
    auto flat = rig.Make(8, 8, PixelFormat::Rgb565, kCapsOffscreenPlain);
    auto wide = rig.Make(8, 8, PixelFormat::Xrgb8888, kCapsOffscreenPlain | kCaps3DDevice);
    EXPECT_EQ(graphics->CreateDevice(DeviceKind::Rgb, flat, device), Result::InvalidParams);
    EXPECT_EQ(graphics->CreateDevice(DeviceKind::Rgb, wide, device), Result::Unsupported);
    EXPECT_EQ(graphics->CreateDevice(DeviceKind::Rgb, nullptr, device), Result::InvalidParams);
    rig.display->LoseSurfaces();
    EXPECT_EQ(graphics->CreateDevice(DeviceKind::Rgb, video, device), Result::SurfaceLost);

    rig.injector.FailCall(Operation::Query3D, 1, Result::Unsupported);
    EXPECT_EQ(rig.display->Query3D(graphics), Result::Unsupported);
}

TEST(Device3D, FormatListsFollowTheProfile)
{
    CapsProfile profile = CapsProfile::Default();
    profile.Device(DeviceKind::Hardware).depthFormats = {PixelFormat::Z16S8, PixelFormat::Z24};
    profile.Device(DeviceKind::Mmx).depthFormats = {};
    profile.Device(DeviceKind::Rgb).textureFormats = {PixelFormat::Argb1555, PixelFormat::Rgb565};
    Rig rig(profile);
    std::shared_ptr<Graphics3D> graphics;
    ASSERT_EQ(rig.display->Query3D(graphics), Result::Ok);
    std::vector<PixelFormat> formats;
    ASSERT_EQ(graphics->EnumDepthFormats(DeviceKind::Hardware, formats), Result::Ok);
    ASSERT_EQ(formats.size(), 2u);
    // 16 depth bits with 8 stencil bits count 24 in all; 24 depth bits without stencil too.
    const PixelFormatInfo stencilled = DescribeFormat(formats[0]);
    EXPECT_EQ(stencilled.zBitDepth, 24u);
    EXPECT_EQ(stencilled.stencilBitDepth, 8u);
    EXPECT_TRUE(stencilled.flags & kPixelFlagStencil);
    EXPECT_EQ(DescribeFormat(formats[1]).zBitDepth, 24u);
    EXPECT_EQ(DescribeFormat(formats[1]).stencilBitDepth, 0u);
    ASSERT_EQ(graphics->EnumDepthFormats(DeviceKind::Mmx, formats), Result::Ok);
    EXPECT_TRUE(formats.empty());
    ASSERT_EQ(graphics->EnumDepthFormats(DeviceKind::Rgb, formats), Result::Ok);
    EXPECT_EQ(formats, (std::vector<PixelFormat>{PixelFormat::Z16, PixelFormat::Z32}));

    auto target = rig.Make(4, 4, PixelFormat::Rgb565, kCapsOffscreenPlain | kCaps3DDevice);
    std::shared_ptr<Device3D> device;
    ASSERT_EQ(graphics->CreateDevice(DeviceKind::Rgb, target, device), Result::Ok);
    ASSERT_EQ(device->EnumTextureFormats(formats), Result::Ok);
    ASSERT_EQ(formats.size(), 2u);
    const PixelFormatInfo first = DescribeFormat(formats[0]);
    EXPECT_EQ(first.alphaMask, 0x8000u);
    EXPECT_EQ(first.redMask, 0x7C00u);
    EXPECT_EQ(DescribeFormat(formats[1]).alphaMask, 0u);
}

TEST(Device3D, ClearsColourAndDepthWithinTheViewportOnly)
{
    DeviceRig rig(PixelFormat::Z16);
    ViewportDesc vp;
    vp.x = 2;
    vp.y = 1;
    vp.width = 4;
    vp.height = 3;
    ASSERT_EQ(rig.viewport->SetViewport(vp), Result::Ok);
    const Rect all{0, 0, 8, 6};
    ASSERT_EQ(rig.viewport->Clear(1, &all, kClearTarget | kClearZBuffer, 0x00FF7F00, 0.95f, 0), Result::Ok);
    for (uint32_t y = 0; y < 6; ++y)
    {
        for (uint32_t x = 0; x < 8; ++x)
        {
            const bool inside = x >= 2 && x < 6 && y >= 1 && y < 4;
            EXPECT_EQ(Pixel(*rig.target, x, y), inside ? 0xFBE0u : 0u) << x << ", " << y;
            EXPECT_EQ(Pixel(*rig.depth, x, y), inside ? 62258u : 0u) << x << ", " << y;
        }
    }

    // Depth only, two rectangles, one partly outside the viewport.
    const Rect two[] = {{2, 1, 3, 2}, {5, 3, 9, 9}};
    ASSERT_EQ(rig.viewport->Clear(2, two, kClearZBuffer, 0, 0.0f, 0), Result::Ok);
    EXPECT_EQ(Pixel(*rig.depth, 2, 1), 0u);
    EXPECT_EQ(Pixel(*rig.depth, 5, 3), 0u);
    EXPECT_EQ(Pixel(*rig.depth, 3, 1), 62258u);
    EXPECT_EQ(Pixel(*rig.target, 2, 1), 0xFBE0u);
    EXPECT_EQ(rig.log.Lines(Call::Clear),
              (std::vector<std::string>{"Clear 3 0x00ff7f00 1 z=0.95", "Clear 2 0x00000000 2 z=0.00"}));
}

TEST(Device3D, ClearChecksItsArgumentsAndTarget)
{
    DeviceRig rig;
    const Rect all{0, 0, 8, 6};
    const Rect inverted{4, 0, 2, 6};
    EXPECT_EQ(rig.viewport->Clear(1, &all, kClearZBuffer, 0, 1.0f, 0), Result::InvalidParams); // no depth buffer
    EXPECT_EQ(rig.viewport->Clear(0, &all, kClearTarget, 0, 1.0f, 0), Result::InvalidParams);
    EXPECT_EQ(rig.viewport->Clear(1, &all, 0, 0, 1.0f, 0), Result::InvalidParams);
    EXPECT_EQ(rig.viewport->Clear(1, &inverted, kClearTarget, 0, 1.0f, 0), Result::InvalidRect);
    ViewportDesc tooBig;
    tooBig.x = 1;
    tooBig.width = 8;
    tooBig.height = 6;
    EXPECT_EQ(rig.viewport->SetViewport(tooBig), Result::InvalidParams);
    PixelView v;
    ASSERT_EQ(rig.target->Lock(0, v), Result::Ok);
    EXPECT_EQ(rig.viewport->Clear(1, &all, kClearTarget, 0xFFFFFF, 1.0f, 0), Result::Busy);
    rig.target->Unlock();

    std::shared_ptr<Viewport3D> loose;
    ASSERT_EQ(rig.graphics->CreateViewport(loose), Result::Ok);
    ViewportDesc vp;
    vp.width = vp.height = 1;
    EXPECT_EQ(loose->SetViewport(vp), Result::NotAttached);
    EXPECT_EQ(loose->Clear(1, &all, kClearTarget, 0, 1.0f, 0), Result::NotAttached);
    EXPECT_EQ(rig.device->SetCurrentViewport(loose), Result::InvalidParams);

    // A viewport outliving its device forgets it.
    rig.device.reset();
    EXPECT_EQ(rig.viewport->Device(), nullptr);
    EXPECT_EQ(rig.viewport->Clear(1, &all, kClearTarget, 0, 1.0f, 0), Result::NotAttached);
}

TEST(Device3D, StencilledDepthClearsKeepTheStencilAboveTheDepth)
{
    DeviceRig rig(PixelFormat::Z24S8, 2, 2);
    const Rect all{0, 0, 2, 2};
    ASSERT_EQ(rig.viewport->Clear(1, &all, kClearZBuffer, 0, 0.95f, 3), Result::Ok);
    EXPECT_EQ(Pixel(*rig.depth, 1, 1), (3u << 24) | 15938354u);
    EXPECT_EQ(DepthToStored(PixelFormat::Z32, 1.0f), 0xFFFFFFFFu);
    EXPECT_EQ(DepthToStored(PixelFormat::Z16, -0.5f), 0u);
    EXPECT_EQ(DepthToStored(PixelFormat::Z16, 2.0f), 65535u);
}

TEST(Device3D, StoresEveryStateAndStartsFromTheDefaults)
{
    DeviceRig withDepth(PixelFormat::Z16);
    DeviceRig without;
    uint32_t value = 99;
    ASSERT_EQ(withDepth.device->GetRenderState(RenderState::ZEnable, value), Result::Ok);
    EXPECT_EQ(value, 1u);
    ASSERT_EQ(without.device->GetRenderState(RenderState::ZEnable, value), Result::Ok);
    EXPECT_EQ(value, 0u);
    without.device->GetTextureStageState(1, StageState::ColorOp, value);
    EXPECT_EQ(value, ToState(TextureOp::Disable));
    without.device->GetTextureStageState(1, StageState::TexCoordIndex, value);
    EXPECT_EQ(value, 1u);

    Device3D& device = *without.device;
    for (uint32_t i = 0; i < kRenderStateCount; ++i)
        ASSERT_EQ(device.SetRenderState(static_cast<RenderState>(i), 1000 + i), Result::Ok);
    for (uint32_t i = 0; i < kRenderStateCount; ++i)
    {
        ASSERT_EQ(device.GetRenderState(static_cast<RenderState>(i), value), Result::Ok);
        EXPECT_EQ(value, 1000 + i) << RenderStateName(static_cast<RenderState>(i));
    }
    EXPECT_EQ(device.SetRenderState(RenderState::Count, 1), Result::InvalidParams);
    ASSERT_EQ(device.SetRenderState(RenderState::FogTableEnd, StateFromFloat(0.75f)), Result::Ok);
    EXPECT_EQ(FloatFromState(device.State().Get(RenderState::FogTableEnd)), 0.75f);

    ASSERT_EQ(device.SetLightState(LightState::FogMode, ToState(FogMode::Linear)), Result::Ok);
    device.GetLightState(LightState::FogMode, value);
    EXPECT_EQ(value, ToState(FogMode::Linear));

    // One address state sets both axes; the axes can then differ.
    ASSERT_EQ(device.SetTextureStageState(1, StageState::Address, ToState(TextureAddress::Clamp)), Result::Ok);
    EXPECT_EQ(device.State().Get(1, StageState::AddressU), ToState(TextureAddress::Clamp));
    EXPECT_EQ(device.State().Get(1, StageState::AddressV), ToState(TextureAddress::Clamp));
    ASSERT_EQ(device.SetTextureStageState(1, StageState::AddressV, ToState(TextureAddress::Wrap)), Result::Ok);
    EXPECT_EQ(device.State().Get(1, StageState::AddressU), ToState(TextureAddress::Clamp));
    EXPECT_EQ(device.State().Get(0, StageState::AddressU), ToState(TextureAddress::Wrap));
    ASSERT_EQ(device.SetTextureStageState(3, StageState::ColorArg1, TextureArg::kTexture | TextureArg::kComplement),
              Result::Ok);
    device.GetTextureStageState(3, StageState::ColorArg1, value);
    EXPECT_EQ(value, TextureArg::kTexture | TextureArg::kComplement);
    EXPECT_EQ(device.SetTextureStageState(kMaxTextureStages, StageState::ColorOp, 0), Result::InvalidParams);

    EXPECT_EQ(without.log.Lines(Call::SetTextureStageState)[0], "SetTextureStageState 1 Address 1");
}

TEST(Device3D, TexturesAreHeldPerStage)
{
    DeviceRig rig;
    auto plain = rig.Make(4, 4, PixelFormat::Rgb565);
    EXPECT_EQ(rig.device->SetTexture(0, plain), Result::InvalidParams);
    auto texture = rig.Make(4, 4, PixelFormat::Argb4444, kCapsTexture | kCapsSystemMemory);
    const uint32_t id = texture->Id();
    ASSERT_EQ(rig.device->SetTexture(1, texture), Result::Ok);
    EXPECT_EQ(rig.device->SetTexture(kMaxTextureStages, texture), Result::InvalidParams);
    texture.reset();
    std::shared_ptr<Surface> bound;
    ASSERT_EQ(rig.device->GetTexture(1, bound), Result::Ok);
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound->Id(), id);
    ASSERT_EQ(rig.device->SetTexture(1, nullptr), Result::Ok);
    rig.device->GetTexture(1, bound);
    EXPECT_EQ(bound, nullptr);
}

TEST(Device3D, ScenesNestOnceAndDrawsNeedOne)
{
    DeviceRig rig;
    auto vb = rig.Buffer(VertexFormat::TlTex1, 3);
    const uint16_t indices[] = {0, 1, 2};
    EXPECT_EQ(rig.device->EndScene(), Result::NotInScene);
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, indices, 3, 0), Result::NotInScene);
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, indices, 0, 0), Result::NotInScene);
    ASSERT_EQ(rig.device->BeginScene(), Result::Ok);
    EXPECT_EQ(rig.device->BeginScene(), Result::AlreadyInScene);
    EXPECT_TRUE(rig.device->InScene());
    ASSERT_EQ(rig.device->EndScene(), Result::Ok);

    rig.injector.FailCall(Operation::BeginScene, 1, Result::SurfaceLost);
    EXPECT_EQ(rig.device->BeginScene(), Result::SurfaceLost);
    EXPECT_FALSE(rig.device->InScene());
    EXPECT_TRUE(rig.Recorder().Draws().empty());
}

TEST(Device3D, VertexBuffersLockWholeAndRefuseDrawsWhileLocked)
{
    DeviceRig rig;
    auto one = rig.Buffer(VertexFormat::TlTex1, 10);
    auto two = rig.Buffer(VertexFormat::TlTex2, 10);
    void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(one->Lock(kLockWait | kLockWriteOnly, data, &size), Result::Ok);
    EXPECT_EQ(size, 320u);
    void* again = nullptr;
    EXPECT_EQ(one->Lock(kLockWait, again), Result::Busy);
    EXPECT_EQ(again, nullptr);
    ASSERT_EQ(two->Lock(0, data, &size), Result::Ok);
    EXPECT_EQ(size, 400u);

    ASSERT_EQ(rig.device->BeginScene(), Result::Ok);
    const uint16_t indices[] = {0, 1, 2};
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *one, indices, 3, 0), Result::Busy);
    ASSERT_EQ(one->Unlock(), Result::Ok);
    EXPECT_EQ(one->Unlock(), Result::NotLocked);
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *one, indices, 3, 0), Result::Ok);

    rig.injector.FailCall(Operation::LockVertexBuffer, 1, Result::SurfaceLost);
    EXPECT_EQ(one->Lock(0, data), Result::SurfaceLost);
    EXPECT_FALSE(one->IsLocked());

    VertexBufferDesc empty;
    std::shared_ptr<VertexBuffer> none;
    EXPECT_EQ(rig.graphics->CreateVertexBuffer(empty, none), Result::InvalidParams);
}

TEST(Device3D, DrawsReachTheRasterizerWithTheirVerticesIndicesAndStates)
{
    DeviceRig rig(PixelFormat::Z16);
    auto texture = rig.Make(4, 4, PixelFormat::Rgb565, kCapsTexture | kCapsSystemMemory);
    auto vb = rig.Buffer(VertexFormat::TlTex1, 4);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(kLockWait | kLockWriteOnly, data), Result::Ok);
    const TlVertex1 quad[] = {Vertex(0, 0, 0xFF0000FF), Vertex(8, 0, 0xFF00FF00), Vertex(0, 6, 0xFFFF0000),
                              Vertex(8, 6, 0xFFFFFFFF)};
    std::memcpy(data, quad, sizeof quad);
    ASSERT_EQ(vb->Unlock(), Result::Ok);

    ASSERT_EQ(rig.device->BeginScene(), Result::Ok);
    rig.device->SetRenderState(RenderState::ShadeMode, ToState(ShadeMode::Flat));
    rig.device->SetTexture(0, texture);
    const uint16_t indices[] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, indices, 6,
                                                 kDrawDoNotClip | kDrawDoNotUpdateExtents),
              Result::Ok);
    rig.device->SetRenderState(RenderState::ShadeMode, ToState(ShadeMode::Gouraud));
    // Lines from the middle of the buffer.
    ASSERT_EQ(rig.device->DrawPrimitiveVB(PrimitiveType::LineList, *vb, 2, 2, 0), Result::Ok);
    // A trial draw of the two-set layout from memory.
    TlVertex2 trial[3] = {};
    trial[1].x = 2.0f;
    trial[2].tv1 = 0.25f;
    ASSERT_EQ(rig.device->DrawPrimitive(PrimitiveType::TriangleList, VertexFormat::TlTex2, trial, 3, kDrawWait),
              Result::Ok);
    ASSERT_EQ(rig.device->EndScene(), Result::Ok);

    const auto& draws = rig.Recorder().Draws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].vertices.size(), 4u);
    EXPECT_EQ(draws[0].vertices[3].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(draws[0].vertices[1].x, 8.0f);
    EXPECT_EQ(draws[0].vertices[1].tu1, 0.0f); // one-set vertices widen with zeros
    EXPECT_EQ(draws[0].indices, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(draws[0].state.Get(RenderState::ShadeMode), ToState(ShadeMode::Flat)); // the state at draw time
    EXPECT_EQ(draws[0].textureIds[0], texture->Id());
    EXPECT_EQ(draws[0].targetId, rig.target->Id());
    EXPECT_EQ(draws[0].depthId, rig.depth->Id());
    EXPECT_EQ(draws[1].primitive, PrimitiveType::LineList);
    ASSERT_EQ(draws[1].vertices.size(), 2u);
    EXPECT_EQ(draws[1].vertices[0].diffuse, 0xFFFF0000u);
    EXPECT_TRUE(draws[1].indices.empty());
    EXPECT_EQ(draws[1].state.Get(RenderState::ShadeMode), ToState(ShadeMode::Gouraud));
    EXPECT_EQ(draws[2].format, VertexFormat::TlTex2);
    EXPECT_EQ(draws[2].vertices[1].x, 2.0f);
    EXPECT_EQ(draws[2].vertices[2].tv1, 0.25f);

    EXPECT_EQ(rig.log.Lines(Call::DrawIndexedPrimitiveVB), (std::vector<std::string>{"DrawIndexedPrimitiveVB 0 6 4"}));
    EXPECT_EQ(rig.log.Lines(Call::DrawPrimitiveVB), (std::vector<std::string>{"DrawPrimitiveVB 1 2 2"}));
}

TEST(Device3D, MalformedDrawsAreRefusedBeforeTheRasterizer)
{
    DeviceRig rig;
    auto vb = rig.Buffer(VertexFormat::TlTex1, 4);
    ASSERT_EQ(rig.device->BeginScene(), Result::Ok);
    const uint16_t outOfRange[] = {0, 1, 4};
    const uint16_t partial[] = {0, 1, 2, 3};
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, outOfRange, 3, 0),
              Result::InvalidParams);
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, partial, 4, 0),
              Result::InvalidParams);
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, nullptr, 3, 0),
              Result::InvalidParams);
    EXPECT_EQ(rig.device->DrawPrimitiveVB(PrimitiveType::LineList, *vb, 3, 2, 0), Result::InvalidParams);
    EXPECT_EQ(rig.device->DrawPrimitiveVB(PrimitiveType::LineList, *vb, 0, 3, 0), Result::InvalidParams);
    EXPECT_EQ(rig.device->DrawPrimitive(PrimitiveType::TriangleList, VertexFormat::TlTex1, nullptr, 3, 0),
              Result::InvalidParams);
    // An empty batch is fine and draws nothing.
    EXPECT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, partial, 0, 0), Result::Ok);

    auto lostTexture = rig.Make(4, 4, PixelFormat::Rgb565, kCapsTexture | kCapsVideoMemory);
    rig.device->SetTexture(0, lostTexture);
    rig.display->LoseSurfaces();
    EXPECT_EQ(rig.device->DrawPrimitiveVB(PrimitiveType::TriangleList, *vb, 0, 3, 0), Result::SurfaceLost);
    EXPECT_TRUE(rig.Recorder().Draws().empty());
}

TEST(Device3D, RecordingModeLogsAFrameInOrder)
{
    DeviceRig rig;
    auto vb = rig.Buffer(VertexFormat::TlTex1, 3);
    rig.log.Clear();
    const Rect all{0, 0, 8, 6};
    rig.viewport->Clear(1, &all, kClearTarget, 0x000000FF, 1.0f, 0);
    rig.device->BeginScene();
    rig.device->SetRenderState(RenderState::ZFunc, ToState(CompareFunc::Always));
    rig.device->SetTextureStageState(0, StageState::MipFilter, ToState(TextureFilter::Linear));
    uint32_t passes = 0;
    ASSERT_EQ(rig.device->Validate(passes), Result::Ok);
    EXPECT_EQ(passes, 1u);
    const uint16_t indices[] = {0, 1, 2};
    rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, indices, 3, 0);
    rig.device->EndScene();
    EXPECT_EQ(rig.log.Lines(), (std::vector<std::string>{
                                   "Clear 1 0x000000ff 1 z=1.00",
                                   "BeginScene",
                                   "SetRenderState ZFunc 1",
                                   "SetTextureStageState 0 MipFilter 2",
                                   "Validate",
                                   "DrawIndexedPrimitiveVB 0 3 3",
                                   "EndScene",
                               }));

    rig.injector.FailCall(Operation::Validate, 1, Result::Unsupported);
    EXPECT_EQ(rig.device->Validate(passes), Result::Unsupported);
    EXPECT_EQ(passes, 0u);
}

TEST(Device3D, DevicesDrawWithTheSoftwareRasterizerUnlessTestsAskOtherwise)
{
    DeviceRig rig(PixelFormat::Unknown, 8, 6, RasterizerFactory{});
    EXPECT_EQ(dynamic_cast<RecordingRasterizer*>(&rig.device->GetRasterizer()), nullptr);
    auto vb = rig.Buffer(VertexFormat::TlTex1, 4);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(kLockWait | kLockWriteOnly, data), Result::Ok);
    const TlVertex1 quad[] = {Vertex(0, 0, 0xFFFF0000), Vertex(8, 0, 0xFFFF0000), Vertex(0, 6, 0xFFFF0000),
                              Vertex(8, 6, 0xFFFF0000)};
    std::memcpy(data, quad, sizeof quad);
    ASSERT_EQ(vb->Unlock(), Result::Ok);
    rig.device->SetRenderState(RenderState::CullMode, ToState(CullMode::None));
    rig.device->SetTextureStageState(0, StageState::ColorOp, ToState(TextureOp::SelectArg2));
    ASSERT_EQ(rig.device->BeginScene(), Result::Ok);
    const uint16_t indices[] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(rig.device->DrawIndexedPrimitiveVB(PrimitiveType::TriangleList, *vb, indices, 6, 0), Result::Ok);
    ASSERT_EQ(rig.device->EndScene(), Result::Ok);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            EXPECT_EQ(Pixel(*rig.target, x, y), 0xF800u) << x << "," << y;
}
