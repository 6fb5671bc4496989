#pragma once
// Sound output without a device: the mixer is pulled when the owner says time has passed
// (the headless harness after each manual clock step, tests directly), and every mixed frame
// is kept so that tests can look at what would have been heard.

#include "AudioOutput.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace plat
{

class HeadlessAudioOutput : public AudioOutput
{
public:
    // openSucceeds false stands for a machine without a sound device.
    explicit HeadlessAudioOutput(bool openSucceeds = true) : m_openSucceeds(openSucceeds) {}

    bool Open() override;
    void Close() override;
    std::string LastError() const override;

    // Mixes frames (44.1 kHz stereo) and keeps them. Nothing happens while closed.
    void Pull(uint32_t frames);
    // Pulls the frames that fall between the last call and this time on the clock.
    void PullUntil(double seconds);
    // Lets the time up to here pass without mixing: the sounds resume where they were, and
    // the next pull starts here.
    void SkipUntil(double seconds);

    // Interleaved left/right samples since the last TakeSamples.
    std::vector<int16_t> TakeSamples();
    bool IsOpen() const;

private:
    mutable std::mutex m_lock;
    const bool m_openSucceeds;
    bool m_open = false;
    uint64_t m_framesPulled = 0;
    double m_startSeconds = -1.0;
    std::vector<int16_t> m_samples;
};

} // namespace plat
