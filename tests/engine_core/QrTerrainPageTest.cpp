#include "TerrainTestHelpers.h"

#include "QrNode.h"
#include "QrStream.h"
#include "QrTerrainDebugTarget.h"

#include "ByteReader.h"
#include "Files.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace terraintest;

namespace
{

class QrTerrainPageTest : public QrEngineTest
{
protected:
    void TearDown() override
    {
        QrTerrainPage::DeleteSharedArrays();
        QrEngineTest::TearDown();
    }
};

// The records a debug target receives.
class LineRecorder : public QrTerrainDebugTarget
{
public:
    bool BeginLines() override
    {
        ++m_begins;
        return m_canDraw;
    }
    void MoveTo(int32_t x, int32_t y) override { m_calls.push_back({'M', x, y}); }
    void LineTo(int32_t x, int32_t y) override { m_calls.push_back({'L', x, y}); }
    void EndLines() override { ++m_ends; }

    struct Call
    {
        char kind;
        int32_t x, y;
    };
    std::vector<Call> m_calls;
    int m_begins = 0;
    int m_ends = 0;
    bool m_canDraw = true;
};

} // namespace

TEST_F(QrTerrainPageTest, ConstructionBuildsTheTreeTheBoundAndACutOfTheRootAlone)
{
    auto page = MakePage(129, Bowl, 10.0f, 20.0f, true, 2.0f);
    EXPECT_EQ(page->GetNodeCount(), 5461);
    EXPECT_EQ(page->GetCellCount(), 128);
    EXPECT_FLOAT_EQ(page->GetTextureStep(), 1.0f / 128.0f);
    EXPECT_EQ(page->GetQueuedCount(), 1);
    EXPECT_EQ(page->PeekNode(0), 0);
    EXPECT_FLOAT_EQ(page->GetPixelTolerance(), 1.0f);
    EXPECT_FLOAT_EQ(page->GetErrorThreshold(), -1.0f);

    // The bound is the sphere round the whole box: x 10 .. 266, y 20 .. 276, heights of
    // samples 0 .. 32768.
    const float top = 32768.0f * (100.0f / 65535.0f);
    const QrBound& bound = page->GetModelBound();
    EXPECT_FLOAT_EQ(bound.GetCenter().x, 138.0f);
    EXPECT_FLOAT_EQ(bound.GetCenter().y, 148.0f);
    EXPECT_NEAR(bound.GetCenter().z, top / 2, 1e-4);
    EXPECT_NEAR(bound.GetRadius(), std::sqrt(128.0f * 128.0f * 2 + top * top / 4), 1e-3);
    EXPECT_EQ(bound.GetFlag(), 0);

    // Blocks of the smallest level have half size 1 and alternate their diagonals.
    const QrTerrainNode* nodes = page->GetNodes();
    EXPECT_EQ(nodes[0].m_halfSize, 64);
    EXPECT_EQ(nodes[0].m_flags, QrTerrainNode::kDiagonal);
    EXPECT_EQ(nodes[5460].m_halfSize, 1);
    EXPECT_EQ(nodes[1].m_flags & QrTerrainNode::kDiagonal, QrTerrainNode::kDiagonal);
    EXPECT_EQ(nodes[2].m_flags & QrTerrainNode::kDiagonal, 0);
    EXPECT_EQ(nodes[4].m_column, 64);
    EXPECT_EQ(nodes[4].m_row, 64);
}

