#include "AmbientSoundPlayer.h"

#include "SoundManager.h"
#include "tovSoundFacade.h"

namespace
{

class FacadePlayer : public AmbientSoundPlayer
{
public:
    bool PlayId(ResourcePack* pack, uint32_t id, bool loop, int32_t volume, SoundEndCallback onEnd,
                uintptr_t arg) override
    {
        SoundRecord* record = tovSoundFacade::FindSound(pack, id);
        if (!record || !g_soundFacade)
            return false;
        const SoundHandle before = record->handle;
        // Sound off answers 0 without playing: no end would ever come, so that is no start.
        return g_soundFacade->Play(record, loop, volume, onEnd, arg) == kSoundOk && record->handle != 0 &&
               record->handle != before;
    }
    bool PlayFile(const char* path, bool loop, SoundEndCallback onEnd, uintptr_t arg, SoundHandle* handle,
                  int32_t volume) override
    {
        return PlaySoundStream(path, loop, onEnd, arg, handle, volume) == kSoundOk && *handle != 0;
    }
    void StopId(ResourcePack* pack, uint32_t id) override
    {
        if (g_soundFacade)
            g_soundFacade->Stop(tovSoundFacade::FindSound(pack, id));
    }
    void StopFile(SoundHandle handle) override { StopSound(handle); }
    void SetIdVolume(ResourcePack* pack, uint32_t id, int32_t volume) override
    {
        if (g_soundFacade)
            g_soundFacade->SetParam(tovSoundFacade::FindSound(pack, id), volume);
    }
    void SetFileVolume(SoundHandle handle, int32_t volume) override { SetSoundVolume(handle, volume); }
};

} // namespace

AmbientSoundPlayer& SoundManagerAmbientPlayer()
{
    static FacadePlayer player;
    return player;
}
