// The render paths and their batches, through the recording rasterizer: culling, vertex reuse
// within a batch, flushes at the vertex and index limits, strips, screen polygons, points and
// lines, and where each draw's vertices and indices end up.

#include "PipelineTestFixture.h"

#include "QrRenderCode.h"

#include <algorithm>

namespace
{

class QrRenderPathTest : public QrPipelineTest
{
protected:
    // A unit quad at depth 10, counter-clockwise seen from the camera.
    const QrPoint3 m_quad[4] = {
        {-1.0f, -1.0f, -10.0f}, {1.0f, -1.0f, -10.0f}, {1.0f, 1.0f, -10.0f}, {-1.0f, 1.0f, -10.0f}};
    const uint16_t m_quadIndices[6] = {0, 1, 2, 0, 2, 3};

    uint32_t DrawQuad(const QrPlane* planes = nullptr)
    {
        return m_renderer->RenderShape(2, 4, m_quad, nullptr, planes, 0, nullptr, nullptr, m_quadIndices, WideBound(),
                                       QrPoint3());
    }

    size_t DrawCalls() { return m_calls.Of(plat::Call::DrawIndexedPrimitiveVB).size(); }
};

TEST_F(QrRenderPathTest, QuadSharesItsCornersWithinOneBatch)
{
    Open();
    ASSERT_EQ(DrawQuad(), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    const plat::RecordedDraw& draw = Draws()[0];
    EXPECT_EQ(draw.indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    // The camera maps x/depth to 319.5 + 320 x / d, y likewise from 239.5 with 240, upward.
    EXPECT_FLOAT_EQ(draw.vertices[0].x, 319.5f - 32.0f);
    EXPECT_FLOAT_EQ(draw.vertices[0].y, 239.5f + 24.0f);
    EXPECT_FLOAT_EQ(draw.vertices[2].x, 319.5f + 32.0f);
    EXPECT_FLOAT_EQ(draw.vertices[0].rhw, 0.1f);
    EXPECT_LT(Area2(draw.vertices[0], draw.vertices[1], draw.vertices[2]), 0.0f);
}

TEST_F(QrRenderPathTest, BackFacingAndEdgeOnTrianglesAreCulledAndNothingIsDrawn)
{
    Open();
    // Normal away from the eye; then a plane through the eye (d equal to n . c).
    const QrPlane away[2] = {QrPlane(QrPoint3(0.0f, 0.0f, -1.0f), 10.0f), QrPlane(QrPoint3(0.0f, 0.0f, -1.0f), 10.0f)};
    const QrPlane edgeOn[2] = {QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 0.0f), QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 0.0f)};
    EXPECT_EQ(DrawQuad(away), 0u);
    EXPECT_EQ(DrawQuad(edgeOn), 0u);
    EXPECT_EQ(DrawCalls(), 0u);
    // The batch was begun and only unlocked.
    EXPECT_EQ(m_calls.Of(plat::Call::LockVertexBuffer).size(), 2u);
    EXPECT_EQ(m_calls.Of(plat::Call::UnlockVertexBuffer).size(), 2u);
    EXPECT_FALSE(Dev().GetVertexBuffer().IsLocked());

    const QrPlane mixed[2] = {Facing(-10.0f), away[0]};
    EXPECT_EQ(DrawQuad(mixed), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].indices.size(), 3u);
}

TEST_F(QrRenderPathTest, ShapesWithoutTrianglesOrVerticesDrawNothing)
{
    Open();
    EXPECT_EQ(m_renderer->RenderShape(1, 2, m_quad, nullptr, nullptr, 0, nullptr, nullptr, m_quadIndices, WideBound(),
                                      QrPoint3()),
              0u);
    EXPECT_EQ(m_renderer->RenderShape(0, 4, m_quad, nullptr, nullptr, 0, nullptr, nullptr, m_quadIndices, WideBound(),
                                      QrPoint3()),
              0u);
    EXPECT_EQ(m_renderer->RenderTriangles(0, m_quad, nullptr, nullptr, 0, nullptr, nullptr, WideBound(), QrPoint3()),
              0u);
    EXPECT_TRUE(m_calls.Of(plat::Call::LockVertexBuffer).empty());
}

