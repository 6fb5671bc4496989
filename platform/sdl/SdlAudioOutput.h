#pragma once
// Sound output through SDL2's audio device: its callback pulls the mixer.

#include "AudioOutput.h"

namespace plat
{

class SdlAudioOutput : public AudioOutput
{
public:
    SdlAudioOutput();
    ~SdlAudioOutput() override;

    bool Open() override;
    void Close() override;
    std::string LastError() const override { return m_lastError; }

private:
    uint32_t m_device = 0;
    bool m_subsystem = false;
    std::string m_lastError;
};

} // namespace plat
