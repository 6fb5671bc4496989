#include "tovWeighInPorts.h"

#include "tovAnglerRig.h"
#include "tovAppServices.h"
#include "tovFishSpecies.h"
#include "tovGameSession.h"
#include "tovSoundFacade.h"

#include "qrxAmbientSound.h"

namespace
{

// The local player's rig, or null outside a game.
tovAnglerRig* LocalRig()
{
    tovGameSession* session = TheGameSession();
    if (session == nullptr)
        return nullptr;
    return dynamic_cast<tovAnglerRig*>(session->GetCurrentAngler().Get());
}

} // namespace

std::vector<int32_t> tovWeighInPorts::LivewellWeights()
{
    std::vector<int32_t> weights;
    if (const tovAnglerRig* rig = LocalRig())
        for (const tovLivewellFish& fish : rig->GetLivewell().places)
            if (fish.inUse != 0)
                weights.push_back(fish.weightOunces);
    return weights;
}

int32_t tovWeighInPorts::TakeLivewellFish(int32_t place)
{
    tovAnglerRig* rig = LocalRig();
    if (rig == nullptr || place < 0 || place >= tovLivewell::kPlaceCount)
        return -1;
    const tovLivewellFish& fish = rig->GetLivewell().places[size_t(place)];
    if (fish.inUse == 0)
        return -1;
    const int32_t ounces = fish.weightOunces;
    rig->RemoveFromLivewell(place);
    return ounces;
}

void tovWeighInPorts::ReleaseLivewellFish(int32_t ounces)
{
    tovAnglerRig* rig = LocalRig();
    if (rig == nullptr)
        return;
    for (int32_t place = 0; place < tovLivewell::kPlaceCount; ++place)
    {
        const tovLivewellFish& fish = rig->GetLivewell().places[size_t(place)];
        if (fish.inUse != 0 && fish.weightOunces == ounces)
        {
            rig->RemoveFromLivewell(place);
            return;
        }
    }
}

float tovWeighInPorts::FishSize(int32_t species, float x, float low, float high, int32_t skill, float factor)
{
    float weight = 0.0f, length = 0.0f;
    DrawFishSizeForSpecies(species, weight, length, x, low, high, skill, 0, factor);
    return weight;
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
