// What the renderer makes of a device's capabilities: the filter table, the blend masks, the
// texture formats, the multitexture mode table found by trial drawing, and the validation of
// whole property lists against all of these.

#include "RenderTestFixture.h"

#include "Device3D.h"
#include "Display.h"
#include "QrAlphaProperty.h"
#include "QrD3DDevice.h"
#include "QrDDBufferImage.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrDitherProperty.h"
#include "QrFogProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrPixelFormat.h"
#include "QrPointerList.h"
#include "QrSpecularProperty.h"
#include "QrTextureManager.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrZBufferProperty.h"
#include "Surface.h"

#include <string>

namespace
{

using plat::TextureFilter;

class QrCapabilityTest : public QrRenderTest
{
protected:
    plat::DeviceCaps& Caps() { return m_config.profile.Device(plat::DeviceKind::Rgb).caps; }
    void Open(uint32_t flags = 9)
    {
        m_renderer = Create(Windowed(flags));
        ASSERT_TRUE(m_renderer) << QrD3DRender::GetLastErrorText();
    }
    void TearDown() override
    {
        m_list.RemoveAll();
        m_renderer = nullptr;
        QrRenderTest::TearDown();
    }
    QrD3DDevice& Dev() { return Device(*m_renderer); }

    void ExpectRow(uint32_t mode, TextureFilter min, TextureFilter mag, TextureFilter mip)
    {
        SCOPED_TRACE(mode);
        const QrD3DDevice::FilterRow& row = Dev().GetFilterRow(mode);
        EXPECT_EQ(row.min, min);
        EXPECT_EQ(row.mag, mag);
        EXPECT_EQ(row.mip, mip);
    }

    // A renderer image the device has a texture format for.
    QrPointer<QrImage> Textured()
    {
        plat::SurfaceDesc desc;
        desc.width = 16;
        desc.height = 16;
        desc.caps = plat::kCapsOffscreenPlain | plat::kCapsSystemMemory;
        desc.format = plat::PixelFormat::Rgb565;
        std::shared_ptr<plat::Surface> surface;
        EXPECT_EQ(Context(*m_renderer).GetDisplay()->CreateSurface(desc, surface), plat::Result::Ok);
        return QrDDBufferImage::Create(surface);
    }
    // An image with no pixels: no texture can be made of it.
    static QrPointer<QrImage> Empty() { return QrImage::CreateFromFile("nothing.tga", 2); }

    template <class T> T* Add()
    {
        T* property = new T;
        m_list.AddHead(property);
        return property;
    }
    QrTextureProperty* AddTexture(QrImage* image)
    {
        auto* texture = Add<QrTextureProperty>();
        texture->SetImage(image, 0);
        texture->SetCurrentIndex(0);
        return texture;
    }
    QrMultiTextureProperty* AddMultiTexture(QrImage* image, uint32_t mode, uint32_t clamp = 3)
    {
        auto* multi = Add<QrMultiTextureProperty>();
        multi->SetImage(image, 0);
        multi->m_applyModes = {mode};
        multi->m_clampModes = {clamp};
        multi->m_filterModes = {0};
        return multi;
    }
    uint32_t Validate() { return m_renderer->SetPropertyState(&m_list); }

