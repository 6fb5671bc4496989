// Small scenes drawn through the whole pipeline onto the software rasterizer and compared
// with reviewed pictures: lighting of every kind, Gouraud colours, fog in depth and range,
// clipping at the frustum, strips, points and lines, screen polygons with blending, and
// alpha-blended geometry.

#include "PipelineTestFixture.h"

#include "GoldenImage.h"
#include "QrLight.h"
#include "QrMaterialProperty.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace
{

class QrRenderGoldenTest : public QrPipelineTest
{
protected:
    void TearDown() override
    {
        m_lights.clear();
        m_material = nullptr;
        QrPipelineTest::TearDown();
    }

    // A frame cleared to dark blue with a depth buffer testing and writing.
    void Begin()
    {
        Open(9, false);
        m_renderer->SetBackgroundColor(QrPoint3(0.05f, 0.05f, 0.2f));
        ASSERT_EQ(m_renderer->EndFrame(), 0u);
        ASSERT_EQ(m_renderer->ClearBuffer(nullptr, 3), 0u);
        ASSERT_EQ(m_renderer->BeginFrame(), 0u);
        m_renderer->SetZBufferTest(1);
        m_renderer->SetZBufferWrite(1);
    }

    ::testing::AssertionResult Finish(const char* golden)
    {
        if (m_renderer->EndFrame() != 0 || m_renderer->DisplayFrame() != 0)
            return ::testing::AssertionFailure() << "frame did not end";
        return golden::MatchesGoldenImage(
            golden, golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight()));
    }

    void Material(const QrPoint3& diffuse, const QrPoint3& specular = QrPoint3(), float alpha = 1.0f)
    {
        m_material = new QrMaterialProperty;
        m_material->m_ambient = diffuse;
        m_material->m_diffuse = diffuse;
        m_material->m_specular = specular;
        m_material->m_alpha = alpha;
        m_renderer->SetMaterial(m_material.Get());
    }

    // The renderer takes a light's values when it first sees it (later changes need a new
    // revision), so setup runs before that.
    QrLight* Light(uint32_t type, const QrPoint3& position, const QrPoint3& direction, const QrPoint3& diffuse,
                   const QrPoint3& ambient = QrPoint3(), const std::function<void(QrLight&)>& setup = {})
    {
        QrPointer<QrLight> light(new QrLight);
        light->SetType(type);
        light->SetLocalPosition(position);
        light->SetLocalDirection(direction);
        light->SetDiffuseColor(diffuse);
        light->SetAmbientColor(ambient);
        light->SetAttenuate(0);
        if (setup)
            setup(*light);
        light->UpdateAllInstances();
        m_renderer->UpdateLight(light.Get(), 1);
        m_lights.push_back(light);
        return light.Get();
    }

    // A grid of cells x cells squares in the plane z = depth facing the camera, size wide,
    // centred at (cx, cy), with normals bent outward so that lights show their shape.
    void Grid(int cells, float size, float cx, float cy, float depth, float bend = 0.0f,
              const QrColorA* color = nullptr)
    {
        std::vector<QrPoint3> positions;
        std::vector<QrPoint3> normals;
        std::vector<QrColorA> colors;
        std::vector<uint16_t> indices;
        for (int row = 0; row <= cells; ++row)
        {
            for (int column = 0; column <= cells; ++column)
            {
                const float u = float(column) / cells - 0.5f;
                const float v = float(row) / cells - 0.5f;
                positions.emplace_back(cx + u * size, cy + v * size, -depth);
                QrPoint3 n(u * bend, v * bend, 1.0f);
                n.Unitize();
                normals.push_back(n);
                colors.push_back(color ? *color : QrColorA(u + 0.5f, v + 0.5f, 1.0f - u - 0.5f, 1.0f));
            }
        }
        for (int row = 0; row < cells; ++row)
        {
            for (int column = 0; column < cells; ++column)
            {
                const auto a = static_cast<uint16_t>(row * (cells + 1) + column);
                const auto b = static_cast<uint16_t>(a + cells + 1);
                indices.insert(indices.end(), {a, static_cast<uint16_t>(a + 1), static_cast<uint16_t>(b + 1), a,
                                               static_cast<uint16_t>(b + 1), b});
            }
        }
        ASSERT_EQ(m_renderer->RenderShape(static_cast<uint16_t>(indices.size() / 3),
                                          static_cast<uint16_t>(positions.size()), positions.data(), normals.data(),
                                          nullptr, 0, nullptr, colors.data(), indices.data(), WideBound(), QrPoint3()),
                  0u);
    }

    QrPointer<QrMaterialProperty> m_material;
    std::vector<QrPointer<QrLight>> m_lights;
};

