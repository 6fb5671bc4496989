#include "tovWake.h"

#include "QrTestFixture.h"

#include "QrColorA.h"
#include "QrMatrix3.h"
#include "QrTriShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class tovWakeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_wake = new tovWake;
        m_wake->SetNarrowing(false);
    }
    void TearDown() override
    {
        m_wake = nullptr;
        QrEngineTest::TearDown();
    }
    // One frame of a boat heading along +z at speed (units a second).
    void Frame(double elapsed, float speed)
    {
        m_z += speed * float(elapsed);
        QrMatrix3 heading;
        heading.MakeIdentity();
        m_wake->Update(elapsed, {0.0f, 0.0f, m_z}, heading, speed, speed / 0.4f);
    }
    // Every colour of the tiles and the stern patch is a number in [0, 1], and the shown tiles
    // are exactly the ones in use.
    void ExpectSound()
    {
        int shown = 0;
        for (int32_t i = 0; i < tovWake::kTileCount; ++i)
        {
            QrTriShape* tile = m_wake->GetTile(i);
            shown += tile->GetAppCulled() ? 0 : 1;
            for (int j = 0; j < 4; ++j)
            {
                const float a = tile->GetColors()[j].a;
                ASSERT_TRUE(std::isfinite(a) && a >= 0.0f && a <= 1.0f) << "tile " << i << " alpha " << a;
            }
        }
        EXPECT_EQ(shown, m_wake->GetTilesInUse());
        EXPECT_LE(m_wake->GetTilesInUse(), m_wake->GetTilesAvailable());
        EXPECT_LT(m_wake->GetNewestTile(), m_wake->GetTilesAvailable());
    }

    QrPointer<tovWake> m_wake;
    float m_z = 0.0f;
};

// The stern patch sits on the stern points (narrower and longer with speed when narrowing),
// and a tile's far edge spreads by (speed fraction + 0.5) x elapsed / 2 of its width each side.
TEST_F(tovWakeTest, SternPointsAndSpreadAsNumbers)
{
    for (const bool narrowing : {false, true})
    {
        SCOPED_TRACE(narrowing);
        m_wake = new tovWake;
        m_wake->SetNarrowing(narrowing);
        m_z = 0.0f;
        const float speed = 0.02f, nv = speed / 0.4f;
        const float w = narrowing ? 0.027f - 0.019f * nv : 0.027f;
        Frame(0.1, speed);
        ASSERT_EQ(m_wake->GetTilesInUse(), 1);
        Frame(0.1, speed);
        ASSERT_EQ(m_wake->GetTilesInUse(), 1) << "a short slow frame lays no tile";
        const QrPoint3* stern = m_wake->GetSternPatch()->GetVertices();
        // Near edge 1 and 2, far edge 0 and 3; x across the boat.
        for (int v : {1, 2})
        {
            EXPECT_NEAR(std::fabs(stern[v].x), w, 1e-6) << v;
            EXPECT_NEAR(stern[v].z, m_z - 0.048f - 0.012f * nv, 1e-5) << v;
        }
        for (int v : {0, 3})
        {
            EXPECT_NEAR(std::fabs(stern[v].x), w, 1e-6) << v;
            EXPECT_NEAR(stern[v].z, m_z - 0.06f - 0.025f * nv, 1e-5) << v;
        }
        EXPECT_NEAR(stern[1].x, -stern[2].x, 1e-6);
        const QrPoint3* tile = m_wake->GetTile(m_wake->GetNewestTile())->GetVertices();
        const float spread = (nv + 0.5f) * (0.1f * 0.5f) * (2.0f * w);
        EXPECT_NEAR(std::hypot(tile[0].x - tile[3].x, tile[0].z - tile[3].z), 2.0f * w + 2.0f * spread, 1e-6);
    }
}

TEST_F(tovWakeTest, TheFirstMovingFrameLaysATileAndAStandingBoatLaysNone)
{
    Frame(0.01, 0.0f);
    EXPECT_EQ(m_wake->GetTilesInUse(), 0);
    EXPECT_TRUE(m_wake->GetSternPatch()->GetAppCulled());
    Frame(0.01, 0.02f);
    EXPECT_EQ(m_wake->GetTilesInUse(), 1);
    EXPECT_EQ(m_wake->GetNewestTile(), 0);
    EXPECT_FALSE(m_wake->GetSternPatch()->GetAppCulled());
    ExpectSound();
}

