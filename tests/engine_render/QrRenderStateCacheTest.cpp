// The render-state cache: setters only record, each apply sends exactly what differs from
// what the device last received, and a fresh device starts from a known state.

#include "RenderTestFixture.h"

#include "GoldenImage.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrImage.h"
#include "QrPoint3.h"
#include "QrRenderCode.h"

#include <string>
#include <vector>

namespace
{

using Lines = std::vector<std::string>;

class QrRenderStateCacheTest : public QrRenderTest
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

    QrD3DDevice& Dev() { return Device(*m_renderer); }
    // The state traffic of one apply.
    Lines Apply(bool vertexFog = false)
    {
        m_calls.Clear();
        Dev().ApplyRenderStates(vertexFog);
        return m_calls.Lines();
    }

    QrPointer<QrD3DRender> m_renderer;
};

TEST_F(QrRenderStateCacheTest, SettersSendNothingAndTheSecondApplySendsNothing)
{
    Open();
    m_renderer->SetWireframe(1);
    m_renderer->SetShade(0);
    m_renderer->SetTransparent(1);
    m_renderer->SetAlphaBlending(1, 2, 3);
    m_renderer->SetZBufferTest(1);
    m_renderer->SetZBufferWrite(1);
    m_renderer->SetDither(1);
    m_renderer->SetCorrection(0);
    EXPECT_TRUE(m_calls.Records().empty());

    EXPECT_EQ(Apply(),
              (Lines{"SetRenderState FillMode 0", "SetRenderState TexturePerspective 0", "SetRenderState ShadeMode 0",
                     "SetRenderState ColorKeyEnable 1", "SetRenderState AlphaBlendEnable 1",
                     "SetRenderState SrcBlend 2", "SetRenderState DestBlend 3", "SetRenderState ZFunc 0",
                     "SetRenderState ZWriteEnable 1", "SetRenderState DitherEnable 1"}));
    EXPECT_TRUE(Apply().empty());

    // Only the one state that changes back goes out.
    m_renderer->SetWireframe(0);
    m_renderer->SetDither(1);
    EXPECT_EQ(Apply(), (Lines{"SetRenderState FillMode 1"}));
}

TEST_F(QrRenderStateCacheTest, FreshDeviceSendsNothingForItsDefaults)
{
    Open();
    EXPECT_TRUE(Apply().empty());
    EXPECT_EQ(Dev().GetRequestedState() & 0x7FF, QrD3DDevice::kStateCorrection | QrD3DDevice::kStateGouraud);
}

TEST_F(QrRenderStateCacheTest, BlendFactorsStayWhileBlendingIsOff)
{
    Open();
    m_renderer->SetAlphaBlending(0, 2, 3);
    EXPECT_TRUE(Apply().empty());
    m_renderer->SetAlphaBlending(1, 4, 5);
    Apply();
    m_renderer->SetAlphaBlending(0, 0, 0);
    EXPECT_EQ(Apply(), (Lines{"SetRenderState AlphaBlendEnable 0"}));
    m_renderer->SetAlphaBlending(1, 1, 1);
    m_renderer->SetAlphaBlending(0, 9, 9);
    Apply();
    // Switched on again: the factors of the last enabling call.
    EXPECT_EQ(Dev().GetRequestedSource(), plat::BlendFactor::Zero);
    EXPECT_EQ(Dev().GetRequestedDestination(), plat::BlendFactor::Zero);
    // Codes outside the table leave the factors alone.
    m_renderer->SetAlphaBlending(1, 11, 2);
    EXPECT_EQ(Dev().GetRequestedSource(), plat::BlendFactor::Zero);
}

TEST_F(QrRenderStateCacheTest, DepthRequestsNeedADepthBuffer)
{
    Open(8);
    m_renderer->SetZBufferTest(1);
    m_renderer->SetZBufferWrite(1);
    EXPECT_EQ(Dev().GetRequestedState() & (QrD3DDevice::kStateZTest | QrD3DDevice::kStateZWrite), 0u);
    EXPECT_TRUE(Apply().empty());
}

TEST_F(QrRenderStateCacheTest, SpecularFollowsTheDrawDefaults)
{
    Open();
    m_renderer->SetSpecular(1);
    EXPECT_TRUE(Driver(*m_renderer).GetStateFlags() & QrD3DDriver::kStateSpecular);
    // The device adds highlights only in draws whose lighting made them.
    Driver(*m_renderer).ApplyDrawDefaults();
    EXPECT_TRUE(Apply().empty());
    Driver(*m_renderer).SetSpecularSwitch(true);
    Driver(*m_renderer).ApplyDrawDefaults();
    EXPECT_EQ(Apply(), (Lines{"SetRenderState SpecularEnable 1"}));
    Driver(*m_renderer).SetSpecularSwitch(false);
    Driver(*m_renderer).ApplyDrawDefaults();
    EXPECT_EQ(Apply(), (Lines{"SetRenderState SpecularEnable 0"}));
}