TEST_F(QrRenderPathTest, TrianglesNamingVerticesPastTheShapeAreSkipped)
{
    Open();
    const uint16_t indices[6] = {0, 1, 4, 0, 2, 3};
    ASSERT_EQ(
        m_renderer->RenderShape(2, 4, m_quad, nullptr, nullptr, 0, nullptr, nullptr, indices, WideBound(), QrPoint3()),
        0u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].indices, (std::vector<uint16_t>{0, 1, 2}));
}

TEST_F(QrRenderPathTest, StripsExpandWithAlternatingOrderAndOneWinding)
{
    Open();
    // A zigzag strip of four triangles: bottom and top rows alternate.
    const QrPoint3 strip[6] = {{-3.0f, -1.0f, -10.0f}, {-3.0f, 1.0f, -10.0f}, {-1.0f, -1.0f, -10.0f},
                               {-1.0f, 1.0f, -10.0f},  {1.0f, -1.0f, -10.0f}, {1.0f, 1.0f, -10.0f}};
    // Strip order (0, 1, 2) runs clockwise seen from the camera; the engine's strips start the
    // other way, so mirror it.
    QrPoint3 mirrored[6];
    for (int i = 0; i < 6; ++i)
        mirrored[i] = QrPoint3(strip[i].x, -strip[i].y, strip[i].z);
    ASSERT_EQ(m_renderer->RenderTristrips(4, mirrored, nullptr, nullptr, 0, nullptr, nullptr, WideBound(), QrPoint3()),
              0u);
    ASSERT_EQ(Draws().size(), 1u);
    const plat::RecordedDraw& draw = Draws()[0];
    EXPECT_EQ(draw.indices, (std::vector<uint16_t>{0, 1, 2, 1, 3, 2, 2, 3, 4, 3, 5, 4}));
    const std::vector<plat::TlVertex2> c = Corners(draw);
    for (size_t t = 0; t < 4; ++t)
        EXPECT_LT(Area2(c[3 * t], c[3 * t + 1], c[3 * t + 2]), 0.0f) << "triangle " << t;

    // Each strip triangle is culled by its own plane.
    Recorder().Clear();
    const QrPlane planes[4] = {Facing(-10.0f), QrPlane(QrPoint3(0.0f, 0.0f, -1.0f), 10.0f), Facing(-10.0f),
                               QrPlane(QrPoint3(0.0f, 0.0f, -1.0f), 10.0f)};
    ASSERT_EQ(m_renderer->RenderTristrips(4, mirrored, nullptr, planes, 0, nullptr, nullptr, WideBound(), QrPoint3()),
              0u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].indices, (std::vector<uint16_t>{0, 1, 2, 2, 3, 4}));
}

TEST_F(QrRenderPathTest, HeavilySharedMeshFlushesAtTheIndexCapacity)
{
    // 16-vertex buffers hold 32 triangles of indices; 100 triangles over 3 vertices need four
    // batches, every one within the index array.
    RgbCaps().maxVertexCount = 16;
    Open();
    ASSERT_EQ(Dev().GetVertexBuffer().IndexCapacity(), 32u);
    std::vector<uint16_t> indices;
    for (int i = 0; i < 100; ++i)
        indices.insert(indices.end(), {0, 1, 2});
    ASSERT_EQ(m_renderer->RenderShape(100, 4, m_quad, nullptr, nullptr, 0, nullptr, nullptr, indices.data(),
                                      WideBound(), QrPoint3()),
              0u);
    ASSERT_EQ(Draws().size(), 4u);
    const size_t expected[4] = {96, 96, 96, 12};
    for (size_t d = 0; d < 4; ++d)
    {
        EXPECT_EQ(Draws()[d].indices.size(), expected[d]);
        // The shared corners are written again into every new buffer.
        EXPECT_EQ(*std::max_element(Draws()[d].indices.begin(), Draws()[d].indices.end()), 2u);
    }
}

