#include "tovTerrainSector.h"
#include "qrxAssetCache.h"
#include "qrxCutout.h"
#include "qrxIdleManager.h"
#include "tovLake.h"
#include "tovPopulationCatalogue.h"
#include "tovScene.h"
#include "tovSectorData.h"
#include "tovUserProfile.h"
#include "tovWorldClasses.h"
#include "tovWorldServices.h"

#include "QrTestFixture.h"
#include "RecordingRender.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"

#include "ByteWriter.h"
#include "Files.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrLight.h"
#include "tovAppServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

namespace
{

// A lake of 6 x 4 tiles whose ground is a plane: sample s = 40 x + 25 y + 1000 at map (x, y),
// elevation s / 100 feet, the water 2 world units up. Two sectors share tile columns 2 and 3.
// Population density at map (x, y) is (x + 2 y) mod 4.
constexpr int32_t kColumns = 6, kRows = 4;
constexpr double kCell = 0.3; // SPAN 30 feet x RESOLUTION 1 x 0.01

uint16_t RampSample(int32_t x, int32_t y)
{
    return uint16_t(40 * x + 25 * y + 1000);
}

double RampGround(double x, double y)
{
    return (40.0 * x + 25.0 * y + 1000.0) / 100.0 * 0.01 - 2.0;
}

int32_t RampDensity(int32_t x, int32_t y)
{
    return (x + 2 * y) % 4;
}

std::string TileName(const char* format, int32_t column, int32_t row)
{
    char name[64];
    std::snprintf(name, sizeof name, format, "Ramp", int(column), int(row));
    return name;
}

// A bowl for the normals: curved, so a one-sided or misplaced neighbour shows at the borders.
uint16_t BowlSample(int32_t x, int32_t y)
{
    return uint16_t(1000 + ((x - 300) * (x - 300) + (y - 250) * (y - 250)) / 64);
}

streamtest::Bytes HeightRaster(int32_t column, int32_t row, uint16_t (*sample)(int32_t, int32_t) = RampSample)
{
    plat::ByteWriter out;
    out.I32(129);
    out.I32(129);
    out.F32(0.0f);
    out.F32(655.35f);
    for (int32_t k = 0; k < 3; ++k)
        out.U32(0);
    for (int32_t k = 0; k <= 128; ++k)
        for (int32_t c = 0; c <= 128; ++c)
            out.U16(sample(128 * column + c, 128 * (row + 1) - k));
    return out.Take();
}

streamtest::Bytes PopulationRaster(int32_t column, int32_t row)
{
    plat::ByteWriter out;
    out.I32(129);
    out.I32(129);
    out.U32(0);
    out.U32(0);
    out.F32(30.0f);
    out.F32(1.0f);
    out.F32(2.0f);
    for (int32_t k = 0; k <= 128; ++k)
        for (int32_t c = 0; c <= 128; ++c)
            out.U16(uint16_t(RampDensity(128 * column + c, 128 * (row + 1) - k)));
    return out.Take();
}

void WriteRampLake(const testfiles::TempDir& dir)
{
    const std::string text = "MIN_ELEV 0\nMAX_ELEV 655.35\nSPAN 30\nRESOLUTION 1\nWATER_LEVEL_MAX 200\n"
                             "TERRAIN_BASE_NAME Ramp\nSTART_LOC 256 256 0\n"
                             "SECTOR SECTOR_ROW 0 SECTOR_COLUMN 0 SECTOR_ORIGIN_X 0 SECTOR_ORIGIN_Y 0\n"
                             "SECTOR SECTOR_ROW 0 SECTOR_COLUMN 2 SECTOR_ORIGIN_X 256 SECTOR_ORIGIN_Y 0\n";
    ASSERT_TRUE(plat::WriteFile(dir.File("Ramp.txt"), text.data(), text.size()));
    for (int32_t row = 0; row < kRows; ++row)
        for (int32_t column = 0; column < kColumns; ++column)
        {
            const streamtest::Bytes heights = HeightRaster(column, row);
            ASSERT_TRUE(
                plat::WriteFile(dir.File(TileName("%s%02d%02d.raw", column, row)), heights.data(), heights.size()));
            const streamtest::Bytes population = PopulationRaster(column, row);
            ASSERT_TRUE(plat::WriteFile(dir.File(TileName("%sPop%02d%02d.raw", column, row)), population.data(),
                                        population.size()));
        }
}

class CountingServices : public tovNullAppServices
{
public:
    void ShowBusyPicture() override { ++busy; }
    int32_t busy = 0;
};

class tovTerrainSectorTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterGameWorldClasses();
        SetAppServices(&m_services);
        WriteRampLake(m_dir);
        m_lake = new tovLake(true);
        m_render = new RecordingRender(640, 480);
        m_render->SetLogArrays(false);
        m_display = new QrDisplay;
        m_display->SetRenderer(m_render.Get());
        m_camera = new QrCamera(0.1f, 200.0f);
        m_camera->SetDisplay(m_display.Get());
        m_camera->SetSceneRoot(m_lake.Get());
        LookFrom(QrPoint3(0.0f, 3.0f, 60.0f), QrPoint3(0.0f, 0.0f, 0.0f));
    }
    void TearDown() override
    {
        m_camera->SetSceneRoot(nullptr);
        m_camera = nullptr;
        m_lake = nullptr;
        m_display = nullptr;
        m_render = nullptr;
        SetAppServices(nullptr);
        QrEngineTest::TearDown();
    }
    void LookFrom(const QrPoint3& eye, const QrPoint3& target)
    {
        m_camera->SetTranslate(eye.x, eye.y, eye.z);
        m_camera->UpdateAllInstances();
        m_camera->LookAt(target, QrPoint3(0.0f, 1.0f, 0.0f));
        m_camera->UpdateAllInstances();
    }
    void Load()
    {
        ASSERT_TRUE(m_lake->Load(m_dir.File("Ramp.txt"))) << m_lake->LastError();
        ASSERT_EQ(m_lake->GetCurrentSector(), 0);
    }
    // The lake's ground where the ramp says it is, at map point (x, y) of the whole lake.
    void ExpectRampAt(double x, double y)
    {
        QrPoint3 world;
        m_lake->MapToWorld(x, y, world);
        EXPECT_NEAR(m_lake->GroundHeight(world), RampGround(x, y), 1e-4) << x << "," << y;
    }

    CountingServices m_services;
    testfiles::TempDir m_dir;
    QrPointer<tovLake> m_lake;
    QrPointer<RecordingRender> m_render;
    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
};

