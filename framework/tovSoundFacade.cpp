#include "tovSoundFacade.h"

#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "SoundManager.h"
#include "WaveFormat.h"

tovSoundFacade* g_soundFacade = nullptr;

tovSoundFacade::tovSoundFacade()
{
    g_soundFacade = this;
}

tovSoundFacade::~tovSoundFacade()
{
    StopSoundManager();
    if (g_soundFacade == this)
        g_soundFacade = nullptr;
}

bool tovSoundFacade::Init(plat::WindowBackend* mainWindow)
{
    return InitSoundManager(mainWindow) == kSoundOk;
}

SoundRecord* tovSoundFacade::FindSound(ResourcePack* pack, uint32_t soundId)
{
    return static_cast<SoundRecord*>(ResourcePack::GetItem(kResourceSound, soundId, pack));
}

int16_t tovSoundFacade::Play(SoundRecord* record, bool loop, int32_t volume, SoundEndCallback onEnd,
                             uintptr_t callbackArg)
{
    if (!record)
        return kSoundOk;
    plat::WaveFormat format;
    if (!plat::WaveFormat::Parse(record->format, record->formatSize, format))
        return kSoundBufferFailed;
    // An earlier play of the record keeps playing; the word names the newest, and Stop and
    // SetParam reach every play of the record.
    return PlaySoundBuffer(format, record->data, record->size, loop, onEnd, callbackArg, &record->handle, volume);
}

void tovSoundFacade::Stop(SoundRecord* record)
{
    if (record && IsSoundOn())
        StopOwnedSounds(&record->handle);
}

void tovSoundFacade::SetParam(SoundRecord* record, int32_t volume)
{
    if (record)
        SetOwnedSoundsVolume(&record->handle, volume);
}
