#include "tovLake.h"

#include "qrxAssetCache.h"
#include "tovPopulationCatalogue.h"

#include "GenLakeShape.h"
#include "TestFiles.h"

#include "Files.h"
#include "QrPointer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

namespace
{

std::string SampleLake(const char* name)
{
    return testfiles::DataDir() + "/Lakes/" + name + ".txt";
}

// The generator's own field, the reference for what the files must say.
const gen::LakeShape& Shape(const char* name)
{
    for (const gen::LakeShape& lake : gen::SampleLakes())
        if (std::string(lake.name) == name)
            return lake;
    throw "no such sample lake";
}

// A lake's load fills the program-wide texture cache and population catalogue, here without the
// engine's image classes: both are emptied again, or a later test's lake would take the plants'
// unusable pictures from the cache and draw no plants.
class tovLakeTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        m_lake = nullptr;
        ClearPopulationCatalogue();
        qrxAssetCache::Get().Clear();
    }
    QrPointer<tovLake> m_lake{new tovLake(true)};
};

TEST_F(tovLakeTest, SampleLakesLoadIntoTheStartSector)
{
    for (const char* name : {"Clearwater", "Sandridge"})
    {
        ASSERT_TRUE(m_lake->Load(SampleLake(name))) << m_lake->LastError();
        EXPECT_FLOAT_EQ(m_lake->GetCellSize(), 0.3f);
        EXPECT_EQ(m_lake->GetWaterOffset(), 620.0f);
        EXPECT_EQ(m_lake->GetMaskWidth(), Shape(name).Width());
        double x, y, heading;
        m_lake->GetStartLocation(0, x, y, heading);
        EXPECT_EQ(m_lake->GetCurrentSector(), m_lake->NearestSector(x, y));
        // The boats start on open water, and the first computer boat where the player does.
        QrPoint3 world;
        m_lake->MapToWorld(x, y, world);
        EXPECT_TRUE(m_lake->IsOnLake(world)) << name;
        EXPECT_LT(m_lake->GroundHeight(world), -0.01f) << name;
        double bx, by, bh;
        m_lake->GetBotLocation(0, bx, by, bh);
        EXPECT_EQ(bx, x);
        EXPECT_EQ(by, y);
    }
}

TEST_F(tovLakeTest, ComputerBoatsAfterTheSecondAreShuffled)
{
    ASSERT_TRUE(m_lake->Load(SampleLake("Clearwater")));
    const std::vector<gen::LakeSpot> written = Shape("Clearwater").Bots();
    const auto& bots = m_lake->GetDesc().bots;
    ASSERT_EQ(bots.size(), written.size() + 1);
    EXPECT_EQ(bots[1][0], written[0].x);
    std::vector<double> read, wrote;
    for (size_t i = 2; i < bots.size(); ++i)
    {
        read.push_back(bots[i][0] * 1000 + bots[i][1]);
        wrote.push_back(written[i - 1].x * 1000 + written[i - 1].y);
    }
    std::sort(read.begin(), read.end());
    std::sort(wrote.begin(), wrote.end());
    EXPECT_EQ(read, wrote);
    double x, y, h;
    m_lake->GetBotLocation(99, x, y, h);
    EXPECT_EQ(x, 0.0);
}

