#pragma once
// The lock word of network play: the receive thread and the main thread each hold one record's
// lock only for a few field copies, so a yielding spin is cheaper than a mutex. No code holds
// two at once. Lower-case lock/unlock so std::scoped_lock can hold it.

#include <atomic>
#include <cstdint>
#include <thread>

class tovSpinLock
{
public:
    tovSpinLock() = default;
    tovSpinLock(const tovSpinLock&) = delete;
    tovSpinLock& operator=(const tovSpinLock&) = delete;

    void lock()
    {
        while (m_word.exchange(1, std::memory_order_acquire) != 0)
            std::this_thread::yield();
    }
    void unlock() { m_word.store(0, std::memory_order_release); }

private:
    std::atomic<uint32_t> m_word{0};
};