// Pages, rotation and the lake's translation together put every drawn vertex on the ground the
// lake reports, and that ground on the ramp, across tile and sector borders.
TEST_F(tovTerrainSectorTest, DrawnTrianglesLieOnTheGroundTheLakeReports)
{
    Load();
    for (int32_t sector : {0, 1})
    {
        m_lake->SetCurrentSector(sector);
        const double originX = m_lake->GetDesc().sectors[size_t(sector)].originX;
        for (double x : {0.0, 0.25, 127.75, 128.0, 128.4, 255.5, 256.0, 383.9, 384.0, 511.75, 512.0})
            for (double y : {0.0, 0.5, 127.6, 128.0, 256.0, 300.3, 383.99, 384.0, 511.5, 512.0})
                ExpectRampAt(originX + x, y);
        tovTerrainSector* terrain = m_lake->GetTerrainSector();
        terrain->SetTerrainError(m_camera.Get(), 0.0f);
        m_lake->UpdateTerrainLod(m_camera.Get());
        int32_t drawn = 0, onBorders = 0;
        for (int32_t p = 0; p < tovTerrainSector::kPages; ++p)
            for (int32_t q = 0; q < tovTerrainSector::kPages; ++q)
            {
                qrxTerrainPage* page = terrain->GetPage(p, q);
                if (page->GetAppCulled())
                    continue;
                page->PushState(m_camera.Get(), page->GetCurrentInstance());
                for (uint16_t v = 0; v < page->GetDrawVertexCount(); ++v)
                {
                    const QrPoint3& at = page->GetDrawPositions()[v];
                    double x, y;
                    m_lake->WorldToMap(at, x, y);
                    // The sector's rotation is a few millionths of a radian off square: a drawn
                    // vertex lies up to about 0.1 foot off the ground across a sector.
                    ASSERT_NEAR(at.y, RampGround(x, y), 1e-3) << p << "," << q << " map " << x << "," << y;
                    ASSERT_NEAR(m_lake->GroundHeight(at), at.y, 1e-3);
                    ++drawn;
                    onBorders += std::fabs(std::remainder(x, 128.0)) < 1e-3;
                }
            }
        EXPECT_GT(drawn, 1000);
        EXPECT_GT(onBorders, 50);
    }
}

// A boat crossing from one sector into the other and back, the scene re-based at each switch as
// the fishing mode does it: one switch each way, each past the midpoint by the 10 % margin,
// and the boat keeps its place on the lake and the ground under it.
TEST_F(tovTerrainSectorTest, ABoatCrossingSectorsSwitchesOnceEachWayPastTheMargin)
{
    Load();
    QrPoint3 boat;
    m_lake->MapToWorld(300.0, 256.0, boat);
    const auto sail = [&](double from, double to)
    {
        std::vector<double> switches;
        const double step = from < to ? 0.25 : -0.25;
        for (double x = from; step > 0 ? x <= to : x >= to; x += step)
        {
            m_lake->MapToWorld(x, 256.0, boat);
            const int32_t current = m_lake->GetCurrentSector();
            const int32_t nearest = m_lake->NearestSectorToPoint(boat);
            if (nearest != current)
            {
                QrPoint3 moved;
                m_lake->ToSectorFrame(current, boat, nearest, moved);
                m_lake->SetCurrentSector(nearest);
                boat = moved;
                switches.push_back(x);
            }
            double mx, my;
            m_lake->WorldToMap(boat, mx, my);
            EXPECT_NEAR(mx, x, 1e-4);
            EXPECT_NEAR(m_lake->GroundHeight(boat), RampGround(x, 256.0), 1e-4) << x;
        }
        return switches;
    };
    // Centres at map x 256 and 512: the midpoint is 384, the switches at 387.05 and 380.95.
    EXPECT_EQ(sail(300.0, 450.0), std::vector<double>{387.25});
    EXPECT_EQ(m_lake->GetCurrentSector(), 1);
    EXPECT_EQ(sail(450.0, 300.0), std::vector<double>{380.75});
    EXPECT_EQ(m_lake->GetCurrentSector(), 0);
}

