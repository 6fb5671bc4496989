#include "tovLakeDesc.h"

#include "TestFiles.h"

#include "Files.h"

#include <gtest/gtest.h>

namespace
{

const char* kHeader = "MIN_ELEV 580 MAX_ELEV 680 SPAN 30 RESOLUTION 1 TERRAIN_ELEV_MULT 1 TERRAIN_BASE_NAME L ";

std::string Sectors(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "SECTOR SECTOR_ROW 0 SECTOR_COLUMN " + std::to_string(i) + " SECTOR_ORIGIN_X " +
                std::to_string(i * 128) + " SECTOR_ORIGIN_Y 0\n";
    return text;
}

TEST(tovLakeDesc, ReadsKeysInAnyCaseSkippingUnknownOnes)
{
    tovLakeDesc desc;
    std::string error;
    const std::string text = "min_elev 1.5 Max_Elev 9 span 30 RESOLUTION 2 mystery 77 water_level_max 620 "
                             "terrain_base_name Pond start_loc 10 20 90 bot_loc 1 2 3 bot_loc 4 5 6 "
                             "SECTOR sector_row 1 sector_column 2 sector_origin_x 256 odd 5 SECTOR_ORIGIN_Y 128 "
                             "ne_lat 35.5";
    ASSERT_TRUE(desc.Parse(text, error)) << error;
    EXPECT_EQ(desc.minElev, 1.5f);
    EXPECT_EQ(desc.resolution, 2.0f);
    EXPECT_EQ(desc.waterLevelMax, 620.0f);
    EXPECT_EQ(desc.waterLevelMin, -1000.0f);
    EXPECT_EQ(desc.baseName, "Pond");
    // The start seeds the computer boats, which the two BOT_LOC entries follow.
    ASSERT_EQ(desc.bots.size(), 3u);
    EXPECT_EQ(desc.bots[0], (tovLakeDesc::Location{10, 20, 90}));
    EXPECT_EQ(desc.bots[2], (tovLakeDesc::Location{4, 5, 6}));
    ASSERT_EQ(desc.sectors.size(), 1u);
    const tovSectorDesc& s = desc.sectors[0];
    EXPECT_EQ(s.row, 1);
    EXPECT_EQ(s.column, 2);
    EXPECT_EQ(s.centreX, 512.0);
    EXPECT_EQ(s.centreY, 384.0);
    EXPECT_EQ(s.neLatitude, 35.5);
    EXPECT_EQ(s.swLatitude, 0.0);
}

TEST(tovLakeDesc, RefusesDamagedDescriptions)
{
    const std::string h = kHeader;
    const struct
    {
        std::string text;
        bool ok;
    } cases[] = {
        {h + Sectors(2), true},
        {h + Sectors(32), true},
        {h + Sectors(33), false},                            // more than the nearest-sector table holds
        {h, false},                                          // no SECTOR
        {h + "SECTOR", false},                               // an empty block names no tiles
        {h + "SECTOR SECTOR_ROW 0", false},                  // no column
        {h + "SECTOR SECTOR_ROW 97 SECTOR_COLUMN 0", false}, // tile 100 has no two-digit name
        {h + "SECTOR SECTOR_ROW -1 SECTOR_COLUMN 0", false},
        {h + "SECTOR SECTOR_ROW 1.5 SECTOR_COLUMN 0", false},
        {"SPAN abc " + h + Sectors(1), false},
        {"SPAN nan " + h + Sectors(1), false},
        {"SPAN 1e39 " + h + Sectors(1), false},
        {h + "SPAN 0 " + Sectors(1), false},        // would divide by a zero cell size
        {h + "START_LOC 1 2 " + Sectors(1), false}, // SECTOR taken as a number
        {h + std::string(300, 'K') + " 1 " + Sectors(1), false},
        {h + "TERRAIN_BASE_NAME " + std::string(256, 'n') + " " + Sectors(1), false},
        {h + "TERRAIN_BASE_NAME " + std::string(255, 'n') + " " + Sectors(1), true},
    };
    for (const auto& c : cases)
    {
        tovLakeDesc desc;
        std::string error;
        EXPECT_EQ(desc.Parse(c.text, error), c.ok) << c.text.substr(0, 120) << " -> " << error;
        EXPECT_EQ(error.empty(), c.ok);
    }
    std::string many = h;
    for (int i = 0; i < 65; ++i)
        many += "BOT_LOC 1 2 3 ";
    tovLakeDesc desc;
    std::string error;
    EXPECT_FALSE(desc.Parse(many + Sectors(1), error));
}

TEST(tovLakeDesc, EveryPrefixOfASampleParsesOrFailsCleanly)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadFile(testfiles::DataDir() + "/Lakes/Sandridge.txt", bytes));
    const std::string text(bytes.begin(), bytes.end());
    tovLakeDesc desc;
    std::string error;
    ASSERT_TRUE(desc.Parse(text, error)) << error;
    EXPECT_EQ(desc.sectors.size(), 2u);
    // Nothing before the first block's column loads; prefixes that cut the second block
    // short load one or two sectors.
    const size_t firstColumn = text.find("SECTOR_COLUMN") + 14;
    size_t twoSectors = 0;
    for (size_t n = 0; n < text.size(); ++n)
        if (desc.Parse(text.substr(0, n), error))
        {
            EXPECT_GT(n, firstColumn);
            EXPECT_GE(desc.sectors.back().column, 0);
            twoSectors += desc.sectors.size() == 2;
        }
        else
            EXPECT_FALSE(error.empty());
    EXPECT_GT(twoSectors, 0u);
}

} // namespace