TEST_F(tovLakeTest, CoordinatesRoundTripAcrossSectors)
{
    ASSERT_TRUE(m_lake->Load(SampleLake("Clearwater")));
    m_lake->SetCurrentSector(0);
    // Sector corners, tile borders and the cells either side of them.
    const double points[][2] = {{0, 0},     {255.5, 256},   {256, 511.75}, {384.25, 128}, {511.9, 3},
                                {128, 128}, {127.5, 383.5}, {383, 384},    {256, 0},      {511, 511}};
    for (const auto& p : points)
    {
        m_lake->SetCurrentSector(0);
        QrPoint3 world, other;
        m_lake->MapToWorld(p[0], p[1], world);
        double x, y;
        m_lake->WorldToMap(world, x, y);
        EXPECT_NEAR(x, p[0], 1e-4);
        EXPECT_NEAR(y, p[1], 1e-4);
        int32_t column, row;
        m_lake->MapCellToWorld(int32_t(p[0]), int32_t(p[1]), world);
        m_lake->WorldToMapCell(world, column, row);
        EXPECT_EQ(column, int32_t(p[0]));
        EXPECT_EQ(row, int32_t(p[1]));
        // The same lake point seen from the second sector.
        m_lake->MapToWorld(p[0], p[1], world);
        m_lake->ToSectorFrame(0, world, 1, other);
        m_lake->SetCurrentSector(1);
        m_lake->WorldToMap(other, x, y);
        EXPECT_NEAR(x, p[0], 1e-4);
        EXPECT_NEAR(y, p[1], 1e-4);
    }
    // Sector 0's centre is at map (256, 256): the world origin.
    m_lake->SetCurrentSector(0);
    QrPoint3 origin;
    m_lake->MapToWorld(256, 256, origin);
    EXPECT_EQ(origin.x, 0.0f);
    EXPECT_EQ(origin.z, 0.0f);
}

TEST_F(tovLakeTest, GroundHeightFollowsTheRastersAndTheMaskTheWater)
{
    for (const char* name : {"Clearwater", "Sandridge"})
    {
        ASSERT_TRUE(m_lake->Load(SampleLake(name)));
        const gen::LakeShape& shape = Shape(name);
        for (int32_t sector = 0; sector < 2; ++sector)
        {
            m_lake->SetCurrentSector(sector);
            const tovSectorDesc& s = m_lake->GetDesc().sectors[size_t(sector)];
            int mismatched = 0;
            for (int y = 0; y < 512; y += 7)
                for (int x = 0; x < 512; x += 5)
                {
                    const int mx = int(s.originX) + x, my = int(s.originY) + y;
                    QrPoint3 world;
                    m_lake->MapToWorld(mx, my, world);
                    const double expected = (shape.SampleElevation(mx, my) - 620.0) * 0.01;
                    ASSERT_NEAR(m_lake->GroundHeight(world), expected, 2e-5) << name << " " << mx << "," << my;
                    // Cell centres: water exactly where the ground is under the water plane.
                    m_lake->MapToWorld(mx + 0.5, my + 0.5, world);
                    const float ground = m_lake->GroundHeight(world);
                    if (std::fabs(ground) > 1e-4f && m_lake->IsOnLake(world) != (ground < 0.0f))
                        ++mismatched;
                }
            EXPECT_EQ(mismatched, 0) << name;
        }
    }
}

TEST_F(tovLakeTest, DensityFollowsThePopulationRasters)
{
    ASSERT_TRUE(m_lake->Load(SampleLake("Sandridge")));
    const gen::LakeShape& shape = Shape("Sandridge");
    m_lake->SetCurrentSector(1);
    int dense = 0;
    for (int y = 129; y < 640; y += 3)
        for (int x = 1; x < 512; x += 5)
        {
            if (x % 128 == 0 || y % 128 == 0)
                continue; // borders clamp to the tile's inner cells
            QrPoint3 world;
            m_lake->MapToWorld(x, y, world);
            const float density = m_lake->GetPopulationDensity(world);
            ASSERT_FLOAT_EQ(density, float(shape.Population(x, y) & 3) * 0.33333334f) << x << "," << y;
            dense += density > 0.5f;
        }
    EXPECT_GT(dense, 100);
    QrPoint3 outside;
    m_lake->MapToWorld(600.0, 300.0, outside);
    EXPECT_EQ(m_lake->GetPopulationDensity(outside), 0.0f);
}