// Pages meet on shared rows and columns of samples: through their neighbour records both sides
// of a border reckon the same normal there, and light it alike.
TEST_F(tovTerrainSectorTest, BordersOfNeighbouringPagesShareNormalsAndLight)
{
    for (int32_t row = 0; row < kRows; ++row)
        for (int32_t column = 0; column < kColumns; ++column)
        {
            const streamtest::Bytes heights = HeightRaster(column, row, BowlSample);
            ASSERT_TRUE(
                plat::WriteFile(m_dir.File(TileName("%s%02d%02d.raw", column, row)), heights.data(), heights.size()));
        }
    Load();
    tovTerrainSector* sector = m_lake->GetTerrainSector();
    ASSERT_NE(sector, nullptr);
    QrPointer<QrLight> sun(new QrLight);
    sun->SetType(QrLight::kDirectional);
    sun->SetLocalDirection(QrPoint3(-0.4f, -0.8f, -0.45f));
    sun->AttachAffectedNode(m_lake.Get());
    m_lake->UpdateAllInstances();
    sector->BuildPageMeshes(sun.Get(), nullptr);
    const int32_t n = sector->GetPage(0, 0)->GetSize();
    int compared = 0;
    const auto same = [&](const qrxTerrainPage* a, int32_t ia, const qrxTerrainPage* b, int32_t ib)
    {
        const QrPoint3 na = a->GetGridNormals()[ia], nb = b->GetGridNormals()[ib];
        EXPECT_NEAR(na.x, nb.x, 1e-5f);
        EXPECT_NEAR(na.y, nb.y, 1e-5f);
        EXPECT_NEAR(na.z, nb.z, 1e-5f);
        ASSERT_NE(a->GetGridColors(), nullptr);
        EXPECT_NEAR(a->GetGridColors()[ia].r, b->GetGridColors()[ib].r, 1e-5f);
        ++compared;
    };
    for (int32_t p = 0; p < tovTerrainSector::kPages; ++p)
        for (int32_t q = 0; q < tovTerrainSector::kPages; ++q)
        {
            SCOPED_TRACE(testing::Message() << p << "," << q);
            const qrxTerrainPage* page = sector->GetPage(p, q);
            // The page along +x starts on this one's last column; the one along +y (the row
            // before) on its last row.
            if (q + 1 < tovTerrainSector::kPages)
                for (int32_t r = 0; r < n; ++r)
                    same(page, r * n + n - 1, sector->GetPage(p, q + 1), r * n);
            if (p > 0)
                for (int32_t c = 0; c < n; ++c)
                    same(page, (n - 1) * n + c, sector->GetPage(p - 1, q), c);
            if (HasFailure())
                return;
        }
    EXPECT_EQ(compared, 2 * 4 * 3 * n);
}

TEST_F(tovTerrainSectorTest, HeightOutsideEveryPageIsZero)
{
    Load();
    const tovTerrainSector* terrain = m_lake->GetTerrainSector();
    const float side = 512.0f * float(kCell);
    for (const auto& uv : {std::array<float, 2>{-0.01f, 10.0f},
                           {10.0f, -0.01f},
                           {side + 0.01f, 10.0f},
                           {10.0f, side + 0.01f},
                           {-1e30f, 1e30f}})
        EXPECT_EQ(terrain->GetHeight(uv[0], uv[1]), 0.0f) << uv[0] << "," << uv[1];
    EXPECT_NEAR(terrain->GetHeight(1.0f, 1.0f), RampGround(1.0 / kCell, 512.0 - 1.0 / kCell) + 2.0, 1e-4);
    // Before a load nothing is current: the ground is 0 everywhere.
    QrPointer<tovLake> empty(new tovLake(false));
    EXPECT_EQ(empty->GroundHeight(QrPoint3(0.0f, 0.0f, 0.0f)), 0.0f);
}

TEST_F(tovTerrainSectorTest, TerrainErrorStepsByFiveHundredthsAndStopsAtZero)
{
    Load();
    tovTerrainSector* terrain = m_lake->GetTerrainSector();
    terrain->SetTerrainError(m_camera.Get(), 0.03f);
    m_lake->DecreaseTerrainError(m_camera.Get());
    EXPECT_EQ(terrain->GetTerrainError(), 0.0f);
    m_lake->IncreaseTerrainError(m_camera.Get());
    m_lake->IncreaseTerrainError(m_camera.Get());
    EXPECT_FLOAT_EQ(terrain->GetTerrainError(), 0.1f);
    EXPECT_FLOAT_EQ(terrain->GetPage(3, 3)->GetPixelTolerance(), 0.1f);
    // Without a sector nothing changes and nothing fails.
    m_lake->SetCurrentSector(-1);
    m_lake->IncreaseTerrainError(m_camera.Get());
    m_lake->UpdateTerrainLod(m_camera.Get());
    EXPECT_EQ(m_lake->GetTerrainSector(), nullptr);
}

