#include "qrxAmbientSound.h"

#include "AmbientSoundPlayer.h"
#include "FileHelpers.h"

#include "Clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{

ResourcePack* g_ambientPack = nullptr;

// Volumes 0 to 1 map onto 0 to -2500 hundredths of a decibel (quiet, never silent).
constexpr int32_t kQuietest = -2500;

// An id is a name that is exactly the "%d" text of the integer it reads as.
bool IsId(const std::string& name, int& id)
{
    char* end = nullptr;
    const long value = std::strtol(name.c_str(), &end, 10);
    char text[24];
    std::snprintf(text, sizeof text, "%d", int(value));
    id = int(value);
    return !name.empty() && name == text;
}

} // namespace

struct qrxAmbientSound::Channel
{
    int index = 0;
    bool enabled = true;
    bool uncounted = false;
    std::string current;
    SoundHandle stream = 0;
    std::string lastPlayed;
    bool looping = false;
    double longest = 60.0;
    double shortest = 30.0;
    double countdown = -1.0;
    bool shuffle = true;
    std::vector<std::string> deck;
    int level = 0;
    bool repeats = false;
    std::vector<std::string> sounds;
    bool allowed = false;
    AmbientEndCallback onEnd = nullptr;
    uintptr_t onEndArg = 0;
    float volume = 1.0f;
    float userVolume = 1.0f;

    bool Active() const { return enabled && allowed; }
};

struct qrxAmbientSound::EndRecord
{
    qrxAmbientSound* server;
    int channel;
    std::string name;
    bool counted;
};

void SetAmbientSoundPack(ResourcePack* pack)
{
    g_ambientPack = pack;
}

ResourcePack* GetAmbientSoundPack()
{
    return g_ambientPack;
}

qrxAmbientSound::qrxAmbientSound(AmbientSoundPlayer* player) : m_player(player ? *player : SoundManagerAmbientPlayer())
{
    m_seed = int32_t(plat::CalendarSeconds());
    m_random.seed(m_seed);
    for (int i = 0; i < kChannelCount; ++i)
    {
        m_channels.push_back(std::make_unique<Channel>());
        m_channels.back()->index = i;
        ScheduleChannel(*m_channels.back());
    }
}

qrxAmbientSound::~qrxAmbientSound()
{
    for (int i = 0; i < kChannelCount; ++i)
    {
        SetChannelEnabled(i, false, false);
        SetChannelAllowed(i, false, false);
    }
    for (EndRecord* record : m_pending)
        record->server = nullptr;
}

qrxAmbientSound::Channel* qrxAmbientSound::At(int channel) const
{
    return channel >= 0 && channel < kChannelCount ? m_channels[size_t(channel)].get() : nullptr;
}

void qrxAmbientSound::AddChannelSoundId(int channel, int id, bool unique)
{
    Channel* c = At(channel);
    if (!c)
        return;
    const std::string name = std::to_string(id);
    if (!unique || std::find(c->sounds.begin(), c->sounds.end(), name) == c->sounds.end())
        c->sounds.push_back(name);
}

void qrxAmbientSound::AddChannelFile(int channel, const char* path, bool unique)
{
    Channel* c = At(channel);
    if (!c || !path || !FileExists(path))
        return;
    if (!unique || std::find(c->sounds.begin(), c->sounds.end(), path) == c->sounds.end())
        c->sounds.emplace_back(path);
}

void qrxAmbientSound::SetChannelUncounted(int channel, bool on)
{
    if (Channel* c = At(channel))
        c->uncounted = on;
}

void qrxAmbientSound::SetChannelLooping(int channel, bool on)
{
    if (Channel* c = At(channel))
        c->looping = on;
}

void qrxAmbientSound::SetChannelShuffle(int channel, bool on)
{
    if (Channel* c = At(channel))
        c->shuffle = on;
}

void qrxAmbientSound::SetChannelRepeats(int channel, bool on)
{
    if (Channel* c = At(channel))
        c->repeats = on;
}

void qrxAmbientSound::SetChannelLevel(int channel, int level)
{
    Channel* c = At(channel);
    if (c && level >= 0 && level <= 2)
        c->level = level;
}

void qrxAmbientSound::SetChannelEndCallback(int channel, AmbientEndCallback callback, uintptr_t arg)
{
    if (Channel* c = At(channel))
    {
        c->onEnd = callback;
        c->onEndArg = arg;
    }
}

void qrxAmbientSound::SetChannelEnabled(int channel, bool on, bool letFinish)
{
    Channel* c = At(channel);
    if (!c)
        return;
    c->enabled = on;
    if (on && c->allowed)
        ScheduleChannel(*c);
    else if (!on && !letFinish)
        StopChannel(channel);
}

