// The sky's weather channels of the ambient sound: rain, wind, thunder under an overcast, the
// fair-weather sounds, and the underwater sounds that take over below the surface.

#include "tovSky.h"

#include "tovWeather.h"

#include "qrxAmbientSound.h"

#include <initializer_list>
#include <span>

namespace
{

struct WeatherChannel
{
    int channel;
    std::initializer_list<int> ids;
    bool uncounted;
    bool looping;
    double shortest, longest;
    int level;
};

// In the order they are configured.
const WeatherChannel kWeatherChannels[] = {
    {3, {6066}, true, true, -1, -1, 0},
    {4, {6054}, false, false, 5, 15, 1},
    {5, {6047, 6050, 6051, 6052}, false, false, 5, 15, 1},
    {6, {6068}, false, false, 10, 20, 0},
    {9, {6050}, false, false, 5, 15, 1},
    {7, {6062}, true, true, -1, -1, 0},
    {8, {6053, 6045}, false, false, 5, 15, 1},
    {10, {6059}, false, false, 15, 25, 1},
    {11, {6063}, true, true, -1, -1, 0},
};

constexpr int kRainChannel = 3;
constexpr int kThunderChannel = 6;
constexpr int kWindChannel = 11;
const int kAboveWaterChannels[] = {1, 2, 3, 4, 5, 6, 9, 10, 11};
const int kBelowWaterChannels[] = {7, 8};

} // namespace

void tovSky::StartWeatherSound()
{
    for (const WeatherChannel& c : kWeatherChannels)
    {
        for (int id : c.ids)
            m_ambient->AddChannelSoundId(c.channel, id, true);
        m_ambient->SetChannelUncounted(c.channel, c.uncounted);
        if (c.looping)
            m_ambient->SetChannelLooping(c.channel, true);
        m_ambient->SetChannelDelay(c.channel, c.shortest, c.longest, true);
        m_ambient->SetChannelShuffle(c.channel, true);
        m_ambient->SetChannelLevel(c.channel, c.level);
        m_ambient->SetChannelRepeats(c.channel, false);
        m_ambient->SetChannelVolume(c.channel, 1.0f);
        m_ambient->SetChannelEnabled(c.channel, false, true);
        m_ambient->SetChannelAllowed(c.channel, true, false);
        m_allowed[size_t(c.channel)] = 1;
    }
}

void tovSky::AllowChannel(int channel, bool on, bool letFinish)
{
    int8_t& allowed = m_allowed[size_t(channel)];
    if (allowed == int8_t(on))
        return;
    allowed = int8_t(on);
    m_ambient->SetChannelAllowed(channel, on, letFinish);
}

void tovSky::SwitchChannelsForWater(bool above)
{
    const std::span<const int> on = above ? std::span<const int>(kAboveWaterChannels) : kBelowWaterChannels;
    const std::span<const int> off = above ? std::span<const int>(kBelowWaterChannels) : kAboveWaterChannels;
    for (int channel : off)
        m_ambient->SetChannelEnabled(channel, false, false);
    for (int channel : on)
        m_ambient->SetChannelEnabled(channel, true, false);
    m_ambientAbove = above ? 1 : 0;
}

void tovSky::UpdateAmbientChannels()
{
    if (!m_ambientSwitching || !m_ambient)
        return;
    if (!m_above)
    {
        if (m_ambientAbove != 0)
            SwitchChannelsForWater(false);
        return;
    }
    if (m_ambientAbove != 1)
        SwitchChannelsForWater(true);
    if (!m_weather)
        return;

    if (m_weather->IsRaining())
    {
        m_ambient->SetChannelVolume(kRainChannel, m_weather->GetRain());
        if (!m_ambient->IsChannelPlaying(kRainChannel))
            AllowChannel(kRainChannel, true, false);
    }
    else
    {
        AllowChannel(kRainChannel, false, false);
    }
    if (m_weather->GetWind() > 0.7f)
    {
        m_ambient->SetChannelVolume(kWindChannel, m_weather->GetWind());
        if (!m_ambient->IsChannelPlaying(kWindChannel))
            AllowChannel(kWindChannel, true, false);
    }
    else
    {
        AllowChannel(kWindChannel, false, false);
    }
    const bool overcast = m_weather->IsOvercast();
    if (overcast)
    {
        m_ambient->SetChannelVolume(kThunderChannel, m_weather->GetOvercastDepth());
        AllowChannel(kThunderChannel, true, false);
    }
    else
    {
        AllowChannel(kThunderChannel, false, true);
    }
    if (m_weather->IsRaining())
    {
        AllowChannel(5, false, true);
        AllowChannel(9, m_weather->GetRainLevel() <= 2, true);
        AllowChannel(4, !overcast, true);
    }
    else
    {
        AllowChannel(5, true, true);
        AllowChannel(9, true, true);
        AllowChannel(4, false, true);
    }
}
