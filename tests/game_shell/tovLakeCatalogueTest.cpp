#include "tovLakeCatalogue.h"

#include "DebugOutput.h"
#include "PackWriter.h"
#include "RecordingNetworkPlay.h"
#include "TestFiles.h"
#include "tovInstallSettings.h"
#include "tovNetworkPlay.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace
{

using Keys = std::map<uint32_t, std::string>;

class tovLakeCatalogueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetDebugSink(&m_log);
        std::filesystem::create_directories(m_dir.File("Lakes"));
        SetInstallRoot(m_dir.Path());
        SetDiscRoot(m_dir.Path());
        SetInstallType(0);
    }
    void TearDown() override
    {
        plat::SetDebugSink(nullptr);
        SetInstallRoot(".");
        SetDiscRoot(".");
    }

    void Pack(const std::string& name, const Keys& keys)
    {
        tools::PackContents contents;
        for (const auto& [key, text] : keys)
            contents.Add({0x80000007, key, 0, {}, std::vector<uint8_t>(text.begin(), text.end())}, {0});
        std::string error;
        ASSERT_TRUE(tools::WritePackFiles(contents, m_dir.File("Lakes/" + name), error)) << error;
    }

    plat::RecordingDebugSink m_log;
    testfiles::TempDir m_dir;
};

TEST_F(tovLakeCatalogueTest, ListsEveryPackInNameOrderWithItsId)
{
    Pack("Alder", {{72, "2"}});
    Pack("Birch", {{85, "no id"}});
    Pack("Cedar", {{72, "2"}});
    Pack("Delta", {{72, "31"}});
    Pack("Elm", {{72, "0"}});
    std::ofstream(m_dir.File("Lakes/Broken.waf")) << "not a pack";
    std::ofstream(m_dir.File("Lakes/readme.txt")) << "not a lake";

    tovLakeCatalogue cat;
    EXPECT_EQ(cat.CountLakes(0), 6) << "every pack is listed, even one without an id or unreadable";
    EXPECT_EQ(cat.GetLakeMask(), (1u << 0) | (1u << 2) | (1u << 31));
    EXPECT_EQ(cat.GetLakeIdAt(0), 2);
    EXPECT_EQ(cat.GetLakeIdAt(1), -1) << "Birch";
    EXPECT_EQ(cat.GetLakeIdAt(2), -1) << "Broken";
    EXPECT_EQ(cat.GetLakeIdAt(6), -1);
    EXPECT_EQ(cat.FindLakeIndex(2), 0) << "the first of two packs with one id";
    EXPECT_EQ(cat.FindLakeIndex(7), -1);
    EXPECT_EQ(cat.CountLakes(0xffffffffu), 2) << "id 31 is not counted";
    EXPECT_EQ(cat.CountLakes(1u << 2), 1);
    EXPECT_EQ(cat.GetEntries()[4].path, m_dir.File("Lakes/Delta"));
}

