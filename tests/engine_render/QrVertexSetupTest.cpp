// The vertex set-up as the device sees it: colours by vertex-colour mode and texture apply
// mode, one or two texture sets, fog into the specular alpha, the specular term only while
// its flag is on, and multitexturing in two passes on a device with one texture stage.

#include "PipelineTestFixture.h"

#include "QrImage.h"
#include "QrImagePixels.h"
#include "QrLight.h"
#include "QrMaterialProperty.h"
#include "QrRawImageData.h"
#include "QrRenderCode.h"
#include "TestFiles.h"

namespace
{

class QrVertexSetupTest : public QrPipelineTest
{
protected:
    void TearDown() override
    {
        m_images[0] = nullptr;
        m_images[1] = nullptr;
        m_light = nullptr;
        m_material = nullptr;
        QrPipelineTest::TearDown();
    }

    // One triangle facing the camera at the given depth, with colours and texture sets.
    uint32_t DrawTriangle(float depth = 10.0f, const QrColorA* colors = nullptr, uint16_t sets = 0,
                          const QrPoint3* texture = nullptr)
    {
        m_positions[0] = QrPoint3(-1.0f, -1.0f, -depth);
        m_positions[1] = QrPoint3(1.0f, -1.0f, -depth);
        m_positions[2] = QrPoint3(0.0f, 1.0f, -depth);
        const QrPoint3 normals[3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
        const uint16_t indices[3] = {0, 1, 2};
        return m_renderer->RenderShape(1, 3, m_positions, normals, nullptr, sets, texture, colors, indices, WideBound(),
                                       QrPoint3());
    }

    const plat::TlVertex2& First() { return Draws().back().vertices[0]; }

    void LoadImages()
    {
        const std::string images = testfiles::DataDir() + "/Data/Engine/Images/";
        m_images[0] = QrImage::CreateFromFile((images + "texture64x32.bmp").c_str(), 0);
        // A 16 x 16 picture of its own: textures need power-of-two sides.
        QrPointer<QrRawImageData> raw(new QrRawImageData);
        raw->AllocatePixels(QrImagePixels::kFormatRGBA, 16, 16);
        m_images[1] = QrImage::CreateFromRawData(raw, 0);
        ASSERT_TRUE(m_images[0]);
        ASSERT_TRUE(m_images[1]);
    }

    void UseMaterial(const QrPoint3& diffuse, float alpha, const QrPoint3& specular = QrPoint3())
    {
        m_material = new QrMaterialProperty;
        m_material->m_diffuse = diffuse;
        m_material->m_alpha = alpha;
        m_material->m_specular = specular;
        m_renderer->SetMaterial(m_material.Get());
    }

    QrPoint3 m_positions[3];
    QrPointer<QrImage> m_images[2];
    QrPointer<QrLight> m_light;
    QrPointer<QrMaterialProperty> m_material;
};

TEST_F(QrVertexSetupTest, VertexColourModesPickTheColourSource)
{
    Open();
    const QrColorA colors[3] = {{1.0f, 0.5f, 0.0f, 0.5f}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    m_renderer->SetVertexColorMode(1);
    ASSERT_EQ(DrawTriangle(10.0f, colors), 0u);
    EXPECT_EQ(First().diffuse, 0x7FFF7F00u);
    // Without colours mode 1 draws white, as do mode 0 and modes above 6.
    ASSERT_EQ(DrawTriangle(), 0u);
    EXPECT_EQ(First().diffuse, 0xFFFFFFFFu);
    m_renderer->SetVertexColorMode(0);
    ASSERT_EQ(DrawTriangle(10.0f, colors), 0u);
    EXPECT_EQ(First().diffuse, 0xFFFFFFFFu);
    m_renderer->SetVertexColorMode(9);
    ASSERT_EQ(DrawTriangle(10.0f, colors), 0u);
    EXPECT_EQ(First().diffuse, 0xFFFFFFFFu);
}

TEST_F(QrVertexSetupTest, MaterialModesNeedAMaterialAndUseItsDiffuseColour)
{
    Open();
    m_renderer->SetVertexColorMode(2);
    EXPECT_EQ(DrawTriangle(), QrRenderCode::kNoMaterial);
    EXPECT_TRUE(Draws().empty());

    UseMaterial(QrPoint3(1.0f, 0.5f, 0.0f), 0.5f);
    ASSERT_EQ(DrawTriangle(), 0u);
    EXPECT_EQ(First().diffuse, 0x7FFF7F00u);
    m_renderer->SetVertexColorMode(3);
    const QrColorA colors[3] = {{0.5f, 1.0f, 1.0f, 0.5f}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    ASSERT_EQ(DrawTriangle(10.0f, colors), 0u);
    // 127.5 x 0.5 = 63.75 and 127.5 x 0.5 alpha, truncated.
    EXPECT_EQ(First().diffuse, 0x3F7F7F00u);
}

TEST_F(QrVertexSetupTest, ReplacingTextureComputesNoColourEvenWhenLit)
{
    Open();
    LoadImages();
    UseMaterial(QrPoint3(0.5f, 0.5f, 0.5f), 1.0f);
    m_material->m_emissive = QrPoint3(0.0f, 0.0f, 1.0f);
    // Edited in place: the renderer sees it at the next revision.
    m_material->m_revision++;
    m_renderer->SetMaterial(m_material.Get());
    m_renderer->SetVertexColorMode(5);
    const QrPoint3 texture[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    // Lit without a texture: the emissive blue.
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    EXPECT_EQ(First().diffuse, 0xFF0000FFu);
    m_renderer->SetTexture(m_images[0].Get());
    m_renderer->SetTextureApplyMode(0);
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    EXPECT_EQ(First().diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(Draws().back().vertices[1].tu, 1.0f);
    // Codes past modulate-alpha leave the apply mode as it was.
    m_renderer->SetTextureApplyMode(4);
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    EXPECT_EQ(First().diffuse, 0xFFFFFFFFu);
    // Without texture coordinates the vertex-colour mode decides again.
    ASSERT_EQ(DrawTriangle(), 0u);
    EXPECT_EQ(First().diffuse, 0xFF0000FFu);
}

TEST_F(QrVertexSetupTest, ImageWithoutATextureDrawsUntexturedAndIsReported)
{
    Open();
    const std::string images = testfiles::DataDir() + "/Data/Engine/Images/";
    // Five by three: no texture can be made of it.
    QrPointer<QrImage> odd = QrImage::CreateFromFile((images + "bmp24_topdown.bmp").c_str(), 0);
    ASSERT_TRUE(odd);
    m_renderer->SetTexture(odd.Get());
    const QrPoint3 texture[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].textureIds[0], 0u);
    EXPECT_TRUE(Drv().GetStateFlags() & QrD3DDriver::kStateTextureError);
    EXPECT_EQ(Draws()[0].state.Get(0, plat::StageState::ColorOp), plat::ToState(plat::TextureOp::SelectArg2));
    m_renderer->SetTexture(nullptr);
}

TEST_F(QrVertexSetupTest, SecondTextureSetIsDrawnOnlyWithASecondStage)
{
    Open();
    LoadImages();
    m_renderer->SetVertexColorMode(0);
    const QrPoint3 sets[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0, 0}, {0.25f, 0, 0}, {0, 0.75f, 0}};
    m_renderer->SetTexture(m_images[0].Get());
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 2, sets), 0u);
    EXPECT_EQ(Draws().back().format, plat::VertexFormat::TlTex1);

    QrImage* second[1] = {m_images[1].Get()};
    m_renderer->SetMultiTexture(second, nullptr, nullptr, nullptr);
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 2, sets), 0u);
    EXPECT_EQ(Draws().back().format, plat::VertexFormat::TlTex2);
    EXPECT_EQ(Draws().back().vertices[1].tu, 1.0f);
    EXPECT_EQ(Draws().back().vertices[1].tu1, 0.25f);
    EXPECT_EQ(Draws().back().vertices[2].tv1, 0.75f);
    // The flag does not outlive the draw.
    EXPECT_FALSE(Dev().GetTwoSets());
}

