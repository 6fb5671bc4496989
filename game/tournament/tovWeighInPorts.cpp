#include "tovWeighInPorts.h"

#include "tovAnglerRig.h"
#include "tovAppServices.h"
#include "tovFishSpecies.h"
#include "tovGameSession.h"
#include "tovSoundFacade.h"
#include "tovSoundSettings.h"

#include "SoundManager.h"

#include "qrxAmbientSound.h"

namespace
{

// The ambient channel of the opening clip's sound.
constexpr int kOpeningChannel = 12;

// The local player's rig, or null outside a game.
tovAnglerRig* LocalRig()
{
    tovGameSession* session = TheGameSession();
    if (session == nullptr)
        return nullptr;
    return dynamic_cast<tovAnglerRig*>(session->GetCurrentAngler().Get());
}

} // namespace

tovWeighInPorts::~tovWeighInPorts()
{
    // The channel must not call back into ports that are gone.
    if (m_openingEnd != nullptr)
        if (qrxAmbientSound* ambient = GetAppServices().GetAmbientSound())
            ambient->SetChannelEndCallback(kOpeningChannel, nullptr, 0);
}

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

bool tovWeighInPorts::SetOpeningSound(bool allowed, SoundEndCallback onEnd, uintptr_t arg)
{
    qrxAmbientSound* ambient = GetAppServices().GetAmbientSound();
    m_openingEnd = onEnd;
    m_openingArg = arg;
    if (ambient == nullptr)
        return false;
    ambient->SetChannelEndCallback(kOpeningChannel, onEnd ? &OnOpeningChannelEnd : nullptr,
                                   reinterpret_cast<uintptr_t>(this));
    ambient->SetChannelAllowed(kOpeningChannel, allowed, true);
    // Without a sound to play, or with the sound off, no end will come; once disallowed, only
    // a sound already playing still ends.
    if (!allowed)
        return onEnd != nullptr && ambient->IsChannelPlaying(kOpeningChannel) && IsSoundOn();
    return ambient->GetChannelSoundCount(kOpeningChannel) > 0 && IsSoundOn();
}

void tovWeighInPorts::OnOpeningChannelEnd(uintptr_t self, int, const char*)
{
    const auto* ports = reinterpret_cast<const tovWeighInPorts*>(self);
    if (ports->m_openingEnd != nullptr)
        ports->m_openingEnd(ports->m_openingArg);
}

void tovWeighInPorts::SetLakeSounds(bool on)
{
    if (on)
    {
        EnableSoundGroups1And7();
        return;
    }
    DisableMenuSoundGroups();
    DisableLakeSoundGroups();
}
