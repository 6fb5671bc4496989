#include "qrxWaveGrid.h"

#include "tovWorldClasses.h"

#include "QrTestFixture.h"
#include "StreamTestHelpers.h"

#include "uRandom.h"

#include "QrPlane.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include <cmath>
#include <limits>

namespace
{

class qrxWaveGridTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SharedRandom().seed(4711);
    }

    // Every vertex of the far edges sits one grid width (or depth) from its near twin, with the
    // same normal: copies placed side by side meet without a crack.
    static void ExpectSeamless(const qrxWaveGrid& grid, const char* what)
    {
        const int32_t cols = grid.GetCellsX(), rows = grid.GetCellsZ();
        const float width = float(cols) * grid.GetCellSizeX(), depth = float(rows) * grid.GetCellSizeZ();
        const QrPoint3* v = grid.GetVertices();
        const QrPoint3* n = grid.GetNormals();
        for (int32_t j = 0; j <= rows; ++j)
        {
            const uint16_t near = grid.GetGridVertex(0, j), far = grid.GetGridVertex(cols, j);
            EXPECT_EQ(v[far], v[near] + QrPoint3(width, 0.0f, 0.0f)) << what << " x edge j " << j;
            EXPECT_EQ(n[far], n[near]) << what << " x edge j " << j;
        }
        for (int32_t i = 0; i <= cols; ++i)
        {
            const uint16_t near = grid.GetGridVertex(i, 0), far = grid.GetGridVertex(i, rows);
            EXPECT_FLOAT_EQ(v[far].z, v[near].z + depth) << what << " z edge i " << i;
            EXPECT_EQ(v[far].x, v[near].x) << what << " z edge i " << i;
            EXPECT_EQ(v[far].y, v[near].y) << what << " z edge i " << i;
            EXPECT_EQ(n[far], n[near]) << what << " z edge i " << i;
        }
    }

    static bool IsFlat(const qrxWaveGrid& grid)
    {
        for (int32_t k = 0; k < grid.GetVertexCount(); ++k)
            if (grid.GetVertices()[k] != grid.GetRestPositions()[k])
                return false;
        return true;
    }
};

TEST_F(qrxWaveGridTest, CreateRefusesWhatCannotBeBuilt)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        int32_t cols, rows;
        float dx, dz;
        bool made;
    } cases[] = {{1, 1, 1.6f, 1.6f, true},     {0, 4, 1.0f, 1.0f, false},     {4, -1, 1.0f, 1.0f, false},
                 {4, 4, 0.0f, 1.0f, false},    {4, 4, 1.0f, -1.0f, false},    {4, 4, nan, 1.0f, false},
                 {181, 181, 0.1f, 0.1f, true}, {182, 182, 0.1f, 0.1f, false}, {255, 255, 0.1f, 0.1f, false}};
    for (const auto& c : cases)
    {
        QrPointer<qrxWaveGrid> grid = qrxWaveGrid::Create(c.cols, c.rows, c.dx, c.dz, 0.1f);
        EXPECT_EQ(bool(grid), c.made) << c.cols << " x " << c.rows << " " << c.dx;
        if (grid)
        {
            EXPECT_EQ(grid->GetVertexCount(), (c.cols + 1) * (c.rows + 1));
            EXPECT_EQ(grid->GetTriangleCount(), 2 * c.cols * c.rows);
        }
    }
}