TEST_F(QrVertexSetupTest, VertexAlphaFogDrawsOpaqueWithTheAlphaAsFog)
{
    Open();
    m_renderer->SetVertexColorMode(1);
    m_renderer->SetFog(1, 1.0f, 2, QrPoint3(0.5f, 0.5f, 0.5f));
    const QrColorA colors[3] = {{1.0f, 0.0f, 0.0f, 128.0f / 255.0f}, {1, 1, 1, 0}, {1, 1, 1, 1}};
    ASSERT_EQ(DrawTriangle(10.0f, colors), 0u);
    const plat::RecordedDraw& draw = Draws().back();
    EXPECT_EQ(draw.vertices[0].diffuse, 0xFFFF0000u);
    EXPECT_EQ(draw.vertices[0].specular >> 24, 127u);
    EXPECT_EQ(draw.vertices[1].specular >> 24, 255u);
    EXPECT_EQ(draw.vertices[2].specular >> 24, 0u);
    EXPECT_EQ(draw.state.Get(plat::RenderState::FogEnable), 1u);
    EXPECT_EQ(draw.state.Get(plat::RenderState::FogColor), 0x007F7F7Fu);

    // Without colour there is no alpha to take the fog from.
    m_renderer->SetVertexColorMode(0);
    ASSERT_EQ(DrawTriangle(10.0f, colors), 0u);
    EXPECT_EQ(First().specular, 0xFF000000u);
}