// Pages the camera does not see are app-culled, so they are neither refined nor drawn; the
// camera action runs the update only when the view changed.
TEST_F(tovTerrainSectorTest, LevelOfDetailCullsPagesOutOfViewThroughTheCameraAction)
{
    Load();
    m_lake->AttachToCamera(m_camera.Get());
    m_lake->AttachToCamera(m_camera.Get());
    // Looking along -z from the sector's +z edge: page row 0 (largest z) is behind the camera.
    LookFrom(QrPoint3(0.0f, 5.0f, 70.0f), QrPoint3(0.0f, 0.0f, 0.0f));
    m_camera->RenderFrame(0.0f, 0.0f);
    tovTerrainSector* terrain = m_lake->GetTerrainSector();
    int32_t culled = 0;
    for (int32_t p = 0; p < tovTerrainSector::kPages; ++p)
        for (int32_t q = 0; q < tovTerrainSector::kPages; ++q)
            culled += terrain->GetPage(p, q)->GetAppCulled();
    EXPECT_GT(culled, 0);
    EXPECT_LT(culled, 16);
    // Turned round and looking down at the sector's edge: the far pages are behind.
    LookFrom(QrPoint3(0.0f, 5.0f, 70.0f), QrPoint3(0.0f, -3.0f, 80.0f));
    m_camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(terrain->GetPage(3, 1)->GetAppCulled(), 1);
    // A new sector is refined at the next frame even though the camera stayed put.
    m_lake->SetCurrentSector(1);
    m_camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(m_lake->GetTerrainSector()->GetPage(3, 1)->GetAppCulled(), 1);
    EXPECT_EQ(m_lake->GetTerrainSector()->GetPage(0, 1)->GetAppCulled(), 0);
}

// A sector of 16 equally rough pages under a root moved off the origin, hung in the camera's view.
class RoughSector
{
public:
    explicit RoughSector(const testfiles::TempDir& dir)
    {
        streamtest::Bytes rough = HeightRaster(0, 0);
        for (size_t k = 28; k < rough.size(); k += 2)
            rough[k + 1] = uint8_t(rough[k + 1] + ((k / 2) % 3) * 8);
        EXPECT_TRUE(plat::WriteFile(dir.File("rough.raw"), rough.data(), rough.size()));
        std::array<tovSectorData*, 16> tiles{};
        for (size_t k = 0; k < tiles.size(); ++k)
        {
            m_records[k] = std::make_unique<tovSectorData>(int32_t(k / 4), int32_t(k % 4));
            m_records[k]->SetHeightFile(dir.File("rough.raw").c_str());
            tiles[k] = m_records[k].get();
        }
        m_root = new QrNode;
        m_sector = new tovTerrainSector(0.0f, 655.35f, 30.0f, 0.01f, tiles);
        m_root->AttachChild(m_sector.Get());
        m_root->SetTranslate(40.0f, -3.0f, -20.0f);
        m_root->UpdateAllInstances();
    }
    tovTerrainSector& Sector() const { return *m_sector; }
    QrNode* Root() const { return m_root.Get(); }
    // A metre or so over the middle of page [p][q]: errors straight below are not seen from above.
    QrPoint3 EyeOver(int32_t p, int32_t q) const
    {
        const qrxTerrainPage* under = m_sector->GetPage(p, q);
        const QrPoint3 middle(under->GetOriginX() + 64.0f * 30.0f, under->GetOriginY() + 64.0f * 30.0f, 150.0f);
        const QrAVInstance* at = m_sector->GetCurrentInstance();
        return at->m_worldTranslate + at->m_worldRotate.TimesPoint(middle) * at->m_worldScale;
    }
    // The page of the most triangles after the last refinement, and how many it has.
    std::pair<qrxTerrainPage*, uint32_t> Busiest(QrCamera* camera) const
    {
        std::pair<qrxTerrainPage*, uint32_t> most{nullptr, 0u};
        for (int32_t p = 0; p < tovTerrainSector::kPages; ++p)
            for (int32_t q = 0; q < tovTerrainSector::kPages; ++q)
            {
                qrxTerrainPage* page = m_sector->GetPage(p, q);
                if (page->GetAppCulled())
                    continue;
                page->PushState(camera, page->GetCurrentInstance());
                if (page->GetDrawTriangleCount() > most.second)
                    most = {page, page->GetDrawTriangleCount()};
            }
        return most;
    }

private:
    std::array<std::unique_ptr<tovSectorData>, 16> m_records;
    QrPointer<QrNode> m_root;
    QrPointer<tovTerrainSector> m_sector;
};

