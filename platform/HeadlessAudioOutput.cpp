#include "HeadlessAudioOutput.h"

#include <cmath>

namespace plat
{

bool HeadlessAudioOutput::Open()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_open = m_openSucceeds;
    return m_open;
}

void HeadlessAudioOutput::Close()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_open = false;
}

std::string HeadlessAudioOutput::LastError() const
{
    return m_openSucceeds ? std::string() : std::string("no sound device");
}

bool HeadlessAudioOutput::IsOpen() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_open;
}

void HeadlessAudioOutput::Pull(uint32_t frames)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_open || frames == 0)
        return;
    // In device-sized pieces, so that notifications arrive as often as from a real device.
    constexpr uint32_t kPiece = 512;
    std::vector<int16_t> piece;
    while (frames > 0)
    {
        const uint32_t n = frames < kPiece ? frames : kPiece;
        piece.resize(size_t(n) * Mixer::kChannels);
        GetMixer().Mix(piece.data(), n);
        m_samples.insert(m_samples.end(), piece.begin(), piece.end());
        m_framesPulled += n;
        frames -= n;
    }
}

void HeadlessAudioOutput::PullUntil(double seconds)
{
    uint64_t due = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_startSeconds < 0.0)
            m_startSeconds = seconds;
        const double elapsed = seconds - m_startSeconds;
        const auto target = uint64_t(std::floor(elapsed * Mixer::kRate));
        due = target > m_framesPulled ? target - m_framesPulled : 0;
    }
    while (due > 0)
    {
        const uint32_t n = due > 44100 ? 44100 : uint32_t(due);
        Pull(n);
        due -= n;
    }
}

void HeadlessAudioOutput::SkipUntil(double seconds)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_startSeconds < 0.0)
        m_startSeconds = seconds;
    const auto target = uint64_t(std::floor((seconds - m_startSeconds) * Mixer::kRate));
    if (seconds > m_startSeconds && target > m_framesPulled)
        m_framesPulled = target;
}

std::vector<int16_t> HeadlessAudioOutput::TakeSamples()
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<int16_t> taken;
    taken.swap(m_samples);
    return taken;
}

} // namespace plat