TEST_F(QrVertexSetupTest, RangeFogRunsFromTheStartDistanceToTheFarPlane)
{
    Open();
    m_renderer->SetVertexColorMode(1);
    // Far 100, near 1, depth 0.5: fog starts at 50.5.
    m_renderer->SetFog(1, 0.5f, 1, QrPoint3());
    ASSERT_EQ(DrawTriangle(40.0f), 0u);
    EXPECT_EQ(First().specular >> 24, 255u);
    ASSERT_EQ(DrawTriangle(99.0f), 0u);
    // 100^2 - (1 + 1 + 99^2) over 100^2 - 50.5^2, on the 255 scale.
    const float d2 = 1.0f + 1.0f + 99.0f * 99.0f;
    EXPECT_EQ(First().specular >> 24, uint32_t((10000.0f - d2) * (255.0f / (10000.0f - 50.5f * 50.5f))));
    ASSERT_EQ(DrawTriangle(100.0f), 0u);
    EXPECT_EQ(First().specular >> 24, 0u);
}

TEST_F(QrVertexSetupTest, DepthFogIsLinearInViewDepthUpToTheFarPlane)
{
    Open();
    m_renderer->SetVertexColorMode(1);
    m_renderer->SetFog(1, 0.5f, 0, QrPoint3());
    const float depths[3] = {40.0f, 75.0f, 100.0f};
    const uint32_t fog[3] = {255u, 127u, 0u};
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(DrawTriangle(depths[i]), 0u);
        EXPECT_EQ(First().specular >> 24, fog[i]) << depths[i];
    }
    m_renderer->SetFog(0, 0.5f, 0, QrPoint3());
    ASSERT_EQ(DrawTriangle(100.0f), 0u);
    EXPECT_EQ(First().specular >> 24, 255u);
    EXPECT_EQ(Draws().back().state.Get(plat::RenderState::FogEnable), 0u);
}

