#include "tovSpinLock.h"
#include "tovNetworkPlayGameParams.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace
{

TEST(tovSpinLockTest, OneHolderAtATime)
{
    tovSpinLock lock;
    int64_t count = 0;
    auto add = [&]
    {
        for (int i = 0; i < 20000; ++i)
        {
            std::scoped_lock guard(lock);
            ++count;
        }
    };
    std::thread other(add);
    add();
    other.join();
    EXPECT_EQ(count, 40000);
}

// The receive thread stores whole records while the main thread copies them: a copy is never
// half of one record and half of another.
TEST(tovSpinLockTest, GameParamsAreCopiedWhole)
{
    std::thread receiver(
        []
        {
            for (int32_t k = 0; k < 5000; ++k)
            {
                tovNetworkPlay::GAMEPARAMS p;
                p.day = k;
                p.lakeId = k;
                p.weather.fill(static_cast<uint8_t>(k));
                StoreGameParams(p);
            }
        });
    int torn = 0;
    for (int i = 0; i < 5000; ++i)
    {
        const tovNetworkPlay::GAMEPARAMS p = CopyGameParams();
        if (p.day != p.lakeId && p.lakeId != -1)
            ++torn;
        if (p.weather.back() != p.weather.front())
            ++torn;
    }
    receiver.join();
    EXPECT_EQ(torn, 0);
    StoreGameParams({});
}

} // namespace
