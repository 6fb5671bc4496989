// A remote player's rig in the day's world on the sample lake: where its boat appears, that it
// never takes the player's place, and that it goes again.

#include "FishingWorldHarness.h"
#include "tovLake.h"

#include "tovAngler.h"
#include "tovBoat.h"
#include "tovBoatState.h"
#include "tovPlayerState.h"
#include "tovRemoteBoats.h"
#include "tovRemoteRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

class tovRemoteBoatsTest : public FishingWorldHarness
{
protected:
    bool InWorld(const tovAnglerRigBase* rig) const
    {
        const auto& anglers = m_world->GetAnglers();
        return std::any_of(anglers.begin(), anglers.end(), [rig](const auto& a) { return a.Get() == rig; });
    }
    // Where the world puts a boat at that slot's start.
    QrPoint3 StartOf(int32_t slot)
    {
        QrPointer<tovBoat> boat(new tovBoat(0.0f));
        m_world->PlaceBoatAtStart(*boat, slot);
        return boat->GetPosition();
    }
    static tovPlayerState StateAt(const QrPoint3& position)
    {
        tovPlayerState state;
        state.m_paintScheme = 2;
        state.m_position = position;
        state.m_changeMask = tovBoatState::kAllMask;
        state.block[tovAnglerState::kPhaseWord] = 1;
        return state;
    }
};

TEST_F(tovRemoteBoatsTest, ARemoteBoatJoinsTheWorldWhereItsStateSaysAndLeavesWithItsPlayer)
{
    ASSERT_TRUE(BuildDay(0.0f)) << m_world->LastError();
    tovBoat* const player = m_world->GetPlayerBoat();
    ASSERT_NE(player, nullptr);
    tovRemoteBoats boats(*m_world);

    const QrPoint3 there = player->GetPosition() + QrPoint3(0.3f, 0.0f, -0.2f);
    QrPointer<tovAnglerRigBase> rig = boats.Create(1, StateAt(there), true);
    auto* remote = dynamic_cast<tovRemoteRig*>(rig.Get());
    ASSERT_NE(remote, nullptr);
    EXPECT_TRUE(InWorld(remote));
    EXPECT_EQ(m_world->GetPlayerBoat(), player) << "a remote boat never becomes the player's";
    EXPECT_EQ(remote->GetMode(), tovAnglerRig::kModeDriving) << "its first state's angler part is applied";
    QrPointer<tovBoat> boat = remote->GetBoat();
    EXPECT_FLOAT_EQ(boat->GetPosition().x, there.x);
    EXPECT_FLOAT_EQ(boat->GetPosition().z, there.z);
    EXPECT_EQ(boat->GetAnglerNode(), remote->GetAngler());

    // A first state whose position is not finite or lies off the lake's map leaves the boat at
    // its slot's start.
    const QrPoint3 start = StartOf(2);
    const QrPoint3 offMap[] = {
        QrPoint3(std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f),
        QrPoint3(3e38f, 0.0f, there.z),
        QrPoint3(-1e6f, 0.0f, there.z),
        QrPoint3(there.x, 0.0f, -1e6f),
        QrPoint3(there.x, 0.0f, 1e6f),
        QrPoint3(there.x, 3e38f, there.z),
    };
    for (const QrPoint3& p : offMap)
    {
        QrPointer<tovAnglerRigBase> hostile = boats.Create(2, StateAt(p), true);
        QrPointer<tovBoat> hostileBoat = dynamic_cast<tovAnglerRig&>(*hostile).GetBoat();
        EXPECT_FLOAT_EQ(hostileBoat->GetPosition().x, start.x) << p.x << " " << p.y << " " << p.z;
        EXPECT_FLOAT_EQ(hostileBoat->GetPosition().z, start.z) << p.x << " " << p.y << " " << p.z;
        boats.Remove(hostile.Get());
    }
    // Half a cell past each edge of the map is off it; half a cell inside is on it.
    const tovLake& lake = *m_world->GetLake();
    const float w = float(lake.GetMaskWidth());
    const float h = float(lake.GetMaskHeight());
    const struct
    {
        QrPoint3 map;
        bool taken;
    } edges[] = {
        {{w + 0.5f, 0.0f, h / 2}, false}, {{-0.5f, 0.0f, h / 2}, false},   {{w / 2, 0.0f, h + 0.5f}, false},
        {{w / 2, 0.0f, -0.5f}, false},    {{w - 0.5f, 0.0f, h / 2}, true}, {{w / 2, 0.0f, 0.5f}, true},
    };
    for (const auto& edge : edges)
    {
        const QrPoint3 at = m_world->MapToWorld(edge.map);
        QrPointer<tovAnglerRigBase> rig2 = boats.Create(2, StateAt(at), true);
        const QrPoint3 got = dynamic_cast<tovAnglerRig&>(*rig2).GetBoat()->GetPosition();
        const QrPoint3 expected = edge.taken ? at : start;
        EXPECT_FLOAT_EQ(got.x, expected.x) << edge.map.x << " " << edge.map.z;
        EXPECT_FLOAT_EQ(got.z, expected.z) << edge.map.x << " " << edge.map.z;
        boats.Remove(rig2.Get());
    }
    QrPointer<tovAnglerRigBase> second = boats.Create(2, StateAt(offMap[0]), true);
    QrPointer<tovBoat> secondBoat = dynamic_cast<tovAnglerRig&>(*second).GetBoat();

    // The world steps them with the rest (no session: by their own motion) and lets them go.
    Step(3);
    EXPECT_EQ(m_world->GetPlayerBoat(), player);
    boats.Remove(rig.Get());
    boats.Remove(second.Get());
    EXPECT_FALSE(InWorld(rig.Get()));
    EXPECT_FALSE(InWorld(second.Get()));
    EXPECT_EQ(boat->GetParent(), nullptr) << "its boat left the scene";
    EXPECT_EQ(m_world->GetAnglers().size(), m_anglers.size());

    // Between days the rig is still made, for the session, but stays out of the world.
    m_world->Teardown();
    QrPointer<tovAnglerRigBase> later = boats.Create(1, StateAt(there), true);
    EXPECT_NE(later.Get(), nullptr);
    EXPECT_TRUE(m_world->GetAnglers().empty());
}

} // namespace