TEST_F(QrRenderPathTest, VertexLastEmittedHundredsOfFlushesAgoIsWrittenAgain)
{
    // Triangle A, then triangle B until 256 batches of 32 are full, then A again, first in
    // batch 257: A's old batch number must not pass for the current one.
    RgbCaps().maxVertexCount = 16;
    Open();
    const QrPoint3 points[6] = {{-1.0f, -1.0f, -10.0f}, {1.0f, -1.0f, -10.0f}, {0.0f, 1.0f, -10.0f},
                                {-1.0f, -1.0f, -20.0f}, {1.0f, -1.0f, -20.0f}, {0.0f, 1.0f, -20.0f}};
    std::vector<uint16_t> indices = {0, 1, 2};
    for (int i = 0; i < 256 * 32 - 1; ++i)
        indices.insert(indices.end(), {3, 4, 5});
    indices.insert(indices.end(), {0, 1, 2});
    const uint16_t count = static_cast<uint16_t>(indices.size() / 3);
    ASSERT_EQ(m_renderer->RenderShape(count, 6, points, nullptr, nullptr, 0, nullptr, nullptr, indices.data(),
                                      WideBound(), QrPoint3()),
              0u);
    ASSERT_GT(Draws().size(), 256u);
    const plat::RecordedDraw& last = Draws().back();
    const plat::TlVertex2& corner = last.vertices[last.indices[last.indices.size() - 3]];
    EXPECT_FLOAT_EQ(corner.rhw, 0.1f);
    EXPECT_FLOAT_EQ(corner.x, Draws()[0].vertices[Draws()[0].indices[0]].x);
}

TEST_F(QrRenderPathTest, TriangleAtTheVertexLimitFlushesAndRewritesItsSharedCorners)
{
    RgbCaps().maxVertexCount = 16; // vertex limit 13
    Open();
    // A fan: each triangle after the first adds one vertex.
    std::vector<QrPoint3> fan = {{0.0f, 0.0f, -10.0f}};
    std::vector<uint16_t> indices;
    for (int k = 0; k < 15; ++k)
        fan.push_back(QrPoint3(0.2f * k - 1.5f, k % 2 ? 1.0f : 1.2f, -10.0f));
    for (uint16_t k = 1; k < 15; ++k)
        indices.insert(indices.end(), {0, static_cast<uint16_t>(k + 1), k});
    ASSERT_EQ(m_renderer->RenderShape(14, 16, fan.data(), nullptr, nullptr, 0, nullptr, nullptr, indices.data(),
                                      WideBound(), QrPoint3()),
              0u);
    ASSERT_EQ(Draws().size(), 2u);
    // Ten triangles write 3 + 9 vertices, the eleventh reaches 13: it and the rest go next.
    EXPECT_EQ(Draws()[0].indices.size(), 33u);
    EXPECT_EQ(Draws()[1].indices.size(), 9u);
    const plat::TlVertex2& centreBefore = Draws()[0].vertices[Draws()[0].indices[0]];
    const plat::TlVertex2& centreAfter = Draws()[1].vertices[Draws()[1].indices[0]];
    EXPECT_EQ(Draws()[1].indices[0], 0u);
    EXPECT_EQ(centreAfter.x, centreBefore.x);
    EXPECT_EQ(centreAfter.y, centreBefore.y);
    // The two draws alternate between the buffers of the pair.
    EXPECT_EQ(Dev().GetVertexBuffer().PairIndex(), 0u);
}

TEST_F(QrRenderPathTest, MaxVertexCountZeroGivesTheDefaultBuffers)
{
    RgbCaps().maxVertexCount = 0;
    Open();
    EXPECT_EQ(Dev().GetVertexBuffer().BufferVertices(), 2048u);
    EXPECT_EQ(Dev().GetVertexCapacity(), 2045u);
    EXPECT_EQ(Dev().GetVertexBuffer().IndexCapacity(), 4096u);
}

TEST_F(QrRenderPathTest, LargeShapeGrowsTheWorkBuffers)
{
    Open();
    std::vector<QrPoint3> points(300, QrPoint3(0.0f, 0.0f, -10.0f));
    std::vector<uint16_t> indices(3 * 298);
    for (uint16_t i = 0; i < 298; ++i)
    {
        points[i + 2] = QrPoint3(i * 0.01f, 1.0f, -10.0f);
        indices[3 * i] = 0;
        indices[3 * i + 1] = static_cast<uint16_t>(i + 2);
        indices[3 * i + 2] = 1;
    }
    points[1] = QrPoint3(-1.0f, 1.0f, -10.0f);
    ASSERT_EQ(m_renderer->RenderShape(298, 300, points.data(), nullptr, nullptr, 0, nullptr, nullptr, indices.data(),
                                      WideBound(), QrPoint3()),
              0u);
    EXPECT_EQ(Drv().GetWorkBuffer().Capacity(), 364u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].indices.size(), 3u * 298u);
}