TEST_F(tovLakeTest, TheSpitIsLandBetweenWater)
{
    ASSERT_TRUE(m_lake->Load(SampleLake("Clearwater")));
    const gen::LakeShape& shape = Shape("Clearwater");
    // Along the spit's middle, land; six cells to either side, water.
    const double dx = shape.spitX1 - shape.spitX0, dy = shape.spitY1 - shape.spitY0;
    const double length = std::hypot(dx, dy);
    for (double t = 0.3; t <= 0.9; t += 0.1)
    {
        const double x = shape.spitX0 + dx * t, y = shape.spitY0 + dy * t;
        EXPECT_FALSE(m_lake->IsOnLakeCell(int32_t(x), int32_t(y))) << t;
        EXPECT_TRUE(m_lake->IsOnLakeCell(int32_t(x - 6 * dy / length), int32_t(y + 6 * dx / length))) << t;
        EXPECT_TRUE(m_lake->IsOnLakeCell(int32_t(x + 6 * dy / length), int32_t(y - 6 * dx / length))) << t;
    }
    EXPECT_FALSE(m_lake->IsOnLakeCell(-1, 0));
    EXPECT_FALSE(m_lake->IsOnLakeCell(shape.Width(), 0));
    EXPECT_FALSE(m_lake->IsOnLakeCell(0, shape.Height()));
}

TEST_F(tovLakeTest, NearestSectorKeepsTheCurrentOneWithinTenPercent)
{
    ASSERT_TRUE(m_lake->Load(SampleLake("Clearwater")));
    // Centres at x 256 and 512: x 385 is nearer the second, but by less than 10 % squared.
    m_lake->SetCurrentSector(0);
    EXPECT_EQ(m_lake->NearestSector(385, 256), 0);
    EXPECT_EQ(m_lake->NearestSector(400, 256), 1);
    m_lake->SetCurrentSector(1);
    EXPECT_EQ(m_lake->NearestSector(382, 256), 1);
    EXPECT_EQ(m_lake->NearestSector(379, 256), 0);
    m_lake->SetCurrentSector(-1);
    EXPECT_EQ(m_lake->NearestSector(384, 256), 1); // a tie goes to the second
    QrPoint3 world(1.0f, 0.0f, 1.0f);
    EXPECT_EQ(m_lake->GroundHeight(world), 0.0f);
    double x, y;
    m_lake->WorldToMap(world, x, y);
    EXPECT_EQ(x, 0.0);
}

// Copies the sample lake into a temporary folder where one file is then damaged.
class tovLakeDamageTest : public tovLakeTest
{
protected:
    void SetUp() override
    {
        for (const auto& entry : std::filesystem::directory_iterator(testfiles::DataDir() + "/Lakes"))
        {
            const std::string file = entry.path().filename().string();
            if (file.rfind("Clearwater", 0) == 0 && file.find("_txr") == std::string::npos)
                std::filesystem::copy_file(entry.path(), m_dir.File(file));
        }
    }
    std::vector<uint8_t> Read(const std::string& file)
    {
        std::vector<uint8_t> bytes;
        plat::ReadFile(m_dir.File(file), bytes);
        return bytes;
    }
    void Write(const std::string& file, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(plat::WriteFile(m_dir.File(file), bytes.data(), bytes.size()));
    }
    // Loads the lake and asks it what a game would: heights and water under every start.
    void LoadAndQuery()
    {
        ASSERT_TRUE(m_lake->Load(m_dir.File("Clearwater.txt"))) << m_lake->LastError();
        for (int32_t i = 0; i < 3; ++i)
        {
            double x, y, h;
            m_lake->GetStartLocation(i, x, y, h);
            QrPoint3 world;
            m_lake->MapToWorld(x, y, world);
            m_lake->GroundHeight(world);
            m_lake->IsOnLake(world);
        }
    }
    testfiles::TempDir m_dir;
};

TEST_F(tovLakeDamageTest, DamagedMasksAreDroppedWhole)
{
    const std::vector<uint8_t> mask = Read("Clearwater.msk");
    const auto withSize = [&](int32_t w, int32_t h)
    {
        std::vector<uint8_t> bytes = mask;
        std::memcpy(&bytes[50], &w, 4);
        std::memcpy(&bytes[54], &h, 4);
        return bytes;
    };
    const std::vector<uint8_t> cases[] = {{},
                                          std::vector<uint8_t>(mask.begin(), mask.begin() + 57),
                                          std::vector<uint8_t>(mask.begin(), mask.begin() + 128),
                                          std::vector<uint8_t>(mask.begin(), mask.end() - 1),
                                          withSize(-768, 512),
                                          withSize(768, 0),
                                          withSize(0x10000, 0x10001),
                                          withSize(12801, 1)};
    for (const std::vector<uint8_t>& bytes : cases)
    {
        Write("Clearwater.msk", bytes);
        LoadAndQuery();
        EXPECT_EQ(m_lake->GetMaskWidth(), -1) << bytes.size();
        EXPECT_FALSE(m_lake->IsOnLakeCell(300, 250));
    }
    // A mask that claims fewer cells than it holds reads within what it claims.
    Write("Clearwater.msk", withSize(100, 100));
    LoadAndQuery();
    EXPECT_EQ(m_lake->GetMaskWidth(), 100);
    EXPECT_FALSE(m_lake->IsOnLakeCell(300, 250));
}

