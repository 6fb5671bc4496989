#include "TerrainTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace terraintest;

namespace
{

class QrTerrainLODTest : public QrEngineTest
{
};

uint32_t ActiveCount(const QrTerrainPage& page)
{
    uint32_t count = 0;
    for (uint32_t r = 0; r < page.GetSize(); ++r)
        for (uint32_t c = 0; c < page.GetSize(); ++c)
            count += page.IsVertexActive(c, r);
    return count;
}

uint32_t Build(QrTerrainPage* page, View& view)
{
    page->PushState(view.Camera(), page->GetCurrentInstance());
    return page->GetDrawTriangleCount();
}

} // namespace

TEST_F(QrTerrainLODTest, AFarCameraLeavesTheRootWithItsDiagonalCorners)
{
    View view(1.0f, 50000.0f);
    auto page = MakePage(129, Bowl);
    view.LookFrom(QrPoint3(64.0f, -40000.0f, 500.0f), QrPoint3(64.0f, 64.0f, 0.0f));
    ASSERT_EQ(view.UpdatePages({page.Get()}), std::vector<bool>{true});
    EXPECT_EQ(page->GetQueuedCount(), 1);
    EXPECT_EQ(page->PeekNode(0), 0);
    EXPECT_EQ(ActiveCount(*page.Get()), 2u);
    EXPECT_TRUE(page->IsVertexActive(128, 0));
    EXPECT_TRUE(page->IsVertexActive(0, 128));
    EXPECT_EQ(Build(page.Get(), view), 2u);
    EXPECT_EQ(page->GetDrawVertexCount(), 4);
}

TEST_F(QrTerrainLODTest, APageOutsideTheFrustumStaysUnrefinedAndDrawsNothing)
{
    View view;
    auto page = MakePage(129, Bowl);
    view.LookFrom(QrPoint3(64.0f, -10.0f, 20.0f), QrPoint3(64.0f, -100.0f, 20.0f)); // looking away
    page->SetPixelTolerance(view.Camera(), 0.0f);
    page->ResetLOD();
    EXPECT_FALSE(page->IsVisible(view.Camera()));
    page->UpdateLOD(view.Camera(), view.Camera()->GetWorldLocation());
    EXPECT_EQ(page->GetQueuedCount(), 1);
    EXPECT_EQ(ActiveCount(*page.Get()), 0u);
    EXPECT_EQ(Build(page.Get(), view), 0u);
}

TEST_F(QrTerrainLODTest, ThresholdComesFromTheFrustumAndTheDisplayWidth)
{
    View view;
    auto page = MakePage(9, Bowl);
    view.Camera()->GetFrustum()[QrCamera::kRight] = 0.5f;
    // The side values lie on the image plane 4 units out; the near plane, far nearer, plays no
    // part (at it a pixel would be 400 times too wide).
    view.Camera()->GetLocalFocus() = QrPoint3(4.0f, 0.0f, 0.0f);
    view.Camera()->GetFrustum()[QrCamera::kNear] = 0.01f;
    page->SetPixelTolerance(view.Camera(), 4.0f);
    const float root = 2.0f * 0.5f * 4.0f / (4.0f * 640.0f);
    EXPECT_FLOAT_EQ(page->GetErrorThreshold(), root * root);
    EXPECT_FLOAT_EQ(page->GetPixelTolerance(), 4.0f);

    page->SetPixelTolerance(view.Camera(), 0.0f);
    EXPECT_EQ(page->GetErrorThreshold(), 0.0f);

    // Without a display no error can be seen, whatever the tolerance.
    QrPointer<QrCamera> blind(new QrCamera(1.0f, 100.0f));
    page->SetPixelTolerance(blind.Get(), 0.0f);
    EXPECT_EQ(page->GetErrorThreshold(), std::numeric_limits<float>::infinity());
}

TEST_F(QrTerrainLODTest, TheThresholdIsDerivedAtTheFirstUpdate)
{
    View view;
    auto page = MakePage(9, Bowl);
    view.LookFrom(QrPoint3(4.0f, -20.0f, 30.0f), QrPoint3(4.0f, 4.0f, 0.0f));
    view.UpdatePages({page.Get()});
    const float root = 2.0f * 1.0f * 1.0f / (2.0f * 640.0f); // the image plane 2 units out
    EXPECT_FLOAT_EQ(page->GetErrorThreshold(), root * root);
}