TEST_F(QrRenderPathTest, ScreenPolygonsAreYUpFansInsideTheUnitSquare)
{
    Open();
    const QrPoint3 pentagon[5] = {
        {0.0f, 0.0f, 0.5f}, {1.0f, 0.0f, 0.5f}, {1.0f, 0.5f, 0.5f}, {0.5f, 1.0f, 0.5f}, {0.0f, 0.5f, 0.5f}};
    ASSERT_EQ(m_renderer->RenderScreenPolygon(5, pentagon, nullptr, nullptr), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    const plat::RecordedDraw& draw = Draws()[0];
    EXPECT_EQ(draw.indices, (std::vector<uint16_t>{2, 0, 1, 3, 0, 2, 4, 0, 3}));
    // y = 0 is the bottom of the viewport.
    EXPECT_GT(draw.vertices[0].y, draw.vertices[3].y);
    EXPECT_EQ(draw.vertices[1].x - draw.vertices[0].x, 640.0f);
    EXPECT_EQ(draw.vertices[0].diffuse, 0xFFFFFFFFu);
    // rhw = 0.95 / ((f - n) z + n), depth = f z rhw.
    EXPECT_FLOAT_EQ(draw.vertices[0].rhw, 0.95f / (99.0f * 0.5f + 1.0f));
    EXPECT_FLOAT_EQ(draw.vertices[0].z, 100.0f * 0.5f * draw.vertices[0].rhw);
    const std::vector<plat::TlVertex2> c = Corners(draw);
    for (size_t t = 0; t < 3; ++t)
        EXPECT_LT(Area2(c[3 * t], c[3 * t + 1], c[3 * t + 2]), 0.0f);

    Recorder().Clear();
    const QrPoint3 outsideX[3] = {{0.0f, 0.0f, 0.5f}, {1.0001f, 0.0f, 0.5f}, {0.0f, 1.0f, 0.5f}};
    const QrPoint3 outsideY[3] = {{0.0f, -0.0001f, 0.5f}, {1.0f, 0.0f, 0.5f}, {0.0f, 1.0f, 0.5f}};
    EXPECT_EQ(m_renderer->RenderScreenPolygon(3, outsideX, nullptr, nullptr), 0u);
    EXPECT_EQ(m_renderer->RenderScreenPolygon(3, outsideY, nullptr, nullptr), 0u);
    EXPECT_EQ(m_renderer->RenderScreenPolygon(2, pentagon, nullptr, nullptr), 0u);
    EXPECT_TRUE(Draws().empty());

    const QrColorA colors[3] = {{1.0f, 0.5f, 0.0f, 0.5f}, {0, 0, 0, 1}, {0, 0, 0, 1}};
    const QrPoint3 tex[3] = {{0.25f, 0.75f, 0.0f}, {}, {}};
    ASSERT_EQ(m_renderer->RenderScreenPolygon(3, pentagon, tex, colors), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].vertices[0].diffuse, 0x7FFF7F00u);
    EXPECT_EQ(Draws()[0].vertices[0].tu, 0.25f);
    EXPECT_EQ(Draws()[0].vertices[0].tv, 0.75f);
}

