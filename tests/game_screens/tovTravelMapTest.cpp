#include "FrontEndFixture.h"

#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLake.h"
#include "tovLakeCatalogue.h"
#include "tovTravelMapIFace.h"

#include "ButtonObj.h"

#include <gtest/gtest.h>

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
    void SetUp() override
    {
        FrontEndTest::SetUp();
        SetWorldServices(&m_travelWorld);
        m_travelWorld.m_lake = new tovLake(true);
        ASSERT_TRUE(m_travelWorld.m_lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt"));
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
        SetWorldServices(&m_world);
        FrontEndTest::TearDown();
    }
    void AddMoreScreens() override
    {
        m_app->AddInterface(new tovTravelMapIFace, 12);
        FrontEndTest::AddMoreScreens();
    }
    tovLake& Lake() { return *m_travelWorld.m_lake; }
    // The first cell of the unzoomed map (scale 1, origin 0: cell k at screen 4k) that is water
    // or land as asked.
    bool FindCell(bool water, int32_t& column, int32_t& row)
    {
        for (row = 8; row < 100; ++row)
            for (column = 22; column < 128; ++column)
                if (Lake().IsOnLakeCell(column, row) == water)
                    return true;
        return false;
    }
    void PutBoatAt(int32_t column, int32_t row)
    {
        QrPoint3 at;
        Lake().MapCellToWorld(column, row, at);
        m_boat->SetPosition(at);
    }
    // A click in the map at the cell's screen point in the unzoomed view.
    void ClickCell(int32_t column, int32_t row) { ClickAt(column * 4 + 1, row * 4 + 1); }
    static tovTravelMapIFace& Map() { return *tovTravelMapIFace::GetInstance(); }

    TravelWorld m_travelWorld;
    QrPointer<tovBoat> m_boat;
    QrPointer<tovAnglerRig> m_rig;
};

TEST_F(tovTravelMapTest, ChoosingWaterMovesTheBoatThereAndLandDoesNothing)
{
    int32_t waterColumn = 0, waterRow = 0, landColumn = 0, landRow = 0;
    ASSERT_TRUE(FindCell(true, waterColumn, waterRow));
    ASSERT_TRUE(FindCell(false, landColumn, landRow));
    PutBoatAt(waterColumn, waterRow);
    SwitchTo(12);
    Frame();
    Map().SetMapMode(1);

    // Land: no destination, Travel leaves the boat where it was.
    ClickCell(landColumn, landRow);
    EXPECT_FALSE(Map().HasDestination());
    // Straight onto land from water in one frame: the click's own cell decides.
    EXPECT_FALSE(Map().ChooseDestination(landColumn * 4 + 1, landRow * 4 + 1));

    // Water a few cells along the same row (or the start cell itself).
    int32_t column = waterColumn;
    while (column + 1 < 128 && Lake().IsOnLakeCell(column + 1, waterRow) && column < waterColumn + 20)
        ++column;
    ClickCell(column, waterRow);
    ASSERT_TRUE(Map().HasDestination());
    Map().OnTravel();
    int32_t c = -1, r = -1;
    Lake().WorldToMapCell(m_boat->GetPosition(), c, r);
    EXPECT_EQ(c, column);
    EXPECT_EQ(r, waterRow);
    Frame();
    EXPECT_EQ(Current(), 2);
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
    int32_t column = 0, row = 0;
    ASSERT_TRUE(FindCell(true, column, row));
    PutBoatAt(column, row);
    SwitchTo(12);
    Frame();
    ASSERT_TRUE(Map().ChooseDestination(column * 4 + 1, row * 4 + 1));
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
    EXPECT_FALSE(Map().IsZoomed());
}

} // namespace
