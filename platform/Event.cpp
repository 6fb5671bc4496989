#include "Event.h"

namespace plat
{

void Event::Set()
{
    {
        std::lock_guard<std::mutex> lock(SharedLock());
        m_set = true;
    }
    WakeAll();
}

void Event::Clear()
{
    std::lock_guard<std::mutex> lock(SharedLock());
    m_set = false;
}

bool Event::IsSet() const
{
    std::lock_guard<std::mutex> lock(SharedLock());
    return m_set;
}

bool Event::TryTakeLocked()
{
    if (!m_set)
        return false;
    if (!m_manual)
        m_set = false;
    return true;
}

} // namespace plat