TEST_F(tovLakeCatalogueTest, SelectingReadsTheLakesValuesAndKeepsWhatIsMissing)
{
    Keys first = {{72, "0"},     {76, "first.txt"}, {85, "First Lake"}, {81, "50,25,15,10,5"},
                  {83, "55,95"}, {84, "58,80"},     {82, "35"},         {78, "12"},
                  {79, "34"}};
    for (uint32_t k = 0; k < 17; ++k)
    {
        first[k] = std::to_string(k) + ".5";
        first[30 + k] = "1." + std::to_string(k);
        first[50 + k] = "2";
        first[2000 + k] = "0.25";
    }
    Pack("First", first);
    Pack("Second", {{72, "1"}, {81, "70,-3"}, {83, "40"}, {2100, "3"}, {2003, "junk"}, {82, "1e99"}});

    tovLakeCatalogue cat;
    cat.SelectLake(nullptr, 0);
    const tovLakeValues& v = cat.GetValues();
    EXPECT_EQ(cat.GetCurrentLakeId(), 0);
    EXPECT_EQ(cat.GetLakeFilePath(), m_dir.File("Lakes/First"));
    EXPECT_EQ(v.descriptionPath, m_dir.File("Lakes/first.txt"));
    EXPECT_EQ(v.text, "First Lake");
    EXPECT_EQ(v.speciesTriples[3], (std::array<float, 3>{1.3f, 2.0f, 3.5f}));
    EXPECT_EQ(v.speciesTables[0][16], 0.25f);
    EXPECT_EQ(v.intList, (std::array<int32_t, 5>{50, 25, 15, 10, 5}));
    EXPECT_EQ(v.pair1, (std::array<int32_t, 2>{55, 95}));
    EXPECT_EQ(v.pair2, (std::array<int32_t, 2>{58, 80}));
    EXPECT_EQ((std::array<int32_t, 3>{v.valueA, v.valueB, v.valueC}), (std::array<int32_t, 3>{35, 12, 34}));

    cat.SelectLake(nullptr, 1);
    EXPECT_EQ(cat.GetCurrentLakeIndex(), 1);
    EXPECT_EQ(v.speciesTriples[3], (std::array<float, 3>{1.3f, 2.0f, 3.5f})) << "triples stay";
    EXPECT_EQ(v.speciesTables[0][16], 0.0f) << "tables do not";
    EXPECT_EQ(v.speciesTables[0][3], 0.0f) << "text that is no number";
    EXPECT_EQ(v.speciesTables[1][0], 3.0f);
    EXPECT_EQ(v.intList, (std::array<int32_t, 5>{70, 0, 15, 10, 5})) << "only the items present, none below 0";
    EXPECT_EQ(v.pair1, (std::array<int32_t, 2>{40, 90}));
    EXPECT_EQ(v.pair2, (std::array<int32_t, 2>{60, 77}));
    EXPECT_EQ(v.valueA, 1);
    EXPECT_EQ(v.valueB, 100);
    EXPECT_EQ(v.text, "");
    EXPECT_EQ(v.descriptionPath, "") << "no key 76: not the first lake's description";

    cat.SelectLake(nullptr, 5);
    EXPECT_EQ(cat.GetCurrentLakeId(), 1) << "an id no pack has selects nothing";

    // A pack that fails to open after the scan leaves no lake selected.
    cat.SelectLake(nullptr, 0);
    ASSERT_EQ(v.descriptionPath, m_dir.File("Lakes/first.txt"));
    std::filesystem::remove(m_dir.File("Lakes/Second.wdt"));
    cat.SelectLake(nullptr, 1);
    EXPECT_EQ(cat.GetCurrentLakeId(), -1);
    EXPECT_EQ(cat.GetLakeDescriptionPath(), "");
    EXPECT_EQ(v.speciesTriples[3], (std::array<float, 3>{1.3f, 2.0f, 3.5f}));
}

TEST_F(tovLakeCatalogueTest, RandomChoiceTakesOnlyInstalledCandidates)
{
    Pack("A", {{72, "1"}});
    Pack("B", {{72, "4"}});
    Pack("C", {{72, "31"}});
    tovLakeCatalogue cat;
    SharedRandom().seed(7);
    std::set<int32_t> chosen;
    for (int i = 0; i < 40; ++i)
    {
        ASSERT_TRUE(cat.SelectRandomLake(nullptr, 0));
        chosen.insert(cat.GetCurrentLakeId());
    }
    EXPECT_EQ(chosen, (std::set<int32_t>{1, 4}));

    ASSERT_TRUE(cat.SelectRandomLake(nullptr, (1u << 4) | (1u << 9)));
    EXPECT_EQ(cat.GetCurrentLakeId(), 4);
    for (uint32_t mask : {1u << 9, 1u << 31})
        EXPECT_FALSE(cat.SelectRandomLake(nullptr, mask)) << "no candidate: nothing chosen, no division";
    EXPECT_EQ(cat.GetCurrentLakeId(), 4);

    std::filesystem::remove_all(m_dir.File("Lakes"));
    tovLakeCatalogue empty;
    EXPECT_FALSE(empty.SelectRandomLake(nullptr, 0));
    EXPECT_EQ(empty.GetCurrentLakeId(), -1);
}