// Every page equally rough: the page the camera hovers over is refined the most, whichever
// corner of the sector that is, so the eye reaches the pages in their own frame.
TEST_F(tovTerrainSectorTest, RefinementFollowsTheEyeIntoThePagesFrame)
{
    const RoughSector rough(m_dir);
    m_camera->SetSceneRoot(rough.Root());
    rough.Sector().SetTerrainError(m_camera.Get(), 40.0f);
    for (const auto& pq : {std::array<int32_t, 2>{0, 3}, {3, 0}, {1, 2}})
    {
        const QrPoint3 eye = rough.EyeOver(pq[0], pq[1]);
        LookFrom(eye, QrPoint3(eye.x + 0.01f, eye.y - 1.0f, eye.z + 10.0f));
        rough.Sector().UpdateLod(m_camera.Get());
        const auto [busiest, most] = rough.Busiest(m_camera.Get());
        EXPECT_EQ(busiest, rough.Sector().GetPage(pq[0], pq[1])) << pq[0] << "," << pq[1];
        EXPECT_GT(most, 200u);
    }
    m_camera->SetSceneRoot(m_lake.Get());
}

// The fishing world sets the tolerance while its camera has no display yet (no error can be
// seen: nothing refines), and switches cameras. The refinement takes the threshold of the
// camera as it draws, or every page stays two flat triangles whose shore corners lift them
// over the water round the boat.
TEST_F(tovTerrainSectorTest, RefinementTakesTheThresholdOfTheCameraAsItDraws)
{
    const RoughSector rough(m_dir);
    m_camera->SetSceneRoot(rough.Root());
    m_camera->SetDisplay(nullptr);
    rough.Sector().SetTerrainError(m_camera.Get(), 40.0f);
    const QrPoint3 eye = rough.EyeOver(1, 2);
    LookFrom(eye, QrPoint3(eye.x + 0.01f, eye.y - 1.0f, eye.z + 10.0f));
    rough.Sector().UpdateLod(m_camera.Get());
    EXPECT_EQ(rough.Busiest(m_camera.Get()).second, 2u);
    m_camera->SetDisplay(m_display.Get());
    rough.Sector().UpdateLod(m_camera.Get());
    const auto [busiest, most] = rough.Busiest(m_camera.Get());
    EXPECT_EQ(busiest, rough.Sector().GetPage(1, 2));
    EXPECT_GT(most, 200u);
    // Sides twice as wide: each pixel twice the angle, four times the squared threshold.
    const float before = busiest->GetErrorThreshold();
    m_camera->GetFrustum()[QrCamera::kRight] *= 2.0f;
    rough.Sector().UpdateLod(m_camera.Get());
    EXPECT_FLOAT_EQ(busiest->GetErrorThreshold(), before * 4.0f);
    EXPECT_LT(rough.Busiest(m_camera.Get()).second, most);
    m_camera->SetSceneRoot(m_lake.Get());
}

TEST_F(tovTerrainSectorTest, PagingKeepsTheTilesTwoSectorsShare)
{
    Load();
    EXPECT_EQ(m_lake->GetTileCount(), 24u); // 16 + 16 - 8 shared
    EXPECT_EQ(m_services.busy, 1);
    m_lake->SetCurrentSector(0);
    EXPECT_EQ(m_services.busy, 1); // already current: nothing happens
    m_lake->SetCurrentSector(1);
    EXPECT_EQ(m_services.busy, 2);
    for (size_t k = 0; k < m_lake->GetTileCount(); ++k)
    {
        const tovSectorData* tile = m_lake->GetTile(k);
        const int32_t column = tile->GetColumn();
        EXPECT_EQ(tile->IsLoaded(), column >= 2) << column;
        // Shared tiles were read once; the others of either sector once too.
        EXPECT_EQ(tile->GetLoadCount(), 1u) << column;
    }
    m_lake->ReloadCurrentSector();
    for (size_t k = 0; k < m_lake->GetTileCount(); ++k)
        EXPECT_EQ(m_lake->GetTile(k)->GetLoadCount(), m_lake->GetTile(k)->GetColumn() >= 2 ? 2u : 1u);
    m_lake->SetCurrentSector(-1);
    for (size_t k = 0; k < m_lake->GetTileCount(); ++k)
        EXPECT_FALSE(m_lake->GetTile(k)->IsLoaded());
}

TEST_F(tovTerrainSectorTest, TextureRepeatCarriesOverASwitch)
{
    Load();
    m_lake->GetTerrainSector()->SetTextureRepeat(100.0f);
    m_lake->SetCurrentSector(1);
    EXPECT_EQ(m_lake->GetTerrainSector()->GetTextureRepeat(), 100.0f);
    EXPECT_FLOAT_EQ(m_lake->GetTerrainSector()->GetPage(2, 3)->GetTextureStep(), 100.0f / 128.0f);
    // Through no sector it starts again from once across a page.
    m_lake->ReloadCurrentSector();
    EXPECT_EQ(m_lake->GetTerrainSector()->GetTextureRepeat(), 1.0f);
    EXPECT_FLOAT_EQ(m_lake->GetTerrainSector()->GetPage(0, 0)->GetTextureStep(), 1.0f / 128.0f);
}

