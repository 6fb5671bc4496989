#pragma once
// What the ambient sound server needs of the sound code: pack sounds by id through the sound
// facade, WAVE files as streams through the sound manager. The server talks to this seam so
// that tests can stand a scripted player in for the real one.

#include "SoundRecord.h"

#include <cstdint>

class ResourcePack;

class AmbientSoundPlayer
{
public:
    virtual ~AmbientSoundPlayer() = default;

    // True when a sound really started; its end is then reported once through onEnd.
    virtual bool PlayId(ResourcePack* pack, uint32_t id, bool loop, int32_t volume, SoundEndCallback onEnd,
                        uintptr_t arg) = 0;
    virtual bool PlayFile(const char* path, bool loop, SoundEndCallback onEnd, uintptr_t arg, SoundHandle* handle,
                          int32_t volume) = 0;
    virtual void StopId(ResourcePack* pack, uint32_t id) = 0;
    virtual void StopFile(SoundHandle handle) = 0;
    virtual void SetIdVolume(ResourcePack* pack, uint32_t id, int32_t volume) = 0;
    virtual void SetFileVolume(SoundHandle handle, int32_t volume) = 0;
};

// The player over the sound facade and the sound manager.
AmbientSoundPlayer& SoundManagerAmbientPlayer();