TEST_F(QrVertexSetupTest, SpecularIsComputedAndEnabledOnlyWithItsFlag)
{
    Open();
    UseMaterial(QrPoint3(0.5f, 0.5f, 0.5f), 1.0f, QrPoint3(0.0f, 0.0f, 1.0f));
    m_light = new QrLight;
    m_light->SetType(QrLight::kDirectional);
    m_light->SetLocalDirection(QrPoint3(0.0f, 0.0f, -1.0f));
    m_light->SetAmbientColor(QrPoint3());
    m_light->UpdateAllInstances();
    m_renderer->UpdateLight(m_light.Get(), 1);
    m_renderer->SetVertexColorMode(5);

    ASSERT_EQ(DrawTriangle(), 0u);
    EXPECT_EQ(First().diffuse, 0xFF7F7F7Fu);
    EXPECT_EQ(First().specular, 0xFF000000u);
    EXPECT_EQ(Draws().back().state.Get(plat::RenderState::SpecularEnable), 0u);

    m_renderer->SetSpecular(1);
    ASSERT_EQ(DrawTriangle(), 0u);
    const uint32_t highlight = First().specular & 0xFFu;
    EXPECT_GT(highlight, 0u);
    EXPECT_EQ(First().specular, 0xFF000000u | highlight << 16 | highlight << 8 | highlight);
    EXPECT_EQ(Draws().back().state.Get(plat::RenderState::SpecularEnable), 1u);

    // Unlit colours carry no highlight, whatever the flag says.
    m_renderer->SetVertexColorMode(1);
    ASSERT_EQ(DrawTriangle(), 0u);
    EXPECT_EQ(First().specular, 0xFF000000u);
    EXPECT_EQ(Draws().back().state.Get(plat::RenderState::SpecularEnable), 0u);

    // A light taken out no longer lights.
    m_renderer->SetVertexColorMode(5);
    m_renderer->UpdateLight(m_light.Get(), 0);
    ASSERT_EQ(DrawTriangle(), 0u);
    EXPECT_EQ(First().diffuse, 0xFF000000u);
}