// The four cells round a point near every tile border, those past the tile's edge read from
// the neighbouring tile: the same cells of the lake whichever tile holds them.
TEST_F(tovTerrainSectorTest, PopulationQueriesReachIntoNeighbouringTiles)
{
    Load();
    m_lake->SetCurrentSector(1);
    const double originX = 256.0;
    const auto expected = [&](double x, double y, int32_t k)
    {
        const int32_t j = int32_t(x / 128), i = int32_t(y / 128);
        const int32_t cx = 128 * (j + 1) - int32_t(128 * (j + 1) - x + 0.5) + (k & 1);
        const int32_t cy = 128 * (i + 1) - int32_t(128 * (i + 1) - y + 0.5) - (k >> 1);
        if (cx < 0 || cy < 0 || cx > 512 || cy > 512)
            return 0.0f;
        return float(RampDensity(int32_t(originX) + cx, cy)) * 0.33333334f;
    };
    int32_t crossed = 0;
    for (double x : {0.2, 127.8, 128.2, 255.6, 256.3, 383.7, 384.1, 511.8})
        for (double y : {0.2, 127.7, 128.3, 200.0, 255.9, 256.2, 384.4, 511.9})
        {
            QrPoint3 world;
            m_lake->MapToWorld(originX + x, y, world);
            float cells[4];
            m_lake->QueryPopulation(world, cells[0], cells[1], cells[2], cells[3]);
            for (int32_t k = 0; k < 4; ++k)
            {
                EXPECT_FLOAT_EQ(cells[k], expected(x, y, k)) << x << "," << y << " cell " << k;
                crossed += cells[k] > 0.0f && (std::fmod(x, 128.0) > 127.0 || std::fmod(x, 128.0) < 1.0);
            }
        }
    EXPECT_GT(crossed, 20);
    float a, b, c, d;
    m_lake->QueryPopulation(QrPoint3(1000.0f, 0.0f, 0.0f), a, b, c, d);
    EXPECT_EQ(a + b + c + d, 0.0f);
}

// Damaged copies of one tile's height raster: the lake pages them in, refines, draws and
// answers ground heights without reading past a buffer; what the file lacks is the lowest
// elevation.
TEST_F(tovTerrainSectorTest, DamagedHeightRastersPageInUpdateAndDraw)
{
    Load();
    const std::string file = m_dir.File(TileName("%s%02d%02d.raw", 1, 1));
    const streamtest::Bytes valid = HeightRaster(1, 1);
    const auto pageIn = [&](const streamtest::Bytes& bytes, const std::string& what)
    {
        ASSERT_TRUE(plat::WriteFile(file, bytes.data(), bytes.size()));
        m_lake->ReloadCurrentSector();
        m_lake->GetTerrainSector()->SetTerrainError(m_camera.Get(), 0.5f);
        m_lake->UpdateTerrainLod(m_camera.Get());
        m_camera->RenderFrame(0.0f, 0.0f);
        QrPoint3 world;
        m_lake->MapToWorld(190.0, 190.0, world);
        const float ground = m_lake->GroundHeight(world);
        // Within the elevation range: missing samples are the lowest, damaged ones any.
        EXPECT_GE(ground, -2.0f - 1e-4f) << what;
        EXPECT_LE(ground, 6.5535f - 2.0f + 1e-4f) << what;
    };
    streamtest::SweepDamage(valid, 10, pageIn);
    const auto header = [&](int32_t width, int32_t height)
    {
        streamtest::Bytes bytes = valid;
        std::memcpy(&bytes[0], &width, 4);
        std::memcpy(&bytes[4], &height, 4);
        return bytes;
    };
    // 65665 x 129 and 129 x 65665: their products' low 16 bits would pass for a small raster.
    for (const auto& size : {std::array<int32_t, 2>{65665, 129}, {129, 65665}, {-129, 129}, {129, 0}, {128, 130}})
    {
        pageIn(header(size[0], size[1]), "header");
        QrPoint3 world;
        m_lake->MapToWorld(190.0, 190.0, world);
        EXPECT_EQ(m_lake->GroundHeight(world), -2.0f) << size[0] << "x" << size[1];
    }
    // A missing file too; the neighbours keep their ramp.
    std::remove(file.c_str());
    pageIn({}, "missing");
    ExpectRampAt(300.0, 190.0);
}

// Pictures that exist as files, without a renderer to read them.
class FileImage : public QrImage
{
public:
    bool LoadFromFile() override { return std::filesystem::exists(GetFileName()); }
    bool LoadFromRawData() override { return false; }
    bool PrepareForRenderer(QrRender*, uint32_t) override { return LoadFromFile(); }

protected:
    ~FileImage() override = default;
};

