#pragma once
// Another player's angler and boat in the local world: a rig driven each frame by the state
// records that player sends instead of by local input. Between records its boat runs on by its
// own motion model.

#include "tovAnglerRig.h"
#include "tovBoat.h"

#include <cstdint>

class tovBoatState;
class tovPlayerState;

class tovRemoteRig : public tovAnglerRig
{
public:
    tovRemoteRig(int32_t paintScheme, int32_t word0, int32_t word1, int32_t word2, bool lowDetail);
    // The rig of a player's first state: its paint scheme, angler words and angler value (the
    // session's rig factory).
    static QrPointer<tovRemoteRig> FromState(const tovPlayerState& state, bool lowDetail);

    // A received angler part moves the angler, then the rig steps as any other.
    void Idle(double now, double elapsed) override;

    // The remote boat's step: its live state, a newly received record merged in, one motion
    // step, the other boats, the pose.
    static void ApplyBoatState(tovBoat& boat, double now, double elapsed);

private:
    ~tovRemoteRig() override = default;
};

// A boat whose per-frame step is the remote one.
QrPointer<tovBoat> NewRemoteBoat(bool lowDetail);

// A received record's groups, by its change mask, onto a record; the masks are ORed. Groups
// holding values that are not finite are left out.
void MergeReceivedBoatState(tovBoatState& record, const tovBoatState& received);
