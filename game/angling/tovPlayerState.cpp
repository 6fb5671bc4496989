#include "tovPlayerState.h"

#include "tovAnglerRig.h"

void tovPlayerState::CopyPlayerState(const tovPlayerState& other)
{
    static_cast<tovBoatState&>(*this) = other;
    CopyAnglerPart(other);
    anglerValue = other.anglerValue;
}

void ApplyAnglerStateRecord(tovAnglerRig& rig, const tovAnglerState& record)
{
    rig.ApplyAnglerState(record);
}

void FillPlayerState(const tovAnglerRig& rig, tovPlayerState& record)
{
    rig.FillAnglerState(record);
    rig.CaptureBoatState(record);
}
