#include "FrontEndFixture.h"

#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLake.h"
#include "tovLakeCatalogue.h"
#include "tovTravelMapIFace.h"

#include "ButtonObj.h"
#include "GoldenImage.h"
#include "qrxCutout.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

class TravelWorld : public FrontEndWorld
{
public:
    tovLake* GetLake() override { return m_lake.Get(); }
    tovBoat* GetBoat(int32_t index) override
    {
        return index >= 0 && size_t(index) < m_boats.size() ? m_boats[size_t(index)].Get() : nullptr;
    }
    QrPointer<tovLake> m_lake;
    std::vector<QrPointer<tovBoat>> m_boats;
};

class tovTravelMapTest : public FrontEndTest
{
protected:
    // The lake keeps shared pieces it makes on loading: loaded once, before any test counts
    // live objects, and kept for the suite.
    static void SetUpTestSuite()
    {
        qrxCutout::CreateSharedProperties();
        s_lake = new tovLake(true);
        s_loaded = s_lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt");
    }
    static void TearDownTestSuite() { s_lake = nullptr; }
    void SetUp() override
    {
        FrontEndTest::SetUp();
        SetWorldServices(&m_travelWorld);
        ASSERT_TRUE(s_loaded);
        m_travelWorld.m_lake = s_lake;
        TheLakeCatalogue().SelectLake(m_session.get(), 0);
        m_boat = new tovBoat();
        m_travelWorld.m_boats.push_back(m_boat);
        m_rig = new tovAnglerRig(0, 0, 0, -1, false, m_boat.Get());
        m_session->AddAngler(m_rig.Get(), true);
    }
    void TearDown() override
    {
        m_session->ClearAnglers();
        m_rig = nullptr;
        m_boat = nullptr;
        m_travelWorld.m_boats.clear();
        m_travelWorld.m_lake = nullptr;
        m_travelWorld.m_scene = nullptr;
        SetWorldServices(&m_world);
        FrontEndTest::TearDown();
    }
    void AddMoreScreens() override
    {
        m_app->AddInterface(new tovTravelMapIFace, 12);
        FrontEndTest::AddMoreScreens();
    }
    tovLake& Lake() { return *m_travelWorld.m_lake; }
    // The first screen point of the map rectangle amid water or land as asked (the cursors'
    // hot spots differ by a few pixels), through the screen's own conversion of the view.
    bool FindPoint(bool water, int32_t& x, int32_t& y, int32_t& column, int32_t& row)
    {
        using M = tovTravelMapIFace;
        for (y = M::kMapTop + 20; y < M::kMapTop + M::kMapHeight; y += 3)
            for (x = M::kMapLeft + 20; x < M::kMapLeft + M::kMapWidth; x += 3)
            {
                bool all = true;
                for (int32_t dy = -8; dy <= 8 && all; dy += 4)
                    for (int32_t dx = -8; dx <= 8 && all; dx += 4)
                    {
                        Map().ScreenToCell(x + dx, y + dy, column, row);
                        all = Lake().IsOnLakeCell(column, row) == water;
                    }
                Map().ScreenToCell(x, y, column, row);
                if (all)
                    return true;
            }
        return false;
    }
    void PutBoatAt(int32_t column, int32_t row)
    {
        QrPoint3 at;
        Lake().MapCellToWorld(column, row, at);
        m_boat->SetPosition(at);
    }
    static tovTravelMapIFace& Map() { return *tovTravelMapIFace::GetInstance(); }

    static inline QrPointer<tovLake> s_lake;
    static inline bool s_loaded = false;
    TravelWorld m_travelWorld;
    QrPointer<tovBoat> m_boat;
    QrPointer<tovAnglerRig> m_rig;
};

TEST_F(tovTravelMapTest, ChoosingWaterMovesTheBoatThereAndLandDoesNothing)
{
    SwitchTo(12);
    Frame();
    // The sample lake's map is shrunk into the rectangle.
    EXPECT_LT(Map().GetScale(), 1.0);
    int32_t wx = 0, wy = 0, wc = 0, wr = 0, lx = 0, ly = 0, lc = 0, lr = 0;
    ASSERT_TRUE(FindPoint(true, wx, wy, wc, wr));
    ASSERT_TRUE(FindPoint(false, lx, ly, lc, lr));
    Map().SetMapMode(1);
    const QrPoint3 start = m_boat->GetPosition();

    // Land: no destination.
    ClickAt(lx, ly);
    EXPECT_FALSE(Map().HasDestination());
    // Straight onto land from water within one frame: the click's own cell decides.
    EXPECT_FALSE(Map().ChooseDestination(lx, ly));
    Map().OnTravel();
    EXPECT_EQ(Map().m_nextScreen, 2);
    SwitchTo(2);
    const QrPoint3 at = m_boat->GetPosition();
    EXPECT_EQ(at.x, start.x);
    EXPECT_EQ(at.z, start.z);

    SwitchTo(12);
    Frame();
    Map().SetMapMode(1);
    ClickAt(wx, wy);
    ASSERT_TRUE(Map().HasDestination());
    Map().OnTravel();
    int32_t dc = -2, dr = -2;
    Lake().WorldToMapCell(Map().GetDestination(), dc, dr);
    int32_t c = -1, r = -1;
    Lake().WorldToMapCell(m_boat->GetPosition(), c, r);
    EXPECT_EQ(c, dc);
    EXPECT_EQ(r, dr);
    // Where the pointer's hot spot was: a few screen pixels, under two cells each, from the aim.
    EXPECT_LE(std::abs(c - wc) + std::abs(r - wr), 16);
    EXPECT_TRUE(Lake().IsOnLakeCell(c, r));
}

