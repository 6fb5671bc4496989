// The scenarios' port leases: one holder per port while held, and no lock file left behind.

#include "GameProcesses.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace
{

bool Exists(const std::string& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0;
}

// A lease asked for a port another lease holds gets another one; the held port's file is there
// while it is held and gone once its lease ends.
TEST(LoopbackPortLeaseTest, APortHasOneLeaseAndItsFileGoesWithIt)
{
    auto first = std::make_unique<LoopbackPortLease>();
    ASSERT_NE(first->Port(), 0);
    const std::string path = LoopbackPortLease::LockPath(first->Port());
    EXPECT_TRUE(Exists(path));
    {
        const LoopbackPortLease second(first->Port());
        ASSERT_NE(second.Port(), 0);
        EXPECT_NE(second.Port(), first->Port());
    }
    first.reset();
    EXPECT_FALSE(Exists(path)) << path;
}

// Opened while another lease held the port and locked once it had ended: the file locked is no
// longer the one its name gives, so it is refused, and the next open takes a fresh file.
TEST(LoopbackPortLeaseTest, ALockTakenAfterTheHolderRemovedItsFileIsRefused)
{
    auto holder = std::make_unique<LoopbackPortLease>();
    ASSERT_NE(holder->Port(), 0);
    const std::string path = LoopbackPortLease::LockPath(holder->Port());
    const int early = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(early, 0);
    EXPECT_FALSE(LoopbackPortLease::LockedAndStillNamed(early, path)) << "taken while the holder holds it";
    holder.reset();
    EXPECT_FALSE(LoopbackPortLease::LockedAndStillNamed(early, path)) << "the holder's removed file";
    close(early);

    const int fresh = LoopbackPortLease::LockFile(path);
    ASSERT_GE(fresh, 0);
    EXPECT_TRUE(Exists(path));
    unlink(path.c_str());
    close(fresh);
}

} // namespace