    QrPointer<QrD3DRender> m_renderer;
    QrPointerList<QrProperty> m_list;
};

// --- filter table and blend masks

TEST_F(QrCapabilityTest, FilterTableOfANewStyleDevice)
{
    Open();
    ExpectRow(0, TextureFilter::Point, TextureFilter::Point, TextureFilter::None);
    ExpectRow(1, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::None);
    ExpectRow(2, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::Linear);
    ExpectRow(3, TextureFilter::Point, TextureFilter::Point, TextureFilter::Point);
    ExpectRow(4, TextureFilter::Point, TextureFilter::Point, TextureFilter::Linear);
    ExpectRow(5, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::Point);
    EXPECT_TRUE(m_renderer->GetDeviceFlags() & QrD3DDevice::kCapMipmaps);
    EXPECT_EQ(Dev().GetSourceBlendMask(), 0x7FFu);
    EXPECT_EQ(Dev().GetDestinationBlendMask(), 0x7FFu);
}

TEST_F(QrCapabilityTest, NewStyleDeviceWithoutMipFiltering)
{
    Caps().filterCaps = plat::kFilterCapsMinPoint | plat::kFilterCapsMagLinear;
    Open();
    ExpectRow(1, TextureFilter::Point, TextureFilter::Linear, TextureFilter::None);
    ExpectRow(2, TextureFilter::Point, TextureFilter::Linear, TextureFilter::None);
    ExpectRow(5, TextureFilter::Point, TextureFilter::Linear, TextureFilter::None);
    EXPECT_FALSE(m_renderer->GetDeviceFlags() & QrD3DDevice::kCapMipmaps);
}

TEST_F(QrCapabilityTest, FilterTableOfAnOldStyleDevice)
{
    Caps().filterCaps = plat::kFilterCapsLinear | plat::kFilterCapsMipNearest | plat::kFilterCapsLinearMipLinear;
    Open();
    ExpectRow(1, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::None);
    ExpectRow(2, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::Linear);
    ExpectRow(3, TextureFilter::Point, TextureFilter::Point, TextureFilter::Point);
    // Without the mode-5 cap, mode 4 falls back to mode 5's choice.
    ExpectRow(4, TextureFilter::Point, TextureFilter::Point, TextureFilter::None);
    ExpectRow(5, TextureFilter::Linear, TextureFilter::Linear, TextureFilter::None);
    EXPECT_TRUE(m_renderer->GetDeviceFlags() & QrD3DDevice::kCapMipmaps);
}

TEST_F(QrCapabilityTest, DeviceWithoutTextureFilteringCannotBeUsed)
{
    Caps().filterCaps = plat::kFilterCapsMipPoint;
    EXPECT_FALSE(Create(Windowed()));
    EXPECT_TRUE(OutputHas("Render create failed: Device does not support texture filtering\n"));
    EXPECT_TRUE(OutputHas("Render create message: Attempt to open RGB device failed\n"));
}

TEST_F(QrCapabilityTest, BlendMasksFollowTheEngineCodes)
{
    Caps().srcBlendCaps &= ~plat::CapsBit(plat::BlendFactor::SrcAlphaSat);
    Caps().destBlendCaps &= ~plat::CapsBit(plat::BlendFactor::One);
    Open();
    EXPECT_EQ(Dev().GetSourceBlendMask(), 0x3FFu);
    EXPECT_EQ(Dev().GetDestinationBlendMask(), 0x7FEu);
    // Mode 5 adds (one, one) in two passes; without a destination factor of one it has none.
    EXPECT_EQ(Dev().MultiPassClass(5), 0u);
    EXPECT_EQ(Dev().MultiPassClass(3), 2u);
    EXPECT_EQ(Dev().MultiPassClass(7), 0u);
}

// --- texture formats

TEST_F(QrCapabilityTest, FormatWithOneAlphaBitIsNoAlphaFormat)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).textureFormats = {plat::PixelFormat::Argb1555,
                                                                     plat::PixelFormat::Rgb565};
    Open();
    const QrTextureManager& manager = *Dev().GetTextureManager();
    EXPECT_FALSE(manager.IsFound(QrTextureManager::kKindAlpha));
    EXPECT_EQ(manager.GetChosenPlatformFormat(QrTextureManager::kKindRgb), plat::PixelFormat::Rgb565);
    EXPECT_FALSE(m_renderer->GetDeviceFlags() & QrD3DDevice::kCapAlphaTextures);
}

TEST_F(QrCapabilityTest, FormatOrderFollowsTheCreationFlags)
{
    auto& formats = m_config.profile.Device(plat::DeviceKind::Rgb).textureFormats;
    formats = {plat::PixelFormat::Pal8, plat::PixelFormat::Argb8888, plat::PixelFormat::Rgb565};
    auto kinds = [this]
    {
        std::string text;
        for (const QrPixelFormat& f : Dev().GetTextureManager()->GetFormats())
            text += std::to_string(f.m_kind);
        m_renderer = nullptr;
        QrD3DRender::ReleaseCurrentRenderer();
        return text;
    };
    Open(9);
    EXPECT_EQ(kinds(), "102");
    Open(9 | QrRenderCreateParams::kFlagTexturePalettisedOnly);
    EXPECT_EQ(kinds(), "2");
    Open(9 | QrRenderCreateParams::kFlagTexturePalettisedLast);
    EXPECT_EQ(kinds(), "10");

    // The display keeps the profile it was made with.
    formats = {plat::PixelFormat::Pal8};
    QrDDImage::SetDirectDraw(nullptr);
    Open(9 | QrRenderCreateParams::kFlagTexturePalettisedLast);
    EXPECT_EQ(kinds(), "2");
}

TEST_F(QrCapabilityTest, NoTextureFormatAtAllFailsTheOpen)
{
    m_config.profile.Device(plat::DeviceKind::Rgb).textureFormats = {plat::PixelFormat::Argb1555};
    EXPECT_FALSE(Create(Windowed(9 | QrRenderCreateParams::kFlagTexturePalettisedLast)));
    EXPECT_STREQ(QrD3DRender::GetLastErrorText(), "Render create failed: Texture initialization failed");
}

