// The saved game's link to the real fishing world on the sample lake: what it takes from a day
// under way comes back into a freshly built world, and records a file may hold (far-off
// boats, unknown sectors, odd looks and livewells) are loaded, stepped and drawn.
#include "../game_fishing_mode/FishingWorldHarness.h"

#include "tovWorldSaveLink.h"

#include "tovAnglingRigFactory.h"
#include "tovBoat.h"
#include "tovGameClock.h"
#include "tovLake.h"
#include "tovSavedGame.h"
#include "tovUserProfile.h"
#include "tovWeather.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

class tovWorldSaveLinkTest : public FishingWorldHarness
{
protected:
    static constexpr float kDetail = 0.3f;

    void SetUp() override
    {
        FishingWorldHarness::SetUp();
        m_link = std::make_unique<tovWorldSaveLink>(*m_world);
    }
    void TearDown() override
    {
        m_link.reset();
        FishingWorldHarness::TearDown();
    }

    // A new day's world with no anglers in it, as a load finds it.
    void RebuildEmpty()
    {
        m_world->Teardown();
        m_anglers.clear();
        ASSERT_TRUE(m_world->Build(LakePath(), kDetail, m_rig->GetRenderer(), nullptr));
    }
    // The local rig and four computer rigs, new from the factory.
    std::vector<QrPointer<tovAnglerRig>> NewRigs()
    {
        tovAnglingRigFactory factory;
        std::vector<QrPointer<tovAnglerRig>> rigs;
        rigs.emplace_back(static_cast<tovAnglerRig*>(factory.CreateLocalRig(false).Get()));
        for (int i = 0; i < tovAnglingRigFactory::kComputerCount; ++i)
            rigs.emplace_back(static_cast<tovAnglerRig*>(factory.CreateComputerRig(true).Get()));
        return rigs;
    }
    QrPoint3 MapPosition(const tovAnglerRig& rig) const { return m_world->WorldToMap(rig.GetBoat()->GetPosition()); }

    std::unique_ptr<tovWorldSaveLink> m_link;
};

TEST_F(tovWorldSaveLinkTest, ADayUnderWayComesBackIntoAFreshWorld)
{
    ASSERT_TRUE(BuildDay(kDetail));
    m_world->GetWeather()->SetAuto(true);
    Step(10, 0.5);
    m_anglers[0]->AddToLivewell(3, 70, 18, 1.0f);
    m_anglers[0]->AddToLivewell(10, 22, 11, 0.8f);
    m_anglers[0]->SetAppearance(2, 3, 1);
    const int32_t other = m_world->GetLake()->GetCurrentSector() == 0 ? 1 : 0;
    m_world->SwitchSector(other);
    const int32_t sector = m_link->GetTerrainSector();
    EXPECT_EQ(sector, other);
    const tovWeatherRecord weather = m_link->GetWeather();
    std::vector<tovSavedGame::Angler> saved(m_anglers.size());
    std::vector<QrPoint3> places;
    for (size_t i = 0; i < m_anglers.size(); ++i)
    {
        m_link->GetAngler(*m_anglers[i], saved[i]);
        places.push_back(MapPosition(*m_anglers[i]));
    }
    EXPECT_EQ(saved[0].look, 2);
    EXPECT_EQ(saved[0].livewell[0], 2) << "two fish kept";
    plat::ByteWriter clock;
    TheGameClock().Save(clock);
    // The saved day goes on a little: a loaded one must come to the same weather.
    Step(4, 0.5);
    const tovWeatherRecord later = m_link->GetWeather();

    m_world->SetTerrainError(0.35f);
    m_link->KeepTerrainError();
    RebuildEmpty();
    EXPECT_EQ(m_world->GetTerrainError(), tovFishingWorld::kDefaultTerrainError);
    EXPECT_NE(m_link->GetWeather(), weather) << "a new day has weather of its own";
    plat::ByteReader restored(clock.Buffer().data(), clock.Size());
    ASSERT_TRUE(TheGameClock().Load(restored));
    m_link->RestoreWorld(sector, weather);
    EXPECT_EQ(m_world->GetLake()->GetCurrentSector(), sector);
    EXPECT_EQ(m_link->GetWeather(), weather);
    EXPECT_EQ(m_world->GetTerrainError(), 0.35f) << "the player's threshold goes on";
    m_anglers = NewRigs();
    for (size_t i = 0; i < m_anglers.size(); ++i)
        m_link->RestoreAngler(*m_anglers[i], saved[i]);
    EXPECT_EQ(m_world->GetPlayerBoat(), m_anglers[0]->GetBoat().Get());
    for (size_t i = 0; i < m_anglers.size(); ++i)
    {
        SCOPED_TRACE(i);
        tovSavedGame::Angler again;
        m_link->GetAngler(*m_anglers[i], again);
        // The boat's height rides the waves.
        again.position[1] = saved[i].position[1];
        EXPECT_EQ(again, saved[i]);
        EXPECT_NEAR(MapPosition(*m_anglers[i]).x, places[i].x, 1e-3f);
        EXPECT_NEAR(MapPosition(*m_anglers[i]).z, places[i].z, 1e-3f);
    }
    Step(4, 0.5);
    EXPECT_EQ(m_link->GetWeather(), later);
    // The loaded computer anglers go on fishing: they leave where they were loaded.
    Step(26, 0.5);
    float moved = 0.0f;
    for (size_t i = 1; i < m_anglers.size(); ++i)
    {
        const QrPoint3 now = MapPosition(*m_anglers[i]);
        moved = std::max(moved, std::hypot(now.x - places[i].x, now.z - places[i].z));
        EXPECT_TRUE(m_world->IsOnLake(m_anglers[i]->GetBoat()->GetPosition())) << i;
    }
    EXPECT_GT(moved, 1.0f);
}

