#include "qrxFramePacer.h"

#include "Clock.h"

#include <chrono>
#include <thread>

void qrxFramePacer::StartFrame()
{
    m_frameStart = plat::CurrentClock().Seconds();
}

double qrxFramePacer::PauseNeeded() const
{
    if (m_cap == 0)
        return 0.0;
    const double used = plat::CurrentClock().Seconds() - m_frameStart;
    const double left = 1.0 / m_cap - used;
    return left > 0.0 ? left : 0.0;
}

double qrxFramePacer::Pause()
{
    const double pause = PauseNeeded();
    if (pause > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double>(pause));
    return pause;
}