TEST_F(QrCapabilityTest, FormatKindOfAnImage)
{
    Open();
    QrTextureManager& manager = *Dev().GetTextureManager();
    manager.SetRenderer(m_renderer.Get());
    EXPECT_EQ(manager.GetFormatKind(nullptr), QrTextureManager::kKindNone);
    EXPECT_EQ(manager.GetFormatKind(Empty().Get()), QrTextureManager::kKindNone);
    EXPECT_EQ(manager.GetFormatKind(Textured().Get()), QrTextureManager::kKindRgb);
}

// --- multitexture modes

TEST_F(QrCapabilityTest, TrialDrawingFindsEverySinglePassMode)
{
    Open();
    for (uint32_t mode = 0; mode < QrD3DDevice::kMultiTextureModes; ++mode)
    {
        SCOPED_TRACE(mode);
        const uint8_t passClass = mode == 7 ? 0 : 2;
        for (uint32_t a = 0; a < 2; ++a)
        {
            for (uint32_t b = 0; b < 2; ++b)
                EXPECT_EQ(Dev().GetModeEntry(mode, a, b), QrD3DDevice::kSinglePass | passClass);
        }
        // No palettised texture format on this device, and class 3 is no texture at all.
        EXPECT_EQ(Dev().GetModeEntry(mode, 2, 0), 0u);
        EXPECT_EQ(Dev().GetModeEntry(mode, 0, 3), 0u);
    }
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Supports vertex-first single pass multitexturing\n"));
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Number of available single-pass multitexture modes: 32\n"));
    EXPECT_TRUE(Dev().GetModeFlags() & QrD3DDevice::kModeMultiTrilinear);
    EXPECT_TRUE(Dev().GetModeFlags() & QrD3DDevice::kModeStage1Trilinear);
    EXPECT_FALSE(Dev().GetModeFlags() & QrD3DDevice::kModeVertexLast);
}

TEST_F(QrCapabilityTest, TrialsLeaveTheInitialStateBehind)
{
    Open();
    // The initial state, which ends with the depth compare, goes out again after the last trial.
    const std::vector<plat::CallRecord>& records = m_calls.Records();
    size_t lastDraw = 0;
    size_t lastDepthCompare = 0;
    for (size_t i = 0; i < records.size(); ++i)
    {
        if (records[i].call == plat::Call::DrawPrimitive)
            lastDraw = i;
        if (records[i].ToString() == "SetRenderState ZFunc 1")
            lastDepthCompare = i;
    }
    EXPECT_GT(lastDraw, 0u);
    EXPECT_GT(lastDepthCompare, lastDraw);
    EXPECT_EQ(Dev().GetDevice3D()->State().Get(0, plat::StageState::ColorOp),
              plat::ToState(plat::TextureOp::SelectArg1));
    std::shared_ptr<plat::Surface> bound;
    Dev().GetDevice3D()->GetTexture(0, bound);
    EXPECT_EQ(bound, nullptr);
}

TEST_F(QrCapabilityTest, DeviceWithOneStageIsNeverTried)
{
    Caps().maxTextureBlendStages = 1;
    Open();
    EXPECT_TRUE(m_calls.Of(plat::Call::DrawPrimitive).empty());
    EXPECT_FALSE(OutputHas("Quarrender D3DDriver Info: Number of available single-pass multitexture modes: 0\n"));
    for (uint32_t mode = 0; mode < QrD3DDevice::kMultiTextureModes; ++mode)
        EXPECT_EQ(Dev().GetModeEntry(mode, 0, 0), mode == 7 ? 0u : 2u) << mode;
}

TEST_F(QrCapabilityTest, CreationFlagSkipsTheTrials)
{
    Open(9 | QrRenderCreateParams::kFlagNoMultitextureTrials);
    EXPECT_TRUE(m_calls.Of(plat::Call::DrawPrimitive).empty());
    EXPECT_EQ(Dev().GetModeEntry(0, 1, 1), 2u);
}

TEST_F(QrCapabilityTest, DeviceThatValidatesNothingHasOnlyMultiPassModes)
{
    m_injector.FailAlways(plat::Operation::Validate, plat::Result::Failed);
    Open();
    EXPECT_TRUE(Dev().GetModeFlags() & QrD3DDevice::kModeDiffuseArg1);
    EXPECT_TRUE(Dev().GetModeFlags() & QrD3DDevice::kModeDiffuseArg1Again);
    EXPECT_EQ(Dev().GetModeEntry(0, 0, 0), 2u);
    EXPECT_EQ(Dev().GetModeEntry(7, 0, 0), 0u);
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Cannot find any single-pass vertex-first modes - and cannot be "
                          "vertex-last\n"));
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Number of available single-pass multitexture modes: 0\n"));
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Number of available multi-pass multitexture modes: 28\n"));
    EXPECT_TRUE(OutputHas("Quarrender D3DDriver Info: Number of available unavailable multitexture modes: 4\n"));
}