TEST_F(QrTerrainLODTest, ToleranceZeroActivatesEveryVertexWithAnError)
{
    View view;
    // The left half is flat (no error anywhere), the right half a bowl.
    auto page = MakePage(17, [](int c, int r) { return uint16_t(c <= 8 ? 0 : (c - 8) * (c - 8) * 100 + r * r * 100); });
    view.LookFrom(QrPoint3(8.3f, 8.3f, 60.0f), QrPoint3(8.0f, 8.0f, 0.0f));
    page->SetPixelTolerance(view.Camera(), 0.0f);
    view.UpdatePages({page.Get()});
    for (uint32_t r = 1; r < 16; ++r)
    {
        EXPECT_FALSE(page->IsVertexActive(3, r)) << "flat: no error, row " << r;
        EXPECT_TRUE(page->IsVertexActive(13, r)) << "curved: row " << r;
    }
}

TEST_F(QrTerrainLODTest, TheCutFollowsTheCameraInAndOutWithoutCracks)
{
    View view(1.0f, 50000.0f);
    auto page = MakePage(129, [](int c, int r) { return gen::TerrainSample(384 + c, 128 + r); }); // rough
    const QrPoint3 target(64.0f, 64.0f, 60.0f);
    uint32_t previous = 0;
    for (float distance : {40000.0f, 2000.0f, 600.0f, 200.0f})
    {
        view.LookFrom(QrPoint3(64.0f, 64.0f - distance, 90.0f + distance / 4), target);
        view.UpdatePages({page.Get()});
        const uint32_t triangles = Build(page.Get(), view);
        EXPECT_GE(triangles, previous) << "closer never coarser, at " << distance;
        EXPECT_TRUE(TJunctions(DrawnTriangles(*page.Get())).empty()) << "at " << distance;
        previous = triangles;
    }
    EXPECT_GT(page->GetQueuedCount(), 16) << "close up the cut has moved several levels down";
    EXPECT_GT(previous, 1000u);

    // Far away again, sibling groups merge as they come round in the ring, several levels a
    // frame, until the root alone is left.
    view.LookFrom(QrPoint3(64.0f, -40000.0f, 500.0f), target);
    const uint16_t closeCut = page->GetQueuedCount();
    int frames = 0;
    do
    {
        view.UpdatePages({page.Get()});
        EXPECT_TRUE(TJunctions(DrawnTriangles(*page.Get())).empty()) << "coarsening frame " << frames;
        ++frames;
    } while (page->GetQueuedCount() > 1 && frames < 10);
    EXPECT_LT(frames, 10) << "the cut of " << closeCut << " blocks never came back to the root";
    EXPECT_EQ(page->GetQueuedCount(), 1);
    EXPECT_EQ(page->PeekNode(0), 0);
    EXPECT_EQ(Build(page.Get(), view), 2u);
    EXPECT_EQ(ActiveCount(*page.Get()), 2u) << "every vertex of the close frame was let go";
}

TEST_F(QrTerrainLODTest, TheSmallestPageRefinesAndCoarsensInItsOneEntryRing)
{
    View view;
    auto page = MakePage(3, Bowl);
    page->SetPixelTolerance(view.Camera(), 0.0f);
    for (int frame = 0; frame < 3; ++frame)
    {
        view.LookFrom(QrPoint3(1.2f, 1.1f, 6.0f), QrPoint3(1.0f, 1.0f, 0.0f));
        view.UpdatePages({page.Get()});
        EXPECT_EQ(Build(page.Get(), view), 8u);
        view.LookFrom(QrPoint3(1.0f, 1.0f, 6.0f), QrPoint3(1.0f, 40.0f, 6.0f)); // looking away
        view.UpdatePages({page.Get()});
        EXPECT_EQ(Build(page.Get(), view), 0u);
    }
    EXPECT_EQ(page->GetQueuedCount(), 1);
}

