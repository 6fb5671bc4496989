#include "Waitable.h"

#include <chrono>

namespace plat
{

namespace
{
// Never destroyed: a worker may still wait on it while the program's statics are torn down.
std::condition_variable& SharedCondition()
{
    static auto* condition = new std::condition_variable;
    return *condition;
}
} // namespace

std::mutex& Waitable::SharedLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

void Waitable::WakeAll()
{
    SharedCondition().notify_all();
}

int WaitAny(Waitable* const* objects, int count, int64_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(Waitable::SharedLock());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;)
    {
        for (int i = 0; i < count; ++i)
        {
            if (objects[i] && objects[i]->TryTakeLocked())
                return i;
        }
        if (timeoutMs < 0)
            SharedCondition().wait(lock);
        else if (SharedCondition().wait_until(lock, deadline) == std::cv_status::timeout)
        {
            for (int i = 0; i < count; ++i)
            {
                if (objects[i] && objects[i]->TryTakeLocked())
                    return i;
            }
            return kWaitTimedOut;
        }
    }
}

int WaitAny(std::initializer_list<Waitable*> objects, int64_t timeoutMs)
{
    return WaitAny(objects.begin(), static_cast<int>(objects.size()), timeoutMs);
}

} // namespace plat