TEST_F(QrRenderGoldenTest, DirectionalAndAmbientLight)
{
    Begin();
    Material(QrPoint3(0.9f, 0.6f, 0.3f));
    Light(QrLight::kAmbient, {}, {}, {}, {0.2f, 0.2f, 0.3f});
    Light(QrLight::kDirectional, {}, {0.5f, -0.5f, -1.0f}, {1.0f, 1.0f, 1.0f});
    m_renderer->SetVertexColorMode(4);
    Grid(12, 16.0f, 0.0f, 0.0f, 10.0f, 1.5f);
    EXPECT_TRUE(Finish("render_directional_light.png"));
}

TEST_F(QrRenderGoldenTest, PointAndSpotLightsWithSpecular)
{
    Begin();
    Material(QrPoint3(0.8f, 0.8f, 0.8f), QrPoint3(1.0f, 1.0f, 1.0f));
    m_renderer->SetSpecular(1);
    Light(QrLight::kPoint, {-3.0f, 2.0f, -8.0f}, {}, {1.0f, 0.4f, 0.1f}, {},
          [](QrLight& light)
          {
              light.SetAttenuate(1);
              light.SetRadius(6.0f);
          });
    Light(QrLight::kSpot, {3.0f, -1.0f, -6.0f}, {0.0f, 0.0f, -1.0f}, {0.3f, 0.5f, 1.0f}, {},
          [](QrLight& light)
          {
              light.SetSpotAngle(35.0f);
              // Dim enough that the highlight keeps its falloff instead of clipping to white.
              light.SetSpecularColor({0.2f, 0.2f, 0.2f});
          });
    m_renderer->SetVertexColorMode(4);
    Grid(24, 20.0f, 0.0f, 0.0f, 10.0f);
    EXPECT_TRUE(Finish("render_point_spot_lights.png"));
}

TEST_F(QrRenderGoldenTest, GouraudVertexColoursAndFlatShading)
{
    Begin();
    m_renderer->SetVertexColorMode(1);
    Grid(2, 8.0f, -4.5f, 0.0f, 10.0f);
    m_renderer->SetShade(0);
    Grid(2, 8.0f, 4.5f, 0.0f, 10.0f);
    EXPECT_TRUE(Finish("render_gouraud_and_flat.png"));
}

TEST_F(QrRenderGoldenTest, DepthFogAndRangeFog)
{
    Begin();
    m_renderer->SetVertexColorMode(1);
    const QrColorA white(1.0f, 1.0f, 1.0f, 1.0f);
    const QrColorA red(1.0f, 0.1f, 0.1f, 1.0f);
    // Five red squares of one screen size, from 30 to 94 deep: fog starts at 40 and is
    // complete at the far plane (100), so the first is clear and the last nearly all fog.
    m_renderer->SetFog(1, 0.6f, 0, QrPoint3(0.3f, 0.35f, 0.5f));
    for (int i = 0; i < 5; ++i)
    {
        const float depth = 30.0f + 16.0f * i;
        Grid(1, 0.25f * depth, (-0.8f + 0.35f * i) * depth, 0.4f * depth, depth, 0.0f, &red);
    }
    m_renderer->SetFog(1, 0.6f, 1, QrPoint3(0.7f, 0.5f, 0.4f));
    // A floor running away from the camera: range fog grows along it.
    const QrPoint3 floor[4] = {
        {2.0f, -3.0f, -2.0f}, {10.0f, -3.0f, -2.0f}, {10.0f, -3.0f, -99.0f}, {2.0f, -3.0f, -99.0f}};
    const QrColorA colors[4] = {white, white, white, white};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(
        m_renderer->RenderShape(2, 4, floor, nullptr, nullptr, 0, nullptr, colors, indices, WideBound(), QrPoint3()),
        0u);
    EXPECT_TRUE(Finish("render_fog.png"));
}

