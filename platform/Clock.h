#pragma once
// Time as the program sees it: high-resolution seconds and a wrapping millisecond tick on
// one timeline. Start-up installs the clock (steady for play, manual for the headless
// harness and tests); game logic reads only the installed clock, so a fixed time step
// replays exactly.

#include <atomic>
#include <cstdint>

namespace plat
{

class Clock
{
public:
    virtual ~Clock() = default;
    // Seconds since the clock's origin.
    virtual double Seconds() const = 0;
    // Milliseconds since the origin, modulo 2^32: about every 49.7 days it wraps, so callers
    // compare ticks by unsigned difference.
    virtual uint32_t TickMs() const = 0;
    // Nanoseconds since the origin: the clock's own reading, of which the others are made.
    virtual uint64_t Nanoseconds() const = 0;
};

// The one conversion both backends use, so seconds and ticks never disagree.
inline uint32_t TickFromNanoseconds(uint64_t ns)
{
    return static_cast<uint32_t>(ns / 1000000u);
}

// The system's monotonic clock; its origin is the system's (boot on Linux), not the program's.
class SteadyClock : public Clock
{
public:
    double Seconds() const override;
    uint32_t TickMs() const override;
    uint64_t Nanoseconds() const override;
};

// Stands still until told to move. Readable from any thread while one thread advances it.
class ManualClock : public Clock
{
public:
    explicit ManualClock(uint64_t startNs = 0) : m_ns(startNs) {}

    double Seconds() const override;
    uint32_t TickMs() const override;
    uint64_t Nanoseconds() const override { return m_ns.load(std::memory_order_acquire); }

    void SetNanoseconds(uint64_t ns) { m_ns.store(ns, std::memory_order_release); }
    void AdvanceNanoseconds(uint64_t ns) { m_ns.fetch_add(ns, std::memory_order_acq_rel); }
    void AdvanceMs(uint32_t ms) { AdvanceNanoseconds(uint64_t{ms} * 1000000u); }
    // Rounded to the nearest nanosecond; negative steps are ignored, time never runs back.
    void AdvanceSeconds(double seconds);

private:
    std::atomic<uint64_t> m_ns;
};

// Borrowed: the clock must outlive its installation. Null puts the steady clock back.
void SetCurrentClock(Clock* clock);
Clock& CurrentClock();

// The high-resolution counter of the installed clock, in microseconds: counter x 1000 /
// frequency stays far from overflowing 64 bits for any uptime.
constexpr uint64_t kCounterFrequency = 1000000;
uint64_t ReadCounter();
// Milliseconds of the installed clock, wrapping (the frame timing's base).
uint32_t GetTimeMs();

// Calendar seconds since 1970, which seed the generators that must differ from run to run.
// A headless run fixes them so that it replays exactly; Unfix puts the system's back.
int64_t CalendarSeconds();
void FixCalendarSeconds(int64_t seconds);
void UnfixCalendarSeconds();

} // namespace plat