void qrxAmbientSound::SetChannelAllowed(int channel, bool on, bool letFinish)
{
    Channel* c = At(channel);
    if (!c)
        return;
    c->allowed = on;
    if (!on && !letFinish)
        StopChannel(channel);
    else if (on && c->enabled)
        ScheduleChannel(*c);
}

void qrxAmbientSound::SetChannelVolume(int channel, float volume)
{
    if (Channel* c = At(channel))
    {
        c->volume = std::clamp(volume, 0.0f, 1.0f);
        ApplyVolume(*c);
    }
}

void qrxAmbientSound::SetChannelUserVolume(int channel, float factor)
{
    if (Channel* c = At(channel))
    {
        c->userVolume = std::clamp(factor, 0.0f, 1.0f);
        ApplyVolume(*c);
    }
}

void qrxAmbientSound::SetChannelDelay(int channel, double shortest, double longest, bool reschedule)
{
    Channel* c = At(channel);
    if (!c || longest < shortest)
        return;
    c->shortest = shortest >= 0.0 ? shortest : -1.0;
    c->longest = longest >= 0.0 ? longest : -1.0;
    if (c->current.empty() && reschedule)
        ScheduleChannel(*c);
}

bool qrxAmbientSound::IsChannelPlaying(int channel) const
{
    const Channel* c = At(channel);
    return c && (!c->current.empty() || c->stream != 0);
}

bool qrxAmbientSound::IsChannelEnabled(int channel) const
{
    const Channel* c = At(channel);
    return c && c->enabled;
}

bool qrxAmbientSound::IsChannelAllowed(int channel) const
{
    const Channel* c = At(channel);
    return c && c->allowed;
}

size_t qrxAmbientSound::GetChannelSoundCount(int channel) const
{
    const Channel* c = At(channel);
    return c ? c->sounds.size() : 0;
}

void qrxAmbientSound::StopChannel(int channel)
{
    Channel* c = At(channel);
    if (!c || c->current.empty())
        return;
    int id = 0;
    if (IsId(c->current, id))
        m_player.StopId(g_ambientPack, uint32_t(id));
    else if (c->stream != 0)
        m_player.StopFile(c->stream);
}

double qrxAmbientSound::GetCountdown(int channel) const
{
    const Channel* c = At(channel);
    return c ? c->countdown : -1.0;
}

const std::string& qrxAmbientSound::GetCurrentName(int channel) const
{
    static const std::string none;
    const Channel* c = At(channel);
    return c ? c->current : none;
}

void qrxAmbientSound::ApplyVolume(Channel& c)
{
    if (c.current.empty())
        return;
    const int32_t attenuation = kQuietest - int32_t(c.userVolume * c.volume * float(kQuietest));
    int id = 0;
    if (IsId(c.current, id))
        m_player.SetIdVolume(g_ambientPack, uint32_t(id), attenuation);
    else if (c.stream != 0)
        m_player.SetFileVolume(c.stream, attenuation);
}

void qrxAmbientSound::ScheduleChannel(Channel& c)
{
    c.countdown = c.shortest >= 0.0 ? c.shortest + m_random.uniform() * (c.longest - c.shortest) : -1.0;
}

void qrxAmbientSound::Update(double /*now*/, double elapsed)
{
    if (m_playAmbientSound)
        OnIdle(elapsed);
}

void qrxAmbientSound::OnIdle(double elapsed)
{
    for (const auto& channel : m_channels)
    {
        Channel& c = *channel;
        if (!c.Active())
            continue;
        c.countdown -= elapsed;
        if (c.countdown >= 0.0)
            continue;
        int id = 0;
        if (!c.current.empty() && (IsId(c.current, id) || c.stream != 0))
            continue;
        if ((c.level == 1 && m_virtualCount != 0) || (c.level == 2 && m_virtualCount > 1))
            continue;
        PlayNext(c);
    }
}

void qrxAmbientSound::PlayNext(Channel& c)
{
    if (c.sounds.empty() || !c.Active())
        return;
    if (c.shuffle && c.sounds.size() >= 2)
    {
        if (c.deck.size() != c.sounds.size() || c.deck.back().empty())
            ShuffleChannel(c);
        for (std::string& place : c.deck)
        {
            if (place.empty())
                continue;
            const std::string name = std::move(place);
            place.clear();
            PlayChannel(c, name);
            return;
        }
        return;
    }
    const auto draw = [&]
    { return c.sounds[std::min(c.sounds.size() - 1, size_t(m_random.uniform() * double(c.sounds.size())))]; };
    std::string name = draw();
    const bool allSame =
        std::all_of(c.sounds.begin(), c.sounds.end(), [&](const std::string& s) { return s == c.lastPlayed; });
    while (!c.repeats && c.sounds.size() > 1 && !allSame && name == c.lastPlayed)
        name = draw();
    PlayChannel(c, name);
}

