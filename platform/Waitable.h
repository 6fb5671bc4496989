#pragma once
// Objects a thread can wait on, one or several at once (events, semaphores). They share one
// lock and one condition: waits here are rare (a loader request, a sound notification), so
// waking every waiter on each signal costs less than per-object wait lists would.

#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>

namespace plat
{

class Waitable
{
public:
    Waitable() = default;
    virtual ~Waitable() = default;
    Waitable(const Waitable&) = delete;
    Waitable& operator=(const Waitable&) = delete;

protected:
    friend int WaitAny(std::initializer_list<Waitable*> objects, int64_t timeoutMs);
    friend int WaitAny(Waitable* const* objects, int count, int64_t timeoutMs);

    // Called with the shared lock held: true when signalled, taking the signal where the
    // object resets itself.
    virtual bool TryTakeLocked() = 0;

    static std::mutex& SharedLock();
    static void WakeAll();
};

constexpr int64_t kWaitForever = -1;
constexpr int kWaitTimedOut = -1;

// Index of the first signalled object (earlier objects win), or kWaitTimedOut.
int WaitAny(Waitable* const* objects, int count, int64_t timeoutMs = kWaitForever);
int WaitAny(std::initializer_list<Waitable*> objects, int64_t timeoutMs = kWaitForever);

} // namespace plat