// Seams hold at every frame, for grid shapes with and without inner points, at frame lengths
// that step the phases every frame, now and then, or many at once.
// The numbers behind the ripples: the table is one turn of a vertical circle of the amplitude
// in 89 steps of 6.28312 / 89, a step turns every phase by N x elapsed / period rounded, and a
// vertex stands at its rest point plus its table entry with the height scaled by its factor,
// one of the eleven of the factor table.
TEST_F(qrxWaveGridTest, TheTablePhasesAndPositionsFollowTheCircle)
{
    // A unit circle, so the table's last steps tell its turn from 2 pi.
    const float r = 1.0f;
    QrPointer<qrxWaveGrid> grid = qrxWaveGrid::Create(4, 3, 0.4f, 0.3f, r);
    ASSERT_TRUE(grid);
    grid->SetWavePeriod(2.0);
    const int32_t n = qrxWaveGrid::kTableSize;
    const double a = 6.28312 / (n - 1);
    for (int32_t k = 0; k < n; ++k)
    {
        const QrPoint3& w = grid->GetWaveTable()[k];
        EXPECT_EQ(w.x, 0.0f) << k;
        EXPECT_NEAR(w.y, r * std::sin(k * a), 1e-5) << k;
        EXPECT_NEAR(w.z, r * std::cos(k * a), 1e-5) << k;
    }
    // A whole turn first: every vertex passes the table's end and draws its height factor.
    grid->UpdateWaves(2.0);
    const int32_t moving = grid->GetMovingCount();
    const std::vector<int32_t> before(grid->GetPhases(), grid->GetPhases() + moving);
    // 90 x 0.1 / 2 = 4.5 steps, rounded to 5.
    grid->UpdateWaves(0.1);
    grid->UpdateWaves(0.0);
    const std::set<float> factors{0.4f, 0.6f, 0.8f, 1.0f, 1.2f, 1.4f, 1.6f};
    for (int32_t k = 0; k < moving; ++k)
    {
        SCOPED_TRACE(k);
        const int32_t phase = grid->GetPhases()[k];
        EXPECT_EQ(phase, (before[size_t(k)] + 5) % n);
        const float height = grid->GetHeightFactors()[k];
        EXPECT_EQ(factors.count(height), 1u) << height;
        const QrPoint3& w = grid->GetWaveTable()[phase];
        const QrPoint3 expected = grid->GetRestPositions()[k] + QrPoint3(w.x, w.y * height, w.z);
        EXPECT_EQ(grid->GetVertices()[k], expected);
    }
    EXPECT_NE(std::count(grid->GetHeightFactors(), grid->GetHeightFactors() + moving, 1.0f), moving);
}

TEST_F(qrxWaveGridTest, FarEdgesRepeatNearEdgesAtEveryFrame)
{
    const struct
    {
        int32_t cols, rows;
        double frame;
    } cases[] = {{1, 1, 0.05}, {3, 2, 0.004}, {8, 8, 1.0 / 60.0}, {5, 7, 0.7}, {8, 8, 1.0 / 240.0}};
    for (const auto& c : cases)
    {
        QrPointer<qrxWaveGrid> grid = qrxWaveGrid::Create(c.cols, c.rows, 0.4f, 0.3f, 0.05f);
        ASSERT_TRUE(grid);
        grid->SetWavePeriod(2.0);
        for (int32_t frame = 0; frame < 40; ++frame)
        {
            grid->UpdateWaves(c.frame);
            ExpectSeamless(*grid, "frame");
            if (HasFailure())
                return;
        }
        EXPECT_FALSE(IsFlat(*grid));
        grid->FlipWinding();
        ExpectSeamless(*grid, "flipped");
        EXPECT_LT(grid->GetNormals()[0].y, 0.0f);
        EXPECT_LT(grid->GetPlanes()[0].GetNormal().y, 0.0f);
    }
}

// Amplitude 0 followed by one short step must leave the surface flat whatever the frames
// before were: a part step in the accumulator must not keep the old wavy positions.
TEST_F(qrxWaveGridTest, FlattensAtAnyFrameRate)
{
    for (const double frame : {0.0005, 0.004, 1.0 / 144.0, 1.0 / 60.0, 0.03, 0.25, 3.0})
    {
        QrPointer<qrxWaveGrid> grid = qrxWaveGrid::Create(6, 6, 0.3f, 0.3f, 0.08f);
        grid->SetWavePeriod(2.0);
        for (int32_t k = 0; k < 25; ++k)
            grid->UpdateWaves(frame);
        grid->UpdateWaves(frame * 0.5);
        ASSERT_FALSE(IsFlat(*grid)) << frame;
        grid->SetWaveAmount(0.0f);
        grid->UpdateWaves(0.01);
        EXPECT_TRUE(IsFlat(*grid)) << "frame " << frame;
        EXPECT_FLOAT_EQ(grid->GetNormals()[0].y, 1.0f);
    }
}