class SceneWorld : public tovWorldServices
{
public:
    void SetUnderwater(bool /*below*/) override {}
    void SetLightAPosition(const QrPoint3& /*position*/) override {}
    tovScene* GetScene() override { return scene.Get(); }
    void NoteSectorSwitch() override { ++switches; }
    qrxIdleManager* GetIdleManager() override { return &idle; }
    QrPointer<tovScene> scene;
    qrxIdleManager idle;
    int32_t switches = 0;
};

// The sample lake hung in a fishing scene: the loaded tiles' models and plants are in the
// scene's groups, where the tile stands, and nothing else is; a switch moves the shared ones.
class tovLakeSceneTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
        RegisterGameWorldClasses();
        QrImage::SetCreateHook([](uint32_t) -> QrImage* { return new FileImage; });
        m_world.scene = new tovScene;
        SetWorldServices(&m_world);
        m_lake = new tovLake(true);
    }
    void TearDown() override
    {
        m_lake = nullptr;
        SetWorldServices(nullptr);
        m_world.scene = nullptr;
        QrImage::SetCreateHook(nullptr);
        ClearPopulationCatalogue();
        qrxAssetCache::Get().Clear();
        QrEngineTest::TearDown();
    }
    // Every part and tree of the current sector's tiles sits in its group at its tile's place;
    // returns how many there are, which must be all the groups hold.
    void ExpectHungWhereTheTilesAre()
    {
        const int32_t sector = m_lake->GetCurrentSector();
        const float s = m_lake->GetCellSize();
        size_t parts = 0, trees = 0;
        for (int32_t i = 0; i < 4; ++i)
            for (int32_t j = 0; j < 4; ++j)
            {
                const tovSectorData* tile = m_lake->GetSectorTile(sector, i, j);
                const QrPoint3 at((128.0f - 128.0f * float(j)) * s, 0.0f, (128.0f - 128.0f * float(i)) * s);
                QrNode* const groups[] = {m_world.scene->GetGroupA(), m_world.scene->GetGroupB(),
                                          m_world.scene->GetGeneralGroup()};
                for (int32_t p = 0; p < tovSectorData::kPartCount; ++p)
                    if (QrNode* part = tile->GetPart(tovSectorData::Part(p)))
                    {
                        EXPECT_EQ(part->GetParent(), groups[p]);
                        EXPECT_EQ(part->GetTranslate(), at);
                        ++parts;
                    }
                for (int32_t t = 0; t < tovPopulation::kTreeCount; ++t)
                    if (qrxQuadTree* tree = tile->GetPopulation().GetTree(t))
                    {
                        EXPECT_NE(tree->GetParent(), nullptr);
                        EXPECT_EQ(tree->GetTranslate(), at);
                        ++trees;
                    }
            }
        const tovScene& scene = *m_world.scene;
        EXPECT_EQ(scene.GetGroupA()->GetNonEmptyChildCount() + scene.GetGroupB()->GetNonEmptyChildCount() +
                      scene.GetGeneralGroup()->GetNonEmptyChildCount(),
                  parts + trees);
        EXPECT_GT(trees, 16u);
        m_parts.push_back(parts);
    }

    SceneWorld m_world;
    QrPointer<tovLake> m_lake;
    std::vector<size_t> m_parts;
};

