// SDL2 audio backend.
// Implements: opening the default output device as 44.1 kHz 16-bit stereo (SDL converts when
// the device differs), the callback that pulls our mixer, closing.
// Leaves out: device choice, capture, hot-plug (a lost device simply goes silent).

#include "SdlAudioOutput.h"

#include <SDL.h>

namespace plat
{

namespace
{
void PullMixer(void* user, Uint8* stream, int length)
{
    auto* mixer = static_cast<Mixer*>(user);
    mixer->Mix(reinterpret_cast<int16_t*>(stream), uint32_t(length) / (Mixer::kChannels * sizeof(int16_t)));
}
} // namespace

SdlAudioOutput::SdlAudioOutput() = default;

SdlAudioOutput::~SdlAudioOutput()
{
    Close();
}

bool SdlAudioOutput::Open()
{
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        m_lastError = SDL_GetError();
        return false;
    }
    m_subsystem = true;
    SDL_AudioSpec wanted = {};
    wanted.freq = int(Mixer::kRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Mixer::kChannels;
    wanted.samples = 1024;
    wanted.callback = &PullMixer;
    wanted.userdata = &GetMixer();
    SDL_AudioSpec obtained = {};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0)
    {
        m_lastError = SDL_GetError();
        Close();
        return false;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void SdlAudioOutput::Close()
{
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_device = 0;
    if (m_subsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_subsystem = false;
}

} // namespace plat