TEST_F(QrRenderStateCacheTest, FogSetUpsAreSentOnlyWhenTheyChange)
{
    Open();
    const QrPoint3 red(1.0f, 0.0f, 0.0f);
    m_calls.Clear();
    m_renderer->SetFog(1, 0.5f, 0, red);
    // The colour goes out at once, and only when it differs.
    EXPECT_EQ(m_calls.Lines(), (Lines{"SetRenderState FogColor 16711680"}));
    m_calls.Clear();
    m_renderer->SetFog(1, 0.5f, 0, red);
    EXPECT_TRUE(m_calls.Records().empty());

    const uint32_t start = plat::StateFromFloat(2.0f);
    const uint32_t end = plat::StateFromFloat(3.0f);
    EXPECT_EQ(Apply(true), (Lines{"SetRenderState FogEnable 1", "SetRenderState RangeFogEnable 0",
                                  "SetRenderState FogTableMode 0", "SetLightState FogMode 0"}));
    EXPECT_TRUE(Apply(true).empty());
    EXPECT_EQ(Apply(false),
              (Lines{"SetRenderState FogEnable 1", "SetRenderState RangeFogEnable 0", "SetRenderState FogTableMode 0",
                     "SetLightState FogMode 1", "SetLightState FogStart " + std::to_string(start),
                     "SetLightState FogEnd " + std::to_string(end)}));
    m_renderer->SetFog(1, 0.5f, 1, red);
    EXPECT_EQ(Apply(false),
              (Lines{"SetRenderState FogEnable 1", "SetRenderState FogTableMode 0", "SetRenderState RangeFogEnable 1",
                     "SetLightState FogMode 1", "SetLightState FogStart " + std::to_string(start),
                     "SetLightState FogEnd " + std::to_string(end)}));
    m_renderer->SetFog(0, 0.5f, 1, red);
    EXPECT_EQ(Apply(false),
              (Lines{"SetLightState FogMode 0", "SetRenderState FogEnable 0", "SetRenderState FogTableMode 0"}));
}

TEST_F(QrRenderStateCacheTest, TableFogWhereTheDeviceHasIt)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).caps.rasterCaps |= plat::kRasterCapsFogTable;
    Open();
    EXPECT_TRUE(OutputHas("Render create message: Device supports per-pixel z-based fog\n"));
    // Nothing selects the per-pixel set-up yet, so the device keeps fogging by vertex.
    m_renderer->SetFog(1, 0.5f, 0, QrPoint3());
    const Lines lines = Apply(false);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(Dev().GetFogSetup(), 2u);
}

TEST_F(QrRenderStateCacheTest, FilterModesAreDowngradedToWhatTheTextureAndDeviceAllow)
{
    Open();
    using plat::StageState;
    auto filters = [this](bool mipmaps, bool interpolate)
    {
        m_calls.Clear();
        Dev().ApplyTextureFilter(mipmaps, interpolate, 0, 0);
        return m_calls.Lines();
    };
    const uint32_t point = plat::ToState(plat::TextureFilter::Point);
    const uint32_t linear = plat::ToState(plat::TextureFilter::Linear);
    const uint32_t none = plat::ToState(plat::TextureFilter::None);
    auto row = [](uint32_t mag, uint32_t min, uint32_t mip)
    {
        return Lines{"SetTextureStageState 0 MagFilter " + std::to_string(mag),
                     "SetTextureStageState 0 MinFilter " + std::to_string(min),
                     "SetTextureStageState 0 MipFilter " + std::to_string(mip)};
    };

    m_renderer->SetTextureFilterMode(2);
    // Without mipmaps trilinear is bilinear.
    EXPECT_EQ(filters(false, true), row(linear, linear, none));
    EXPECT_TRUE(filters(false, true).empty());
    // Without interpolation between levels it picks the nearest level.
    EXPECT_EQ(filters(true, false), row(linear, linear, point));
    EXPECT_EQ(filters(true, true), row(linear, linear, linear));
    m_renderer->SetTextureFilterMode(4);
    EXPECT_EQ(filters(false, true), row(point, point, none));
    // Codes beyond the table leave the mode as it was.
    m_renderer->SetTextureFilterMode(6);
    EXPECT_EQ(Dev().GetRequestedFilter(0), 4u);
}

