// A day fished from any player's start of any sample lake can bring a strike: the day's fish live
// around the start a network player is given, and a lure cast off the bow there and left at rest
// must come within their reach. Each lake's own species tables, the fish seeded as a day's are,
// second-long steps and a day's length as the bound.
#include "FishingWorldHarness.h"

#include "tovCastController.h"
#include "tovFishModels.h"
#include "tovGameClock.h"
#include "tovLakeCatalogue.h"
#include "tovLocalRig.h"
#include "tovTackleSet.h"
#include "tovUserProfile.h"

#include "tovBoat.h"
#include "tovLake.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace
{

using C = tovCastController;

// The sample data's lake packs.
constexpr int32_t kPacks = 4;

class tovStartStrikeTest : public FishingWorldHarness, public ::testing::WithParamInterface<int32_t>
{
protected:
    void TearDown() override
    {
        m_control.reset();
        TheLakeCatalogue().Clear();
        FishingWorldHarness::TearDown();
    }

    tovFishPopulation& Population() { return m_world->GetFish()->GetPopulation(); }

    // The player's boat at start `slot` with the day's fish around it, and a fresh rod.
    void StartAt(int32_t slot)
    {
        m_control.reset();
        m_world->PlaceBoatAtStart(*m_world->GetPlayerBoat(), slot);
        auto* local = static_cast<tovLocalRig*>(m_anglers.front().Get());
        m_profile.SetDefaults(false);
        // A name no file can have: the profile is never saved.
        m_profile.SetName(".", false);
        m_tackle.SetReload(true);
        m_control = std::make_unique<C>(*m_world, *local, m_profile, m_tackle);
        m_control->LoadTackleSet();
    }

    // As the scripted fishers cast: a click high in the middle of the view, off the bow; true
    // once the lure rests in the water.
    bool CastOffTheBow()
    {
        Step(2);
        m_control->OnMouse(320, 120, C::kLeft, 0, C::kLeft);
        m_control->OnMouse(320, 120, 0, C::kLeft, 0);
        for (int i = 0; i < 40 && m_control->GetPhase() != C::kRetrieve; ++i)
        {
            Step(1);
            m_control->Update(m_now, 1.0 / 30.0);
        }
        return m_control->GetPhase() == C::kRetrieve;
    }

    // Seconds until the first strike on the lure at rest, in second-long steps as the scripts
    // fish; -1 when none comes within the day (its length on the clock of the player's world).
    int32_t SecondsToStrike()
    {
        const auto day = int32_t(TheGameClock().GetRealLength());
        for (int32_t second = 1; second <= day; ++second)
        {
            m_now += 1.0;
            Population().Update(m_now, 1.0);
            m_control->Update(m_now, 1.0);
            if (Population().TakeStrike() >= 0)
                return second;
        }
        return -1;
    }

    tovUserProfile m_profile;
    tovTackleSet m_tackle;
    std::unique_ptr<C> m_control;
};

// Each lake pack of the sample data in turn (its own species tables), five seeds of the day's fish.
TEST_P(tovStartStrikeTest, ADayFromEveryStartBringsAStrike)
{
    tovLakeCatalogue& lakes = TheLakeCatalogue();
    lakes.Clear();
    lakes.SelectLakeByIndex(nullptr, GetParam());
    ASSERT_EQ(lakes.GetEntries().size(), size_t(kPacks)) << "a case for every lake pack";
    const tovLakeValues lake = lakes.GetValues();
    SCOPED_TRACE(lake.text);
    for (const uint32_t seed : {3u, 8u, 9u, 10u, 11u})
    {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_TRUE(BuildDay(0.3f, lake.descriptionPath, lake.speciesTables, lake.speciesTriples, seed));
        const int32_t starts = int32_t(m_world->GetLake()->GetDesc().starts.size());
        ASSERT_GE(starts, 5) << "a start for every player of a network game";
        for (int32_t slot = 0; slot < starts; ++slot)
        {
            SCOPED_TRACE("start " + std::to_string(slot));
            StartAt(slot);
            ASSERT_TRUE(CastOffTheBow());
            EXPECT_GE(SecondsToStrike(), 0) << "no strike in a day";
        }
        m_control.reset();
        m_world->Teardown();
    }
}

INSTANTIATE_TEST_SUITE_P(Packs, tovStartStrikeTest, ::testing::Range(0, kPacks));

} // namespace