TEST_F(QrTerrainPageTest, BlockErrorsAreTheSquaredMidpointDeviations)
{
    // 3 x 3 samples: one block whose midpoints and centre stand out from their edges.
    const uint16_t samples[9] = {0, 6553, 0, 13107, 32767, 0, 0, 0, 65535};
    auto heights = std::vector<uint16_t>(samples, samples + 9);
    QrPointer<QrTerrainPage> page(new QrTerrainPage(3, 0.0f, 0.0f, 0.0f, 100.0f, 1.0f, heights.data(), false));
    const auto h = [](uint16_t s) { return float(s) * float(100.0 / 65535.0); };
    const QrTerrainNode& root = page->GetNodes()[0];
    const auto sq = [](float v) { return v * v; };
    EXPECT_FLOAT_EQ(root.m_errors[QrTerrainNode::kBottom], sq(h(6553)));
    EXPECT_FLOAT_EQ(root.m_errors[QrTerrainNode::kRight], sq(h(65535) / 2));
    EXPECT_FLOAT_EQ(root.m_errors[QrTerrainNode::kTop], sq(h(65535) / 2));
    EXPECT_FLOAT_EQ(root.m_errors[QrTerrainNode::kLeft], sq(h(13107)));
    // Diagonal (2, 0)-(0, 2): both ends at 0.
    EXPECT_FLOAT_EQ(root.m_errors[QrTerrainNode::kCenter], sq(h(32767)));
    EXPECT_FLOAT_EQ(root.m_subtreeError, sq(h(65535) / 2));
    EXPECT_FLOAT_EQ(root.m_boxMax[2], 100.0f);
    EXPECT_FLOAT_EQ(root.m_boxMin[2], 0.0f);
}

TEST_F(QrTerrainPageTest, InvalidSizesAndMissingSamplesGiveAnEmptyPage)
{
    std::vector<uint16_t> samples(200 * 200, 7);
    for (uint16_t size : {0, 1, 2, 4, 6, 100, 131, 257})
    {
        QrPointer<QrTerrainPage> page(new QrTerrainPage(size, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, samples.data(), true));
        EXPECT_EQ(page->GetSize(), 0) << size;
        EXPECT_FALSE(page->ContainsPoint(0.5f, 0.5f));
        EXPECT_EQ(page->GetHeight(0.5f, 0.5f), 0.0f);
        page->ResetLOD();
        page->PushState(nullptr, page->GetCurrentInstance());
        EXPECT_EQ(page->GetDrawTriangleCount(), 0);
    }
    QrPointer<QrTerrainPage> noSamples(new QrTerrainPage(5, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, nullptr, true));
    EXPECT_EQ(noSamples->GetSize(), 0);
    // The lake world's form: nine arguments, the last a 0 for "no arrays".
    QrPointer<QrTerrainPage> sector(new QrTerrainPage(5, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, samples.data(), false, 0));
    EXPECT_EQ(sector->GetSize(), 5);
    EXPECT_EQ(sector->GetGridNormals(), nullptr);
}