TEST_F(qrxWaveGridTest, ShortFramesGatherIntoOneStepAndDropTheRest)
{
    QrPointer<qrxWaveGrid> grid = qrxWaveGrid::Create(2, 2, 1.0f, 1.0f, 0.1f);
    grid->SetWavePeriod(2.0);
    const int32_t moving = grid->GetMovingCount();
    std::vector<int32_t> start(grid->GetPhases(), grid->GetPhases() + moving);
    // One step is 2/90 s; the half step rounds up.
    grid->UpdateWaves(0.005);
    grid->UpdateWaves(0.005);
    EXPECT_EQ(std::vector<int32_t>(grid->GetPhases(), grid->GetPhases() + moving), start);
    grid->UpdateWaves(0.005);
    for (int32_t k = 0; k < moving; ++k)
        EXPECT_EQ(grid->GetPhases()[k], (start[k] + 1) % qrxWaveGrid::kTableSize) << k;
    // Whole turns of time give whole turns of phase; a huge or broken frame stays in range.
    for (const double frame : {2.0, 1.0e12, std::numeric_limits<double>::infinity(), -1.0})
    {
        grid->UpdateWaves(frame);
        for (int32_t k = 0; k < moving; ++k)
        {
            EXPECT_GE(grid->GetPhases()[k], 0);
            EXPECT_LT(grid->GetPhases()[k], qrxWaveGrid::kTableSize);
        }
    }
}

TEST_F(qrxWaveGridTest, PointsWrapIntoTheGrid)
{
    QrPointer<qrxWaveGrid> grid = qrxWaveGrid::Create(5, 4, 2.0f, 1.0f, 0.1f);
    const struct
    {
        float x, z;
        int32_t i, j;
    } cases[] = {{-0.2f, 0.0f, 0, 0},  {-1.2f, 0.0f, 4, 0},    {3.1f, 2.4f, 2, 2},      {9.1f, 3.6f, 0, 0},
                 {10.9f, -0.6f, 0, 3}, {-1.0e30f, 0.2f, 0, 0}, {1.0e30f, 1.0e30f, 0, 0}};
    for (const auto& c : cases)
    {
        const uint16_t k = grid->GetVertexIndexAt(c.x, 5.0f, c.z);
        if (std::fabs(c.x) < 1.0e6f)
            EXPECT_EQ(k, grid->GetGridVertex(c.i, c.j)) << c.x << ", " << c.z;
        else
            EXPECT_LT(k, grid->GetVertexCount());
    }
    EXPECT_EQ(grid->GetVertexIndexAt(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f), 0);
}

// A scene file holds the grid as its triangles only: it loads as a still shape that the wave
// operations leave alone.
TEST_F(qrxWaveGridTest, LoadsFromAFileAsAStillShape)
{
    RegisterGameWorldClasses();
    QrPointer<qrxWaveGrid> grid = qrxWaveGrid::Create(3, 3, 0.5f, 0.5f, 0.05f);
    grid->UpdateWaves(0.1);
    QrPointer<qrxWaveGrid> loaded = streamtest::RoundTripAs<qrxWaveGrid>(grid.Get());
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->GetVertexCount(), grid->GetVertexCount());
    const QrPoint3 first = loaded->GetVertices()[0];
    loaded->SetWaveAmount(0.5f);
    loaded->UpdateWaves(1.0);
    EXPECT_EQ(loaded->GetVertices()[0], first);
    EXPECT_EQ(loaded->GetMovingCount(), 0);
    EXPECT_EQ(loaded->GetVertexIndexAt(0.3f, 0.0f, 0.3f), 0);
    loaded->FlipWinding();
    EXPECT_LT(loaded->GetPlanes()[0].GetNormal().y, 0.0f);
}

} // namespace
