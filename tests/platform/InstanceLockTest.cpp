#include "InstanceLock.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

using namespace plat;

namespace
{

// The answer another process gets: 0 refused, 1 acquired.
int AcquireInChild(const std::string& folder)
{
    const pid_t pid = fork();
    if (pid == 0)
    {
        InstanceLock lock;
        _exit(lock.Acquire(folder, "Game") ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(InstanceLock, SecondHolderOfOneFolderIsRefusedUntilReleased)
{
    testfiles::TempDir dir;
    const std::string users = dir.File("player one/users");
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(users, "Game")); // the folder is made
    EXPECT_TRUE(std::filesystem::exists(users + "/Game.lock"));

    InstanceLock second;
    EXPECT_FALSE(second.Acquire(users, "Game"));
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(AcquireInChild(users), 0);

    // Another user folder is another player.
    InstanceLock other;
    EXPECT_TRUE(other.Acquire(dir.File("player two"), "Game"));

    first.Release();
    EXPECT_EQ(AcquireInChild(users), 1);
    EXPECT_TRUE(second.Acquire(users, "Game"));
}
