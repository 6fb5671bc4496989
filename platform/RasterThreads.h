#pragma once
// The software rasterizer's helper threads: Run calls job(0..count-1) once each, job 0 on
// the calling thread and the others on workers kept between calls, and returns when all
// have finished.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace plat
{

class RasterThreads
{
public:
    // count - 1 workers; at least one job always runs.
    explicit RasterThreads(uint32_t count);
    ~RasterThreads();
    RasterThreads(const RasterThreads&) = delete;
    RasterThreads& operator=(const RasterThreads&) = delete;

    uint32_t Count() const { return static_cast<uint32_t>(m_workers.size()) + 1; }
    void Run(const std::function<void(uint32_t)>& job);

private:
    void Work(uint32_t index);

    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(uint32_t)>* m_job = nullptr;
    uint64_t m_generation = 0;
    uint32_t m_pending = 0;
    bool m_stop = false;
};

} // namespace plat