TEST_F(tovLakeSceneTest, ModelsAndPlantsOfTheCurrentSectorHangInTheScene)
{
    ASSERT_TRUE(m_lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt")) << m_lake->LastError();
    m_lake->SetCurrentSector(0);
    ExpectHungWhereTheTilesAre();
    m_lake->SetCurrentSector(1);
    ExpectHungWhereTheTilesAre();
    m_lake->ReloadCurrentSector();
    ExpectHungWhereTheTilesAre();
    EXPECT_EQ(m_world.switches, 4); // the load's, 0 to 1, and the reload's two
    // Sector 0 has both landings, sector 1 the one on the tile they share.
    EXPECT_EQ(m_parts, (std::vector<size_t>{6, 3, 3}));
    // A new load clears the scene of the old lake first.
    ASSERT_TRUE(m_lake->Load(testfiles::DataDir() + "/Lakes/Sandridge.txt"));
    ExpectHungWhereTheTilesAre();
    ASSERT_FALSE(m_lake->Load(testfiles::DataDir() + "/Lakes/missing.txt"));
    EXPECT_EQ(m_world.scene->GetGroupA()->GetNonEmptyChildCount() +
                  m_world.scene->GetGroupB()->GetNonEmptyChildCount() +
                  m_world.scene->GetGeneralGroup()->GetNonEmptyChildCount(),
              0u);
}

// Plants from detail level 3, the tiles' models from level 2; the terrain always.
TEST_F(tovLakeSceneTest, DetailLevelsGateModelsAndPlants)
{
    const float detail = TheUserProfile().GetDetail();
    const struct
    {
        float detail;
        bool models, plants;
    } cases[] = {{0.1f, false, false}, {0.14f, true, false}, {0.2f, true, true}};
    for (const auto& c : cases)
    {
        TheUserProfile().SetDetail(c.detail);
        ASSERT_TRUE(m_lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt"));
        size_t parts = 0, trees = 0;
        for (int32_t i = 0; i < 4; ++i)
            for (int32_t j = 0; j < 4; ++j)
            {
                const tovSectorData* tile = m_lake->GetSectorTile(0, i, j);
                for (int32_t p = 0; p < tovSectorData::kPartCount; ++p)
                    parts += tile->GetPart(tovSectorData::Part(p)) != nullptr;
                for (int32_t t = 0; t < tovPopulation::kTreeCount; ++t)
                    trees += tile->GetPopulation().GetTree(t) != nullptr;
            }
        EXPECT_EQ(parts > 0, c.models) << c.detail;
        EXPECT_EQ(trees > 0, c.plants) << c.detail;
        EXPECT_NE(m_lake->GetTerrainSector(), nullptr);
    }
    TheUserProfile().SetDetail(detail);
}

// The sector and its pages are built in code, but a scene file that holds them reads back as
// the same classes.
TEST_F(tovLakeSceneTest, TerrainClassesReadBackFromASceneFile)
{
    ASSERT_TRUE(m_lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt"));
    const std::vector<QrPointer<QrObject>> loaded = streamtest::Load(streamtest::Save({m_lake->GetTerrainSector()}));
    ASSERT_EQ(loaded.size(), 1u);
    const tovTerrainSector* sector = QrDynamicCast<tovTerrainSector>(loaded[0].Get());
    ASSERT_NE(sector, nullptr);
    ASSERT_EQ(sector->GetChildCount(), 16u);
    EXPECT_NE(QrDynamicCast<qrxTerrainPage>(sector->GetChildAt(15)), nullptr);
}

// Under water the lake-bottom frames tile the terrain a hundred times a page and wrap; above
// water the tiles' own textures show once a page again. The repeat outlives a sector switch.
TEST_F(tovLakeSceneTest, UnderWaterTheBottomTextureRepeatsOverTheTerrain)
{
    ASSERT_TRUE(m_lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt")) << m_lake->LastError();
    qrxAnimatedTextureProperty* bottom = m_lake->GetUnderwaterTexture();
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(bottom->GetFrameCount(), 16);
    EXPECT_TRUE(m_world.idle.Contains(bottom));
    const auto lakeTexture = [this]() -> QrProperty*
    {
        for (QrProperty* property : m_lake->GetPropertyList())
            if (property->Type() == QrProperty::kTexture)
                return property;
        return nullptr;
    };
    const auto clamp = [this]
    {
        for (QrProperty* property : m_lake->GetPropertyList())
            if (property->Type() == QrProperty::kTextureMode)
                return static_cast<QrTextureModeProperty*>(property)->m_clampMode;
        return 99u;
    };
    m_lake->SetUnderwaterState(100.0f);
    EXPECT_EQ(lakeTexture(), bottom);
    EXPECT_EQ(clamp(), uint32_t(QrTextureModeProperty::kWrapBoth));
    m_lake->SetCurrentSector(1);
    EXPECT_EQ(m_lake->GetTerrainSector()->GetTextureRepeat(), 100.0f);
    m_lake->SetUnderwaterState(1.0f);
    EXPECT_EQ(lakeTexture(), nullptr);
    EXPECT_EQ(clamp(), uint32_t(QrTextureModeProperty::kClampBoth));
    EXPECT_FLOAT_EQ(m_lake->GetTerrainSector()->GetPage(1, 1)->GetTextureStep(), 1.0f / 128.0f);
    // The manager holds a plain pointer: the lake takes the texture off when it goes.
    m_lake = nullptr;
    EXPECT_EQ(m_world.idle.GetCount(), 0u);
}

// Every prefix of a tile's height raster (the header's bytes and a sample of the rest outside
// a long run): the tile reads what the file holds and zeros after it, never past the file.
TEST(tovSectorData, EveryPrefixOfAHeightRasterReadsWithinIt)
{
    testfiles::TempDir dir;
    const std::string file = dir.File("tile.raw");
    const streamtest::Bytes valid = HeightRaster(2, 1);
    tovSectorData tile(1, 2);
    tile.SetHeightFile(file.c_str());
    const size_t stride = streamtest::LongRun() ? 1 : 331;
    for (size_t keep = 0; keep <= valid.size(); keep += keep < 64 || keep + 64 > valid.size() ? 1 : stride)
    {
        ASSERT_TRUE(plat::WriteFile(file, valid.data(), keep));
        tile.Unload();
        const std::shared_ptr<const tovHeightRaster::Samples> samples = tile.GetHeights();
        ASSERT_EQ(samples->size(), 129u * 129u);
        const size_t held = keep < 28 ? 0 : (keep - 28) / 2;
        for (size_t k : {size_t(0), held > 0 ? held - 1 : 0, held, samples->size() - 1})
        {
            if (k >= samples->size())
                continue;
            const uint16_t expected = k < held ? uint16_t(valid[28 + 2 * k] | valid[29 + 2 * k] << 8) : 0;
            ASSERT_EQ((*samples)[k], expected) << keep << " bytes, sample " << k;
        }
    }
}

} // namespace
