#pragma once
// The sound device: something that pulls mixed frames from the mixer. The sound manager
// creates one at start-up through the installed factory (SDL audio, or the headless sink);
// a device that cannot open is the "no sound" case, not an error of the program.

#include "Mixer.h"

#include <functional>
#include <memory>
#include <string>

namespace plat
{

class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // Starts pulling from the mixer; false when there is no device.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual std::string LastError() const = 0;

    Mixer& GetMixer() { return m_mixer; }

private:
    Mixer m_mixer;
};

using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

} // namespace plat
