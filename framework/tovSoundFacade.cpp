#include "tovSoundFacade.h"

tovSoundFacade* g_soundFacade = nullptr;

tovSoundFacade::tovSoundFacade()
{
    g_soundFacade = this;
}

tovSoundFacade::~tovSoundFacade()
{
    if (g_soundFacade == this)
        g_soundFacade = nullptr;
}

bool tovSoundFacade::Init(plat::WindowBackend* /*mainWindow*/)
{
    return true;
}

SoundRecord* tovSoundFacade::FindSound(ResourcePack* /*pack*/, uint32_t /*soundId*/)
{
    return nullptr;
}

int16_t tovSoundFacade::Play(SoundRecord* /*record*/, bool /*loop*/, int32_t /*volume*/, SoundEndCallback /*onEnd*/,
                             uintptr_t /*callbackArg*/)
{
    return 0;
}

void tovSoundFacade::Stop(SoundRecord* /*record*/) {}

void tovSoundFacade::SetParam(SoundRecord* /*record*/, int32_t /*volume*/) {}