TEST_F(QrRenderGoldenTest, TrianglesClippedByTheFrustumPlanes)
{
    Begin();
    m_renderer->SetVertexColorMode(1);
    // Near plane at 1 and the left side (x > -z, through the eye), as the camera sends them.
    const QrPlane nearPlane(QrPoint3(0.0f, 0.0f, -1.0f), 1.0f);
    const QrPlane left(QrPoint3(0.70710677f, 0.0f, -0.70710677f), 0.0f);
    const QrPlane* planes[2] = {&nearPlane, &left};
    m_renderer->SetClipPlanes(planes, 2, 2, 0x3);
    // One triangle from behind the eye to far ahead, one hanging off the left edge.
    const QrPoint3 positions[6] = {{-2.0f, -2.0f, 4.0f},   {3.0f, -2.0f, -20.0f},  {0.0f, 3.0f, -20.0f},
                                   {-30.0f, 0.0f, -12.0f}, {-4.0f, -4.0f, -12.0f}, {-4.0f, 4.0f, -12.0f}};
    const QrColorA colors[6] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}, {1, 0, 1, 1}};
    ASSERT_EQ(m_renderer->RenderTriangles(2, positions, nullptr, nullptr, 0, nullptr, colors, WideBound(), QrPoint3()),
              0u);
    EXPECT_TRUE(Finish("render_clipped_triangles.png"));
}

TEST_F(QrRenderGoldenTest, AQuadClippedAtTheFrustumSidesCoversEveryPixel)
{
    Begin();
    m_renderer->SetVertexColorMode(1);
    // The four sides of the 90-degree frustum, as the camera sends them.
    const float k = 0.70710677f;
    const QrPlane sides[4] = {QrPlane(QrPoint3(k, 0.0f, -k), 0.0f), QrPlane(QrPoint3(-k, 0.0f, -k), 0.0f),
                              QrPlane(QrPoint3(0.0f, k, -k), 0.0f), QrPlane(QrPoint3(0.0f, -k, -k), 0.0f)};
    const QrPlane* planes[4] = {&sides[0], &sides[1], &sides[2], &sides[3]};
    m_renderer->SetClipPlanes(planes, 4, 4, 0xF);
    const QrPoint3 positions[6] = {{-50.0f, -50.0f, -10.0f}, {50.0f, -50.0f, -10.0f}, {50.0f, 50.0f, -10.0f},
                                   {-50.0f, -50.0f, -10.0f}, {50.0f, 50.0f, -10.0f},  {-50.0f, 50.0f, -10.0f}};
    QrColorA white[6];
    for (QrColorA& c : white)
        c = QrColorA(1, 1, 1, 1);
    ASSERT_EQ(m_renderer->RenderTriangles(2, positions, nullptr, nullptr, 0, nullptr, white, WideBound(), QrPoint3()),
              0u);
    ASSERT_EQ(m_renderer->EndFrame(), 0u);
    ASSERT_EQ(m_renderer->DisplayFrame(), 0u);
    const std::vector<uint16_t>& frame = m_window.Frame();
    ASSERT_EQ(frame.size(), size_t{640} * 480);
    size_t bare = 0;
    for (uint16_t p : frame)
        bare += p != 0xFFFF ? 1 : 0;
    EXPECT_EQ(bare, 0u) << "first bare pixel at index "
                        << (std::find_if(frame.begin(), frame.end(), [](uint16_t p) { return p != 0xFFFF; }) -
                            frame.begin());
}

TEST_F(QrRenderGoldenTest, StripPointsAndLines)
{
    Begin();
    m_renderer->SetVertexColorMode(1);
    std::vector<QrPoint3> strip;
    std::vector<QrColorA> colors;
    for (int i = 0; i < 10; ++i)
    {
        const float x = -8.0f + 1.6f * (i / 2);
        // Top, bottom, top, ...: the first triangle runs counter-clockwise.
        strip.emplace_back(x, (i & 1) ? 1.0f : 4.0f, -12.0f);
        colors.emplace_back(i / 10.0f, 1.0f - i / 10.0f, (i & 1) ? 1.0f : 0.2f, 1.0f);
    }
    ASSERT_EQ(m_renderer->RenderTristrips(8, strip.data(), nullptr, nullptr, 0, nullptr, colors.data(), WideBound(),
                                          QrPoint3()),
              0u);
    std::vector<QrPoint3> points;
    for (int i = 0; i < 8; ++i)
        points.emplace_back(-7.0f + 2.0f * i, -1.0f, -12.0f - i);
    ASSERT_EQ(m_renderer->RenderPoints(8, points.data(), nullptr, colors.data(), 0.6f, WideBound()), 0u);
    std::vector<QrPoint3> lines;
    for (int i = 0; i < 12; ++i)
    {
        const float a = 0.5235988f * i;
        lines.emplace_back(0.0f, -5.0f, -12.0f);
        lines.emplace_back(3.0f * std::cos(a), -5.0f + 3.0f * std::sin(a), -12.0f);
    }
    ASSERT_EQ(m_renderer->RenderLines(12, lines.data(), nullptr, nullptr, WideBound()), 0u);
    EXPECT_TRUE(Finish("render_strip_points_lines.png"));
}

