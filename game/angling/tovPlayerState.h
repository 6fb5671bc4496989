#pragma once
// A player's whole state: the boat part and the angler part, as messages and saved games carry
// it. Built fresh with its angler part reset.

#include "tovAnglerState.h"
#include "tovBoatState.h"

class tovAnglerRig;

class tovPlayerState : public tovBoatState, public tovAnglerState
{
public:
    tovPlayerState() = default;

    // Angler value, angler part and boat part.
    void CopyPlayerState(const tovPlayerState& other);
};

// A received record's angler part on a rig: a differing angler value goes to the rig's setter,
// then the phase moves the angler.
void ApplyAnglerStateRecord(tovAnglerRig& rig, const tovAnglerState& record);
// The rig's angler part for sending, then its boat's live state when it has a boat.
void FillPlayerState(const tovAnglerRig& rig, tovPlayerState& record);