// What a file may hold and the reader accepts: the world keeps its sector for one it does not
// have, keeps its weather for one it cannot go on from, and the far-off boats, odd looks and
// a livewell of garbage are stepped and drawn.
TEST_F(tovWorldSaveLinkTest, OddRecordsAreLoadedSteppedAndDrawn)
{
    // Nothing stood before this load: the world keeps its own threshold.
    m_link->KeepTerrainError();
    RebuildEmpty();
    const int32_t sector = m_world->GetLake()->GetCurrentSector();
    const tovWeatherRecord own = m_link->GetWeather();
    tovWeatherRecord odd;
    odd.air.value = 1e30f;
    odd.cloud.value = -7.0f;
    m_link->RestoreWorld(9999, odd);
    EXPECT_EQ(m_world->GetLake()->GetCurrentSector(), sector);
    EXPECT_EQ(m_world->GetTerrainError(), tovFishingWorld::kDefaultTerrainError);
    const tovWeatherRecord after = m_link->GetWeather();
    EXPECT_TRUE(after == own || (std::isfinite(after.air.value) && after.cloud.value >= 0.0f))
        << "refused, or taken within the weather's bounds";
    m_anglers = NewRigs();
    for (size_t i = 0; i < m_anglers.size(); ++i)
    {
        tovSavedGame::Angler a;
        a.id = -5 + static_cast<int32_t>(i);
        a.look = 1000;
        a.colour1 = INT32_MAX;
        a.colour2 = -3;
        a.paintScheme = 77;
        const float far = i % 2 == 0 ? 3e38f : -1e9f;
        a.position = {far, 0.0f, -far};
        a.rotation = {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, -1.0f, 1.0f, 0.5f};
        for (size_t k = 0; k < a.livewell.size(); ++k)
            a.livewell[k] = static_cast<uint8_t>(k * 37 + i);
        const int32_t count = 6;
        std::memcpy(a.livewell.data(), &count, 4);
        m_link->RestoreAngler(*m_anglers[i], a);
        EXPECT_LE(m_anglers[i]->GetLivewellCount(), 6);
    }
    Step(10, 0.2);
    Draw();
}

// The rig writes the profile's first look as the boat's paint scheme too: a look no screen
// makes, read from a profile file or set while the game runs, must still give a game that loads.
TEST_F(tovWorldSaveLinkTest, AnyProfileLookGivesAGameThatLoadsAgain)
{
    const tovUserProfile kept = TheUserProfile();
    for (const bool fromFile : {true, false})
    {
        SCOPED_TRACE(fromFile ? "read from a file" : "set while running");
        tovUserProfile odd;
        odd.SetLook(0, 2);
        odd.SetLook(1, 7);
        odd.SetLook(2, INT32_MIN);
        if (fromFile)
        {
            plat::ByteWriter out;
            odd.WriteBody(out);
            plat::ByteReader in(out.Buffer().data(), out.Size());
            ASSERT_TRUE(TheUserProfile().ReadBody(in));
            for (int32_t i = 0; i < tovAnglerLooks::kProfileLooks; ++i)
                EXPECT_TRUE(tovAnglerLooks::IsProfileLook(i, TheUserProfile().GetLook(i))) << i;
        }
        else
        {
            TheUserProfile() = odd;
        }
        tovSavedGame game;
        game.gameNumber = 1;
        game.lakeId = 0;
        game.weather.generatorState = 1234;
        game.profileName = "Odd";
        tovAnglingRigFactory factory;
        QrPointer<tovAnglerRigBase> rig = factory.CreateLocalRig(false);
        plat::ByteWriter clock;
        TheGameClock().Save(clock);
        std::copy_n(clock.Buffer().begin(), game.clock.size(), game.clock.begin());
        m_link->GetAngler(*rig, game.anglers.emplace_back());
        game.anglers[0].clock = game.clock;
        const std::vector<uint8_t> bytes = game.Write();
        tovSavedGame loaded;
        EXPECT_EQ(loaded.Read(bytes.data(), bytes.size()), tovSavedGame::ReadResult::kOk);
    }
    TheUserProfile() = kept;
}

} // namespace