TEST_F(tovLakeDamageTest, ShortOrDamagedHeightRastersReadAsZero)
{
    const std::vector<uint8_t> raster = Read("Clearwater0101.raw");
    ASSERT_EQ(raster.size(), 28u + 129 * 129 * 2);
    std::vector<uint8_t> hugeWidth = raster;
    hugeWidth[2] = 1; // width 65665: its low 16 bits would look like a tiny raster
    for (size_t keep : {size_t(0), size_t(7), size_t(28), size_t(29), raster.size() / 2, raster.size() - 1})
    {
        Write("Clearwater0101.raw", std::vector<uint8_t>(raster.begin(), raster.begin() + ptrdiff_t(keep)));
        LoadAndQuery();
        tovHeightRaster read;
        EXPECT_FALSE(read.Load(m_dir.File("Clearwater0101.raw")));
        EXPECT_EQ(read.At(128, 128), 0);
    }
    Write("Clearwater0101.raw", hugeWidth);
    tovHeightRaster read;
    EXPECT_FALSE(read.Load(m_dir.File("Clearwater0101.raw")));
    EXPECT_EQ(read.At(64, 64), 0);
    // The ground of a tile without heights is the lowest elevation.
    std::filesystem::remove(m_dir.File("Clearwater0101.raw"));
    LoadAndQuery();
    m_lake->SetCurrentSector(0);
    QrPoint3 world;
    m_lake->MapToWorld(190.0, 190.0, world);
    EXPECT_NEAR(m_lake->GroundHeight(world), 5.80f - 6.20f, 1e-5f);
}

TEST_F(tovLakeDamageTest, AFailedLoadLeavesNothingOfThePreviousLake)
{
    LoadAndQuery();
    EXPECT_GE(m_lake->GetCurrentSector(), 0);
    std::vector<uint8_t> text = Read("Clearwater.txt");
    text.resize(text.size() / 3); // ends before the first sector block
    Write("Clearwater.txt", text);
    EXPECT_FALSE(m_lake->Load(m_dir.File("Clearwater.txt")));
    EXPECT_NE(m_lake->LastError().find("Clearwater.txt"), std::string::npos);
    EXPECT_EQ(m_lake->GetCurrentSector(), -1);
    EXPECT_EQ(m_lake->GetMaskWidth(), -1);
    EXPECT_TRUE(m_lake->GetDesc().sectors.empty());
    EXPECT_FALSE(m_lake->Load(m_dir.File("missing.txt")));
    // Scales whose cell size underflows or whose sector overflows.
    for (const char* scale : {"RESOLUTION 1e-38", "TERRAIN_ELEV_MULT 1e-38"})
    {
        const std::string damaged = "MIN_ELEV 0\nMAX_ELEV 100\nSPAN 30\nTERRAIN_BASE_NAME Clearwater\n" +
                                    std::string(scale) + "\nSTART_LOC 1 1 0\nSECTOR SECTOR_ROW 0 SECTOR_COLUMN 0\n";
        Write("Clearwater.txt", std::vector<uint8_t>(damaged.begin(), damaged.end()));
        EXPECT_FALSE(m_lake->Load(m_dir.File("Clearwater.txt"))) << scale;
        EXPECT_NE(m_lake->LastError().find("Clearwater.txt: SPAN"), std::string::npos) << m_lake->LastError();
        EXPECT_EQ(m_lake->GetCurrentSector(), -1);
    }
}

