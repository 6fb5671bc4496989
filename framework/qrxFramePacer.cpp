#include "qrxFramePacer.h"

#include "Clock.h"

#include <chrono>
#include <thread>

void qrxFramePacer::SetCap(int32_t framesPerSecond)
{
    m_cap = framesPerSecond > 0 ? framesPerSecond : 0;
    m_scheduled = false;
}

uint64_t qrxFramePacer::DeadlineNs() const
{
    // Whole seconds apart from their remainder, so the product stays far from overflowing and
    // every second holds exactly m_cap periods.
    const uint64_t cap = static_cast<uint64_t>(m_cap);
    return m_originNs + m_frames / cap * kNsPerSecond + m_frames % cap * kNsPerSecond / cap;
}

void qrxFramePacer::StartFrame()
{
    if (m_cap == 0)
        return;
    if (!m_scheduled)
    {
        m_originNs = plat::CurrentClock().Nanoseconds();
        m_frames = 0;
        m_scheduled = true;
    }
    ++m_frames;
}

double qrxFramePacer::PauseNeeded() const
{
    if (m_cap == 0 || !m_scheduled)
        return 0.0;
    const uint64_t now = plat::CurrentClock().Nanoseconds();
    const uint64_t deadline = DeadlineNs();
    return now < deadline ? static_cast<double>(deadline - now) / kNsPerSecond : 0.0;
}

double qrxFramePacer::Pause()
{
    if (m_cap == 0 || !m_scheduled)
        return 0.0;
    const uint64_t now = plat::CurrentClock().Nanoseconds();
    const uint64_t period = kNsPerSecond / static_cast<uint64_t>(m_cap);
    if (now > DeadlineNs() + period)
    {
        m_originNs = now;
        m_frames = 0;
        return 0.0;
    }
    const double pause = PauseNeeded();
    if (pause <= 0.0)
        return 0.0;
    if (m_rest)
        m_rest(pause);
    else
        std::this_thread::sleep_for(std::chrono::duration<double>(pause));
    return pause;
}