TEST_F(tovLakeCatalogueTest, SelectingANewLakeTellsTheNetworkSession)
{
    Pack("A", {{72, "1"}});
    Pack("B", {{72, "4"}});
    RecordingNetworkPlay session;
    SetNetworkPlay(&session);
    tovLakeCatalogue cat;
    cat.SelectLake(nullptr, 4);
    cat.SelectLake(nullptr, 4);
    cat.SelectLake(nullptr, 9);
    cat.SelectLakeByIndex(nullptr, 0);
    SetNetworkPlay(nullptr);
    EXPECT_EQ(session.Joined(), "SetLakeId(4,1);SetLakeId(1,1)") << "not again, and not for a lake not installed";
}

} // namespace

// Every sample lake is its own: an id of its own (a set-up or season choosing it by id plays
// that lake), its own name, prizes and ranges, and a description the lake world can load.
TEST(tovLakeCatalogueSampleTest, SampleLakesGiveEveryValueTheCatalogueReads)
{
    SetInstallRoot(testfiles::DataDir());
    SetInstallType(0);
    tovLakeCatalogue cat;
    EXPECT_EQ(cat.CountLakes(0), 4);
    EXPECT_EQ(cat.GetLakeMask(), 0xFu) << "every lake has an id of its own";
    EXPECT_TRUE(cat.GetEntries()[static_cast<size_t>(cat.FindLakeIndex(0))].path.ends_with("Clearwater"));
    EXPECT_TRUE(cat.GetEntries()[static_cast<size_t>(cat.FindLakeIndex(1))].path.ends_with("Sandridge"));
    std::set<std::string> names, prizes, ranges;
    for (int32_t id : {0, 1, 2, 3})
    {
        SCOPED_TRACE(id);
        cat.SelectLake(nullptr, id);
        ASSERT_EQ(cat.GetCurrentLakeId(), id);
        const tovLakeValues& v = cat.GetValues();
        EXPECT_TRUE(names.insert(v.text).second) << v.text;
        EXPECT_TRUE(prizes.insert(std::to_string(v.intList[0]) + "," + std::to_string(v.intList[4])).second);
        EXPECT_TRUE(ranges
                        .insert(std::to_string(v.pair1[0]) + "," + std::to_string(v.pair1[1]) + "," +
                                std::to_string(v.pair2[0]) + "," + std::to_string(v.pair2[1]))
                        .second);
        EXPECT_TRUE(std::filesystem::is_regular_file(cat.GetLakeDescriptionPath())) << cat.GetLakeDescriptionPath();
        EXPECT_GT(v.intList[0], v.intList[4]) << "prizes fall with the place";
        EXPECT_LT(v.pair1[0], v.pair1[1]);
        EXPECT_LT(v.pair2[0], v.pair2[1]);
        for (size_t bass : {3u, 10u, 11u})
            EXPECT_GT(v.speciesTables[0][bass], 0.0f) << "every lake holds bass";
        // Depths in feet and activities about 1, not more shares.
        for (size_t k = 0; k < 17; ++k)
        {
            EXPECT_TRUE(v.speciesTables[1][k] == 0.0f || v.speciesTables[1][k] >= 2.0f) << k;
            EXPECT_GE(v.speciesTables[2][k], 0.25f) << k;
        }
        EXPECT_LT(v.speciesTriples[3][0], v.speciesTriples[3][1]);
    }
    // The default ranges are not a lake's own.
    EXPECT_FALSE(ranges.contains("60,90,60,77"));
    SetInstallRoot(".");
}