TEST_F(QrCapabilityTest, MoreStagesThanTexturesTryVertexLastOnce)
{
    Caps().maxTextureBlendStages = 3;
    m_injector.FailAlways(plat::Operation::Validate, plat::Result::Failed);
    Open();
    const int trying =
        OutputIndex("Quarrender D3DDriver Info: Cannot find any single-pass vertex-first modes - trying vertex-last\n");
    const int neither =
        OutputIndex("Quarrender D3DDriver Info: Cannot find any single-pass vertex-first or vertex-last modes\n");
    EXPECT_GE(trying, 0);
    EXPECT_GT(neither, trying);
    EXPECT_FALSE(Dev().GetModeFlags() & QrD3DDevice::kModeVertexLast);
}

TEST_F(QrCapabilityTest, SeparateTextureMemoriesAreNotedForTheTrials)
{
    Caps().deviceCaps |= plat::kDevCapsSeparateTextureMemories;
    Open();
    EXPECT_TRUE(Dev().GetModeFlags() & QrD3DDevice::kModeSeparateMemories);
    EXPECT_TRUE(Dev().GetTextureManager()->HasSeparateMemories());
}

// --- property validation

TEST_F(QrCapabilityTest, DefaultPropertiesValidateClean)
{
    Open();
    EXPECT_EQ(m_renderer->SetPropertyState(nullptr), 0u);
    EXPECT_EQ(Validate(), 0u);
    // Validation sends nothing.
    m_calls.Clear();
    Add<QrAlphaProperty>()->m_enabled = 1;
    Validate();
    EXPECT_TRUE(m_calls.Records().empty());
}

TEST_F(QrCapabilityTest, SimpleProblems)
{
    Caps().rasterCaps &= ~plat::kRasterCapsDither;
    Caps().shadeCaps &= ~plat::kShadeCapsSpecularGouraudRgb;
    Caps().srcBlendCaps &= ~plat::CapsBit(plat::BlendFactor::SrcAlphaSat);
    Open(8);

    auto* alpha = Add<QrAlphaProperty>();
    alpha->m_enabled = 1;
    alpha->m_source = 10;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemBlend);
    alpha->m_source = 6;
    EXPECT_EQ(Validate(), 0u);
    alpha->m_destination = 11;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemBlend);
    alpha->m_destination = 7;

    Add<QrDitherProperty>()->m_enabled = 1;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemDither);
    Add<QrSpecularProperty>()->m_enabled = 1;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemDither | QrD3DDevice::kProblemSpecular);
    // No depth buffer here.
    Add<QrZBufferProperty>()->m_write = 1;
    EXPECT_EQ(Validate(),
              QrD3DDevice::kProblemDither | QrD3DDevice::kProblemSpecular | QrD3DDevice::kProblemDepthOrKey);
}

TEST_F(QrCapabilityTest, LaterPropertyOfATypeWins)
{
    Caps().rasterCaps &= ~plat::kRasterCapsDither;
    Open();
    Add<QrDitherProperty>()->m_enabled = 1;
    // The list is walked from its head: the enabled one, now second, wins.
    m_list.AddHead(new QrDitherProperty);
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemDither);
}

TEST_F(QrCapabilityTest, TextureModeProblems)
{
    Caps().textureCaps &= ~plat::kTextureCapsTransparency;
    Open();
    QrPointer<QrImage> image = Textured();
    AddTexture(image.Get());
    auto* mode = Add<QrTextureModeProperty>();
    EXPECT_EQ(Validate(), 0u);
    mode->m_applyMode = 4;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemApplyMode);
    mode->m_applyMode = 1;
    EXPECT_EQ(Validate(), 0u);
    // Decal with a second texture cannot be drawn.
    QrPointer<QrImage> second = Empty();
    AddMultiTexture(second.Get(), 0);
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemApplyMode);
    mode->m_applyMode = 2;
    Add<QrTransparentProperty>()->m_enabled = 1;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemDepthOrKey);
}

