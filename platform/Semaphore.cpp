#include "Semaphore.h"

namespace plat
{

bool Semaphore::Release(uint32_t n)
{
    {
        std::lock_guard<std::mutex> lock(SharedLock());
        if (n > m_maximum - m_count)
            return false;
        m_count += n;
    }
    WakeAll();
    return true;
}

uint32_t Semaphore::Count() const
{
    std::lock_guard<std::mutex> lock(SharedLock());
    return m_count;
}

bool Semaphore::TryTakeLocked()
{
    if (m_count == 0)
        return false;
    --m_count;
    return true;
}

} // namespace plat