TEST_F(QrRenderGoldenTest, ScreenPolygonsBlendedOverGeometry)
{
    Begin();
    m_renderer->SetVertexColorMode(1);
    Grid(4, 12.0f, 0.0f, 0.0f, 10.0f);
    m_renderer->SetZBufferTest(0);
    m_renderer->SetAlphaBlending(1, 6, 7);
    const QrPoint3 panel[4] = {{0.05f, 0.05f, 0.0f}, {0.6f, 0.05f, 0.0f}, {0.6f, 0.3f, 0.0f}, {0.05f, 0.3f, 0.0f}};
    const QrColorA shade[4] = {{0, 0, 0, 0.7f}, {0, 0, 0, 0.7f}, {0, 0, 0.3f, 0.2f}, {0, 0, 0.3f, 0.2f}};
    ASSERT_EQ(m_renderer->RenderScreenPolygon(4, panel, nullptr, shade), 0u);
    const QrPoint3 corner[3] = {{0.7f, 0.7f, 0.0f}, {1.0f, 0.7f, 0.0f}, {1.0f, 1.0f, 0.0f}};
    const QrColorA yellow[3] = {{1, 1, 0, 1}, {1, 1, 0, 1}, {1, 0.5f, 0, 1}};
    ASSERT_EQ(m_renderer->RenderScreenPolygon(3, corner, nullptr, yellow), 0u);
    EXPECT_TRUE(Finish("render_screen_polygons.png"));
}

TEST_F(QrRenderGoldenTest, TransparentMaterialOverOpaqueGeometry)
{
    Begin();
    Material(QrPoint3(1.0f, 1.0f, 1.0f));
    Light(QrLight::kDirectional, {}, {0.0f, 0.0f, -1.0f}, {1.0f, 1.0f, 1.0f});
    m_renderer->SetVertexColorMode(5);
    Grid(6, 12.0f, 0.0f, 0.0f, 14.0f);
    Material(QrPoint3(0.2f, 0.9f, 0.3f), QrPoint3(), 0.4f);
    m_renderer->SetAlphaBlending(1, 6, 7);
    m_renderer->SetZBufferWrite(0);
    const QrColorA white(1, 1, 1, 1);
    Grid(1, 5.0f, 1.5f, 1.0f, 10.0f, 0.0f, &white);
    EXPECT_TRUE(Finish("render_transparent_material.png"));
}

TEST_F(QrRenderGoldenTest, IntersectingShapesResolvedByDepth)
{
    Begin();
    m_renderer->SetVertexColorMode(1);
    const QrPoint3 positions[6] = {{-5.0f, -3.0f, -8.0f},  {5.0f, -3.0f, -16.0f}, {0.0f, 4.0f, -12.0f},
                                   {-5.0f, -3.0f, -16.0f}, {5.0f, -3.0f, -8.0f},  {0.0f, 4.0f, -12.0f}};
    const QrColorA colors[6] = {{1, 0.2f, 0.2f, 1}, {1, 0.2f, 0.2f, 1}, {1, 0.6f, 0.2f, 1},
                                {0.2f, 0.3f, 1, 1}, {0.2f, 0.3f, 1, 1}, {0.2f, 0.8f, 1, 1}};
    ASSERT_EQ(m_renderer->RenderTriangles(2, positions, nullptr, nullptr, 0, nullptr, colors, WideBound(), QrPoint3()),
              0u);
    m_renderer->SetWireframe(1);
    const QrColorA white(1, 1, 1, 1);
    Grid(3, 4.0f, 0.0f, -4.5f, 9.0f, 0.0f, &white);
    EXPECT_TRUE(Finish("render_depth_and_wireframe.png"));
}

} // namespace