// A mask of water everywhere answers water up to its last column and row, land past them.
TEST_F(tovLakeDamageTest, TheMaskHoldsWaterToItsLastColumnAndRow)
{
    std::vector<uint8_t> mask = Read("Clearwater.msk");
    const int32_t width = 100, height = 60;
    std::memcpy(&mask[50], &width, 4);
    std::memcpy(&mask[54], &height, 4);
    std::fill(mask.begin() + 128, mask.end(), uint8_t{0});
    Write("Clearwater.msk", mask);
    LoadAndQuery();
    ASSERT_EQ(m_lake->GetMaskWidth(), width);
    const struct
    {
        int32_t column, row;
        bool water;
    } cells[] = {{0, 0, true},   {99, 0, true},  {99, 59, true}, {0, 59, true},   {100, 0, false},
                 {0, 60, false}, {-1, 0, false}, {0, -1, false}, {100, 59, false}};
    for (const auto& c : cells)
    {
        EXPECT_EQ(m_lake->IsOnLakeCell(c.column, c.row), c.water) << c.column << "," << c.row;
        // The same cells through a world point at the cell's centre (a point within a cell
        // west or north of the map truncates onto its first cell).
        if (c.column < 0 || c.row < 0)
            continue;
        QrPoint3 world;
        m_lake->MapCellToWorld(c.column, c.row, world);
        EXPECT_EQ(m_lake->IsOnLake(world), c.water) << c.column << "," << c.row;
    }
}

// Paging keeps exactly the tiles the new window shares with the old one, across columns and
// across rows, and reads only the tiles that enter.
TEST_F(tovLakeDamageTest, PagingKeepsTheSharedTilesAndFreesTheRest)
{
    const std::string text =
        "MIN_ELEV 580 MAX_ELEV 680 SPAN 30 RESOLUTION 1 TERRAIN_ELEV_MULT 1 TERRAIN_BASE_NAME Grid "
        "SECTOR SECTOR_ROW 0 SECTOR_COLUMN 0 SECTOR_ORIGIN_X 0 SECTOR_ORIGIN_Y 0 "
        "SECTOR SECTOR_ROW 0 SECTOR_COLUMN 1 SECTOR_ORIGIN_X 128 SECTOR_ORIGIN_Y 0 "
        "SECTOR SECTOR_ROW 1 SECTOR_COLUMN 0 SECTOR_ORIGIN_X 0 SECTOR_ORIGIN_Y 128\n";
    Write("Grid.txt", std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_TRUE(m_lake->Load(m_dir.File("Grid.txt"))) << m_lake->LastError();
    m_lake->SetCurrentSector(0);
    const auto window = [&](int32_t sector)
    {
        std::vector<const tovSectorData*> tiles;
        for (int32_t i = 0; i < 4; ++i)
            for (int32_t j = 0; j < 4; ++j)
                tiles.push_back(m_lake->GetSectorTile(sector, i, j));
        return tiles;
    };
    const auto contains = [](const std::vector<const tovSectorData*>& tiles, const tovSectorData* tile)
    { return std::find(tiles.begin(), tiles.end(), tile) != tiles.end(); };
    for (const int32_t next : {1, 0, 2, 0})
    {
        SCOPED_TRACE(next);
        const std::vector<const tovSectorData*> before = window(m_lake->GetCurrentSector()), after = window(next);
        std::map<const tovSectorData*, uint32_t> loads;
        for (size_t k = 0; k < m_lake->GetTileCount(); ++k)
            loads[m_lake->GetTile(k)] = m_lake->GetTile(k)->GetLoadCount();
        m_lake->SetCurrentSector(next);
        for (size_t k = 0; k < m_lake->GetTileCount(); ++k)
        {
            const tovSectorData* tile = m_lake->GetTile(k);
            const bool shared = contains(before, tile) && contains(after, tile);
            EXPECT_EQ(tile->IsLoaded(), contains(after, tile)) << tile->GetRow() << "," << tile->GetColumn();
            EXPECT_EQ(tile->GetLoadCount(), loads[tile] + (contains(after, tile) && !shared ? 1u : 0u))
                << tile->GetRow() << "," << tile->GetColumn();
        }
    }
}
} // namespace
