#include "tovWeighInPorts.h"

#include "tovAppServices.h"
#include "tovSoundFacade.h"

#include "qrxAmbientSound.h"

float tovWeighInPorts::FishSize(int32_t, float x, float low, float high, int32_t, float factor)
{
    return (low + (high - low) * x) * factor;
}

bool tovWeighInPorts::PlaySound(int32_t id, bool restart, SoundEndCallback onEnd, uintptr_t arg)
{
    SoundRecord* record = tovSoundFacade::FindSound(GetAppServices().GetMainPack(), static_cast<uint32_t>(id));
    if (record == nullptr || g_soundFacade == nullptr)
        return false;
    if (restart)
        g_soundFacade->Stop(record);
    return g_soundFacade->Play(record, false, 0, onEnd, arg) == 0;
}

void tovWeighInPorts::StopSound(int32_t id)
{
    SoundRecord* record = tovSoundFacade::FindSound(GetAppServices().GetMainPack(), static_cast<uint32_t>(id));
    if (record != nullptr && g_soundFacade != nullptr)
        g_soundFacade->Stop(record);
}

bool tovWeighInPorts::SetOpeningSound(bool allowed, SoundEndCallback, uintptr_t)
{
    if (qrxAmbientSound* ambient = GetAppServices().GetAmbientSound())
    {
        ambient->SetChannelAllowed(12, allowed, false);
        for (int channel : {1, 0, 7})
            ambient->SetChannelAllowed(channel, !allowed, false);
    }
    // The crowd does not wait for the opening sound's end.
    return false;
}

void tovWeighInPorts::SetLakeSounds(bool on)
{
    if (qrxAmbientSound* ambient = GetAppServices().GetAmbientSound())
        for (int channel : {1, 7})
            ambient->SetChannelEnabled(channel, on, false);
}