TEST_F(tovTravelMapTest, ZoomShowsTheTileUnderTheClickAndAnyClickZoomsOut)
{
    SwitchTo(12);
    Frame();
    int32_t x = 0, y = 0, c = 0, r = 0;
    ASSERT_TRUE(FindPoint(true, x, y, c, r));
    ClickAt(x, y);
    ASSERT_TRUE(Map().IsZoomed());
    // The zoomed view maps the same point to a cell near the one clicked on.
    int32_t zc = 0, zr = 0;
    Map().ScreenToCell(x, y, zc, zr);
    EXPECT_LT(std::abs(zc - c), 113);
    EXPECT_LT(std::abs(zr - r), 100);
    ClickAt(x, y);
    EXPECT_FALSE(Map().IsZoomed());
}

TEST_F(tovTravelMapTest, TravelTimeFollowsDistanceAndSpeed)
{
    struct Case
    {
        int32_t cells, speed, minutes;
    };
    // 0.018642 miles per cell: 100 cells at 30 mph is 1.8642 miles, 3.7 minutes.
    for (const Case& k : {Case{0, 30, 0}, Case{100, 30, 3}, Case{1000, 30, 37}, Case{1000, 35, 31}, Case{5000, 10, 559},
                          Case{100, 0, 0}})
        EXPECT_EQ(tovTravelMapIFace::TravelMinutes(k.cells, k.speed), k.minutes) << k.cells << " " << k.speed;
    EXPECT_EQ(tovTravelMapIFace::FormatTravel(0.0f, 0),
              " 0.00 Miles away. It will take you 0 hours, 0 minutes from your original position.");
    EXPECT_EQ(tovTravelMapIFace::FormatTravel(18.642f, 559),
              "18.64 Miles away. It will take you 9 hours, 19 minutes from your original position.");
    // Day of 8 hours, 2 gone, 1000 cells from the dock: 6 hours less the 37-minute ride.
    EXPECT_EQ(tovTravelMapIFace::EarlyWeighInTime(28800.0, 7200.0, 1000, 30), 21600 - 37 * 60);
    for (auto [degrees, index] : {std::pair{0.0f, 0}, {44.9f, 0}, {45.0f, 1}, {359.9f, 7}, {-1.0f, 0}, {720.0f, 0}})
        EXPECT_EQ(tovTravelMapIFace::HeadingIndex(degrees), index) << degrees;
}

TEST_F(tovTravelMapTest, EntryCellGivesZeroMilesAndTournamentBlocksChoosing)
{
    SwitchTo(12);
    Frame();
    int32_t x = 0, y = 0, column = 0, row = 0;
    ASSERT_TRUE(FindPoint(true, x, y, column, row));
    SwitchTo(2);
    PutBoatAt(column, row);
    SwitchTo(12);
    Frame();
    ASSERT_TRUE(Map().ChooseDestination(x, y));
    EXPECT_EQ(Map().GetTravelText(),
              " 0.00 Miles away. It will take you 0 hours, 0 minutes from your original position.");
    EXPECT_EQ(Map().GetButton(tovTravelMapIFace::kWeighIn)->m_disabled, 1);
    EXPECT_EQ(Map().GetButton(tovTravelMapIFace::kChooseMode)->m_disabled, 0);
    SwitchTo(2);
    m_session->SetMode(tovGameSession::kTournament);
    SwitchTo(12);
    Frame();
    EXPECT_EQ(Map().GetButton(tovTravelMapIFace::kChooseMode)->m_disabled, 1);
    EXPECT_EQ(Map().GetButton(tovTravelMapIFace::kWeighIn)->m_disabled, 0);
}

TEST_F(tovTravelMapTest, GoldenFrameOfTheMapWithTheBoats)
{
    SwitchTo(12);
    Frame();
    int32_t x = 0, y = 0, column = 0, row = 0;
    ASSERT_TRUE(FindPoint(true, x, y, column, row));
    SwitchTo(2);
    PutBoatAt(column, row);
    // Another boat a little way off.
    QrPointer<tovBoat> other(new tovBoat());
    QrPoint3 at;
    Lake().MapCellToWorld(column + 40, row + 30, at);
    other->SetPosition(at);
    m_travelWorld.m_boats.push_back(other);
    SwitchTo(12);
    m_window.MoveCursor({630, 5});
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_travel_map.png", Shown()));
    // Zoomed into the tile under the boat.
    Map().ZoomIn(x, y);
    ASSERT_TRUE(Map().IsZoomed());
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_travel_map_zoomed.png", Shown()));
    m_travelWorld.m_boats.pop_back();
}

} // namespace
