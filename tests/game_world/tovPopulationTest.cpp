#include "tovPopulation.h"

#include "TestFiles.h"

#include "ByteWriter.h"
#include "Files.h"

#include <gtest/gtest.h>

namespace
{

// A width x height raster whose sample (c, r) has density (c + r) mod 4.
std::vector<uint8_t> Raster(int32_t width, int32_t height, float cellSize, size_t drop = 0)
{
    plat::ByteWriter out;
    out.I32(width);
    out.I32(height);
    out.U32(0);
    out.U32(0);
    out.F32(cellSize);
    out.F32(3.0f);
    out.F32(4.0f);
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c)
            out.U16(uint16_t(((c + r) % 4) | 0x004));
    std::vector<uint8_t> bytes = out.Take();
    bytes.resize(bytes.size() - drop);
    return bytes;
}

TEST(tovPopulation, DensityAndNeighbourStepsByCell)
{
    testfiles::TempDir dir;
    const std::vector<uint8_t> bytes = Raster(5, 4, 100.0f); // one world unit per cell
    ASSERT_TRUE(plat::WriteFile(dir.File("p.raw"), bytes.data(), bytes.size()));
    tovPopulation population;
    ASSERT_TRUE(population.LoadMap(dir.File("p.raw")));
    EXPECT_EQ(population.GetSeedA() + population.GetSeedB(), 7);
    // Columns count from the far x edge: x = 0 is column 4, clamped to width - 2.
    EXPECT_FLOAT_EQ(population.GetDensityAt(QrPoint3(0.0f, 0.0f, 0.0f)), 3 * 0.33333334f);
    EXPECT_FLOAT_EQ(population.GetDensityAt(QrPoint3(2.2f, 0.0f, 1.0f)), 3 * 0.33333334f); // column 2, row 1
    EXPECT_FLOAT_EQ(population.GetDensityAt(QrPoint3(4.0f, 0.0f, 0.0f)), 0.0f);
    tovPopulation::Cell cells[4];
    population.QueryAt(QrPoint3(0.0f, 0.0f, 3.0f), cells); // column 4, row 3: the raster's corner
    EXPECT_FLOAT_EQ(cells[0].density, 3 * 0.33333334f);
    EXPECT_EQ(cells[1].density, -1.0f);
    EXPECT_EQ(cells[1].dx, -1.0f);
    EXPECT_EQ(cells[2].dz, -1.0f);
    EXPECT_EQ(cells[3].dx + cells[3].dz, -2.0f);
    population.QueryAt(QrPoint3(9.0f, 0.0f, -2.0f), cells); // column -5, row -2
    EXPECT_EQ(cells[0].dx, 1.0f);
    EXPECT_EQ(cells[0].dz, 1.0f);
}

TEST(tovPopulation, DamagedRastersLeaveNoMap)
{
    testfiles::TempDir dir;
    std::vector<uint8_t> wide = Raster(129, 129, 30.0f);
    wide[2] = 1; // width 65665: its low 16 bits times 129 would fit in the file
    const std::vector<uint8_t> cases[] = {{},
                                          Raster(129, 129, 30.0f, 1),
                                          Raster(129, 129, 0.0f),
                                          Raster(129, 129, -1.0f),
                                          Raster(1, 129, 30.0f),
                                          Raster(129, -3, 30.0f),
                                          wide,
                                          std::vector<uint8_t>(27, 0)};
    for (const std::vector<uint8_t>& bytes : cases)
    {
        ASSERT_TRUE(plat::WriteFile(dir.File("p.raw"), bytes.data(), bytes.size()));
        tovPopulation population;
        EXPECT_FALSE(population.LoadMap(dir.File("p.raw"))) << bytes.size();
        EXPECT_EQ(population.GetWidth(), -1);
        EXPECT_EQ(population.GetDensityAt(QrPoint3(1.0f, 0.0f, 1.0f)), 0.0f);
        tovPopulation::Cell cells[4];
        population.QueryAt(QrPoint3(1.0f, 0.0f, 1.0f), cells);
        EXPECT_EQ(cells[3].density, 0.0f);
    }
}

} // namespace
