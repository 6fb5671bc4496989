#pragma once
// The one object through which the program uses sound: start-up initialises the sound manager
// through it, and screens, buttons and the boat find effect sounds by id in a resource pack and
// play, stop and re-volume them. It keeps no state; one program-wide instance.

#include "BaseObject.h"
#include "SoundRecord.h"

#include <cstdint>

class ResourcePack;

namespace plat
{
class WindowBackend;
}

class tovSoundFacade : public BaseObject
{
public:
    tovSoundFacade();
    // Stops the sound manager.
    ~tovSoundFacade() override;

    // Starts the sound manager; true when sound runs or the player chose to go on without it.
    bool Init(plat::WindowBackend* mainWindow);

    // The sound item (type 0x80000004) with this id, or null when the pack lacks it or its
    // group is not loaded.
    static SoundRecord* FindSound(ResourcePack* pack, uint32_t soundId);

    // Every operation ignores a null record. Volume in hundredths of a decibel (0 full,
    // -10000 silent). Play returns the sound manager's code: 0 success (or sound off).
    int16_t Play(SoundRecord* record, bool loop, int32_t volume, SoundEndCallback onEnd = nullptr,
                 uintptr_t callbackArg = 0);
    // Stops every playing sound of the record.
    void Stop(SoundRecord* record);
    void SetParam(SoundRecord* record, int32_t volume);
};

// The program-wide facade, set by its constructor.
extern tovSoundFacade* g_soundFacade;
