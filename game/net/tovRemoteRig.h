#pragma once
// Another player's angler and boat in the local world: a rig driven each frame by the state
// records that player sends instead of by local input. Between records its boat runs on by its
// own motion model. The angler figure in the boat follows the rig's mode.

#include "tovAnglerRig.h"
#include "tovBoat.h"

#include <cstdint>

class tovAngler;
class tovBoatState;
class tovPlayerState;

class tovRemoteRig : public tovAnglerRig
{
public:
    tovRemoteRig(int32_t paintScheme, int32_t word0, int32_t word1, int32_t word2, bool lowDetail);
    // The rig of a player's first state: its paint scheme, angler words and angler value (the
    // session's rig factory).
    static QrPointer<tovRemoteRig> FromState(const tovPlayerState& state, bool lowDetail);

    // A received angler part moves the angler, then the rig steps as any other and the figure
    // takes the pose of the rig's mode.
    void Idle(double now, double elapsed) override;

    tovAngler* GetAngler() const { return m_angler.Get(); }

    // The remote boat's step: its live state, a newly received record merged in, one motion
    // step, the other boats, the pose.
    static void ApplyBoatState(tovBoat& boat, double now, double elapsed);

private:
    ~tovRemoteRig() override;
    // The figure's pose for a mode the rig entered since the last frame.
    void FollowMode();

    QrPointer<tovAngler> m_angler;
    // The mode the figure shows.
    int32_t m_shownMode = kModeSeated;
};

// A boat whose per-frame step is the remote one, at the profile's detail.
QrPointer<tovBoat> NewRemoteBoat();

// A received record's groups, by its change mask, onto a record; the masks are ORed. Groups
// holding values that are not finite are left out.
void MergeReceivedBoatState(tovBoatState& record, const tovBoatState& received);
