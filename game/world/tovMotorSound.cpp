#include "tovMotorSound.h"

#include "tovAppServices.h"

#include "tovSoundFacade.h"

#include <unordered_map>

namespace
{
bool g_stopping = false;

// Live machines by serial: an end reported after its machine is gone finds nothing.
std::unordered_map<uint32_t, tovMotorSound*>& Live()
{
    static std::unordered_map<uint32_t, tovMotorSound*> live;
    return live;
}

uint32_t g_nextSerial = 1;

static_assert(sizeof(uintptr_t) >= 8, "the end argument carries serial, ending and state");
} // namespace

tovMotorSound::tovMotorSound() : m_serial(g_nextSerial++)
{
    Live()[m_serial] = this;
}

tovMotorSound::~tovMotorSound()
{
    Live().erase(m_serial);
    StopEngineSounds();
    StopMotorSounds();
}

void tovMotorSound::SetStopping(bool stopping)
{
    g_stopping = stopping;
}

bool tovMotorSound::IsStopping()
{
    return g_stopping;
}

int32_t tovMotorSound::Band(float throttle)
{
    const float x = throttle * throttle;
    for (int32_t k = 0; k < 7; ++k)
        if (x <= 0.125f * float(k + 1))
            return k;
    return 7;
}

SoundRecord* tovMotorSound::Find(uint32_t id) const
{
    ResourcePack* pack = m_pack ? m_pack : GetAppServices().GetMainPack();
    return pack ? tovSoundFacade::FindSound(pack, id) : nullptr;
}

void tovMotorSound::PlaySound(uint32_t id, bool loop)
{
    if (m_local && g_soundFacade)
        g_soundFacade->Play(Find(id), loop, 0);
}

void tovMotorSound::StopSound(uint32_t id)
{
    if (m_local && g_soundFacade)
        g_soundFacade->Stop(Find(id));
}

void tovMotorSound::PlayOnce(uint32_t id, Ending ending, int32_t state)
{
    m_state = state;
    if (!m_local || !g_soundFacade)
        return;
    const uintptr_t arg = uintptr_t(m_serial) << 16 | uintptr_t(ending) << 8 | uintptr_t(state);
    g_soundFacade->Play(Find(id), false, 0, &tovMotorSound::OnSoundEnd, arg);
}

void tovMotorSound::OnSoundEnd(uintptr_t arg)
{
    const auto found = Live().find(uint32_t(arg >> 16));
    if (found != Live().end())
        found->second->Ended(Ending((arg >> 8) & 0xff), int32_t(arg & 0xff));
}

void tovMotorSound::Ended(Ending ending, int32_t state)
{
    // The start sound's end too: a motor stopped while it plays must not go on to idle.
    if (g_stopping)
    {
        StopMotorSounds();
        return;
    }
    // A sound whose state has been replaced (the throttle moved again, or its end was still
    // queued when a new request came) changes nothing.
    if (m_state != state)
        return;
    m_requestPending = true;
    if (ending == kStartEnded)
        m_state = kStartLoop;
    else if (ending == kRiseEnded)
        m_state = state - kRising + kStartLoop + 1;
    else
        m_state = state - kFalling + kStartLoop;
}

void tovMotorSound::StopEngineSounds()
{
    for (uint32_t id = kRiseSound; id <= kFallSound + 6; ++id)
        StopSound(id);
}

void tovMotorSound::StopMotorSounds()
{
    StopSound(kStartSound);
    for (uint32_t id = kLoopSound; id < kLoopSound + 8; ++id)
        StopSound(id);
}

void tovMotorSound::UpdateMotorSound(int32_t request, float throttle)
{
    if (!m_local)
        return;
    m_requestPending = false;
    const int32_t band = Band(throttle);
    if (request == kStart)
    {
        g_stopping = false;
        m_state = kStart;
        StopEngineSounds();
        PlayOnce(kStartSound, kStartEnded, kStart);
    }
    else if (request == kRise)
    {
        if (band > 6 || m_state == kRising + band)
            return;
        // Stopped before the new state is set, so that the stopped sounds' ends (the start
        // sound's above all) cannot replace it.
        StopEngineSounds();
        StopMotorSounds();
        m_requestPending = false;
        PlayOnce(kRiseSound + uint32_t(band), kRiseEnded, kRising + band);
    }
    else if (request == kFall)
    {
        const int32_t into = band <= 1 ? 0 : band - 1;
        if (m_state == kFalling + into)
            return;
        if (band != 0)
            StopEngineSounds();
        StopMotorSounds();
        m_requestPending = false;
        PlayOnce(kFallSound + uint32_t(into), kFallEnded, kFalling + into);
    }
    else if (request == kStop)
        StopMotorSounds();
    else if (request >= kStartLoop && request < kStartLoop + 8)
    {
        PlaySound(kLoopSound + uint32_t(request - kStartLoop), true);
        m_state = kRunning + (request - kStartLoop);
    }
}

void tovMotorSound::ServePending(float throttle)
{
    if (m_requestPending)
        UpdateMotorSound(m_state, throttle);
}

void tovMotorSound::RestartMotorLoop(float throttle)
{
    g_stopping = false;
    m_requestPending = false;
    StopMotorSounds();
    StopEngineSounds();
    const int32_t band = Band(throttle);
    if ((band <= 6 && m_state != kRising + band) || band == 7)
    {
        m_requestPending = true;
        m_state = kStartLoop + band;
    }
}