TEST_F(QrTerrainLODTest, NoCracksAcrossTheBlockAsTheCameraMoves)
{
    Block block;
    View view;
    const std::vector<QrTerrainPage*> pages = block.All();
    uint32_t refinedFrames = 0;
    for (int step = 0; step <= 12; ++step)
    {
        // A low flight over the rough pages and along the slope, turning as it goes.
        const float x = 230.0f + 22.0f * float(step);
        const float y = -30.0f + 46.0f * float(step);
        view.LookFrom(QrPoint3(x, y, 110.0f), QrPoint3(x + 80.0f * std::cos(0.5f * float(step)),
                                                       y + 80.0f * std::sin(0.5f * float(step)), 30.0f));
        const std::vector<bool> visible = view.UpdatePages(pages);

        // Twin vertices of every shared edge are active together.
        for (int p = 0; p < Block::kPages; ++p)
            for (int q = 0; q < Block::kPages; ++q)
                for (uint32_t i = 1; i < 128; ++i)
                {
                    if (q + 1 < Block::kPages)
                    {
                        ASSERT_EQ(block.At(p, q)->IsVertexActive(128, i), block.At(p, q + 1)->IsVertexActive(0, i))
                            << "column edge of page " << p << "," << q << " row " << i << " step " << step;
                    }
                    if (p + 1 < Block::kPages)
                    {
                        ASSERT_EQ(block.At(p, q)->IsVertexActive(i, 128), block.At(p + 1, q)->IsVertexActive(i, 0))
                            << "row edge of page " << p << "," << q << " column " << i << " step " << step;
                    }
                }

        // The drawn pages together form one mesh without T-junctions.
        std::vector<GridTriangle> all;
        uint32_t triangles = 0;
        for (size_t i = 0; i < pages.size(); ++i)
        {
            if (!visible[i])
                continue;
            triangles += Build(pages[i], view);
            const std::vector<GridTriangle> drawn = DrawnTriangles(*pages[i]);
            all.insert(all.end(), drawn.begin(), drawn.end());
        }
        const auto cracks = TJunctions(all);
        ASSERT_TRUE(cracks.empty()) << "step " << step << ": edge (" << cracks[0].first.first << ","
                                    << cracks[0].first.second << ")-(" << cracks[0].second.first << ","
                                    << cracks[0].second.second << ") passes through a drawn vertex";
        refinedFrames += triangles > 2000;
    }
    EXPECT_GE(refinedFrames, 6u) << "the flight must see refined terrain";
}

TEST_F(QrTerrainLODTest, ALinkedBorderVertexActivatesItsTwinOnAnUnrefinedNeighbour)
{
    auto left = MakePage(33, Bowl);
    auto right = MakePage(
        33, [](int c, int r) { return Bowl(c + 32, r); }, 32.0f, 0.0f);
    left->LinkColumnEdge(right.Get());
    View view;
    view.LookFrom(QrPoint3(31.5f, 10.3f, 20.0f), QrPoint3(28.0f, 16.0f, 0.0f));
    left->SetPixelTolerance(view.Camera(), 0.0f);
    right->ResetLOD();
    view.UpdatePages({left.Get()});
    uint32_t twins = 0;
    for (uint32_t r = 1; r < 32; ++r)
    {
        ASSERT_EQ(left->IsVertexActive(32, r), right->IsVertexActive(0, r)) << r;
        twins += right->IsVertexActive(0, r);
    }
    EXPECT_GT(twins, 0u);
    // The twin pulls in what it depends on in its own page: the centre of its block.
    EXPECT_GT(ActiveCount(*right.Get()), twins);
}

TEST_F(QrTerrainLODTest, DestroyingALinkedNeighbourUnlinksItsBorder)
{
    auto left = MakePage(17, Bowl);
    View view;
    view.LookFrom(QrPoint3(15.5f, 8.3f, 12.0f), QrPoint3(12.0f, 8.0f, 0.0f));
    {
        auto right = MakePage(
            17, [](int c, int r) { return Bowl(c + 16, r); }, 16.0f, 0.0f);
        auto below = MakePage(
            17, [](int c, int r) { return Bowl(c, r + 16); }, 0.0f, -16.0f);
        left->LinkColumnEdge(right.Get());
        below->LinkRowEdge(left.Get());
        view.UpdatePages({left.Get(), right.Get(), below.Get()});
    }
    // The neighbours are gone; the left page's border links must not reach them (AddressSanitizer
    // reports any use of their freed links).
    const QrTerrainVertexLink* links = left->GetVertexLinks();
    for (uint32_t r = 1; r < 16; ++r)
    {
        EXPECT_EQ(links[r * 17 + 16].m_second, nullptr);
        EXPECT_EQ(links[r].m_second, nullptr) << "bottom border: its second link went to the page below";
    }
    left->SetPixelTolerance(view.Camera(), 0.0f);
    for (int frame = 0; frame < 2; ++frame)
        view.UpdatePages({left.Get()});
    EXPECT_TRUE(left->IsVertexActive(16, 8));
}