void qrxAmbientSound::ShuffleChannel(Channel& c)
{
    const size_t size = c.sounds.size();
    c.deck.assign(size, std::string());
    if (size == 1)
    {
        c.deck[0] = c.sounds[0];
        return;
    }
    const auto randomPlace = [&] { return std::min(size - 1, size_t(m_random.uniform() * double(size))); };
    bool heldBack = false;
    for (const std::string& name : c.sounds)
    {
        // The sound that just ended never opens the new cycle.
        if (!c.repeats && !heldBack && name == c.lastPlayed)
        {
            heldBack = true;
            continue;
        }
        size_t place = randomPlace();
        while (!c.deck[place].empty())
            place = randomPlace();
        c.deck[place] = name;
    }
    if (heldBack)
    {
        for (size_t i = 1; i < size; ++i)
        {
            if (c.deck[i].empty())
            {
                c.deck[i] = c.lastPlayed;
                break;
            }
        }
        // When the only free place is the first, the held-back sound swaps with the second.
        if (c.deck[0].empty())
        {
            c.deck[0] = c.deck[1];
            c.deck[1] = c.lastPlayed;
        }
    }
}

void qrxAmbientSound::PlayChannel(Channel& c, const std::string& name)
{
    auto* record = new EndRecord{this, c.index, name, !c.uncounted};
    if (!c.current.empty())
        StopChannel(c.index);
    c.current = name;
    c.stream = 0;
    const int32_t attenuation = kQuietest - int32_t(c.userVolume * c.volume * float(kQuietest));
    int id = 0;
    m_pending.push_back(record);
    const bool started = IsId(name, id)
                             ? m_player.PlayId(g_ambientPack, uint32_t(id), c.looping, attenuation, &ChannelSoundEnded,
                                               reinterpret_cast<uintptr_t>(record))
                             : m_player.PlayFile(name.c_str(), c.looping, &ChannelSoundEnded,
                                                 reinterpret_cast<uintptr_t>(record), &c.stream, attenuation);
    c.lastPlayed = name;
    if (!started)
    {
        // Nothing plays and no end will come: the channel must not look busy or hold counts.
        std::erase(m_pending, record);
        delete record;
        c.current.clear();
        c.stream = 0;
        ScheduleChannel(c);
        return;
    }
    if (record->counted)
        ++m_virtualCount;
    ++m_actualCount;
}

void qrxAmbientSound::ChannelSoundEnded(uintptr_t arg)
{
    auto* record = reinterpret_cast<EndRecord*>(arg);
    if (qrxAmbientSound* server = record->server)
    {
        std::erase(server->m_pending, record);
        server->ChannelEnded(record->channel, record->name, record->counted);
    }
    delete record;
}

void qrxAmbientSound::ChannelEnded(int channel, const std::string& name, bool counted)
{
    Channel* c = At(channel);
    if (!c)
        return;
    if (counted)
        --m_virtualCount;
    --m_actualCount;
    c->current.clear();
    c->stream = 0;
    if (c->Active())
        ScheduleChannel(*c);
    if (c->onEnd)
        c->onEnd(c->onEndArg, channel, name.c_str());
}

std::string qrxAmbientSound::GetStatusText(int line) const
{
    char text[128];
    switch (line)
    {
    case 0:
        std::snprintf(text, sizeof text, "playAmbientSound : %s(%d)", m_playAmbientSound ? "TRUE" : "FALSE",
                      int(m_playAmbientSound));
        break;
    case 1:
        std::snprintf(text, sizeof text, "wafServer : %zx", reinterpret_cast<size_t>(g_ambientPack));
        break;
    case 2:
        std::snprintf(text, sizeof text, "actualNumSoundsBeingPlayed : %d", m_actualCount);
        break;
    case 3:
        std::snprintf(text, sizeof text, "virtualNumSoundsBeingPlayed : %d", m_virtualCount);
        break;
    case 4:
        std::snprintf(text, sizeof text, "randomNum : %x", unsigned(m_random.get_state()));
        break;
    case 5:
        std::snprintf(text, sizeof text, "randomSeed : %d", m_seed);
        break;
    default:
        std::snprintf(text, sizeof text, "ERROR : %d", line);
        break;
    }
    return text;
}
