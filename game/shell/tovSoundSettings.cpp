#include "tovSoundSettings.h"

#include "ButtonObj.h"
#include "qrxAmbientSound.h"
#include "qrxBaseApp.h"
#include "tovAppServices.h"
#include "tovInstallSettings.h"
#include "tovSoundFacade.h"
#include "tovUserProfile.h"

#include <algorithm>
#include <initializer_list>

namespace
{

constexpr float kStep = 1.0f / 15.0f;
constexpr std::initializer_list<int> kMenuChannels = {1, 0, 7};
constexpr std::initializer_list<int> kLakeChannels = {2, 3, 4, 5, 6, 8, 9, 10, 11};

struct SoundLevel
{
    float level = 1.0f;
    int32_t attenuation = 0;
};

SoundLevel g_level1;
SoundLevel g_level2;

void AllowChannels(std::initializer_list<int> channels, bool allowed)
{
    qrxAmbientSound* ambient = GetAppServices().GetAmbientSound();
    if (!ambient)
        return;
    for (int channel : channels)
        ambient->SetChannelAllowed(channel, allowed, allowed);
}

float ApplyLevel(SoundLevel& level, float value, std::initializer_list<int> channels)
{
    level.level = std::clamp(value, 0.0f, 1.0f);
    level.attenuation = static_cast<int32_t>(level.level * 2500.0f - 2500.0f);
    if (qrxAmbientSound* ambient = GetAppServices().GetAmbientSound())
        for (int channel : channels)
            ambient->SetChannelUserVolume(channel, level.level);
    return level.level;
}

} // namespace

float SetSoundVolume1(float value)
{
    const float level = ApplyLevel(g_level1, value, kMenuChannels);
    TheUserProfile().SetVolume1(level);
    return level;
}

float SetSoundVolume2(float value)
{
    const float level = ApplyLevel(g_level2, value, kLakeChannels);
    TheUserProfile().SetVolume2(level);
    // Button clicks are effect sounds too.
    ButtonObj::SetClickVolume(g_level2.attenuation);
    return level;
}

void StepSoundVolume1(int32_t steps)
{
    SetSoundVolume1(static_cast<float>(steps) * kStep + g_level1.level);
}

void StepSoundVolume2(int32_t steps)
{
    SetSoundVolume2(static_cast<float>(steps) * kStep + g_level2.level);
}

float GetSoundVolume1()
{
    return g_level1.level;
}

float GetSoundVolume2()
{
    return g_level2.level;
}

int32_t GetSoundAttenuation1()
{
    return g_level1.attenuation;
}

int32_t GetSoundAttenuation2()
{
    return g_level2.attenuation;
}

void PlayEffectSound(uint32_t id)
{
    PlayEffectSoundFrom(GetAppServices().GetMainPack(), id);
}

void PlayEffectSoundFrom(ResourcePack* pack, uint32_t id)
{
    if (!pack || !TheUserProfile().GetEffectSounds() || !g_soundFacade)
        return;
    if (SoundRecord* sound = tovSoundFacade::FindSound(pack, id))
        g_soundFacade->Play(sound, false, g_level2.attenuation);
}

void AddSharedSoundChannels(qrxAmbientSound& ambient)
{
    struct Channel
    {
        int channel;
        const char* file;
        bool uncounted;
        bool setRepeats;
        bool looping;
    };
    static constexpr Channel kChannels[] = {
        {1, "aud06.wav", true, false, true},
        {0, "fishfght.wav", false, true, true},
        {12, "spin.wav", false, true, false},
    };
    for (const Channel& c : kChannels)
    {
        ambient.AddChannelFile(c.channel, AmbientFilePath(c.file).c_str(), false);
        ambient.SetChannelUncounted(c.channel, c.uncounted);
        ambient.SetChannelDelay(c.channel, -1.0, -1.0, true);
        ambient.SetChannelShuffle(c.channel, true);
        ambient.SetChannelLevel(c.channel, 0);
        if (c.setRepeats)
            ambient.SetChannelRepeats(c.channel, false);
        ambient.SetChannelVolume(c.channel, 1.0f);
        ambient.SetChannelEnabled(c.channel, true, false);
        ambient.SetChannelAllowed(c.channel, false, false);
        ambient.SetChannelLooping(c.channel, c.looping);
    }
}

void EnableSoundGroups1And7()
{
    AllowChannels({1, 7}, true);
}

void DisableMenuSoundGroups()
{
    AllowChannels(kMenuChannels, false);
}

void EnableLakeSoundGroups()
{
    AllowChannels(kLakeChannels, true);
}

void DisableLakeSoundGroups()
{
    AllowChannels(kLakeChannels, false);
}

void ShowAppCursor(bool show)
{
    SetAppCursorVisible(show);
}
