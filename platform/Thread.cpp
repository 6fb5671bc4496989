#include "Thread.h"

#include <system_error>

namespace plat
{

Thread::~Thread()
{
    Join();
}

bool Thread::Start(std::function<void()> body)
{
    if (m_thread.joinable())
        return false;
    auto done = std::make_shared<Event>(Event::Reset::kManual);
    try
    {
        m_thread = std::thread(
            [body = std::move(body), done]
            {
                body();
                done->Set();
            });
    }
    catch (const std::system_error&)
    {
        return false;
    }
    m_done = std::move(done);
    return true;
}

bool Thread::Join(int64_t timeoutMs)
{
    if (!m_thread.joinable())
        return true;
    Waitable* done = m_done.get();
    if (WaitAny(&done, 1, timeoutMs) == kWaitTimedOut)
    {
        m_thread.detach();
        m_done.reset();
        return false;
    }
    m_thread.join();
    m_done.reset();
    return true;
}

} // namespace plat