TEST_F(tovWakeTest, ASlowBoatFadesItsOnlyTileWithoutDividingByZero)
{
    Frame(0.01, 0.02f);
    ASSERT_EQ(m_wake->GetTilesInUse(), 1);
    // Past half a second and too slow to lay a tile by distance: the fade runs with one tile
    // and a full age before the second tile is laid.
    Frame(0.6, 0.02f);
    EXPECT_EQ(m_wake->GetTilesInUse(), 2);
    ExpectSound();
    const QrColorA* colours = m_wake->GetTile(0)->GetColors();
    EXPECT_FLOAT_EQ(colours[1].a, 1.0f);
    EXPECT_FLOAT_EQ(colours[0].a, 0.0f);
}

TEST_F(tovWakeTest, AStoppedBoatsWakeFadesAndItsTilesDropOut)
{
    for (int i = 0; i < 10; ++i)
        Frame(0.1, 0.5f);
    const int32_t laid = m_wake->GetTilesInUse();
    ASSERT_GE(laid, 5);
    const float before = m_wake->GetTile(m_wake->GetNewestTile())->GetColors()[1].a;
    Frame(0.1, 0.0f);
    EXPECT_FLOAT_EQ(m_wake->GetTile(m_wake->GetNewestTile())->GetColors()[1].a, before * 0.8f);
    int32_t previous = m_wake->GetTilesInUse();
    for (int i = 0; i < 40 && m_wake->GetTilesInUse() > 0; ++i)
    {
        Frame(0.1, 0.0f);
        EXPECT_LE(m_wake->GetTilesInUse(), previous);
        previous = m_wake->GetTilesInUse();
        ExpectSound();
    }
    EXPECT_EQ(m_wake->GetTilesInUse(), 0);
}

TEST_F(tovWakeTest, LoweringThePerformanceKeepsTheStripWithinItsTiles)
{
    for (int i = 0; i < 40; ++i)
        Frame(0.1, 0.5f);
    ASSERT_EQ(m_wake->GetTilesInUse(), tovWake::kTileCount);
    m_wake->SetPerformance(0.0f);
    EXPECT_EQ(m_wake->GetTilesAvailable(), tovWake::kMinTiles);
    EXPECT_FLOAT_EQ(m_wake->GetSpreadFactor(), 2.0f);
    ExpectSound();
    for (int i = 0; i < 30; ++i)
    {
        Frame(0.1, 0.5f);
        ExpectSound();
    }
    EXPECT_EQ(m_wake->GetTilesInUse(), tovWake::kMinTiles);
    m_wake->SetPerformance(0.5f);
    EXPECT_EQ(m_wake->GetTilesAvailable(), 17);
    EXPECT_FLOAT_EQ(m_wake->GetSpreadFactor(), 1.5f);
}

TEST_F(tovWakeTest, SwitchingOffAndOnStartsAFreshStrip)
{
    for (int i = 0; i < 5; ++i)
        Frame(0.1, 0.5f);
    m_wake->SetEnabled(false);
    EXPECT_EQ(m_wake->GetTilesInUse(), 0);
    Frame(0.1, 0.5f);
    EXPECT_EQ(m_wake->GetTilesInUse(), 0);
    ExpectSound();
    m_wake->SetEnabled(true);
    Frame(0.1, 0.5f);
    EXPECT_EQ(m_wake->GetTilesInUse(), 1);
    EXPECT_EQ(m_wake->GetNewestTile(), 0);
    ExpectSound();
}

TEST_F(tovWakeTest, TheStatusTextHasFourteenLines)
{
    EXPECT_EQ(m_wake->GetStatusLineCount(), 14);
    EXPECT_EQ(m_wake->DebugDump(13), "Performance modifier : 1.0000");
    EXPECT_EQ(m_wake->DebugDump(4), "First wake tile culled? : N/A");
    EXPECT_EQ(m_wake->DebugDump(14), "ERROR : 14");
}

} // namespace
