#include "RasterThreads.h"

namespace plat
{

RasterThreads::RasterThreads(uint32_t count)
{
    for (uint32_t i = 1; i < count; ++i)
        m_workers.emplace_back([this, i] { Work(i); });
}

RasterThreads::~RasterThreads()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_workers)
        t.join();
}

void RasterThreads::Run(const std::function<void(uint32_t)>& job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_job = &job;
        m_pending = static_cast<uint32_t>(m_workers.size());
        ++m_generation;
    }
    m_wake.notify_all();
    job(0);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_pending == 0; });
    m_job = nullptr;
}

void RasterThreads::Work(uint32_t index)
{
    uint64_t seen = 0;
    for (;;)
    {
        const std::function<void(uint32_t)>* job = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stop || m_generation != seen; });
            if (m_stop)
                return;
            seen = m_generation;
            job = m_job;
        }
        (*job)(index);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (--m_pending == 0)
            m_done.notify_one();
    }
}

} // namespace plat