TEST_F(QrRenderPathTest, PointsAreWholeQuadsInsideTheSurface)
{
    Open();
    m_renderer->SetVertexColorMode(1);
    // At depth 10 a point of size 1 has the half size 2 x 320 x 1 / 2 / 10 = 32 pixels.
    const QrPoint3 points[3] = {{0.0f, 0.0f, -10.0f}, {-9.1f, 0.0f, -10.0f}, {9.5f, 0.0f, -10.0f}};
    const QrColorA colors[3] = {{1.0f, 0.0f, 0.0f, 1.0f}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    ASSERT_EQ(m_renderer->RenderPoints(3, points, nullptr, colors, 1.0f, WideBound()), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    const plat::RecordedDraw& draw = Draws()[0];
    // The second point's quad crosses the left margin, the third the right one: only one.
    ASSERT_EQ(draw.indices, (std::vector<uint16_t>{0, 1, 3, 1, 2, 3}));
    EXPECT_FLOAT_EQ(draw.vertices[0].x, 319.5f - 32.0f);
    EXPECT_FLOAT_EQ(draw.vertices[0].y, 239.5f - 32.0f);
    EXPECT_FLOAT_EQ(draw.vertices[2].x, 319.5f + 32.0f);
    EXPECT_EQ(draw.vertices[0].tv, 1.0f);
    EXPECT_EQ(draw.vertices[1].tv, 0.0f);
    EXPECT_EQ(draw.vertices[0].diffuse, 0xFFFF0000u);
    EXPECT_EQ(draw.vertices[0].specular, 0xFF000000u);
    const std::vector<plat::TlVertex2> c = Corners(draw);
    EXPECT_LT(Area2(c[0], c[1], c[2]), 0.0f);
    EXPECT_LT(Area2(c[3], c[4], c[5]), 0.0f);
}

TEST_F(QrRenderPathTest, PointsOnOrOutsideAClipPlaneAreDropped)
{
    Open();
    const QrPlane plane(QrPoint3(1.0f, 0.0f, 0.0f), 0.0f);
    const QrPlane* planes[1] = {&plane};
    m_renderer->SetClipPlanes(planes, 1, 0, 0);
    const QrPoint3 points[3] = {{0.0f, 0.0f, -10.0f}, {-0.5f, 0.0f, -10.0f}, {0.5f, 0.0f, -10.0f}};
    ASSERT_EQ(m_renderer->RenderPoints(3, points, nullptr, nullptr, 0.1f, WideBound()), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].indices.size(), 6u);
    EXPECT_GT(Draws()[0].vertices[0].x, 320.0f);
}

TEST_F(QrRenderPathTest, LinesAreDrawnAsALineListAndClippedInPlace)
{
    Open();
    m_renderer->SetVertexColorMode(1);
    const QrPoint3 line[4] = {
        {-1.0f, 0.0f, -10.0f}, {1.0f, 0.0f, -10.0f}, {-2.0f, 1.0f, -10.0f}, {-1.0f, 1.0f, -10.0f}};
    const QrColorA colors[4] = {{0, 0, 1, 1}, {1, 0, 0, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    ASSERT_EQ(m_renderer->RenderLines(2, line, nullptr, colors, WideBound()), 0u);
    ASSERT_EQ(m_calls.Of(plat::Call::DrawPrimitiveVB).size(), 1u);
    EXPECT_EQ(m_calls.Of(plat::Call::DrawPrimitiveVB)[0].args[2], 4u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].primitive, plat::PrimitiveType::LineList);
    EXPECT_TRUE(Draws()[0].indices.empty());

    // x >= 0: the first line loses its left half, the second line is dropped.
    const QrPlane plane(QrPoint3(1.0f, 0.0f, 0.0f), 0.0f);
    const QrPlane* planes[1] = {&plane};
    m_renderer->SetClipPlanes(planes, 1, 0, 0);
    Recorder().Clear();
    ASSERT_EQ(m_renderer->RenderLines(2, line, nullptr, colors, WideBound()), 0u);
    ASSERT_EQ(Draws().size(), 1u);
    const plat::TlVertex2& start = Draws()[0].vertices[0];
    EXPECT_FLOAT_EQ(start.x, 319.5f);
    // Half way from blue to red, truncated.
    EXPECT_EQ(start.diffuse, 0xFF7F007Fu);
    EXPECT_EQ(m_calls.Of(plat::Call::DrawPrimitiveVB).back().args[2], 2u);
}

TEST_F(QrRenderPathTest, FailedLockDrawsNothingAndReportsTheBatch)
{
    Open();
    m_injector.FailCall(plat::Operation::LockVertexBuffer, 1, plat::Result::Failed);
    EXPECT_EQ(DrawQuad(), QrRenderCode::kDrawFailed);
    EXPECT_EQ(DrawCalls(), 0u);
    const QrPoint3 points[1] = {{0.0f, 0.0f, -10.0f}};
    m_injector.FailCall(plat::Operation::LockVertexBuffer, 1, plat::Result::Failed);
    EXPECT_EQ(m_renderer->RenderPoints(1, points, nullptr, nullptr, 1.0f, WideBound()), QrRenderCode::kDrawFailed);
}

} // namespace