TEST_F(QrVertexSetupTest, OneStageDeviceDrawsTwoTexturesInTwoBlendedPasses)
{
    RgbCaps().maxTextureBlendStages = 1;
    RgbCaps().maxSimultaneousTextures = 1;
    Open();
    LoadImages();
    m_renderer->SetVertexColorMode(0);
    m_renderer->SetTexture(m_images[0].Get());
    QrImage* second[1] = {m_images[1].Get()};
    const uint32_t modulate[1] = {0};
    m_renderer->SetMultiTexture(second, modulate, nullptr, nullptr);
    const QrPoint3 texture[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    EXPECT_EQ(Dev().GetPassMode(), 2u);
    ASSERT_EQ(Draws().size(), 2u);
    const plat::DeviceState& first = Draws()[0].state;
    const plat::DeviceState& blended = Draws()[1].state;
    EXPECT_EQ(first.Get(plat::RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(first.Get(plat::RenderState::ZBias), 0u);
    EXPECT_EQ(blended.Get(plat::RenderState::AlphaBlendEnable), 1u);
    EXPECT_EQ(blended.Get(plat::RenderState::SrcBlend), plat::ToState(plat::BlendFactor::Zero));
    EXPECT_EQ(blended.Get(plat::RenderState::DestBlend), plat::ToState(plat::BlendFactor::SrcColor));
    EXPECT_EQ(blended.Get(plat::RenderState::ZBias), 4u);
    EXPECT_EQ(blended.Get(1, plat::StageState::ColorOp), plat::ToState(plat::TextureOp::Disable));
    // The same vertices in both passes, each pass with its own texture on stage 0.
    EXPECT_EQ(Draws()[0].indices, Draws()[1].indices);
    EXPECT_NE(Draws()[0].textureIds[0], 0u);
    EXPECT_NE(Draws()[1].textureIds[0], 0u);
    EXPECT_NE(Draws()[0].textureIds[0], Draws()[1].textureIds[0]);
    EXPECT_EQ(Draws()[1].textureIds[1], 0u);

    // Back to one texture: one pass, no bias, blending as the properties asked.
    m_renderer->SetMultiTexture(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    ASSERT_EQ(Draws().size(), 3u);
    EXPECT_EQ(Draws()[2].state.Get(plat::RenderState::ZBias), 0u);
    EXPECT_EQ(Draws()[2].state.Get(plat::RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(Draws()[2].state.Get(plat::RenderState::SrcBlend), plat::ToState(plat::BlendFactor::SrcAlpha));
}

TEST_F(QrVertexSetupTest, TwoStageDeviceDrawsBothTexturesInOnePass)
{
    Open();
    LoadImages();
    m_renderer->SetVertexColorMode(0);
    m_renderer->SetTextureApplyMode(0);
    m_renderer->SetTexture(m_images[0].Get());
    QrImage* second[1] = {m_images[1].Get()};
    const uint32_t add[1] = {5};
    m_renderer->SetMultiTexture(second, add, nullptr, nullptr);
    const QrPoint3 sets[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0, 0}, {0.25f, 0, 0}, {0, 0.75f, 0}};
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 2, sets), 0u);
    EXPECT_EQ(Dev().GetPassMode(), 1u);
    ASSERT_EQ(Draws().size(), 1u);
    const plat::RecordedDraw& draw = Draws()[0];
    EXPECT_NE(draw.textureIds[0], 0u);
    EXPECT_NE(draw.textureIds[1], 0u);
    EXPECT_EQ(draw.state.Get(1, plat::StageState::ColorOp), plat::ToState(plat::TextureOp::Add));
    EXPECT_EQ(draw.state.Get(0, plat::StageState::ColorOp), plat::ToState(plat::TextureOp::SelectArg1));
    EXPECT_EQ(draw.state.Get(0, plat::StageState::TexCoordIndex), 0u);
    EXPECT_EQ(draw.state.Get(1, plat::StageState::TexCoordIndex), 1u);
    EXPECT_EQ(draw.state.Get(plat::RenderState::AlphaBlendEnable), 0u);

    // Mode 4 puts the second texture on stage 0 with its own coordinates.
    const uint32_t swapped[1] = {4};
    m_renderer->SetMultiTexture(second, swapped, nullptr, nullptr);
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 2, sets), 0u);
    EXPECT_EQ(Draws()[1].textureIds[0], draw.textureIds[1]);
    EXPECT_EQ(Draws()[1].textureIds[1], draw.textureIds[0]);
    EXPECT_EQ(Draws()[1].state.Get(0, plat::StageState::TexCoordIndex), 1u);
}

TEST_F(QrVertexSetupTest, SecondTextureFirstInTwoPassesForModeFour)
{
    RgbCaps().maxTextureBlendStages = 1;
    RgbCaps().maxSimultaneousTextures = 1;
    Open();
    LoadImages();
    m_renderer->SetTexture(m_images[0].Get());
    QrImage* second[1] = {m_images[1].Get()};
    const uint32_t mode[1] = {4};
    m_renderer->SetMultiTexture(second, mode, nullptr, nullptr);
    const QrPoint3 texture[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Draws()[1].state.Get(plat::RenderState::SrcBlend), plat::ToState(plat::BlendFactor::SrcAlpha));
    EXPECT_EQ(Draws()[1].state.Get(plat::RenderState::DestBlend), plat::ToState(plat::BlendFactor::InvSrcAlpha));
    // The second image is drawn first.
    EXPECT_NE(Draws()[0].textureIds[0], Draws()[1].textureIds[0]);
    m_renderer->SetMultiTexture(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(DrawTriangle(10.0f, nullptr, 1, texture), 0u);
    EXPECT_EQ(Draws()[2].textureIds[0], Draws()[1].textureIds[0]);
}

} // namespace