TEST_F(QrTerrainPageTest, HeightQueryFollowsTheCellDiagonals)
{
    // Vertex (1, 1) is raised: it ends the diagonal of the even cell (0, 0), which runs
    // (0,0)-(1,1), and the diagonal of the odd cell (1, 0), which runs (2,0)-(1,1).
    auto page = MakePage(5, [](int c, int r) { return uint16_t(c == 1 && r == 1 ? 65535 : 0); });
    EXPECT_FLOAT_EQ(page->GetHeight(0.0f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(page->GetHeight(0.5f, 0.5f), 50.0f) << "on the even cell's diagonal";
    EXPECT_FLOAT_EQ(page->GetHeight(0.75f, 0.25f), 25.0f) << "below the diagonal: h10 side";
    EXPECT_FLOAT_EQ(page->GetHeight(0.25f, 0.75f), 25.0f) << "above the diagonal: h01 side";
    EXPECT_FLOAT_EQ(page->GetHeight(1.5f, 0.5f), 50.0f) << "on the odd cell's diagonal, tx + ty = 1";
    EXPECT_FLOAT_EQ(page->GetHeight(1.25f, 0.25f), 25.0f);
    EXPECT_FLOAT_EQ(page->GetHeight(1.75f, 0.75f), 25.0f);

    // Vertex (2, 1) is off the odd cell's diagonal: only the triangle above it sees it.
    auto odd = MakePage(5, [](int c, int r) { return uint16_t(c == 2 && r == 1 ? 65535 : 0); });
    EXPECT_FLOAT_EQ(odd->GetHeight(1.25f, 0.25f), 0.0f) << "below the diagonal";
    EXPECT_FLOAT_EQ(odd->GetHeight(1.5f, 0.5f), 0.0f) << "on the diagonal";
    EXPECT_FLOAT_EQ(odd->GetHeight(1.75f, 0.75f), 50.0f) << "above the diagonal";
    // And (1, 0) is off the even cell's diagonal.
    auto even = MakePage(5, [](int c, int r) { return uint16_t(c == 1 && r == 0 ? 65535 : 0); });
    EXPECT_FLOAT_EQ(even->GetHeight(0.25f, 0.75f), 0.0f) << "above the diagonal";
    EXPECT_FLOAT_EQ(even->GetHeight(0.75f, 0.25f), 50.0f) << "below the diagonal";

    // Both formulas of a cell agree on its diagonal.
    auto rough = MakePage(9, [](int c, int r) { return uint16_t((c * 7919 + r * 104729) % 65536); });
    for (float t : {0.1f, 0.5f, 0.9f})
    {
        EXPECT_NEAR(rough->GetHeight(2.0f + t, 3.0f + t), rough->GetHeight(2.0f + t + 1e-4f, 3.0f + t), 0.1f);
        EXPECT_NEAR(rough->GetHeight(3.0f + t, 3.0f + 1.0f - t), rough->GetHeight(3.0f + t + 1e-4f, 4.0f - t), 0.1f);
    }
}

TEST_F(QrTerrainPageTest, PointsOnTheFarEdgesAreOutside)
{
    auto page = MakePage(
        9, [](int, int) { return uint16_t(30000); }, -4.0f, 2.0f, true, 0.5f);
    EXPECT_TRUE(page->ContainsPoint(-4.0f, 2.0f)) << "the origin is inside";
    EXPECT_FALSE(page->ContainsPoint(0.0f, 3.0f)) << "x = origin + (N - 1) spacing";
    EXPECT_FALSE(page->ContainsPoint(-3.0f, 6.0f)) << "y = origin + (N - 1) spacing";
    EXPECT_FALSE(page->ContainsPoint(-4.001f, 3.0f));
    EXPECT_TRUE(page->ContainsPoint(-0.001f, 5.999f));
    EXPECT_EQ(page->GetHeight(0.0f, 3.0f), 0.0f);
    EXPECT_FLOAT_EQ(page->GetHeight(-2.0f, 3.0f), 30000.0f * float(100.0 / 65535.0));
}

TEST_F(QrTerrainPageTest, AStreamedPageIsAnEmptyPositionedObject)
{
    auto page = MakePage(9, Bowl);
    page->SetName("Page");
    page->SetTranslate(1.0f, 2.0f, 3.0f);
    QrStream save;
    save.InsertTopLevelObject(page.Get());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(save.SaveToMemory(bytes));

    QrStream load;
    ASSERT_TRUE(load.LoadFromMemory(bytes.data(), bytes.size()));
    ASSERT_EQ(load.GetTopLevelCount(), 1u);
    auto* loaded = QrDynamicCast<QrTerrainPage>(load.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_STREQ(loaded->GetName(), "Page");
    EXPECT_EQ(loaded->GetTranslate(), QrPoint3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(loaded->GetSize(), 0);
    EXPECT_EQ(loaded->GetHeight(0.5f, 0.5f), 0.0f);
    loaded->PushState(nullptr, loaded->GetCurrentInstance());
    EXPECT_EQ(loaded->GetDrawTriangleCount(), 0);

    QrStream again;
    again.InsertTopLevelObject(loaded);
    std::vector<uint8_t> bytesAgain;
    ASSERT_TRUE(again.SaveToMemory(bytesAgain));
    EXPECT_EQ(bytes, bytesAgain);
}

TEST_F(QrTerrainPageTest, SampleBlockFilesHoldTheGeneratedPages)
{
    // The scene names the sixteen pages; the heights come from the height files.
    QrStream stream;
    ASSERT_TRUE(stream.Load((testfiles::DataDir() + "/Data/Engine/Terrain/block.qrf").c_str()));
    auto* block = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->GetChildCount(), 16u);
    for (uint32_t i = 0; i < 16; ++i)
    {
        auto* page = QrDynamicCast<QrTerrainPage>(block->GetChildAt(i));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->GetSize(), 0);
    }

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadFile(testfiles::DataDir() + "/" + gen::TerrainHeightFile(2, 3), bytes));
    ASSERT_EQ(bytes.size(), 129u * 129u * 2u);
    plat::ByteReader reader(bytes.data(), bytes.size());
    const std::vector<uint16_t> expected = gen::TerrainPageHeights(2, 3);
    for (uint16_t sample : expected)
        ASSERT_EQ(reader.U16(), sample);
    // Neighbouring pages share their border samples.
    const std::vector<uint16_t> left = gen::TerrainPageHeights(2, 2);
    for (int r = 0; r < 129; ++r)
        ASSERT_EQ(left[r * 129 + 128], expected[r * 129]);
}

TEST_F(QrTerrainPageTest, APageHasOneParent)
{
    auto page = MakePage(5, Bowl);
    QrPointer<QrNode> first(new QrNode), second(new QrNode);
    first->AttachChild(page.Get());
    EXPECT_EQ(page->GetInstanceCount(), 1u);
    EXPECT_EQ(page->GetParent(), first.Get());
    second->AttachChild(page.Get());
    EXPECT_EQ(page->GetInstanceCount(), 1u);
    EXPECT_EQ(page->GetParent(), second.Get());
    EXPECT_EQ(first->GetChildCount(), 0u);
    second->DetachChild(page.Get());
    EXPECT_EQ(page->GetInstanceCount(), 1u);
    EXPECT_EQ(page->GetParent(), nullptr);
    EXPECT_FALSE(page->SharesProperties(page.Get(), 0xFFFFFFFFu));
}

TEST_F(QrTerrainPageTest, WorldBoundFollowsTheInstanceTransform)
{
    auto page = MakePage(5, Bowl);
    page->SetTranslate(100.0f, 0.0f, 0.0f);
    page->SetScale(2.0f);
    page->UpdateAllInstances();
    const QrBound& model = page->GetModelBound();
    const QrBound& world = page->GetWorldBound();
    EXPECT_FLOAT_EQ(world.GetCenter().x, 100.0f + 2.0f * model.GetCenter().x);
    EXPECT_FLOAT_EQ(world.GetRadius(), 2.0f * model.GetRadius());
}

TEST_F(QrTerrainPageTest, SharedArraysServeOnlyPagesOfTheirSize)
{
    QrTerrainPage::CreateSharedArrays(9);
    auto a = MakePage(9, Bowl);
    auto b = MakePage(9, Bowl);
    auto other = MakePage(17, Bowl);
    EXPECT_TRUE(a->UsesSharedArrays());
    EXPECT_EQ(a->GetDrawPositions(), b->GetDrawPositions());
    EXPECT_FALSE(other->UsesSharedArrays()) << "a page of another size gets arrays of its own";
    EXPECT_EQ(a->GetDrawNormals(), nullptr) << "no normals given";
    EXPECT_EQ(a->GetDrawColors(), nullptr);

    // Deleting the set leaves the pages usable: they take arrays of their own.
    QrTerrainPage::DeleteSharedArrays();
    a->ResetLOD();
    a->PushState(nullptr, a->GetCurrentInstance());
    EXPECT_FALSE(a->UsesSharedArrays());
    EXPECT_EQ(a->GetDrawTriangleCount(), 0) << "nothing refined, nothing visible yet";
    EXPECT_NE(a->GetDrawPositions(), b->GetDrawPositions());
}

TEST_F(QrTerrainPageTest, TheDebugMapIsSilentWithoutATarget)
{
    View view;
    auto page = MakePage(5, Bowl);
    RefineFully(view, page.Get());
    LineRecorder recorder;
    page->SetDebugMap(&recorder, 1.0f, 100);
    page->SetDebugMap(nullptr, 1.0f, 100);
    page->Draw(view.Camera(), page->GetCurrentInstance());
    page->DrawDebugMap();
    EXPECT_EQ(recorder.m_begins, 0) << "a removed target hears nothing";
    EXPECT_NE(view.Render()->GetLogText().find("RenderShape"), std::string::npos) << "the page itself drew";

    recorder.m_canDraw = false;
    page->SetDebugMap(&recorder, 1.0f, 100);
    page->DrawDebugMap();
    EXPECT_EQ(recorder.m_begins, 1);
    EXPECT_EQ(recorder.m_ends, 0) << "a target that cannot draw is not ended";
    EXPECT_TRUE(recorder.m_calls.empty());
}

TEST_F(QrTerrainPageTest, FullRefinementOfA129PageKeepsEveryIndex)
{
    // 32,768 triangles: 98,304 indices, past what a 16-bit counter holds.
    View view;
    auto page = MakePage(129, Bowl);
    RefineFully(view, page.Get());
    ASSERT_EQ(page->GetDrawTriangleCount(), 32768);
    EXPECT_EQ(page->GetDrawIndexCount(), 98304u);
    EXPECT_EQ(page->GetDrawVertexCount(), 129 * 129);

    // Every triangle is a unit triangle, counter-clockwise from above, and every cell is
    // covered by exactly its two.
    std::vector<int> perCell(128 * 128, 0);
    for (const GridTriangle& t : DrawnTriangles(*page.Get()))
    {
        const int minX = std::min({t[0].first, t[1].first, t[2].first});
        const int minY = std::min({t[0].second, t[1].second, t[2].second});
        const int maxX = std::max({t[0].first, t[1].first, t[2].first});
        const int maxY = std::max({t[0].second, t[1].second, t[2].second});
        ASSERT_EQ(maxX - minX, 1);
        ASSERT_EQ(maxY - minY, 1);
        const int cross = (t[1].first - t[0].first) * (t[2].second - t[0].second) -
                          (t[1].second - t[0].second) * (t[2].first - t[0].first);
        ASSERT_GT(cross, 0);
        ++perCell[minY * 128 + minX];
    }
    for (int count : perCell)
        ASSERT_EQ(count, 2);
}

TEST_F(QrTerrainPageTest, HeightQueryLiesOnTheDrawnSurface)
{
    View view;
    // Curved along every axis and diagonal, so that every vertex is refined.
    auto page = MakePage(17, [](int c, int r) { return uint16_t(40 * c * c + 70 * r * r + 10 * c * r); });
    RefineFully(view, page.Get());
    ASSERT_EQ(page->GetDrawTriangleCount(), 2 * 16 * 16);
    const QrPoint3* positions = page->GetDrawPositions();
    const uint16_t* indices = page->GetDrawIndices();
    // At the centroid of every drawn triangle the query gives the triangle's own height.
    for (uint32_t t = 0; t < page->GetDrawTriangleCount(); ++t)
    {
        const QrPoint3 a = positions[indices[3 * t]], b = positions[indices[3 * t + 1]],
                       c = positions[indices[3 * t + 2]];
        const QrPoint3 centroid = (a + b + c) * (1.0f / 3.0f);
        ASSERT_NEAR(page->GetHeight(centroid.x, centroid.y), centroid.z, 1e-3f) << t;
    }
}

TEST_F(QrTerrainPageTest, DrawListIsBuiltInWorldSpaceWithPlanesInModelSpace)
{
    View view;
    auto page =
        MakePage(5, Bowl, 0.0f, 0.0f, true, 1.0f, std::make_unique<QrPoint3[]>(25), std::make_unique<QrColorA[]>(25));
    RefineFully(view, page.Get());
    ASSERT_EQ(page->GetDrawTriangleCount(), 32);
    const QrPoint3 modelFirst = page->GetDrawPositions()[0];
    const QrPlane modelPlane = page->GetDrawPlanes()[0];

    page->SetTranslate(10.0f, 20.0f, 30.0f);
    page->SetScale(2.0f);
    page->UpdateAllInstances();
    page->PushState(view.Camera(), page->GetCurrentInstance());
    EXPECT_EQ(page->GetDrawPositions()[0], modelFirst * 2.0f + QrPoint3(10.0f, 20.0f, 30.0f));
    EXPECT_EQ(page->GetDrawPlanes()[0], modelPlane);
    EXPECT_NE(page->GetDrawNormals(), nullptr);
    EXPECT_NE(page->GetDrawColors(), nullptr);
    // Each grid vertex once, with its texture coordinates.
    const uint16_t* remap = page->GetVertexRemap();
    const uint16_t corner = remap[24];
    ASSERT_NE(corner, QrTerrainPage::kNotInList);
    EXPECT_EQ(page->GetDrawTextureCoords()[corner], QrPoint3(1.0f, 1.0f, 0.0f));
}

TEST_F(QrTerrainPageTest, DrawHandsTheListToTheRenderer)
{
    View view;
    auto page = MakePage(5, Bowl, 0.0f, 0.0f, false);
    RefineFully(view, page.Get());
    view.Render()->ClearLog();
    page->Draw(view.Camera(), page->GetCurrentInstance());
    const std::string log = view.Render()->GetLogText();
    EXPECT_NE(log.find("RenderShape triangles=32 vertices=25"), std::string::npos) << log;
    EXPECT_NE(log.find("sets=0 texcoords=null"), std::string::npos) << "no texture set without coordinates";
    EXPECT_LT(log.find("SetWorldTransform"), log.find("RenderShape"));
}

TEST_F(QrTerrainPageTest, ADrawAfterAnotherPagesPushDrawsItsOwnList)
{
    // A draw deferred past another page's push must not draw that page's list from the shared
    // arrays.
    QrTerrainPage::CreateSharedArrays(5);
    View view;
    auto near = MakePage(5, Bowl);
    auto far = MakePage(5, Bowl, 1000.0f, 0.0f);
    RefineFully(view, near.Get());
    ASSERT_EQ(near->GetDrawTriangleCount(), 32);
    far->ResetLOD();
    far->PushState(view.Camera(), far->GetCurrentInstance());
    EXPECT_EQ(far->GetDrawTriangleCount(), 0);

    view.Render()->ClearLog();
    near->Draw(view.Camera(), near->GetCurrentInstance());
    EXPECT_NE(view.Render()->GetLogText().find("RenderShape triangles=32"), std::string::npos);
    EXPECT_EQ(near->GetDrawPositions()[0].x < 100.0f, true);
}

TEST_F(QrTerrainPageTest, SharedAndOwnArraysGiveTheSameList)
{
    View view;
    auto own = MakePage(9, Bowl);
    RefineFully(view, own.Get());
    const std::vector<GridTriangle> expected = DrawnTriangles(*own.Get());
    QrTerrainPage::CreateSharedArrays(9);
    auto shared = MakePage(9, Bowl);
    ASSERT_TRUE(shared->UsesSharedArrays());
    RefineFully(view, shared.Get());
    EXPECT_EQ(DrawnTriangles(*shared.Get()), expected);
}

TEST_F(QrTerrainPageTest, TheDebugMapDrawsEveryTriangleWithRowsFromTheTop)
{
    View view;
    auto page = MakePage(3, Bowl, 0.0f, 0.0f);
    RefineFully(view, page.Get());
    ASSERT_EQ(page->GetDrawTriangleCount(), 8);
    LineRecorder recorder;
    page->SetDebugMap(&recorder, 10.0f, 50);
    page->Draw(view.Camera(), page->GetCurrentInstance());
    ASSERT_EQ(recorder.m_calls.size(), 8u * 4u);
    EXPECT_EQ(recorder.m_ends, 1);
    const QrPoint3& first = page->GetDrawPositions()[page->GetDrawIndices()[0]];
    EXPECT_EQ(recorder.m_calls[0].kind, 'M');
    EXPECT_EQ(recorder.m_calls[0].x, int32_t(first.x * 10.0f));
    EXPECT_EQ(recorder.m_calls[0].y, 50 - int32_t(first.y * 10.0f) - 1);
    EXPECT_EQ(recorder.m_calls[3].x, recorder.m_calls[0].x) << "each triangle closes on its first corner";
    EXPECT_EQ(recorder.m_calls[3].y, recorder.m_calls[0].y);
}
