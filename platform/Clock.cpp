#include "Clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace plat
{

namespace
{

uint64_t SteadyNanoseconds()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}

SteadyClock& DefaultClock()
{
    // Never destroyed: threads and static destructors may still read the time at exit.
    static auto* clock = new SteadyClock;
    return *clock;
}

std::atomic<Clock*> g_clock{nullptr};

} // namespace

double SteadyClock::Seconds() const
{
    return static_cast<double>(SteadyNanoseconds()) * 1e-9;
}

uint32_t SteadyClock::TickMs() const
{
    return TickFromNanoseconds(SteadyNanoseconds());
}

uint64_t SteadyClock::Nanoseconds() const
{
    return SteadyNanoseconds();
}

double ManualClock::Seconds() const
{
    return static_cast<double>(Nanoseconds()) * 1e-9;
}

uint32_t ManualClock::TickMs() const
{
    return TickFromNanoseconds(Nanoseconds());
}

void ManualClock::AdvanceSeconds(double seconds)
{
    // Beyond a few centuries the step is clamped rather than overflowing the conversion.
    constexpr double kMaxStepNs = 9.0e18;
    if (seconds > 0.0)
        AdvanceNanoseconds(static_cast<uint64_t>(std::llround(std::fmin(seconds * 1e9, kMaxStepNs))));
}

void SetCurrentClock(Clock* clock)
{
    g_clock.store(clock, std::memory_order_release);
}

Clock& CurrentClock()
{
    Clock* clock = g_clock.load(std::memory_order_acquire);
    return clock ? *clock : DefaultClock();
}

uint64_t ReadCounter()
{
    return CurrentClock().Nanoseconds() / (1000000000u / kCounterFrequency);
}

uint32_t GetTimeMs()
{
    return CurrentClock().TickMs();
}

namespace
{
std::atomic<bool> g_calendarFixed{false};
std::atomic<int64_t> g_fixedCalendar{0};
} // namespace

int64_t CalendarSeconds()
{
    if (g_calendarFixed.load(std::memory_order_acquire))
        return g_fixedCalendar.load(std::memory_order_relaxed);
    return static_cast<int64_t>(std::time(nullptr));
}

void FixCalendarSeconds(int64_t seconds)
{
    g_fixedCalendar.store(seconds, std::memory_order_relaxed);
    g_calendarFixed.store(true, std::memory_order_release);
}

void UnfixCalendarSeconds()
{
    g_calendarFixed.store(false, std::memory_order_release);
}

} // namespace plat