TEST_F(QrRenderStateCacheTest, ClampModesByAddressingCapability)
{
    Open();
    using plat::StageState;
    auto clamp = [this](uint32_t stage, uint32_t slot)
    {
        m_calls.Clear();
        Dev().ApplyTextureClamp(stage, slot);
        return m_calls.Lines();
    };
    const std::string wrap = std::to_string(plat::ToState(plat::TextureAddress::Wrap));
    const std::string clampValue = std::to_string(plat::ToState(plat::TextureAddress::Clamp));

    m_renderer->SetTextureClampMode(1); // clamp S, wrap T
    EXPECT_EQ(clamp(0, 0), (Lines{"SetTextureStageState 0 AddressU " + clampValue}));
    m_renderer->SetTextureClampMode(2); // wrap S, clamp T
    EXPECT_EQ(clamp(0, 0),
              (Lines{"SetTextureStageState 0 AddressU " + wrap, "SetTextureStageState 0 AddressV " + clampValue}));
    EXPECT_TRUE(clamp(0, 0).empty());
    // The second texture slot has requests of its own.
    uint32_t clampModes[1] = {0};
    m_renderer->SetMultiTexture(nullptr, nullptr, clampModes, nullptr);
    EXPECT_EQ(clamp(1, 1), (Lines{"SetTextureStageState 1 AddressU " + clampValue,
                                  "SetTextureStageState 1 AddressV " + clampValue}));
}

TEST_F(QrRenderStateCacheTest, OneAddressModeWithoutIndependentAddressing)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).caps.addressCaps = plat::kAddressCapsWrap | plat::kAddressCapsClamp;
    Open();
    const std::string clampValue = std::to_string(plat::ToState(plat::TextureAddress::Clamp));
    m_renderer->SetTextureClampMode(1);
    m_calls.Clear();
    Dev().ApplyTextureClamp(0, 0);
    EXPECT_EQ(m_calls.Lines(), (Lines{"SetTextureStageState 0 Address " + clampValue}));
    // T's request alone changes nothing here.
    m_renderer->SetTextureClampMode(0);
    m_calls.Clear();
    Dev().ApplyTextureClamp(0, 0);
    EXPECT_TRUE(m_calls.Records().empty());
}

TEST_F(QrRenderStateCacheTest, TextureSlotsHoldTheirImages)
{
    Open();
    QrPointer<QrImage> image = QrImage::CreateFromFile("any.bmp", 2);
    ASSERT_TRUE(image);
    const uint32_t before = image->GetRefCount();
    m_renderer->SetTexture(image.Get());
    QrImage* images[1] = {image.Get()};
    uint32_t apply[1] = {5};
    m_renderer->SetMultiTexture(images, apply, nullptr, nullptr);
    EXPECT_EQ(image->GetRefCount(), before + 2);
    EXPECT_EQ(Dev().GetApplyMode(1), 5u);
    m_renderer->SetMultiTexture(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(Dev().GetStageTexture(1), nullptr);
    EXPECT_EQ(Dev().GetApplyMode(1), 5u);
    m_renderer->SetTexture(nullptr);
    EXPECT_EQ(image->GetRefCount(), before);
}

TEST_F(QrRenderStateCacheTest, InitialRenderStateIsTheGoldenList)
{
    Open();
    ASSERT_EQ(Dev().SetRenderModes(), 0u);
    EXPECT_TRUE(golden::MatchesGoldenText("render_initial_state.txt", m_calls.Lines()));
    // The cache records what was sent, so applying the creation defaults sends nothing.
    EXPECT_TRUE(Apply().empty());
}

TEST_F(QrRenderStateCacheTest, RenderModesNeedAViewport)
{
    QrD3DDevice unopened;
    EXPECT_EQ(unopened.SetRenderModes(), QrRenderCode::kFail);
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(),
                 "Render create failed: Cannot set rendering modes without a viewport");
    EXPECT_TRUE(m_calls.Records().empty());
}

TEST_F(QrRenderStateCacheTest, DefaultStatesClearTheDriverFlags)
{
    Open();
    uint32_t flags = 0xFFFFFFFFu;
    m_renderer->SetWireframe(1);
    m_renderer->SetShade(0);
    EXPECT_EQ(Dev().ApplyDefaultStates(flags), 0u);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(Dev().GetRequestedState() & 0x7FF, QrD3DDevice::kStateCorrection | QrD3DDevice::kStateGouraud);
}

} // namespace
