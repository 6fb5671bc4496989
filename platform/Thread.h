#pragma once
// A worker thread that can be waited for with a time-out. A thread that does not finish in
// time is detached and keeps running: the caller has given up on it, as a closed handle would.

#include "Event.h"

#include <functional>
#include <memory>
#include <thread>

namespace plat
{

class Thread
{
public:
    Thread() = default;
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when a thread is already running or cannot be started.
    bool Start(std::function<void()> body);
    // True when the thread finished within the time (then joined); also true when none runs.
    bool Join(int64_t timeoutMs = kWaitForever);
    bool IsRunning() const { return m_thread.joinable(); }

private:
    std::thread m_thread;
    std::shared_ptr<Event> m_done;
};

} // namespace plat