TEST_F(QrCapabilityTest, ClampProblems)
{
    Caps().addressCaps &= ~plat::kAddressCapsIndependentUV;
    Open();
    QrPointer<QrImage> image = Textured();
    AddTexture(image.Get());
    auto* mode = Add<QrTextureModeProperty>();
    mode->m_clampMode = 1;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemMixedClamp);
    mode->m_clampMode = 0;
    EXPECT_EQ(Validate(), 0u);
    mode->m_clampMode = 3;
    // The second texture's clamp is checked only when it has an image.
    auto* multi = AddMultiTexture(nullptr, 0, 2);
    EXPECT_EQ(Validate(), 0u);
    QrPointer<QrImage> second = Textured();
    multi->SetImage(second.Get(), 0);
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemMixedClamp);
}

TEST_F(QrCapabilityTest, ClampingWithoutTheTestedCapability)
{
    Caps().textureBlendCaps &= ~plat::kTextureBlendCapsDecalAlpha;
    Open();
    QrPointer<QrImage> image = Textured();
    AddTexture(image.Get());
    auto* mode = Add<QrTextureModeProperty>();
    mode->m_clampMode = 2;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemClamp);
    mode->m_clampMode = 3;
    EXPECT_EQ(Validate(), 0u);
}

TEST_F(QrCapabilityTest, MultiTextureProblems)
{
    Open();
    QrPointer<QrImage> a = Textured();
    QrPointer<QrImage> b = Textured();
    QrPointer<QrImage> none = Empty();

    auto* multi = AddMultiTexture(a.Get(), 0);
    multi->SetImage(b.Get(), 1);
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemMultiTextureCount);
    multi->SetImage(nullptr, 1);
    EXPECT_EQ(Validate(), 0u);

    // A base texture without a device texture cannot be combined.
    auto* texture = AddTexture(none.Get());
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemTexture);
    // A second texture without one is left out quietly.
    texture->SetImage(b.Get(), 0);
    multi->SetImage(none.Get(), 0);
    EXPECT_EQ(Validate(), 0u);
}

TEST_F(QrCapabilityTest, VertexFirstArrangementNeedsPassesForVertexColours)
{
    Open();
    QrPointer<QrImage> a = Textured();
    QrPointer<QrImage> b = Textured();
    AddTexture(a.Get());
    auto* multi = AddMultiTexture(b.Get(), 0);
    auto* mode = Add<QrTextureModeProperty>();
    mode->m_applyMode = 2;
    // Mode 0 draws in one pass.
    EXPECT_EQ(Validate(), 0u);
    multi->m_applyModes = {3};
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemVertexStage | QrD3DDevice::kProblemPasses);
    Add<QrAlphaProperty>()->m_enabled = 1;
    EXPECT_EQ(Validate(),
              QrD3DDevice::kProblemVertexStage | QrD3DDevice::kProblemPasses | QrD3DDevice::kProblemPassesWithAlpha);
    // Without vertex colours the single pass holds.
    Add<QrVertexColorProperty>()->m_mode = 0;
    EXPECT_EQ(Validate(), 0u);
}

TEST_F(QrCapabilityTest, MultiPassDevicesAndFog)
{
    Open(9 | QrRenderCreateParams::kFlagNoMultitextureTrials);
    QrPointer<QrImage> a = Textured();
    QrPointer<QrImage> b = Textured();
    AddTexture(a.Get());
    auto* multi = AddMultiTexture(b.Get(), 3);
    auto* fog = Add<QrFogProperty>();
    fog->m_enabled = 1;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemPasses | QrD3DDevice::kProblemFog);
    Add<QrAlphaProperty>()->m_enabled = 1;
    EXPECT_EQ(Validate(),
              QrD3DDevice::kProblemPasses | QrD3DDevice::kProblemFog | QrD3DDevice::kProblemPassesWithAlpha);
    // Mode 7 has no two-pass form.
    multi->m_applyModes = {7};
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemTexture);
    // One pass: vertex fog is fine.
    multi->SetImage(nullptr, 0);
    EXPECT_EQ(Validate(), 0u);
}

TEST_F(QrCapabilityTest, FogWithoutVertexFog)
{
    Caps().rasterCaps &= ~plat::kRasterCapsFogVertex;
    Open();
    auto* fog = Add<QrFogProperty>();
    fog->m_enabled = 1;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemFog);
}

TEST_F(QrCapabilityTest, TableFogOnlyForDepthFog)
{
    Caps().rasterCaps = (Caps().rasterCaps & ~plat::kRasterCapsFogVertex) | plat::kRasterCapsFogTable;
    Open();
    auto* fog = Add<QrFogProperty>();
    fog->m_enabled = 1;
    EXPECT_EQ(Validate(), 0u);
    fog->m_mode = 1;
    EXPECT_EQ(Validate(), QrD3DDevice::kProblemFog);
}

} // namespace
