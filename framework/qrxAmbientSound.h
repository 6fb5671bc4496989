#pragma once
// The ambient sound server: thirteen channels, each with a list of sounds (pack ids or WAVE
// files) played one after another with random pauses, limited in how many overlap, with two
// volume factors. One instance, made by the game at start-up and stepped once a frame.
// Sound ends reach it on the main thread (the sound manager delivers them at frame start).

#include "BaseObject.h"
#include "SoundRecord.h"
#include "qrxIdleObject.h"
#include "uRandom.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AmbientSoundPlayer;
class ResourcePack;

// Called after each sound of a channel ends: (argument, channel, sound name).
using AmbientEndCallback = void (*)(uintptr_t arg, int channel, const char* name);

class qrxAmbientSound : public BaseObject, public qrxIdleObject
{
public:
    static constexpr int kChannelCount = 13;
    static constexpr int kStatusLineCount = 6;

    // player: null for the sound facade and sound manager.
    explicit qrxAmbientSound(AmbientSoundPlayer* player = nullptr);
    ~qrxAmbientSound() override;

    void AddChannelSoundId(int channel, int id, bool unique);
    void AddChannelFile(int channel, const char* path, bool unique);
    void SetChannelUncounted(int channel, bool on);
    void SetChannelLooping(int channel, bool on);
    void SetChannelShuffle(int channel, bool on);
    void SetChannelRepeats(int channel, bool on);
    void SetChannelLevel(int channel, int level);
    void SetChannelEndCallback(int channel, AmbientEndCallback callback, uintptr_t arg);
    void SetChannelEnabled(int channel, bool on, bool letFinish);
    void SetChannelAllowed(int channel, bool on, bool letFinish);
    void SetChannelVolume(int channel, float volume);
    void SetChannelUserVolume(int channel, float factor);
    void SetChannelDelay(int channel, double shortest, double longest, bool reschedule);
    bool IsChannelPlaying(int channel) const;
    // A channel plays only while it is both enabled and allowed.
    bool IsChannelEnabled(int channel) const;
    bool IsChannelAllowed(int channel) const;
    size_t GetChannelSoundCount(int channel) const;
    void StopChannel(int channel);

    void OnIdle(double elapsed);
    void Update(double now, double elapsed) override;

    int GetStatusLineCount() const { return kStatusLineCount; }
    std::string GetStatusText(int line) const;

    // For tests and the debug overlay.
    int GetActualCount() const { return m_actualCount; }
    int GetVirtualCount() const { return m_virtualCount; }
    double GetCountdown(int channel) const;
    const std::string& GetCurrentName(int channel) const;

    bool m_playAmbientSound = true;

private:
    struct Channel;
    struct EndRecord;

    Channel* At(int channel) const;
    void ScheduleChannel(Channel& channel);
    void PlayNext(Channel& channel);
    void ShuffleChannel(Channel& channel);
    void PlayChannel(Channel& channel, const std::string& name);
    void ApplyVolume(Channel& channel);
    static void ChannelSoundEnded(uintptr_t record);
    void ChannelEnded(int channel, const std::string& name, bool counted);

    AmbientSoundPlayer& m_player;
    std::vector<std::unique_ptr<Channel>> m_channels;
    int m_actualCount = 0;
    int m_virtualCount = 0;
    uRandom m_random{1};
    int32_t m_seed = 0;
    // Ends not yet reported; orphaned if the server goes first.
    std::vector<EndRecord*> m_pending;
};

// The pack that id sounds are looked up in (the main pack).
void SetAmbientSoundPack(ResourcePack* pack);
ResourcePack* GetAmbientSoundPack();
