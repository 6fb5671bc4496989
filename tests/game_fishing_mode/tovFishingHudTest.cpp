// The fishing screen's debug pages and its clock's ride home: each page reads its own source
// (and only its title shows where the source is missing), one page as the player sees it, and
// the time left once the ride to the dock is taken off.
#include "FishingWorldHarness.h"

#include "tovBoat.h"
#include "tovChurnApp.h"
#include "tovDebugOverlay.h"
#include "tovLake.h"
#include "tovLakeCatalogue.h"

#include "GoldenImage.h"
#include "qrxAmbientSound.h"
#include "qrxScratchImage.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{

using O = tovDebugOverlay;

class tovFishingHudTest : public FishingWorldHarness
{
};

TEST_F(tovFishingHudTest, EachDebugPageReadsItsOwnSource)
{
    // Above 0.3 the boats have wakes for the two wake pages to read.
    ASSERT_TRUE(BuildDay(0.4f));
    qrxAmbientSound ambient;
    O::Sources none;
    O::Sources all;
    all.world = m_world.get();
    all.ambient = &ambient;
    all.framesPerSecond = 42;
    struct Row
    {
        O::Page page;
        size_t lines; // title included
        const char* first;
    } rows[] = {
        {O::kWeather, 20, "Air : "},
        {O::kSky, 10, "E(Brightness) : "},
        {O::kSternWake, 15, "Total tiles available : "},
        {O::kBowWake, 15, "Total tiles available : "},
        {O::kAmbient, 7, "playAmbientSound : "},
        {O::kFishing, 6, "FPS : 42"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.page);
        const std::vector<std::string> lines = O::Lines(row.page, all);
        ASSERT_EQ(lines.size(), row.lines);
        EXPECT_EQ(lines[1].rfind(row.first, 0), 0u) << lines[1];
        // Without a world or sound only the title, and the fishing lines read zeros.
        EXPECT_EQ(O::Lines(row.page, none).size(), row.page == O::kFishing ? 6u : 1u);
    }
    EXPECT_TRUE(O::Lines(O::kHidden, all).empty());
    EXPECT_TRUE(O::Lines(O::kPageCount, all).empty());
    // The key walks the pages in order and hides them after the last.
    O overlay;
    for (int i = 0; i < O::kPageCount; ++i)
    {
        overlay.NextPage();
        EXPECT_EQ(overlay.GetPage(), i);
    }
    overlay.NextPage();
    EXPECT_EQ(overlay.GetPage(), O::kHidden);
}

// The weather's page over the morning lake, as F12 first shows it.
TEST_F(tovFishingHudTest, WeatherPageOverTheView)
{
    ASSERT_TRUE(BuildDay(0.3f));
    Step(5);
    qrxScratchImage::SetRenderer(m_rig->GetRenderer());
    {
        O overlay;
        overlay.NextPage();
        O::Sources sources;
        sources.world = m_world.get();
        Draw();
        DrawOver([&] { overlay.Draw(sources); });
        plat::HeadlessWindowBackend& window = m_rig->GetWindow();
        EXPECT_TRUE(golden::MatchesGoldenImage(
            "fishing_debug_weather.png",
            golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight())));
    }
    qrxScratchImage::ReleaseRenderer();
}

// The ride is counted in whole map cells from the boat to the lake's dock cell, across and
// down the map.
TEST_F(tovFishingHudTest, TheRideHomeIsCountedInMapCellsToTheDock)
{
    ASSERT_TRUE(BuildDay(0.3f));
    const tovLakeValues& lake = TheLakeCatalogue().GetValues();
    struct Row
    {
        int32_t across;
        int32_t down;
        int32_t cells;
    } rows[] = {{0, 0, 0}, {30, 0, 30}, {0, 40, 40}, {30, 40, 50}, {-30, -40, 50}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.cells);
        QrPoint3 at;
        m_world->GetLake()->MapCellToWorld(lake.valueB + row.across, lake.valueC + row.down, at);
        m_world->GetPlayerBoat()->SetPosition(at);
        EXPECT_EQ(tovChurnApp::CellsToDock(*m_world), row.cells);
    }
}

// Near the dock the time left is the clock's; far away the ride (at the lake's travel speed,
// 30 miles an hour where the lake gives none) comes off in whole minutes, so the hour's
// warning comes while there is still time to get back.
TEST(tovChurnAppTime, RemainingTimeTakesTheRideToTheDockOff)
{
    struct Row
    {
        double left;
        int32_t cells;
        int32_t speed;
        int32_t expected;
    } rows[] = {
        {7200.9, 0, 30, 7200},                   // at the dock
        {7200.0, 10, 30, 7200},                  // a few cells: under a minute
        {7200.0, 1000, 30, 7200 - 37 * 60},      // 18.6 miles at 30 mph
        {7200.0, 1000, 0, 7200 - 37 * 60},       // no speed given: 30 mph
        {7200.0, 1000, 60, 7200 - 18 * 60},      // a faster lake
        {4000.0, 400, 30, 4000 - 14 * 60},       // over the hour on the clock, under it with the ride
        {7200.0, 5000, 30, 7200 - 186 * 60},     // far across: the day is already short
        {7200.0, -5, 30, 7200},                  // no negative rides
        {7200.0, INT_MAX, 1, 7200 - 60'000'000}, // hostile numbers stay in range
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.cells);
        EXPECT_EQ(tovChurnApp::TimeToReturn(row.left, row.cells, row.speed), row.expected);
    }
    EXPECT_LE(tovChurnApp::TimeToReturn(4000.0, 400, 30), 3600);
}

} // namespace
