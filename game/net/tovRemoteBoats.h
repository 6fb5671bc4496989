#pragma once
// The other players' boats in the fishing world during a network day. It is the session's rig
// factory and remover: a remote player's rig gets its boat and angler in the world at that
// player's start location, moved at once to where the player's first state puts it, and the rig
// of a player who left or was lost goes out of the world again. The session calls both on the
// main thread, from its frame step. The world's lake map is also the session's wire frame.

#include "QrPointer.h"
#include "tovAnglerRigBase.h"

#include <cstdint>
#include <vector>

class tovDirectPlay;
class tovFishingWorld;
class tovPlayerState;
class tovWorldServices;

class tovRemoteBoats
{
public:
    // A boat in the world that belongs to a network player, in lake-map x/z.
    struct Sighting
    {
        int32_t slot = -1;
        float x = 0.0f;
        float z = 0.0f;
    };

    explicit tovRemoteBoats(tovFishingWorld& world) : m_world(world) {}

    // The session's factory, remover and map conversions become this object's; Uninstall takes
    // them back, and the weather access too, before the world goes.
    void Install(tovDirectPlay& session);
    static void Uninstall(tovDirectPlay& session);

    // The rig of a remote player in `slot` from its first state (position already in world
    // x/z): its angler part applied, its boat in the world when a day's world stands.
    QrPointer<tovAnglerRigBase> Create(int32_t slot, const tovPlayerState& state, bool lowDetail);
    void Remove(tovAnglerRigBase* rig);

    // Every boat of the world that a network player drives (the local one too), by slot.
    static std::vector<Sighting> Sightings(const tovFishingWorld& world);

private:
    tovFishingWorld& m_world;
};

// Joins the session and the weather of the world's day: the host puts its weather's record into
// the shared parameters, and a client's weather takes the host's record. Without a day's
// weather neither does anything; a record a weather cannot continue from is refused.
void JoinSessionWeather(tovDirectPlay& session, tovWorldServices& world);
